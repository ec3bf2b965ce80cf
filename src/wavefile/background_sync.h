#pragma once

// Making a small file durable without making the user wait. A recovery note is replaced by
// writing a new one and renaming it over the old: once renamed it survives the program's own
// death at once, since the system keeps what was written. Only a power cut needs the bytes
// and the rename on the disk, and a flush of a few hundred bytes can take tens of
// milliseconds while other writes are pending: so it is done on a thread of its own, which
// flushes the latest file asked of it and then its folder.

#include <string>

namespace quorbel {

// Flushes `file`, then `folder`, to the disk soon, on another thread; a file asked again
// before its flush began is flushed once.
void SyncInBackground(const std::string& file, const std::string& folder);

}  // namespace quorbel
