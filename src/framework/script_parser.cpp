#include "framework/script_parser.h"

#include <charconv>
#include <limits>

#include "framework/command_ids.h"
#include "framework/window_messages.h"

namespace quorbel {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// A decimal integer in [minimum, maximum], nothing else.
std::optional<int> parseInt(std::string_view text, long long minimum, long long maximum) {
    long long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < minimum || value > maximum) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

struct VerbSpec {
    std::string_view name;
    ScriptVerb verb;
    std::size_t minArgs;
    std::size_t maxArgs;
    std::string_view usage;
};

constexpr VerbSpec kVerbs[] = {
    {"new", ScriptVerb::New, 0, 0, "new"},
    {"open", ScriptVerb::Open, 1, 1, "open PATH"},
    {"save", ScriptVerb::Save, 0, 0, "save"},
    {"saveas", ScriptVerb::SaveAs, 1, 1, "saveas PATH"},
    {"close", ScriptVerb::Close, 0, 0, "close"},
    {"activate", ScriptVerb::Activate, 1, 1, "activate N"},
    {"command", ScriptVerb::Command, 1, 1, "command ID"},
    {"start", ScriptVerb::Start, 1, 1, "start ID"},
    {"finish", ScriptVerb::Finish, 0, 0, "finish"},
    {"button", ScriptVerb::Button, 1, 1,
     "button N (1 play, 2 stop, 3 to start, 4 to end, 5 record)"},
    {"slider", ScriptVerb::Slider, 1, 1, "slider POS"},
    {"lbutton", ScriptVerb::LButton, 2, 2, "lbutton X Y"},
    {"move", ScriptVerb::Move, 2, 3, "move X Y [FLAGS]"},
    {"rbutton", ScriptVerb::RButton, 2, 2, "rbutton X Y"},
    {"menu", ScriptVerb::Menu, 0, 0, "menu"},
    {"wait", ScriptVerb::Wait, 1, 1, "wait MS"},
    {"answer", ScriptVerb::Answer, 1, 1, "answer yes|no|cancel|ok|PATH"},
    {"print", ScriptVerb::Print, 1, 2,
     "print status|title|state|clip|selection|progress|recent|history, print enabled ID, "
     "print checked ID"},
    {"select", ScriptVerb::Select, 2, 2, "select START END (milliseconds)"},
    {"key", ScriptVerb::Key, 1, 1, "key SEQUENCE (Left, Shift+Right, Ctrl+E, Tab...)"},
    {"focus", ScriptVerb::Focus, 1, 2, "focus view|slider|button N"},
    {"grab", ScriptVerb::Grab, 1, 1, "grab PATH"},
    {"quit", ScriptVerb::Quit, 0, 0, "quit"},
};

// Coordinates stay well inside int; a script has no business far outside the window.
constexpr int kCoordinateLimit = 100000;
// One day: longer waits are almost certainly typing mistakes.
constexpr int kWaitLimitMs = 24 * 60 * 60 * 1000;

std::string quote(std::string_view word) {
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on "\"" + std::string(...).
    std::string quoted;
    quoted.reserve(word.size() + 2);
    quoted += '"';
    quoted.append(word);
    quoted += '"';
    return quoted;
}

}  // namespace

ScriptWords splitScriptWords(std::string_view text) {
    ScriptWords out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (isBlank(text[i])) {
            ++i;
            continue;
        }
        if (text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos) {
                out.error = "unterminated quote";
                return out;
            }
            if (close + 1 < text.size() && !isBlank(text[close + 1])) {
                out.error = "a blank must follow a closing quote";
                return out;
            }
            out.words.emplace_back(text.substr(i + 1, close - i - 1));
            out.quoted.push_back(true);
            i = close + 1;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !isBlank(text[end])) {
            if (text[end] == '"') {
                out.error = "a quote may only start a word";
                return out;
            }
            ++end;
        }
        out.words.emplace_back(text.substr(i, end - i));
        out.quoted.push_back(false);
        i = end;
    }
    return out;
}

std::optional<unsigned> parseScriptKeyFlags(std::string_view text) {
    if (text == "none") return 0u;
    if (text.empty()) return std::nullopt;
    unsigned flags = 0;
    while (!text.empty()) {
        const std::size_t plus = text.find('+');
        const std::string_view part = text.substr(0, plus);
        unsigned bit = 0;
        if (part == "left") {
            bit = MK_LBUTTON;
        } else if (part == "right") {
            bit = MK_RBUTTON;
        } else if (part == "shift") {
            bit = MK_SHIFT;
        } else if (part == "ctrl" || part == "control") {
            bit = MK_CONTROL;
        } else {
            return std::nullopt;
        }
        if ((flags & bit) != 0) return std::nullopt;
        flags |= bit;
        if (plus == std::string_view::npos) break;
        text.remove_prefix(plus + 1);
        if (text.empty()) return std::nullopt;  // a trailing '+'
    }
    return flags;
}

ScriptParse parseScriptLine(std::string_view text, int number) {
    ScriptParse result;
    std::size_t first = 0;
    while (first < text.size() && isBlank(text[first])) ++first;
    if (first == text.size() || text[first] == '#') return result;

    ScriptWords split = splitScriptWords(text);
    if (!split.error.empty()) {
        result.error = split.error;
        return result;
    }
    const std::vector<std::string>& w = split.words;
    const VerbSpec* spec = nullptr;
    for (const VerbSpec& candidate : kVerbs) {
        if (!split.quoted[0] && w[0] == candidate.name) spec = &candidate;
    }
    if (spec == nullptr) {
        result.error = "unknown command " + quote(w[0]);
        return result;
    }
    const std::size_t args = w.size() - 1;
    if (args < spec->minArgs || args > spec->maxArgs) {
        result.error = "usage: " + std::string(spec->usage);
        return result;
    }

    ScriptLine line;
    line.number = number;
    line.verb = spec->verb;
    auto fail = [&](std::string why) {
        result.error = std::move(why);
        return result;
    };
    auto integerArg = [&](std::size_t index, long long minimum, long long maximum,
                          const char* what) -> std::optional<int> {
        std::optional<int> value = parseInt(w[index], minimum, maximum);
        if (!value) {
            result.error = std::string(what) + " must be a whole number from " +
                           std::to_string(minimum) + " to " + std::to_string(maximum) + ", not " +
                           quote(w[index]);
        }
        return value;
    };
    auto commandId = [&](std::size_t index) -> bool {
        std::optional<int> id = commandIdFromName(w[index]);
        if (!id) {
            result.error = "unknown command id " + quote(w[index]);
            return false;
        }
        line.commandId = *id;
        line.commandText = w[index];
        return true;
    };

    switch (spec->verb) {
        case ScriptVerb::Open:
        case ScriptVerb::SaveAs:
        case ScriptVerb::Grab:
            if (w[1].empty()) return fail("the path is empty");
            line.path = w[1];
            break;
        case ScriptVerb::Activate: {
            std::optional<int> n = integerArg(1, 1, std::numeric_limits<int>::max(), "N");
            if (!n) return result;
            line.x = *n;
            break;
        }
        case ScriptVerb::Command:
        case ScriptVerb::Start:
            if (!commandId(1)) return result;
            break;
        case ScriptVerb::Button: {
            std::optional<int> n = integerArg(1, 1, 5, "the button number");
            if (!n) return result;
            line.x = *n;
            break;
        }
        case ScriptVerb::Slider: {
            std::optional<int> n =
                integerArg(1, 0, std::numeric_limits<int>::max(), "the slider position");
            if (!n) return result;
            line.x = *n;
            break;
        }
        case ScriptVerb::LButton:
        case ScriptVerb::Move:
        case ScriptVerb::RButton: {
            std::optional<int> x = integerArg(1, -kCoordinateLimit, kCoordinateLimit, "X");
            if (!x) return result;
            std::optional<int> y = integerArg(2, -kCoordinateLimit, kCoordinateLimit, "Y");
            if (!y) return result;
            line.x = *x;
            line.y = *y;
            if (spec->verb == ScriptVerb::Move) {
                line.keyFlags = MK_LBUTTON;
                if (args == 3) {
                    std::optional<unsigned> flags = parseScriptKeyFlags(w[3]);
                    if (!flags) {
                        return fail("unknown mouse flags " + quote(w[3]) +
                                    " (use none, left, right, shift, ctrl joined with +)");
                    }
                    line.keyFlags = *flags;
                }
            }
            break;
        }
        case ScriptVerb::Select: {
            std::optional<int> start = integerArg(1, 0, std::numeric_limits<int>::max(), "START");
            if (!start) return result;
            std::optional<int> end = integerArg(2, 0, std::numeric_limits<int>::max(), "END");
            if (!end) return result;
            line.x = *start;
            line.y = *end;
            break;
        }
        case ScriptVerb::Key:
            if (w[1].empty()) return fail("the key is empty");
            line.path = w[1];
            break;
        case ScriptVerb::Focus: {
            const std::string& target = w[1];
            if (target == "button") {
                if (args != 2) return fail("usage: " + std::string(spec->usage));
                std::optional<int> n = integerArg(2, 1, 5, "the button number");
                if (!n) return result;
                line.x = *n;
            } else if ((target != "view" && target != "slider") || args != 1) {
                return fail("usage: " + std::string(spec->usage));
            }
            line.path = target;
            break;
        }
        case ScriptVerb::Wait: {
            std::optional<int> ms = integerArg(1, 0, kWaitLimitMs, "MS");
            if (!ms) return result;
            line.x = *ms;
            break;
        }
        case ScriptVerb::Answer: {
            const std::string& a = w[1];
            if (!split.quoted[1] && a == "yes") {
                line.answer = ScriptAnswer::Yes;
            } else if (!split.quoted[1] && a == "no") {
                line.answer = ScriptAnswer::No;
            } else if (!split.quoted[1] && a == "cancel") {
                line.answer = ScriptAnswer::Cancel;
            } else if (!split.quoted[1] && a == "ok") {
                line.answer = ScriptAnswer::Ok;
            } else if (a.empty()) {
                return fail("the path is empty");
            } else {
                line.answer = ScriptAnswer::Path;
                line.path = a;
            }
            break;
        }
        case ScriptVerb::Print: {
            const std::string& what = w[1];
            const bool takesId = what == "enabled" || what == "checked";
            if (takesId != (args == 2)) {
                return fail("usage: " + std::string(spec->usage));
            }
            if (what == "status") {
                line.print = ScriptPrint::Status;
            } else if (what == "title") {
                line.print = ScriptPrint::Title;
            } else if (what == "state") {
                line.print = ScriptPrint::State;
            } else if (what == "clip") {
                line.print = ScriptPrint::Clip;
            } else if (what == "selection") {
                line.print = ScriptPrint::Selection;
            } else if (what == "progress") {
                line.print = ScriptPrint::Progress;
            } else if (what == "recent") {
                line.print = ScriptPrint::Recent;
            } else if (what == "history") {
                line.print = ScriptPrint::History;
            } else if (what == "enabled" || what == "checked") {
                line.print = what == "enabled" ? ScriptPrint::Enabled : ScriptPrint::Checked;
                if (!commandId(2)) return result;
            } else {
                return fail("usage: " + std::string(spec->usage));
            }
            break;
        }
        default:
            break;
    }
    result.line = std::move(line);
    return result;
}

ScriptProgram parseScript(std::string_view text) {
    ScriptProgram program;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        ScriptParse parsed = parseScriptLine(line, number);
        if (!parsed.error.empty()) {
            program.error = parsed.error;
            program.errorLine = number;
            return program;
        }
        if (parsed.line) program.lines.push_back(std::move(*parsed.line));
    }
    return program;
}

}  // namespace quorbel
