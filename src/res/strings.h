#pragma once

#include <string>
#include <string_view>

namespace quorbel {

// The main frame's title string (resource 128).
inline constexpr std::string_view kMainFrameTitle = "Quorbel";

// Document template string 129: seven fields separated by "\n".
inline constexpr std::string_view kWaveTypeTemplate =
    "\nWave\nWave File\nWave Files (*.wav)\n.wav\nWave.Document\nWave Document";

struct DocTemplateStrings {
    std::string windowTitle;  // empty: the document has no window title of its own
    std::string docName;      // base of new documents' titles: Wave1, Wave2, ...
    std::string fileNewName;
    std::string filterName;  // "Wave Files (*.wav)"
    std::string filterExt;   // ".wav"
    std::string regFileTypeId;
    std::string regFileTypeName;

    // The filter in the "Description|*.ext|" form file dialogs take.
    std::string fileDialogFilter() const;
};

// Splits a template string into its fields; missing trailing fields stay empty.
DocTemplateStrings parseDocTemplate(std::string_view text);
const DocTemplateStrings& waveDocTemplate();

// The string-table prompt of command `id` ("prompt\nshort name" or just the prompt), or an
// empty view when the command has none.
std::string_view commandPromptString(int id);
// The part shown in the status line while the command's menu item is highlighted.
std::string_view commandStatusPrompt(int id);

}  // namespace quorbel
