#pragma once

// Builds WAVE files byte by byte for the wave-file tests, and gives each test its own folder.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace quorbel::wavtest {

using Bytes = std::vector<std::uint8_t>;

inline void AppendLe(Bytes& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline Bytes Le32(std::uint32_t value) {
    Bytes out;
    AppendLe(out, value, 4);
    return out;
}

inline std::uint32_t ReadLe32(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes.at(offset)) |
           static_cast<std::uint32_t>(bytes.at(offset + 1)) << 8 |
           static_cast<std::uint32_t>(bytes.at(offset + 2)) << 16 |
           static_cast<std::uint32_t>(bytes.at(offset + 3)) << 24;
}

// A `fmt ` body: the 16-byte PCM record, then `extra` bytes (an extended record).
inline Bytes FmtBody(int channels, std::uint32_t rate, int bits, std::size_t extra = 0,
                     std::uint16_t tag = 1) {
    Bytes out;
    const auto blockAlign = static_cast<std::uint32_t>(channels * bits / 8);
    AppendLe(out, tag, 2);
    AppendLe(out, static_cast<std::uint32_t>(channels), 2);
    AppendLe(out, rate, 4);
    AppendLe(out, rate * blockAlign, 4);
    AppendLe(out, blockAlign, 2);
    AppendLe(out, static_cast<std::uint32_t>(bits), 2);
    for (std::size_t i = 0; i < extra; ++i) out.push_back(static_cast<std::uint8_t>(0xA0 + i));
    return out;
}

// Sample bytes 0, 1, 2, ... so that any misplaced byte shows.
inline Bytes Ramp(std::size_t count) {
    Bytes out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return out;
}

struct Chunk {
    std::string id;  // four characters
    Bytes body;
    std::optional<std::uint32_t> declaredSize = std::nullopt;  // default: body size
    bool pad = true;  // write the pad byte after an odd body
};

// A RIFF file of the given chunks. The RIFF size defaults to the length of what follows it.
inline Bytes BuildRiff(const std::vector<Chunk>& chunks,
                       std::optional<std::uint32_t> riffSize = std::nullopt,
                       const std::string& form = "WAVE") {
    Bytes body(form.begin(), form.end());
    for (const Chunk& chunk : chunks) {
        body.insert(body.end(), chunk.id.begin(), chunk.id.end());
        AppendLe(body, chunk.declaredSize.value_or(static_cast<std::uint32_t>(chunk.body.size())),
                 4);
        body.insert(body.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.pad && chunk.body.size() % 2 == 1) body.push_back(0);
    }
    Bytes out{'R', 'I', 'F', 'F'};
    AppendLe(out, riffSize.value_or(static_cast<std::uint32_t>(body.size())), 4);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// The plain layout a device saves: `fmt ` then `data`.
inline Bytes SimpleWave(const Bytes& data, int channels = 2, int bits = 16,
                        std::size_t fmtExtra = 0) {
    return BuildRiff({{"fmt ", FmtBody(channels, 44100, bits, fmtExtra)}, {"data", data}});
}

// Base for tests that write files: a fresh folder per test, removed afterwards.
class WaveFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::path(::testing::TempDir()) /
               (std::string("wavefile_") + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    std::string WriteFile(const std::string& name, const Bytes& bytes) const {
        const std::string path = PathOf(name);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    static Bytes ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir_;
};

}  // namespace quorbel::wavtest
