#pragma once

// The Insert Silence dialog: one length, typed in the time forms of Select Range.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quorbel {

// Shows the dialog over `parent`. `check` says why a length in milliseconds is refused (empty
// when it is fine); a refused length keeps the dialog open with the reason beside the field.
// The milliseconds chosen, or empty when cancelled.
std::optional<std::uint32_t> runInsertSilenceDialog(
    QWidget* parent, const std::function<std::string(std::uint32_t)>& check);

// While set, the dialog is not shown: `answer` gives the text typed into its field, or empty
// for Cancel, and the text shown beside the field goes to `messages`. For scripts and tests.
void setInsertSilenceAnswerer(std::function<std::optional<std::string>()> answer,
                              std::function<void(const std::string&)> messages);

}  // namespace quorbel
