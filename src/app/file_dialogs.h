#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/file_dialog_port.h"

class QWidget;

namespace quorbel {

// Answers file dialogs without a modal loop: each request is recorded ("open" or "save", the
// filter) and answered from the queue (an empty queue cancels). Tests install one.
struct FileDialogScript {
    struct Request {
        bool save = false;
        std::string filter;
        std::string suggestedName;
    };
    std::deque<std::optional<std::string>> answers;
    std::vector<Request> requests;
    // When set, answers every request instead of the queue (the automation script's answers).
    std::function<std::optional<std::string>(const Request&)> answer;
};

void setFileDialogScript(FileDialogScript* script);

// Turns a "Description|*.ext|..." filter into Qt's "Description (*.ext);;..." form.
QStringList qtFileFilters(const std::string& filter);

// The file-dialog port over QFileDialog, owned by the window `owner` returns.
class QtFileDialogs final : public FileDialogPort {
  public:
    explicit QtFileDialogs(std::function<QWidget*()> owner = {}) : owner_(std::move(owner)) {}
    std::optional<std::string> openFile(const std::string& filter) override;
    std::optional<std::string> saveFile(const std::string& filter,
                                        const std::string& suggestedName) override;

  private:
    std::function<QWidget*()> owner_;
};

}  // namespace quorbel
