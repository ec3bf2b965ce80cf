#pragma once

#include <string>

namespace quorbel {

// Creates a new, empty, uniquely named working file in the temporary directory whose name
// starts with the first three letters of `prefix`. False, with a reason, when it cannot.
bool CreateWorkingFile(const std::string& prefix, std::string& path, std::string& error);

// The temporary directory with a trailing '/': TMPDIR, else /tmp.
std::string TemporaryDirectory();

}  // namespace quorbel
