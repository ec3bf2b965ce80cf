// Feeds arbitrary bytes as a file to the view's capture read (the device's reader in any
// layout), and checks what it gives on its own: a sound the view can draw or the box that says
// why not, and the same answer when the file is read again. Any crash, sanitizer report or
// broken invariant is a finding.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_support.h"
#include "res/wave_messages.h"
#include "view/display_data.h"

using quorbel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string path = quorbel::fuzz::ScratchPath("capture.wav");
    if (!quorbel::fuzz::WriteFile(path, {bytes, size})) return 0;

    const quorbel::Expected<quorbel::DisplayData> read = quorbel::ReadDisplayData(path);
    const quorbel::Expected<quorbel::DisplayData> again = quorbel::ReadDisplayData(path);
    Check(read.ok() == again.ok(), "a second read of the same file answers otherwise");
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
        Check(again.error().code == failure.code && quorbel::MessageFor(again.error()).text == text,
              "a second read of the same file refuses it otherwise");
        return 0;
    }
    const quorbel::DisplayData& data = *read;
    Check(data.bytes != nullptr, "no buffer");
    Check(quorbel::IsSampleFormatTag(data.format.wFormatTag) && data.format.nChannels != 0,
          "a format the view cannot take");
    Check(data.size <= size, "more read than the file holds");
    Check(again->format == data.format && again->size == data.size &&
              std::equal(data.bytes.get(), data.bytes.get() + data.size, again->bytes.get()),
          "a second read of the same file gives another sound");
    return 0;
}
