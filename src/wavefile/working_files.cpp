#include "wavefile/working_files.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "wavefile/session_folder.h"
#include "wavefile/temp_files.h"

namespace quorbel {
namespace {

// Compares files by identity, whatever path (link, relative, ..) names them.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

}  // namespace

Expected<std::string> WorkingFiles::Create(std::string_view prefix) {
    Expected<std::string> file =
        NewTempFileName(m_folder.empty() ? TempDirectory() : m_folder, prefix);
    // Someone cleared the temporary folder while the program ran: make the folder again.
    if (!file && !m_folder.empty() && file.error().err == ENOENT && EnsureFolder(m_folder))
        file = NewTempFileName(m_folder, prefix);
    if (file) m_files.push_back(*file);
    return file;
}

std::uint64_t WorkingFiles::FreeBytes() const {
    struct statvfs disk {};
    const std::string folder = m_folder.empty() ? TempDirectory() : m_folder;
    if (::statvfs(folder.c_str(), &disk) != 0 || disk.f_blocks == 0) return UINT64_MAX;
    return std::uint64_t{disk.f_bavail} * disk.f_frsize;
}

void WorkingFiles::Discard(const std::string& path) {
    const auto it = std::find(m_files.begin(), m_files.end(), path);
    if (it == m_files.end()) return;
    ::unlink(path.c_str());
    m_files.erase(it);
}

void WorkingFiles::Keep(const std::string& path) {
    std::erase_if(m_files, [&path](const std::string& file) { return SameFile(file, path); });
}

bool WorkingFiles::Owns(const std::string& path) const {
    return std::find(m_files.begin(), m_files.end(), path) != m_files.end();
}

void WorkingFiles::KeepOnly(const std::string& keep1, const std::string& keep2) {
    std::erase_if(m_files, [&](const std::string& file) {
        if (file == keep1 || file == keep2) return false;
        ::unlink(file.c_str());
        return true;
    });
}

void WorkingFiles::RemoveAll() {
    for (const std::string& file : m_files) ::unlink(file.c_str());
    m_files.clear();
}

}  // namespace quorbel
