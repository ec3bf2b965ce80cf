#include "wavefile/session_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "wavefile/temp_files.h"

namespace quorbel {
namespace {

constexpr const char* kLockName = "lock";
constexpr const char* kDocumentPrefix = "doc-";

// A folder this user made for itself: a real folder (not a link), owned by us, that nobody
// else may enter.
bool OwnPrivateFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

// A real folder (not a link) owned by this user, whatever its mode: a document folder inside
// our own private session folder, which nobody else can have made.
bool OwnFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// Makes each missing folder of `path` (absolute, ending in '/') with mode 0700; whether the
// last one is now a private folder of ours.
bool MakePrivateFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return OwnPrivateFolder(path);
}

std::string StateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return std::string(state) + "/quorbel/";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/state/quorbel/";
    return {};
}

std::vector<std::string> EntriesStartingWith(const std::string& folder, std::string_view prefix) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.substr(0, prefix.size()) == prefix && name.size() > prefix.size())
            names.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Takes the lock of a session folder; an invalid descriptor when a running program holds it
// or the folder has no lock file of ours.
UniqueFd TakeLock(const std::string& folder) {
    UniqueFd fd(::open((folder + kLockName).c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) return {};
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) return {};
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return {};
    return fd;
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
}

int UniqueFd::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

std::string SessionParent() {
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir != nullptr && tmpdir[0] != '\0') return TempDirectory();
    const std::string state = StateFolder();
    return !state.empty() && MakePrivateFolders(state) ? state : TempDirectory();
}

std::vector<std::string> SessionParents() {
    std::vector<std::string> parents;
    const std::string state = StateFolder();
    if (!state.empty()) parents.push_back(state);
    if (TempDirectory() != state) parents.push_back(TempDirectory());
    return parents;
}

Expected<std::unique_ptr<SessionFolder>> SessionFolder::Create(const std::string& parent) {
    std::string pattern = parent + "quorbel-new-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        return WaveFailure(WaveFault::TempFileNotCreated, parent, errno);
    const std::string made = pattern + "/";
    UniqueFd lock(::open((made + kLockName).c_str(),
                         O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (lock.get() < 0 || ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        RemoveFolder(made);
        return WaveFailure(WaveFault::TempFileNotCreated, made, err);
    }
    // Locked: now it may carry the name other starts look for.
    const std::string path =
        parent + kSessionFolderPrefix + pattern.substr(pattern.size() - 6) + "/";
    if (::rename(pattern.c_str(), path.substr(0, path.size() - 1).c_str()) != 0) {
        const int err = errno;
        RemoveFolder(made);
        return WaveFailure(WaveFault::TempFileNotCreated, parent, err);
    }
    return std::unique_ptr<SessionFolder>(new SessionFolder(parent, path, std::move(lock)));
}

Expected<std::string> SessionFolder::NewDocumentFolder() {
    const std::string folder = path_ + kDocumentPrefix + std::to_string(nextDocument_++) + "/";
    if (::mkdir(folder.c_str(), 0700) == 0) return folder;
    const int err = errno;
    // The session folder was removed under us: EnsureFolder makes it again, locked.
    if (err == ENOENT && EnsureFolder(folder)) return folder;
    return WaveFailure(WaveFault::TempFileNotCreated, path_, err);
}

void SessionFolder::Remove() {
    RemoveFolder(path_);
}

bool EnsureFolder(const std::string& folder) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::string trimmed = folder.substr(0, folder.size() - 1);
    const std::string parent = trimmed.substr(0, trimmed.rfind('/') + 1);
    if (::lstat(parent.c_str(), &st) != 0) {
        if (::mkdir(parent.c_str(), 0700) != 0) return false;
        // The session folder is new: lock it again, so that other starts still see a running
        // program's folder. The lock is held until the program ends, as the first one was.
        const int lock =
            ::open((parent + kLockName).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (lock >= 0) ::flock(lock, LOCK_EX | LOCK_NB);
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

void RemoveFolder(const std::string& folder) {
    // remove_all removes a symbolic link itself and never descends through one. Files another
    // thread removes meanwhile (large ones go in the background) can stop one pass short.
    for (int pass = 0; pass < 3; ++pass) {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
        if (!ec) return;
    }
}

std::vector<LeftSession> FindLeftSessions(const std::string& parent, const std::string& own) {
    std::vector<LeftSession> sessions;
    for (const std::string& name : EntriesStartingWith(parent, kSessionFolderPrefix)) {
        const std::string path = parent + name + "/";
        if (path == own || !OwnPrivateFolder(path)) continue;
        UniqueFd lock = TakeLock(path);
        if (lock.get() < 0) continue;
        LeftSession session{path, std::move(lock), {}};
        for (const std::string& doc : EntriesStartingWith(path, kDocumentPrefix)) {
            const std::string folder = path + doc + "/";
            if (!OwnFolder(folder)) continue;
            session.documents.push_back({folder, ReadDocumentNote(folder)});
        }
        sessions.push_back(std::move(session));
    }
    return sessions;
}

Expected<std::string> SetAsideFolder(const std::string& folder) {
    // ".../quorbel-session-ABC123/doc-2/" goes to ".../quorbel-kept-ABC123-doc-2/".
    const std::string trimmed = folder.substr(0, folder.size() - 1);
    const std::size_t docSlash = trimmed.rfind('/');
    const std::size_t sessionSlash = trimmed.rfind('/', docSlash - 1);
    const std::string session = trimmed.substr(sessionSlash + 1, docSlash - sessionSlash - 1);
    const std::string suffix =
        session.substr(std::min(session.size(), std::string_view(kSessionFolderPrefix).size()));
    const std::string stem = trimmed.substr(0, sessionSlash + 1) + kKeptFolderPrefix + suffix +
                             "-" + trimmed.substr(docSlash + 1);
    int err = 0;
    for (int n = 1; n < 100; ++n) {
        const std::string target = n == 1 ? stem : stem + "-" + std::to_string(n);
        // A folder of that name with something in it refuses the move: the next name is tried.
        if (::rename(trimmed.c_str(), target.c_str()) == 0) return target + "/";
        err = errno;
        if (err != EEXIST && err != ENOTEMPTY) break;
    }
    return WaveFailure(WaveFault::FileUnwritable, folder, err);
}

}  // namespace quorbel
