// Times reading a WAVE file's data through ParseWave against a plain read of the same file.
//
//   wavefile_parse_bench [file.wav] [runs]
//
// Without a file it writes a 1 GiB 16-bit stereo file into the temporary directory (and removes
// it afterwards). The first pass warms the page cache; the figures are page-cache speed.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "res/wave_messages.h"
#include "wavefile/temp_files.h"
#include "wavefile/wave_format.h"
#include "wavefile/wave_ops.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kGeneratedDataBytes = 1u << 30;

bool WriteTestWave(const std::string& path) {
    std::vector<std::uint8_t> fmt(16);
    quorbel::WaveFormat format{1, 2, 44100, 44100 * 4, 4};
    quorbel::EncodePcmFormat(format, 16, std::span<std::uint8_t, 16>(fmt.data(), 16));
    auto data = std::make_unique_for_overwrite<std::uint8_t[]>(kGeneratedDataBytes);
    for (std::uint32_t i = 0; i < kGeneratedDataBytes; ++i) {
        data[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
    }
    auto error = quorbel::CreateWaveFile(path, fmt, {data.get(), kGeneratedDataBytes},
                                         quorbel::WaveRiffSizeFor(16, kGeneratedDataBytes));
    if (error) std::fprintf(stderr, "%s\n", quorbel::MessageFor(*error).text.c_str());
    return !error;
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One plain fread of the whole file into one buffer.
std::size_t PlainRead(const std::string& path, std::uintmax_t size) {
    auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 0;
    const std::size_t got = std::fread(buffer.get(), 1, size, file);
    std::fclose(file);
    return got;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path;
    bool generated = false;
    if (argc > 1) {
        path = argv[1];
    } else {
        path = quorbel::TempDirectory() + "wavefile_parse_bench.wav";
        std::printf("writing %s (1 GiB of 16-bit stereo)...\n", path.c_str());
        if (!WriteTestWave(path)) return 1;
        generated = true;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::uintmax_t fileSize = std::filesystem::file_size(path);
    const double mb = static_cast<double>(fileSize) / 1e6;

    PlainRead(path, fileSize);  // warm the page cache
    for (int run = 0; run < runs; ++run) {
        Clock::time_point start = Clock::now();
        auto parsed = quorbel::ParseWave(path);
        const double parseSeconds = Seconds(start);
        if (!parsed) {
            std::fprintf(stderr, "parse failed: %s\n",
                         quorbel::MessageFor(parsed.error()).text.c_str());
            return 1;
        }
        const std::uint32_t dataSize = parsed->dataSize;
        parsed = quorbel::Expected<quorbel::ParsedWave>(quorbel::WaveFailure{});  // release

        start = Clock::now();
        const std::size_t got = PlainRead(path, fileSize);
        const double plainSeconds = Seconds(start);
        std::printf(
            "run %d: parse %u data bytes %.3f s = %.0f MB/s | plain read %zu bytes %.3f s = "
            "%.0f MB/s\n",
            run + 1, dataSize, parseSeconds, mb / parseSeconds, got, plainSeconds,
            mb / plainSeconds);
    }
    if (generated) std::filesystem::remove(path);
    return 0;
}
