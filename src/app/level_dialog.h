#pragma once

// The dialog of Amplify and Normalize: one level field, a check box, and the reason beside
// the field when the level typed is refused.

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "framework/view_window.h"

namespace quorbel {

// Shows the dialog over `parent`; a refused answer keeps it open with `check`'s reason beside
// the field. The answer taken, or empty when cancelled.
std::optional<LevelAnswer> runLevelDialog(QWidget* parent, const LevelQuestion& question,
                                          const ViewWindow::LevelCheck& check);

// While set, the dialog is not shown: `answer` gives the text typed and presses OK (or Cancel
// when empty); the text may end with the question's option word ("6.0 clip") to turn the
// check box on. What the dialog would say beside the field goes to `messages`, and the dialog
// is then cancelled. For scripts and tests.
void setLevelAnswerer(std::function<std::optional<std::string>(const LevelQuestion&)> answer,
                      std::function<void(const std::string&)> messages);

}  // namespace quorbel
