#pragma once

// A working file mapped read-only, kept whole when another program changes it.
//
// A mapped file that another program truncates makes every later read of the lost pages die
// of SIGBUS, and one it overwrites changes the sound under the user. So each mapping holds a
// read lease on its file: a program that opens the file for writing, or truncates it, waits
// until a thread of ours has copied the mapped bytes into memory of our own and put that
// memory in the mapping's place, at the same addresses. Readers never notice the swap; the
// program hears of it through TakeChangedWorkingFiles. A file removed or renamed away keeps
// its bytes while mapped, and is told of the same way. Where no lease can be had (a file
// system without them), the bytes are read into memory at once instead of being mapped.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quorbel {

// The first `length` bytes of the file `path` (which the program made and no longer has open
// for writing), mapped read-only and guarded as above; null with errno set when the file
// cannot be opened or mapped, or there is no memory to read it into.
std::shared_ptr<const std::uint8_t[]> MapWorkingFile(const std::string& path, std::size_t length);

// Lets the process's pages of `bytes` go while they are still a guarded file's mapping: the
// file keeps them, and the next read brings them back from the page cache. For a reader that
// passes over a whole working file once (a summary), so the pass does not leave the file
// resident. Bytes that are not (or no longer) a mapped file are left alone: letting those go
// would lose them.
void LetMappedPagesGo(std::span<const std::uint8_t> bytes);

// A guarded working file another program opened for writing, truncated, removed or renamed.
// Its bytes are still the program's, except for `lostBytes` (no memory to copy them to before
// a change), which now read as zeros.
struct ChangedWorkingFile {
    std::string path;
    std::uint64_t lostBytes = 0;
};

// The changed files not taken yet, oldest first.
std::vector<ChangedWorkingFile> TakeChangedWorkingFiles();

// `wake` is called on the guard's own thread each time a file was changed: it must only queue
// work for the UI thread, which then takes the changed files. Empty: nobody is told.
void WhenWorkingFileChanged(std::function<void()> wake);

}  // namespace quorbel
