#pragma once

// The Select Range dialog: Start and End as typed times, filled with the current selection.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace quorbel {

// Shows the dialog over `parent`. `check` says why a pair of milliseconds is refused (empty
// when it is fine); a refused pair keeps the dialog open with the reason beside the field.
// The milliseconds chosen, or empty when cancelled.
std::optional<std::pair<std::uint32_t, std::uint32_t>> runSelectRangeDialog(
    QWidget* parent, std::uint32_t startMs, std::uint32_t endMs,
    const std::function<std::string(std::uint32_t, std::uint32_t)>& check);

// While set, the dialog is not shown: `answer` fills its fields and presses OK or Cancel
// (null text), and the texts shown beside the fields go to `messages`. For scripts and tests.
struct SelectRangeAnswer {
    std::optional<std::pair<std::string, std::string>> texts;  // empty: Cancel
};
void setSelectRangeAnswerer(std::function<SelectRangeAnswer()> answer,
                            std::function<void(const std::string&)> messages);

}  // namespace quorbel
