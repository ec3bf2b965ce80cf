// Feeds arbitrary bytes as a file to the view's capture read (the lenient parse), and checks
// it against the strict parse where that accepts the file. Any crash, sanitizer report or
// broken invariant is a finding.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_support.h"
#include "res/wave_messages.h"
#include "view/display_data.h"
#include "wavefile/wave_ops.h"

using quorbel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string path = quorbel::fuzz::ScratchPath("capture.wav");
    if (!quorbel::fuzz::WriteFile(path, {bytes, size})) return 0;

    const quorbel::Expected<quorbel::DisplayData> read = quorbel::ReadDisplayData(path);
    const quorbel::Expected<quorbel::ParsedWave> strict = quorbel::ParseWave(path);
    if (!read) {
        const quorbel::WaveFailure& failure = read.error();
        const std::string text = quorbel::MessageFor(failure).text;
        if (failure.code == quorbel::WaveFault::CaptureUnreadable) {
            Check(text.rfind("Cannot read " + path + ":\n", 0) == 0, "the capture box's text");
            Check(text.size() > path.size() + 14, "a capture box without its cause");
        } else {
            Check(failure.code == quorbel::WaveFault::NotPcm, "a fault the capture does not give");
            Check(quorbel::MessageFor(failure).style == quorbel::MessageStyle::Title,
                  "the refusal's box");
        }
        // The strict parse refuses it too, unless only the view refuses: no channels.
        Check(!strict ||
                  (failure.code == quorbel::WaveFault::NotPcm && strict->format.nChannels == 0),
              "the strict parse accepts what the capture refuses");
        return 0;
    }
    const quorbel::DisplayData& data = *read;
    Check(data.bytes != nullptr, "no buffer");
    Check(data.format.wFormatTag == quorbel::kWaveFormatPcm && data.format.nChannels != 0,
          "a format the view cannot take");
    Check(data.size <= size, "more read than the file holds");
    if (strict) {
        // Where the declared sizes are right, lenient and strict read the same bytes.
        Check(data.format == strict->format && data.size == strict->dataSize &&
                  std::equal(strict->Data().begin(), strict->Data().end(), data.bytes.get()),
              "lenient and strict reads differ");
    }
    return 0;
}
