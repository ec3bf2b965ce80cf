#pragma once

// Whole WAVE files as bytes for the process tests, and reading and writing them.

#include <cstdint>
#include <string>
#include <vector>

namespace quorbel::process {

// A 44100 Hz 16-bit stereo PCM file of `dataBytes` bytes of sound, each byte `seed` apart.
std::vector<std::uint8_t> waveBytes(std::uint32_t dataBytes, int seed);

bool writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> readBytes(const std::string& path);

}  // namespace quorbel::process
