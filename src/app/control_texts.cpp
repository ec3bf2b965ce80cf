#include "app/control_texts.h"

#include <cstdio>

#include "framework/command_ids.h"

namespace quorbel {

namespace {

ControlText withToolTip(std::string name, std::string description) {
    std::string tip = name + ": " + description;
    return {std::move(name), std::move(description), std::move(tip)};
}

}  // namespace

ControlText pictureButtonText(int id) {
    switch (id) {
        case ID_BUTTON_TOSTART:
            return withToolTip("Go to start", "moves the play position to the start of the sound");
        case ID_BUTTON_TOEND:
            return withToolTip("Go to end", "moves the play position to the end of the sound");
        case ID_BUTTON_PLAY:
            return withToolTip("Play", "plays the sound from the play position");
        case ID_BUTTON_STOP:
            return withToolTip("Stop", "stops playing or recording");
        case ID_BUTTON_RECORD:
            return withToolTip("Record",
                               "records from the audio input at the play position, inserting "
                               "or over-writing as Edit, Recording Mode says");
        default:
            return {};
    }
}

ControlText positionSliderText() {
    return withToolTip("Play position",
                       "where in the sound playing starts; the strip above shows the sound there");
}

std::string soundViewName() {
    return "Sound view";
}

std::string soundViewDescription(const std::string& title, int bitsPerSample, int channels,
                                 std::uint32_t samplesPerSec, std::uint64_t dataBytes,
                                 int blockAlign, bool floatSamples) {
    if (channels <= 0 || samplesPerSec == 0 || blockAlign <= 0)
        return title + ": a new, empty sound; nothing recorded yet";
    const double seconds =
        static_cast<double>(dataBytes / static_cast<std::uint32_t>(blockAlign)) / samplesPerSec;
    const char* layout = channels == 1 ? " (mono)" : channels == 2 ? " (stereo)" : "";
    char text[160];
    std::snprintf(text, sizeof text, "%d%s, %d channel%s%s, %u Hz, %.2f seconds", bitsPerSample,
                  floatSamples ? "-bit float" : " bits", channels, channels == 1 ? "" : "s", layout,
                  static_cast<unsigned>(samplesPerSec), seconds);
    return title + ": " + text;
}

}  // namespace quorbel
