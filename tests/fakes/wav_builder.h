#pragma once

// Builds WAVE files byte by byte for the tests, damaged ones included: chunks in any order,
// odd sizes with or without their pad byte, declared sizes that differ from the content,
// extended fmt records. Files go into a fresh folder per test.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fakes/fake_temp_dir.h"

namespace quorbel::testing {

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

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Bytes first, first + step, first + 2 x step, ... (wrapping at 256).
inline Bytes Counting(std::size_t count, int first = 1, int step = 1) {
    Bytes out(count);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<std::uint8_t>(first + static_cast<int>(i) * step);
    return out;
}

// Sample bytes whose neighbours all differ by 7, so that any misplaced byte shows.
inline Bytes Ramp(std::size_t count) {
    return Counting(count, 3, 7);
}

// 16-bit little-endian samples as bytes.
inline Bytes Words(std::initializer_list<int> samples) {
    Bytes out;
    for (int s : samples)
        AppendLe(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(s)), 2);
    return out;
}

// The audio device works on std::byte; these cross between the two.
inline std::vector<std::byte> AsStdBytes(const Bytes& bytes) {
    std::vector<std::byte> out(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = std::byte{bytes[i]};
    return out;
}
inline Bytes FromStdBytes(std::span<const std::byte> bytes) {
    Bytes out(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = std::to_integer<std::uint8_t>(bytes[i]);
    return out;
}

constexpr std::uint16_t kPcmTag = 1;

// The fields of a `fmt ` record. Block align is channels x whole bytes per sample and the
// byte rate is rate x block align unless given.
struct FmtFields {
    std::uint16_t tag = kPcmTag;
    std::uint16_t channels = 1;
    std::uint32_t rate = 22050;
    std::uint16_t bits = 8;
    std::optional<std::uint16_t> blockAlign = std::nullopt;
    std::optional<std::uint32_t> avgBytes = std::nullopt;
    Bytes extra = {};  // after the 16-byte record: cbSize and what follows
};

inline Bytes FmtBody(const FmtFields& f) {
    const auto align =
        f.blockAlign.value_or(static_cast<std::uint16_t>(f.channels * ((f.bits + 7) / 8)));
    Bytes out;
    AppendLe(out, f.tag, 2);
    AppendLe(out, f.channels, 2);
    AppendLe(out, f.rate, 4);
    AppendLe(out, f.avgBytes.value_or(f.rate * align), 4);
    AppendLe(out, align, 2);
    AppendLe(out, f.bits, 2);
    out.insert(out.end(), f.extra.begin(), f.extra.end());
    return out;
}

inline Bytes FmtBody(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                     const Bytes& extra = {}, std::uint16_t tag = kPcmTag) {
    return FmtBody(FmtFields{tag, channels, rate, bits, std::nullopt, std::nullopt, extra});
}

// A 40-byte WAVE_FORMAT_EXTENSIBLE body whose sub-format GUID carries `subTag`.
inline Bytes ExtensibleFmt(std::uint16_t subTag, std::uint16_t channels, std::uint32_t rate,
                           std::uint16_t bits, std::uint16_t validBits) {
    Bytes ext;
    AppendLe(ext, 22, 2);
    AppendLe(ext, validBits, 2);
    AppendLe(ext, channels == 1 ? 0x4 : 0x3, 4);
    AppendLe(ext, subTag, 2);
    ext.insert(ext.end(), {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38,
                           0x9B, 0x71});
    return FmtBody(channels, rate, bits, ext, 0xFFFE);
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

// The plain layout this program saves: `fmt ` then `data`.
inline Bytes SimpleWave(const Bytes& data, std::uint16_t channels = 2, std::uint16_t bits = 16,
                        std::uint32_t rate = 44100) {
    return BuildRiff({{"fmt ", FmtBody(channels, rate, bits)}, {"data", data}});
}

// The `data` chunk body of a file in the plain layout.
inline Bytes SavedData(const Bytes& file) {
    const std::uint32_t fmtSize = ReadLe32(file, 16);
    const std::size_t dataHeader = 20 + fmtSize + (fmtSize & 1u);
    const std::uint32_t size = ReadLe32(file, dataHeader + 4);
    const auto first = file.begin() + static_cast<std::ptrdiff_t>(dataHeader + 8);
    return Bytes(first, first + static_cast<std::ptrdiff_t>(size));
}

// A plain file whose header fields can each be set wrong on purpose.
struct WavContent {
    std::uint16_t formatTag = kPcmTag;
    std::uint16_t channels = 1;
    std::uint32_t rate = 22050;
    std::uint16_t bits = 8;
    std::optional<std::uint16_t> blockAlign;  // channels x bytes per sample unless given
    std::optional<std::uint32_t> avgBytes;    // rate x block align unless given
    std::optional<std::uint32_t> riffSize;    // the true size unless given
    std::optional<std::uint32_t> dataSize;    // the true size unless given
    Bytes data;
    Bytes trailingChunk;  // a whole chunk written after data
};

inline Bytes WavBytes(const WavContent& s) {
    // The data's pad byte is written only when a chunk follows, but always counted in the
    // default RIFF size.
    const std::size_t pad = s.data.size() & 1u;
    const auto trueRiff =
        static_cast<std::uint32_t>(4 + 24 + 8 + s.data.size() + pad + s.trailingChunk.size());
    const FmtFields fmt{s.formatTag, s.channels, s.rate, s.bits, s.blockAlign, s.avgBytes, {}};
    Bytes out =
        BuildRiff({{"fmt ", FmtBody(fmt)}, {"data", s.data, s.dataSize, !s.trailingChunk.empty()}},
                  s.riffSize.value_or(trueRiff));
    out.insert(out.end(), s.trailingChunk.begin(), s.trailingChunk.end());
    return out;
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh folder that test files are written into, removed afterwards.
class WavFolder : public FakeTempDir {
  public:
    std::string write(const std::string& name, const Bytes& bytes) const {
        const std::string path = file(name);
        WriteBytes(path, bytes);
        return path;
    }
    std::string write(const std::string& name, const WavContent& wav) const {
        return write(name, WavBytes(wav));
    }
};

// Base for tests that write files: a fresh folder per test.
class WavFolderTest : public ::testing::Test {
  protected:
    WavFolder folder;
};

}  // namespace quorbel::testing
