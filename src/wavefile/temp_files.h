#pragma once

#include <string>
#include <string_view>

#include "wavefile/expected.h"

namespace quorbel {

// The system temporary directory: $TMPDIR when set and not empty, else /tmp; always ending
// in '/'.
std::string TempDirectory();

// Creates a new, empty file in `directory` (which ends in '/') named from the first three
// letters of `prefix` and a unique number ("cutfile" gives "cut1a2b3c4d.tmp"). The file is
// created exclusively, so no two calls, threads or processes get the same name. When the
// directory cannot hold a new file the failure (TempFileNotCreated) names the directory and
// the system's error.
Expected<std::string> NewTempFileName(const std::string& directory, std::string_view prefix);

// The same in TempDirectory().
Expected<std::string> NewTempFileName(std::string_view prefix);

}  // namespace quorbel
