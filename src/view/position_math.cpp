#include "view/position_math.h"

#include <algorithm>

namespace quorbel {

std::uint32_t UnitsPerMs(std::uint32_t sliderMax, std::uint32_t lengthMs) {
    return lengthMs == 0 ? 0 : sliderMax / lengthMs;
}

std::uint32_t SliderFromMs(std::uint32_t ms, std::uint32_t sliderMax, std::uint32_t lengthMs) {
    if (lengthMs == 0) return 0;
    const std::uint32_t u = UnitsPerMs(sliderMax, lengthMs);
    const std::uint64_t slider =
        u != 0 ? std::uint64_t{ms} * u : std::uint64_t{ms} * sliderMax / lengthMs;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(slider, sliderMax));
}

std::uint32_t MsFromSlider(std::uint32_t slider, std::uint32_t sliderMax, std::uint32_t lengthMs) {
    if (sliderMax == 0) return 0;
    const std::uint32_t u = UnitsPerMs(sliderMax, lengthMs);
    const std::uint64_t ms = u != 0 ? slider / u : std::uint64_t{slider} * lengthMs / sliderMax;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(ms, lengthMs));
}

std::string FormatSeconds(std::uint32_t ms) {
    const std::uint32_t hundredths = (ms % 1000) / 10;
    std::string text = std::to_string(ms / 1000);
    text += hundredths >= 10 ? "." : ".0";
    text += std::to_string(hundredths);
    return text;
}

std::string FormatStatusText(std::uint32_t lengthMs, std::uint32_t positionMs) {
    return "Total playing time: " + FormatSeconds(lengthMs) + " s " +
           " / Current file position: " + FormatSeconds(positionMs) + " s ";
}

}  // namespace quorbel
