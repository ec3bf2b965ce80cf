#include "view/working_files.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace quorbel {

std::string TemporaryDirectory() {
    const char* dir = std::getenv("TMPDIR");
    std::string path = (dir != nullptr && *dir != '\0') ? dir : "/tmp";
    if (path.back() != '/') path += '/';
    return path;
}

bool CreateWorkingFile(const std::string& prefix, std::string& path, std::string& error) {
    std::string pattern = TemporaryDirectory() + prefix.substr(0, 3) + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        error =
            "Cannot create a working file in " + TemporaryDirectory() + ": " + std::strerror(errno);
        return false;
    }
    close(fd);
    path = name.data();
    return true;
}

}  // namespace quorbel
