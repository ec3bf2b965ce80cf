#pragma once

// Times of a selection as people read and type them: "1:02.345", "1:00:02.345" or plain
// seconds "62.345", always in whole milliseconds.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorbel {

// "m:ss.mmm", or "h:mm:ss.mmm" from one hour on.
std::string FormatSelectionTime(std::uint32_t ms);

// "Selection 0:01.250 – 0:02.500 (1.250 s)".
std::string SelectionText(std::uint32_t startMs, std::uint32_t endMs);

// The milliseconds of a typed time: "m:ss.mmm", "h:mm:ss.mmm" or seconds ("12.5", "12"), with
// at most three decimals; minutes and seconds after a colon below 60. Empty when the text is
// not such a time.
std::optional<std::uint32_t> ParseSelectionTime(std::string_view text);

}  // namespace quorbel
