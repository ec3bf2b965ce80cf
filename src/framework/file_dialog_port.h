#pragma once

#include <optional>
#include <string>

namespace quorbel {

// The system's file dialogs. `filter` uses the "Description|*.ext|" form of the resources.
// An empty optional means the user cancelled.
class FileDialogPort {
  public:
    virtual ~FileDialogPort() = default;
    virtual std::optional<std::string> openFile(const std::string& filter) = 0;
    virtual std::optional<std::string> saveFile(const std::string& filter,
                                                const std::string& suggestedName) = 0;
};

}  // namespace quorbel
