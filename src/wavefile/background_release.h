#pragma once

// Letting go of a large sound without making the user wait: returning a GiB of memory to the
// system or removing a GiB working file from the page cache takes a good part of a second,
// which the window's thread hands to a short-lived thread of its own. Small things are let
// go at once, so what a test looks at right after an edit is already gone.

#include <string>

#include "wavefile/piece_list.h"
#include "wavefile/shared_bytes.h"

namespace quorbel {

// From this size on, memory and files are let go in the background.
inline constexpr std::size_t kBackgroundReleaseBytes = std::size_t{32} << 20;

// Drops `bytes`; when they are large and this is their last owner, on another thread.
void ReleaseInBackground(SharedBytes bytes);
void ReleaseInBackground(PieceList pieces);

// Removes the file `path`; a large one on another thread.
void RemoveInBackground(const std::string& path);

}  // namespace quorbel
