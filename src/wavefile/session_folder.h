#pragma once

// The folder a running program keeps its documents' working files in, one folder a document
// with a note describing it, so that nothing unsaved is lost when the program dies: the next
// start finds the folders of programs that are gone and offers their sounds back.
//
//   PARENT/quorbel-session-XXXXXX/lock      flock()ed while the program runs
//   PARENT/quorbel-session-XXXXXX/doc-N/    one document's working files and its note
//
// PARENT is $TMPDIR when it is set, else the user's state folder (SessionParent): /tmp is often
// kept in memory, where working files would take memory and a power cut would take them.
//
// The lock tells a running program's folder from a dead one's: the system releases it however
// the program ends. A folder is made under another name and renamed once locked, so no other
// start ever sees a session folder that is not yet locked.

#include <memory>
#include <string>
#include <vector>

#include "wavefile/document_note.h"
#include "wavefile/expected.h"

namespace quorbel {

// An open file descriptor, closed when it goes.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    ~UniqueFd();
    int get() const { return fd_; }
    int release();

  private:
    int fd_ = -1;
};

inline constexpr const char* kSessionFolderPrefix = "quorbel-session-";
// What recovery could not read is moved to a folder of this name beside the session folders,
// where no start looks again.
inline constexpr const char* kKeptFolderPrefix = "quorbel-kept-";

// Where a new session folder goes (ending in '/'): $TMPDIR when set and not empty; else
// $XDG_STATE_HOME/quorbel/ (an absolute XDG_STATE_HOME only; by default
// ~/.local/state/quorbel/), made 0700 when missing; the system temporary folder when that
// cannot be had.
std::string SessionParent();
// Every folder where a start looks for the sessions of programs that are gone: the state
// folder and the system temporary folder ($TMPDIR, else /tmp), each once.
std::vector<std::string> SessionParents();

class SessionFolder {
  public:
    // Makes and locks a new session folder in `parent` (ending in '/').
    static Expected<std::unique_ptr<SessionFolder>> Create(const std::string& parent);

    // The folder, ending in '/'.
    const std::string& path() const { return path_; }
    // A new, empty document folder inside (ending in '/'). Made again when someone removed
    // the session folder while the program ran.
    Expected<std::string> NewDocumentFolder();
    // Removes the whole folder: the program ends with nothing left to recover.
    void Remove();

  private:
    SessionFolder(std::string parent, std::string path, UniqueFd lock)
        : parent_(std::move(parent)), path_(std::move(path)), lock_(std::move(lock)) {}

    std::string parent_;
    std::string path_;
    UniqueFd lock_;
    unsigned nextDocument_ = 1;
};

// Makes `folder` (ending in '/') again, and the session folder it lies in, when they are gone:
// another program may have cleared the temporary folder while this one ran. False when it
// cannot.
bool EnsureFolder(const std::string& folder);

// Removes a folder and all in it, never following a symbolic link out of it.
void RemoveFolder(const std::string& folder);

// A document folder of a program that is gone, with the note it left (none when the note is
// missing or damaged).
struct LeftDocument {
    std::string folder;  // ending in '/'
    std::optional<DocumentNote> note;
    // A later start already took this document up (see DocumentNote::recoveredFrom): the
    // whole folder, or these files of it, are not offered again.
    bool superseded = false;
    std::vector<std::string> takenFiles{};
};

// The session folder of a program that is gone, locked by this one while it decides.
struct LeftSession {
    std::string path;  // ending in '/'
    UniqueFd lock;
    std::vector<LeftDocument> documents;
};

// The session folders in `parent` that belong to this user and whose program is gone (their
// lock is free, and is taken now), except `own`. A folder of a running program, another user's,
// a symbolic link or anything not made like ours is left alone.
std::vector<LeftSession> FindLeftSessions(const std::string& parent, const std::string& own);

// Moves a document folder of a left session out of it, to a folder beside the session folders
// that no start looks in (kKeptFolderPrefix): its new path, ending in '/'.
Expected<std::string> SetAsideFolder(const std::string& folder);

}  // namespace quorbel
