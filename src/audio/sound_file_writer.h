#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "audio/sound_error.h"

namespace quorbel {

// Writes a RIFF WAVE file holding just a `fmt ` chunk (the given body, verbatim) and a `data`
// chunk. The new file takes the target's place only once it is complete and on disk, so a save
// that fails or is killed leaves the old file as it was and nothing else. Saving through a
// symbolic link replaces the file it names (with that file's permissions) and keeps the link.
// A target that is not a regular file is refused.
SoundProblem writeSoundFile(const std::string& path, std::span<const std::byte> fmt,
                            std::span<const std::byte> data);

}  // namespace quorbel
