#pragma once

// The working files of one document. Each recording, edit and effect leaves a copy of the
// whole sound in the temporary directory; they are kept while the document is open (its device
// and Undo use them) and removed when its window closes normally. After a crash they stay, so
// the last state of the sound can still be found.

#include <string>
#include <string_view>
#include <vector>

#include "wavefile/expected.h"

namespace quorbel {

class WorkingFiles {
  public:
    // Creates a new, empty working file (NewTempFileName) and remembers it.
    Expected<std::string> Create(std::string_view prefix);
    // Deletes a working file at once (one a failed step leaves empty) and forgets it.
    void Discard(const std::string& path);
    // Forgets `path` if it is one of the working files: the user saved over it, so it is a
    // file of theirs now and must stay.
    void Keep(const std::string& path);
    // Deletes every remembered working file. Called once the document's device is closed.
    void RemoveAll();

    const std::vector<std::string>& Files() const { return m_files; }

  private:
    std::vector<std::string> m_files;
};

}  // namespace quorbel
