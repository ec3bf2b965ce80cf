// Creates a WAVE file from arbitrary bytes, parses it back, patches it in place to a new
// length (growing or shrinking it) and rewrites it in place, checking the bytes and sizes on
// disk after every step. Any crash, sanitizer report or broken invariant is a finding.
//
// Input: byte 0 picks the `fmt ` size (14 to 40), byte 1 the patch's length change (-128 to
// 127 bytes), then the `fmt ` bytes (its format tag forced to PCM), then the data.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "fuzz_support.h"
#include "res/wave_messages.h"
#include "wavefile/byte_order.h"
#include "wavefile/wave_ops.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using quorbel::ParseOptions;
using quorbel::ParseReporting;
using quorbel::fuzz::Check;

// Parses `path` strictly and checks it holds exactly `fmt` and `data` with RIFF size `riff`.
void ExpectFile(const std::string& path, const Bytes& fmt, const Bytes& data, std::uint32_t riff) {
    auto parsed = quorbel::ParseWave(path);
    if (data.empty()) {
        Check(!parsed && parsed.error().code == quorbel::WaveFault::DataEmpty,
              "an empty data chunk not refused");
        return;
    }
    Check(parsed.ok(), "a written file does not parse");
    Check(parsed->formatBytes == fmt, "fmt bytes changed");
    Check(Bytes(parsed->Data().begin(), parsed->Data().end()) == data, "data changed");
    Check(parsed->dataSize == data.size() && parsed->riffSize == riff, "sizes on disk");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t fmtSize = 14 + bytes[0] % 27;
    const int change = static_cast<std::int8_t>(bytes[1]);
    const std::span<const std::uint8_t> rest(bytes + 2, size - 2);
    Bytes fmt(rest.begin(),
              rest.begin() + static_cast<std::ptrdiff_t>(std::min(fmtSize, rest.size())));
    fmt.resize(fmtSize, 0);
    quorbel::StoreLe16(fmt.data(), quorbel::kWaveFormatPcm);
    const Bytes data(rest.begin() + static_cast<std::ptrdiff_t>(std::min(fmtSize, rest.size())),
                     rest.end());

    // Create, then parse back.
    const std::string path = quorbel::fuzz::ScratchPath("round-trip.wav");
    const auto fmtLength = static_cast<std::uint32_t>(fmt.size());
    const std::uint32_t riff =
        quorbel::WaveRiffSizeFor(fmtLength, static_cast<std::uint32_t>(data.size()));
    Check(!quorbel::CreateWaveFile(path, fmt, data, riff), "create failed");
    Check(std::filesystem::file_size(path) == std::uintmax_t{8} + riff, "created file size");
    ExpectFile(path, fmt, data, riff);
    if (data.empty()) return 0;

    // Patch to a new length: inserted bytes at the front, or bytes cut from the end.
    Bytes content = data;
    if (change > 0) content.insert(content.begin(), static_cast<std::size_t>(change), 0x80);
    if (change < 0)
        content.resize(content.size() - std::min<std::size_t>(-change, content.size() - 1));
    for (ParseReporting style : {ParseReporting::Direct, ParseReporting::MmioStyle}) {
        ParseOptions patch;
        patch.mode = quorbel::RiffOpenMode::ReadWrite;
        patch.reporting = style;
        patch.readData = style == ParseReporting::Direct;
        {
            auto wave = quorbel::ParseWave(path, patch);
            Check(wave.ok(), "a created file does not parse for patching");
            const quorbel::WaveError error = quorbel::PatchWaveInPlace(*wave, content);
            Check(!error, "patch failed");
        }
        const std::uint32_t patchedRiff = riff + static_cast<std::uint32_t>(content.size()) -
                                          static_cast<std::uint32_t>(data.size());
        ExpectFile(path, fmt, content, patchedRiff);
        Check(std::filesystem::file_size(path) == std::uintmax_t{8} + patchedRiff,
              "patched file size");
        // Back to the original for the other style.
        {
            auto wave = quorbel::ParseWave(path, patch);
            Check(wave.ok() && !quorbel::PatchWaveInPlace(*wave, data), "patch back failed");
        }
        ExpectFile(path, fmt, data, riff);
    }

    // Rewrite in place: same length, reversed.
    const Bytes reversed(data.rbegin(), data.rend());
    {
        ParseOptions rewrite;
        rewrite.mode = quorbel::RiffOpenMode::ReadWrite;
        auto wave = quorbel::ParseWave(path, rewrite);
        Check(wave.ok() && !quorbel::RewriteWaveData(*wave, reversed), "rewrite failed");
        Check(
            quorbel::RewriteWaveData(*wave, content).has_value() == (content.size() != data.size()),
            "a rewrite of another length");
    }
    ExpectFile(path, fmt, content.size() != data.size() ? reversed : content, riff);
    return 0;
}
