#include "res/strings.h"

#include <array>
#include <utility>

#include "framework/command_ids.h"

namespace quorbel {

namespace {

constexpr std::pair<int, std::string_view> kPrompts[] = {
    {ID_FILE_NEW, "Create a new wave file\nNew"},
    {ID_FILE_OPEN, "Open an existing wave file\nOpen"},
    {ID_FILE_CLOSE, "Close the active wave file\nClose"},
    {ID_FILE_SAVE, "Save the active wave file\nSave"},
    {ID_FILE_SAVE_AS, "Save the active wave file with a new name\nSave As"},
    {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
    {ID_FILE_PROPERTIES, "Query file properties"},
    {ID_EDIT_UNDO, "Undo the last action\nUndo"},
    {ID_EDIT_REDO, "Redo the last undone action\nRedo"},
    {ID_EDIT_CUT, "Cut the selection and put it into a buffer\nCut"},
    {ID_EDIT_COPY, "Copy the selection and put it into a buffer\nCopy"},
    {ID_EDIT_PASTE, "Insert buffer contents\nPaste"},
    {ID_EDIT_SELECT_RANGE, "Select an exact stretch of the sound by its times\nSelect Range"},
    {ID_EDIT_CLEAR, "Remove the selection without putting it into the buffer\nDelete"},
    {ID_EDIT_SELECT_ALL, "Select the whole sound\nSelect All"},
    {ID_EDIT_TRIM, "Keep only the selection\nTrim to Selection"},
    {ID_EDIT_SILENCE, "Make the selection silent\nSilence Selection"},
    {ID_EDIT_INSERT_SILENCE,
     "Insert silence of a given length at the selection's start\nInsert Silence"},
    {ID_ZOOM_TO_SELECTION, "Show the selection across the whole vectorscope\nZoom to Selection"},
    {ID_ZOOM_OUT, "Show the whole sound in the vectorscope\nZoom Out"},
    {ID_RECORD_INSERT, "Insert recorded data into existing wave file"},
    {ID_RECORD_OVERWRITE, "Over-write existing waveaudio file"},
    {ID_FILTER_HIGHPASS, "Apply high pass filter"},
    {ID_FILTER_LOWPASS, "Apply low pass filter"},
    {ID_OCTAVE_INCREASE, "Increase octave (increases pitch)"},
    {ID_OCTAVE_DECREASE, "Decrease octave (decreases pitch)"},
    {ID_EFFECTS_REVERSE, "Reverse the wave form"},
    {ID_EFFECTS_AMPLIFY, "Make the selection louder or softer by a gain in dB\nAmplify"},
    {ID_EFFECTS_NORMALIZE, "Bring the selection's peak to a level in dBFS\nNormalize"},
    {ID_EFFECTS_FADE_IN, "Fade the selection in from silence\nFade In"},
    {ID_EFFECTS_FADE_OUT, "Fade the selection out to silence\nFade Out"},
    {ID_MAGNIFY_100, "View wave form as normal size"},
    {ID_MAGNIFY_200, "View wave form as double size"},
    {ID_MAGNIFY_300, "View wave form as triple size"},
    {ID_SKIN_NORMAL, "Plain blue skin"},
    {ID_SKIN_EMBOSSED, "Embossed skin"},
    {ID_SKIN_GREY, "50% Grey skin"},
    {ID_SKIN_NIGHTSHADE, "NightShade skin"},
    {ID_SLIDER_WAVE, "Display wave form as wave type"},
    {ID_SLIDER_CLUSTERED, "Display wave form as clustered type"},
    {ID_SLIDER_NONE, "Do not display the wave form"},
    {ID_SCOPE_WAVE, "Display wave form as wave type"},
    {ID_SCOPE_CLUSTERED, "Display wave form as clustered type"},
    {ID_SCOPE_NONE, "Hide the waveform"},
    {ID_SCOPE_PEAKS, "Display the wave form as its peaks"},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
    {ID_HELP_HOWTOUSE, "Display program help\nHelp"},
    {ID_WINDOW_NEW, "Open another window for the active document\nNew Window"},
    {ID_WINDOW_CASCADE, "Arrange windows so they overlap\nCascade Windows"},
    {ID_WINDOW_TILE_HORZ, "Arrange windows as non-overlapping tiles\nTile Windows"},
    {ID_WINDOW_ARRANGE, "Arrange icons at the bottom of the window\nArrange Icons"},
    // The framework's usual prompt of the About command.
    {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
};

}  // namespace

std::string DocTemplateStrings::fileDialogFilter() const {
    return filterName + "|*" + filterExt + "|";
}

DocTemplateStrings parseDocTemplate(std::string_view text) {
    std::array<std::string, 7> fields;
    std::size_t index = 0;
    std::size_t start = 0;
    while (index < fields.size()) {
        const std::size_t end = text.find('\n', start);
        fields[index++] = std::string(text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]};
}

const DocTemplateStrings& waveDocTemplate() {
    static const DocTemplateStrings kStrings = parseDocTemplate(kWaveTypeTemplate);
    return kStrings;
}

std::string_view commandPromptString(int id) {
    for (const auto& [command, text] : kPrompts) {
        if (command == id) return text;
    }
    return {};
}

std::string_view commandStatusPrompt(int id) {
    const std::string_view text = commandPromptString(id);
    return text.substr(0, text.find('\n'));
}

}  // namespace quorbel
