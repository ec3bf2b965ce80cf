#include "view/selection_time.h"

#include <cstdio>
#include <vector>

namespace quorbel {
namespace {

// Digits only, and not too many for the arithmetic below.
std::optional<std::uint64_t> Number(std::string_view digits) {
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    std::uint64_t n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n;
}

}  // namespace

std::string FormatSelectionTime(std::uint32_t ms) {
    const std::uint32_t seconds = ms / 1000, minutes = seconds / 60, hours = minutes / 60;
    char text[32];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%u:%02u:%02u.%03u", hours, minutes % 60, seconds % 60,
                      ms % 1000);
    } else {
        std::snprintf(text, sizeof text, "%u:%02u.%03u", minutes, seconds % 60, ms % 1000);
    }
    return text;
}

std::string SelectionText(std::uint32_t startMs, std::uint32_t endMs) {
    const std::uint32_t span = endMs > startMs ? endMs - startMs : 0;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%u.%03u s", span / 1000, span % 1000);
    return "Selection " + FormatSelectionTime(startMs) + " \u2013 " + FormatSelectionTime(endMs) +
           " (" + seconds + ")";
}

std::optional<std::uint32_t> ParseSelectionTime(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    // The fraction of a second, to whole milliseconds.
    std::uint64_t fraction = 0;
    if (const auto dot = text.find('.'); dot != std::string_view::npos) {
        const std::string_view decimals = text.substr(dot + 1);
        if (decimals.empty() || decimals.size() > 3) return std::nullopt;
        const auto n = Number(decimals);
        if (!n) return std::nullopt;
        fraction = *n;
        for (std::size_t i = decimals.size(); i < 3; ++i) fraction *= 10;
        text = text.substr(0, dot);
    }
    std::vector<std::uint64_t> fields;
    for (std::size_t colon; (colon = text.find(':')) != std::string_view::npos;) {
        const auto n = Number(text.substr(0, colon));
        if (!n) return std::nullopt;
        fields.push_back(*n);
        text.remove_prefix(colon + 1);
    }
    const auto last = Number(text);
    if (!last || fields.size() > 2) return std::nullopt;
    fields.push_back(*last);
    // Minutes and seconds after a colon are below 60.
    std::uint64_t seconds = fields[0];
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (fields[i] >= 60) return std::nullopt;
        seconds = seconds * 60 + fields[i];
    }
    const std::uint64_t ms = seconds * 1000 + fraction;
    if (ms > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(ms);
}

}  // namespace quorbel
