#include "view/display_data.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

namespace quorbel {

namespace {

// Size fields that writers of unknown length leave in the header.
bool IsPlaceholderSize(std::uint32_t size) {
    return size == 0 || size == 0x7FFFF000u || size == 0xFFFFFFFFu;
}

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}
std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

DisplayReadResult Unreadable(const std::string& path, const std::string& why) {
    DisplayReadResult result;
    result.status = DisplayReadStatus::Unreadable;
    result.message = "Cannot read " + path + ": " + why;
    return result;
}

}  // namespace

DisplayReadResult ReadDisplayData(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Unreadable(path, "the file cannot be opened");
    in.seekg(0, std::ios::end);
    const auto fileSize = static_cast<std::uint64_t>(in.tellg());
    in.seekg(0);

    std::array<std::uint8_t, 12> header{};
    if (fileSize < header.size() || !in.read(reinterpret_cast<char*>(header.data()), 12) ||
        std::memcmp(header.data(), "RIFF", 4) != 0 ||
        std::memcmp(header.data() + 8, "WAVE", 4) != 0)
        return Unreadable(path, "it is not a RIFF WAVE file");

    // The form ends where its size says, unless the size is a placeholder or runs past the
    // end of the file: then it ends with the file.
    const std::uint32_t riffSize = Le32(header.data() + 4);
    std::uint64_t formEnd = 8 + std::uint64_t{riffSize};
    if (IsPlaceholderSize(riffSize) || formEnd > fileSize) formEnd = fileSize;

    DisplayReadResult result;
    bool haveFormat = false;
    std::uint64_t at = 12;
    while (at + 8 <= formEnd) {
        std::array<std::uint8_t, 8> chunk{};
        in.seekg(static_cast<std::streamoff>(at));
        if (!in.read(reinterpret_cast<char*>(chunk.data()), 8))
            return Unreadable(path, "the file cannot be read");
        const std::uint32_t size = Le32(chunk.data() + 4);
        const std::uint64_t body = at + 8;
        const std::uint64_t present = std::min<std::uint64_t>(size, formEnd - body);

        if (std::memcmp(chunk.data(), "fmt ", 4) == 0) {
            if (present < 14) return Unreadable(path, "the format chunk is too short");
            std::array<std::uint8_t, 14> fmt{};
            if (!in.read(reinterpret_cast<char*>(fmt.data()), 14))
                return Unreadable(path, "the file cannot be read");
            DisplayFormat& f = result.data.format;
            f.formatTag = Le16(fmt.data());
            f.channels = Le16(fmt.data() + 2);
            f.samplesPerSec = Le32(fmt.data() + 4);
            f.avgBytesPerSec = Le32(fmt.data() + 8);
            f.blockAlign = Le16(fmt.data() + 12);
            haveFormat = true;
            if (f.formatTag != 1 || f.channels == 0) {
                result.status = DisplayReadStatus::NotPcm;
                return result;
            }
        } else if (std::memcmp(chunk.data(), "data", 4) == 0) {
            if (!haveFormat) return Unreadable(path, "the file has no format chunk");
            std::uint64_t take = size;
            const bool cutShort = IsPlaceholderSize(size) || present < size;
            if (cutShort) {
                // The writer stopped early or never fixed the size: keep the whole frames
                // that really are in the file.
                take = std::min<std::uint64_t>(fileSize - body, 0xFFFFFFFFu);
                const std::uint16_t frame = result.data.format.blockAlign;
                if (frame > 1) take -= take % frame;
            }
            result.data.bytes.resize(take);
            if (take > 0 && !in.read(reinterpret_cast<char*>(result.data.bytes.data()),
                                     static_cast<std::streamsize>(take)))
                return Unreadable(path, "the file cannot be read");
            result.status = DisplayReadStatus::Ok;
            return result;
        }
        at = body + size + (size & 1u);
    }
    return Unreadable(path,
                      haveFormat ? "the file has no data chunk" : "the file has no format chunk");
}

int BitsPerSampleOf(const DisplayFormat& format) {
    if (format.channels == 0) return 0;
    return int{format.blockAlign} * 8 / int{format.channels};
}

std::uint32_t SampleCountOf(std::uint32_t dataBytes, int bitsPerSample) {
    return bitsPerSample >= 16 ? dataBytes >> 1 : dataBytes;
}

std::uint32_t SliderPageOf(std::uint32_t dataBytes) {
    return dataBytes / 10;
}

}  // namespace quorbel
