#pragma once

// Builds WAVE files byte by byte for the device tests, including damaged ones.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace quorbel::testing {

using Bytes = std::vector<std::byte>;

inline void putLe16(Bytes& b, std::uint16_t v) {
    b.push_back(std::byte(v & 0xFF));
    b.push_back(std::byte(v >> 8));
}
inline void putLe32(Bytes& b, std::uint32_t v) {
    putLe16(b, std::uint16_t(v & 0xFFFF));
    putLe16(b, std::uint16_t(v >> 16));
}
inline void putId(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(std::byte(id[i]));
}
inline Bytes bytesOf(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values) b.push_back(std::byte(v & 0xFF));
    return b;
}
inline Bytes counting(std::size_t n, int from = 1) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = std::byte((from + i) & 0xFF);
    return b;
}
inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A `fmt ` body: tag, channels, rate, block align from bits, plus `extra` bytes after the
// 16-byte record (cbSize and what follows).
inline Bytes fmtBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                     std::uint16_t bits, const Bytes& extra = {}) {
    Bytes b;
    const auto align = std::uint16_t(channels * ((bits + 7) / 8));
    putLe16(b, tag);
    putLe16(b, channels);
    putLe32(b, rate);
    putLe32(b, rate * align);
    putLe16(b, align);
    putLe16(b, bits);
    b.insert(b.end(), extra.begin(), extra.end());
    return b;
}

// A 40-byte WAVE_FORMAT_EXTENSIBLE body whose sub-format GUID carries `subTag`.
inline Bytes extensibleFmt(std::uint16_t subTag, std::uint16_t channels, std::uint32_t rate,
                           std::uint16_t bits, std::uint16_t validBits) {
    Bytes ext;
    putLe16(ext, 22);
    putLe16(ext, validBits);
    putLe32(ext, channels == 1 ? 0x4 : 0x3);
    putLe16(ext, subTag);
    for (int v :
         {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71})
        ext.push_back(std::byte(v));
    return fmtBody(0xFFFE, channels, rate, bits, ext);
}

// One chunk: id, size (the body's, unless given), body, and a pad byte after an odd body.
inline Bytes chunk(const char* id, const Bytes& body, bool pad = true,
                   std::int64_t declaredSize = -1) {
    Bytes b;
    putId(b, id);
    putLe32(b, declaredSize >= 0 ? std::uint32_t(declaredSize) : std::uint32_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && (body.size() & 1u)) b.push_back(std::byte{0});
    return b;
}

// RIFF header + WAVE + the chunks; the RIFF size is right unless given.
inline Bytes riffWave(std::initializer_list<Bytes> chunks, std::int64_t riffSize = -1) {
    Bytes body = concat(chunks);
    Bytes b;
    putId(b, "RIFF");
    putLe32(b, riffSize >= 0 ? std::uint32_t(riffSize) : std::uint32_t(body.size() + 4));
    putId(b, "WAVE");
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

inline Bytes simpleWave(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                        const Bytes& data) {
    return riffWave({chunk("fmt ", fmtBody(1, channels, rate, bits)), chunk("data", data)});
}

inline void writeBytes(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

inline Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Bytes b(chars.size());
    if (!chars.empty()) std::memcpy(b.data(), chars.data(), chars.size());
    return b;
}

inline std::uint32_t le32At(const Bytes& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

// The `data` chunk body of a file this program saved (fmt then data, nothing else).
inline Bytes savedData(const Bytes& file) {
    const std::uint32_t fmtSize = le32At(file, 16);
    const std::size_t dataHeader = 20 + fmtSize + (fmtSize & 1u);
    const std::uint32_t size = le32At(file, dataHeader + 4);
    const auto first = file.begin() + std::ptrdiff_t(dataHeader + 8);
    return Bytes(first, first + std::ptrdiff_t(size));
}

}  // namespace quorbel::testing
