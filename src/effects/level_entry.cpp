#include "effects/level_entry.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace quorbel {
namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0)
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0)
        text.remove_suffix(1);
    return text;
}

TypedTenths Refused(std::string text) {
    return {0, std::move(text)};
}

}  // namespace

TypedTenths ParseTenths(std::string_view typed, const TenthsRange& range) {
    const std::string_view text = Trimmed(typed);
    std::size_t at = 0;
    const bool negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    // Whole decibels, held at a million once past it: out of every range, and no overflow.
    long whole = 0;
    const std::size_t digitsFrom = at;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        whole = std::min(whole * 10 + (text[at] - '0'), 1'000'000L);
    }
    bool hasDigits = at > digitsFrom;
    int tenth = 0;
    if (at < text.size() && text[at] == ',') {
        return Refused("Use a point for the decimals, not a comma: 1.5, not 1,5.");
    }
    if (at < text.size() && text[at] == '.') {
        ++at;
        const std::size_t decimalsFrom = at;
        for (; at < text.size() && IsDigit(text[at]); ++at) {
            if (at == decimalsFrom) {
                tenth = text[at] - '0';
            } else if (text[at] != '0') {
                return Refused("Levels go in steps of 0.1 dB: type at most one decimal.");
            }
        }
        hasDigits = hasDigits || at > decimalsFrom;
    }
    if (!hasDigits || at != text.size()) {
        return Refused("Not a number: type decibels with a point for the decimals, such as " +
                       FormatTenths(range.min / 2) + ".");
    }
    const long tenths = (negative ? -1 : 1) * (whole * 10 + tenth);
    if (tenths < range.min || tenths > range.max) {
        return Refused(std::string(range.what) + " goes from " +
                       FormatTenths(range.min, range.max > 0) + " to " +
                       FormatTenths(range.max, range.max > 0) + " " + range.unit + ".");
    }
    return {static_cast<int>(tenths), {}};
}

std::string FormatTenths(int tenths, bool plus) {
    const int magnitude = std::abs(tenths);
    std::string text = tenths < 0 ? "-" : (plus && tenths > 0 ? "+" : "");
    return text + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
}

double GainFactor(int tenths) {
    return std::pow(10.0, (tenths / 10.0) / 20.0);
}

int LargestGainWithoutClipping(const SampleCensus& census) {
    const double peak = census.Peak();
    if (peak == 0) return kGainRange.max;
    // Just above the gain that brings the peak to the level where it clips (full scale and a
    // half for integers, which rounds down; 1.0 for float), then down a tenth at a time to the
    // first that clips nothing.
    const double limit = 200.0 * std::log10(census.ClipLevel() / peak);
    int tenths = std::min(kGainRange.max, static_cast<int>(std::floor(limit)) + 1);
    while (tenths > kGainRange.min && census.Clipped(GainFactor(tenths)) > 0) --tenths;
    return tenths;
}

std::string ClipText(int tenths, std::uint64_t clipped, int largestTenths) {
    return "A gain of " + FormatTenths(tenths) + " dB clips " + std::to_string(clipped) +
           (clipped == 1 ? " sample" : " samples") + "; at most " + FormatTenths(largestTenths) +
           " dB fits.";
}

}  // namespace quorbel
