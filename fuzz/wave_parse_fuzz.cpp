// Feeds arbitrary bytes as a WAVE file to every parse mode, and round-trips what parses through
// create and patch. Any crash, sanitizer report or broken invariant is a finding.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "res/wave_messages.h"
#include "wavefile/temp_files.h"
#include "wavefile/wave_ops.h"

namespace {

using quorbel::ParseOptions;
using quorbel::ParseReporting;
using quorbel::ParseWave;
using quorbel::RiffOpenMode;

std::string ScratchPath(const char* name) {
    static const std::string dir = quorbel::TempDirectory();
    return dir + "wave_parse_fuzz_" + std::to_string(getpid()) + "_" + name;
}

bool WriteAll(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

void RoundTrip(const quorbel::ParsedWave& wave) {
    const std::string copy = ScratchPath("copy.wav");
    const auto data = wave.Data();
    const auto riffSize =
        quorbel::WaveRiffSizeFor(static_cast<std::uint32_t>(wave.formatBytes.size()),
                                 static_cast<std::uint32_t>(data.size()));
    Check(!quorbel::CreateWaveFile(copy, wave.formatBytes, data, riffSize), "create failed");
    auto again = ParseWave(copy);
    Check(again.ok(), "created file does not parse");
    Check(again->formatBytes == wave.formatBytes, "fmt bytes changed");
    Check(std::vector<std::uint8_t>(again->Data().begin(), again->Data().end()) ==
              std::vector<std::uint8_t>(data.begin(), data.end()),
          "data changed");

    // Grow the copy in place by one frame's worth of bytes and read it back.
    ParseOptions rw;
    rw.mode = RiffOpenMode::ReadWrite;
    rw.reporting = ParseReporting::MmioStyle;
    rw.readData = false;
    auto patchable = ParseWave(copy, rw);
    Check(patchable.ok(), "created file does not parse for patching");
    std::vector<std::uint8_t> grown(data.begin(), data.end());
    grown.insert(grown.begin(), 4, 0x80);
    Check(!quorbel::PatchWaveInPlace(*patchable, grown), "patch failed");
    patchable->file.reset();
    auto patched = ParseWave(copy);
    Check(patched.ok(), "patched file does not parse");
    Check(patched->dataSize == grown.size(), "patched data size");
    Check(patched->riffSize == riffSize + 4, "patched RIFF size");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = ScratchPath("in.wav");
    if (!WriteAll(path, data, size)) return 0;
    for (bool lenient : {false, true}) {
        for (ParseReporting style : {ParseReporting::Direct, ParseReporting::MmioStyle}) {
            ParseOptions options;
            options.lenient = lenient;
            options.reporting = style;
            auto parsed = ParseWave(path, options);
            if (!parsed) {
                Check(!quorbel::MessageFor(parsed.error()).text.empty(),
                      "failure without a message");
                continue;
            }
            Check(parsed->dataSize > 0, "empty data accepted");
            Check(parsed->formatBytes.size() >= 14, "short fmt accepted");
            Check(parsed->Data().size() == parsed->dataSize, "data buffer size");
            Check(static_cast<std::uint64_t>(parsed->data.dataOffset) + parsed->dataSize <= size,
                  "data read past the end of the input");
            if (!lenient && style == ParseReporting::Direct) RoundTrip(*parsed);
        }
    }
    return 0;
}
