#include "wave_file_io.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "audio/wave_format.h"
#include "fakes/wav_builder.h"
#include "wavefile/byte_order.h"

namespace quorbel::test {

using namespace quorbel::testing;

void writePcmWave(const std::string& path, const StreamFormat& format,
                  const std::vector<std::byte>& bytes) {
    WriteBytes(path,
               BuildRiff({{"fmt ", makePcmFormatRecord(format)}, {"data", FromStdBytes(bytes)}}));
}

bool readSavedWave(const std::string& path, SavedWave& out) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> raw((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    const auto* b = reinterpret_cast<const std::uint8_t*>(raw.data());
    if (raw.size() < 12 || std::memcmp(raw.data(), "RIFF", 4) != 0 ||
        std::memcmp(raw.data() + 8, "WAVE", 4) != 0)
        return false;
    std::size_t at = 12;
    while (at + 8 <= raw.size()) {
        const std::string id(raw.data() + at, 4);
        const std::size_t size = LoadLe32(b + at + 4);
        const std::size_t body = at + 8;
        if (body + size > raw.size()) return false;
        out.chunkIds.push_back(id);
        if (id == "fmt " && size >= 16) {
            out.formatTag = LoadLe16(b + body);
            out.channels = LoadLe16(b + body + 2);
            out.sampleRate = LoadLe32(b + body + 4);
            out.bitsPerSample = LoadLe16(b + body + 14);
        } else if (id == "data") {
            out.samples.resize(size / 2);
            std::memcpy(out.samples.data(), raw.data() + body, out.samples.size() * 2);
        }
        at = body + size + (size & 1);
    }
    return true;
}

}  // namespace quorbel::test
