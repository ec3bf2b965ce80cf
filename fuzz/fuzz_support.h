#pragma once

// What every fuzz target shares: a scratch file per process for the input, and invariant
// checks that stop the run with a message.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace quorbel::fuzz {

// A file in the temporary directory named after this process and `name`.
std::string ScratchPath(const char* name);
// Removes every file ScratchPath has named.
void RemoveScratchFiles();

// Writes `bytes` to `path`; false when that fails.
bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Aborts (a finding) with `what` when `condition` is false.
void Check(bool condition, const char* what);

}  // namespace quorbel::fuzz
