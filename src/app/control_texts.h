#pragma once

// What a screen reader says and a tooltip shows for the view's controls: the five picture
// buttons, the position slider and the view itself.

#include <cstdint>
#include <string>

namespace quorbel {

struct ControlText {
    std::string name;         // short: what the control is
    std::string description;  // what it does
    std::string toolTip;
};

// The texts of picture button `id` (ID_BUTTON_PLAY ...); empty for another id.
ControlText pictureButtonText(int id);
ControlText positionSliderText();

// The view's name, and its description of the sound loaded: title, bits, channels, rate and
// length, e.g. "take1.wav: 16 bits, 2 channels (stereo), 44100 Hz, 12.50 seconds"; float
// samples read "32-bit float".
std::string soundViewName();
std::string soundViewDescription(const std::string& title, int bitsPerSample, int channels,
                                 std::uint32_t samplesPerSec, std::uint64_t dataBytes,
                                 int blockAlign, bool floatSamples = false);

}  // namespace quorbel
