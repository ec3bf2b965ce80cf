#pragma once

// What the benchmarks share: a large test WAVE file written on the spot, timing of a shell
// command (the floors: cp, dd, sox) and of a piece of code.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline void PutLe(std::vector<char>& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A 16-bit stereo 44100 Hz PCM file of `dataBytes` bytes of varied samples.
inline bool WriteTestFile(const std::string& path, std::uint64_t dataBytes) {
    std::vector<char> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    PutLe(header, static_cast<std::uint32_t>(36 + dataBytes), 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(header, 16, 4);
    PutLe(header, 1, 2);          // PCM
    PutLe(header, 2, 2);          // stereo
    PutLe(header, 44100, 4);      // rate
    PutLe(header, 44100 * 4, 4);  // bytes per second
    PutLe(header, 4, 2);          // block align
    PutLe(header, 16, 2);         // bits
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    PutLe(header, static_cast<std::uint32_t>(dataBytes), 4);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    std::vector<char> block(8 << 20);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7 + (i >> 9));
    for (std::uint64_t left = dataBytes; left > 0;) {
        const auto n = static_cast<std::streamsize>(std::min<std::uint64_t>(left, block.size()));
        out.write(block.data(), n);
        left -= static_cast<std::uint64_t>(n);
    }
    return static_cast<bool>(out.flush());
}

inline double TimeCommand(const std::string& command) {
    const auto start = Clock::now();
    const int rc = std::system(command.c_str());
    const double s = SecondsSince(start);
    if (rc != 0) std::printf("  (command failed: %s)\n", command.c_str());
    return s;
}

}  // namespace bench
