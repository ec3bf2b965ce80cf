#include "process/wave_bytes.h"

#include <fstream>
#include <iterator>

namespace quorbel::process {
namespace {

void put(std::vector<std::uint8_t>& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void put(std::vector<std::uint8_t>& out, const char* id) {
    out.insert(out.end(), id, id + 4);
}

}  // namespace

std::vector<std::uint8_t> waveBytes(std::uint32_t dataBytes, int seed) {
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    put(out, "RIFF");
    put(out, 36 + dataBytes, 4);
    put(out, "WAVE");
    put(out, "fmt ");
    put(out, 16, 4);
    put(out, 1, 2);
    put(out, 2, 2);
    put(out, 44100, 4);
    put(out, 44100 * 4, 4);
    put(out, 4, 2);
    put(out, 16, 2);
    put(out, "data");
    put(out, dataBytes, 4);
    for (std::uint32_t i = 0; i < dataBytes; ++i)
        out.push_back(static_cast<std::uint8_t>(i * static_cast<std::uint32_t>(seed) + (i >> 12)));
    return out;
}

bool writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace quorbel::process
