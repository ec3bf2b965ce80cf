#pragma once

// The automation script language: one command a line, parsed into ScriptLine records. The
// parser knows nothing of windows; the Qt shell's script runner carries the lines out.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorbel {

enum class ScriptVerb {
    New,
    Open,
    Save,
    SaveAs,
    Close,
    Activate,
    Command,
    Start,
    Finish,
    Button,
    Slider,
    LButton,
    Move,
    RButton,
    Menu,
    Wait,
    Answer,
    Print,
    Grab,
    Select,
    Key,
    Focus,
    Quit,
};

enum class ScriptPrint {
    Status,
    Title,
    State,
    Enabled,
    Checked,
    Clip,
    Selection,
    Progress,
    Recent,
    History
};

// What an `answer` line queues: a button of a message box, or a path for a file dialog.
enum class ScriptAnswer { Yes, No, Cancel, Ok, Path };

struct ScriptLine {
    int number = 0;  // 1-based line number in the script
    ScriptVerb verb = ScriptVerb::Quit;
    std::string path;         // open, saveas, grab, answer PATH; key SEQUENCE; focus TARGET
    std::string commandText;  // the command as written (name or number), for printing
    int commandId = 0;        // command, print enabled/checked
    int x = 0;                // activate N, button N, slider POS, wait MS, mouse X
    int y = 0;                // mouse Y
    unsigned keyFlags = 0;    // move FLAGS as MK_* bits
    ScriptPrint print = ScriptPrint::Status;
    ScriptAnswer answer = ScriptAnswer::Ok;
};

// Splits a line into words separated by blanks; a word may be enclosed in double quotes to
// hold blanks. `quoted[i]` tells whether word i was quoted. Returns an error text for an
// unterminated quote or a quote glued to other text.
struct ScriptWords {
    std::vector<std::string> words;
    std::vector<bool> quoted;
    std::string error;
};
ScriptWords splitScriptWords(std::string_view text);

// Parses one line. An empty optional with an empty error means the line is blank or a
// comment; a non-empty error says why the line cannot run.
struct ScriptParse {
    std::optional<ScriptLine> line;
    std::string error;
};
ScriptParse parseScriptLine(std::string_view text, int number);

// Parses a whole script. On the first bad line, `error` says why, `errorLine` names it and `lines`
// holds the lines before it.
struct ScriptProgram {
    std::vector<ScriptLine> lines;
    std::string error;
    int errorLine = 0;
};
ScriptProgram parseScript(std::string_view text);

// Parses mouse key flags: "left", "none", "right", "shift", "ctrl" joined with '+'.
std::optional<unsigned> parseScriptKeyFlags(std::string_view text);

}  // namespace quorbel
