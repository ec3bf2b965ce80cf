#include "framework/recent_file_list.h"

#include <algorithm>

#include "framework/command_ids.h"

namespace quorbel {

namespace {

constexpr std::size_t kMaxPathBytes = 4096;  // PATH_MAX on Linux, the terminating zero included

static_assert(ID_FILE_MRU_FILE8 - ID_FILE_MRU_FILE1 + 1 == RecentFileList::kMaxEntries,
              "one command per entry, numbered in order");

}  // namespace

bool isRecentFilePath(std::string_view path) {
    if (path.size() < 2 || path.size() >= kMaxPathBytes) return false;
    if (path.front() != '/' || path.back() == '/') return false;
    const bool control = std::any_of(path.begin(), path.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
    return !control;
}

RecentFileList::RecentFileList(const std::vector<std::string>& stored) {
    for (const std::string& path : stored) {
        if (paths_.size() == kMaxEntries) break;
        if (!isRecentFilePath(path)) continue;
        if (std::find(paths_.begin(), paths_.end(), path) != paths_.end()) continue;
        paths_.push_back(path);
    }
}

bool RecentFileList::add(const std::string& path) {
    if (!isRecentFilePath(path)) return false;
    remove(path);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > kMaxEntries) paths_.resize(kMaxEntries);
    return true;
}

bool RecentFileList::remove(const std::string& path) {
    const auto it = std::find(paths_.begin(), paths_.end(), path);
    if (it == paths_.end()) return false;
    paths_.erase(it);
    return true;
}

std::string recentFileMenuLabel(std::size_t index, std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on "&" + std::to_string(...).
    std::string label = "&";
    label += std::to_string(index + 1);
    label += ' ';
    for (char c : name) {
        if (c == '&') label += '&';
        label += c;
    }
    return label;
}

std::optional<std::size_t> recentFileIndex(int commandId) {
    if (commandId < ID_FILE_MRU_FILE1 || commandId > ID_FILE_MRU_FILE8) return std::nullopt;
    return static_cast<std::size_t>(commandId - ID_FILE_MRU_FILE1);
}

}  // namespace quorbel
