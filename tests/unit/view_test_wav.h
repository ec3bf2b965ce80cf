#pragma once

// Writing small WAV files for the view's tests, into a per-test temporary folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace quorbel::testing {

struct WavContent {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 22050;
    std::uint16_t bits = 8;
    std::optional<std::uint16_t> blockAlign;  // channels x bits / 8 unless given
    std::optional<std::uint32_t> avgBytes;    // rate x block align unless given
    std::optional<std::uint32_t> riffSize;    // the true size unless given
    std::optional<std::uint32_t> dataSize;    // the true size unless given
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> trailingChunk;  // a whole chunk written after data
};

inline void PutLe(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline std::vector<std::uint8_t> WavBytes(const WavContent& s) {
    const std::uint16_t align =
        s.blockAlign.value_or(static_cast<std::uint16_t>(s.channels * s.bits / 8));
    std::vector<std::uint8_t> out;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    const std::uint32_t pad = s.data.size() & 1u;
    const auto trueRiff =
        static_cast<std::uint32_t>(4 + 24 + 8 + s.data.size() + pad + s.trailingChunk.size());
    PutLe(out, s.riffSize.value_or(trueRiff), 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(out, 16, 4);
    PutLe(out, s.formatTag, 2);
    PutLe(out, s.channels, 2);
    PutLe(out, s.rate, 4);
    PutLe(out, s.avgBytes.value_or(s.rate * align), 4);
    PutLe(out, align, 2);
    PutLe(out, s.bits, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLe(out, s.dataSize.value_or(static_cast<std::uint32_t>(s.data.size())), 4);
    out.insert(out.end(), s.data.begin(), s.data.end());
    if (pad != 0 && !s.trailingChunk.empty()) out.push_back(0);
    out.insert(out.end(), s.trailingChunk.begin(), s.trailingChunk.end());
    return out;
}

// 16-bit little-endian samples as bytes.
inline std::vector<std::uint8_t> Words(std::initializer_list<int> samples) {
    std::vector<std::uint8_t> out;
    for (int s : samples) PutLe(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(s)), 2);
    return out;
}

// A fresh folder per test, removed afterwards.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorbel-view-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const std::string p = file(name);
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return p;
    }
    std::string write(const std::string& name, const WavContent& wav) const {
        return write(name, WavBytes(wav));
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace quorbel::testing
