#include "wave_file_io.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "audio/wave_format.h"

namespace quorbel::test {

namespace {

void put32(std::vector<std::byte>& out, std::uint32_t v) {
    const std::size_t at = out.size();
    out.resize(at + 4);
    writeLe32(out.data() + at, v);
}

void putId(std::vector<std::byte>& out, const char* id) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::byte>(id[i]));
}

}  // namespace

void writePcmWave(const std::string& path, const StreamFormat& format,
                  const std::vector<std::byte>& bytes) {
    const std::vector<std::byte> fmt = makePcmFormatRecord(format);
    std::vector<std::byte> file;
    putId(file, "RIFF");
    put32(file, static_cast<std::uint32_t>(4 + 8 + fmt.size() + 8 + bytes.size()));
    putId(file, "WAVE");
    putId(file, "fmt ");
    put32(file, static_cast<std::uint32_t>(fmt.size()));
    file.insert(file.end(), fmt.begin(), fmt.end());
    putId(file, "data");
    put32(file, static_cast<std::uint32_t>(bytes.size()));
    file.insert(file.end(), bytes.begin(), bytes.end());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
}

bool readSavedWave(const std::string& path, SavedWave& out) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> raw((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    const auto* b = reinterpret_cast<const std::byte*>(raw.data());
    if (raw.size() < 12 || std::memcmp(raw.data(), "RIFF", 4) != 0 ||
        std::memcmp(raw.data() + 8, "WAVE", 4) != 0)
        return false;
    std::size_t at = 12;
    while (at + 8 <= raw.size()) {
        const std::string id(raw.data() + at, 4);
        const std::size_t size = readLe32(b + at + 4);
        const std::size_t body = at + 8;
        if (body + size > raw.size()) return false;
        out.chunkIds.push_back(id);
        if (id == "fmt " && size >= 16) {
            out.formatTag = readLe16(b + body);
            out.channels = readLe16(b + body + 2);
            out.sampleRate = readLe32(b + body + 4);
            out.bitsPerSample = readLe16(b + body + 14);
        } else if (id == "data") {
            out.samples.resize(size / 2);
            std::memcpy(out.samples.data(), raw.data() + body, out.samples.size() * 2);
        }
        at = body + size + (size & 1);
    }
    return true;
}

}  // namespace quorbel::test
