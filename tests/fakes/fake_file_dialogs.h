#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "framework/file_dialog_port.h"

namespace quorbel::testing {

// Answers file dialogs from queues (an empty optional is Cancel; an empty queue cancels) and
// records the filters and suggested names it was asked with.
class FakeFileDialogs : public FileDialogPort {
  public:
    std::optional<std::string> openFile(const std::string& filter) override {
        openFilters.push_back(filter);
        return next(openAnswers);
    }
    std::optional<std::string> saveFile(const std::string& filter,
                                        const std::string& suggestedName) override {
        saveFilters.push_back(filter);
        saveSuggestions.push_back(suggestedName);
        return next(saveAnswers);
    }

    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::vector<std::string> openFilters;
    std::vector<std::string> saveFilters;
    std::vector<std::string> saveSuggestions;

  private:
    static std::optional<std::string> next(std::deque<std::optional<std::string>>& q) {
        if (q.empty()) return std::nullopt;
        auto a = q.front();
        q.pop_front();
        return a;
    }
};

}  // namespace quorbel::testing
