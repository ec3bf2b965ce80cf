#pragma once

// The working files of one document: the file of its sound and the one Undo goes back to,
// copies of the whole sound in the temporary directory that the program wrote and owns. They
// are kept while the document is open and removed when its window closes normally. After a crash
// they stay, so the last state of the sound can still be found.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "wavefile/expected.h"

namespace quorbel {

class WorkingFiles {
  public:
    // Where new working files go from now on (ending in '/'); the temporary folder when "".
    void SetFolder(std::string folder) { m_folder = std::move(folder); }
    // Takes `path`, a file already written, as one of them.
    void Adopt(const std::string& path) { m_files.push_back(path); }
    // Forgets every one without deleting it: the program ends and leaves them for recovery.
    void Abandon() { m_files.clear(); }
    // Creates a new, empty working file (NewTempFileName) and remembers it.
    Expected<std::string> Create(std::string_view prefix);
    // Deletes a working file at once (one a failed step leaves empty) and forgets it.
    void Discard(const std::string& path);
    // Forgets `path` if it is one of the working files: the user saved over it, so it is a
    // file of theirs now and must stay.
    void Keep(const std::string& path);
    // Whether `path` is one of them.
    bool Owns(const std::string& path) const;
    // Deletes every one but `keep1` and `keep2`: a document needs no more than the file of its
    // sound and the one Undo goes back to.
    void KeepOnly(const std::string& keep1, const std::string& keep2);
    // Deletes every remembered working file. Called once the document's device is closed.
    void RemoveAll();

    const std::vector<std::string>& Files() const { return m_files; }

    // Bytes free for this user on the disk new working files go to; the most there is when
    // the file system does not tell.
    std::uint64_t FreeBytes() const;

  private:
    std::string m_folder;
    std::vector<std::string> m_files;
};

}  // namespace quorbel
