#include "app/command_line.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace quorbel {

namespace {

constexpr const char* kUsage =
    "Usage: quorbel [OPTION]... [FILE.wav]...\n"
    "Records, plays and edits PCM wave files (8 or 16 bits, mono or stereo).\n"
    "Each FILE opens in its own window, in the order given; without FILE the program\n"
    "starts with a new empty sound.\n"
    "\n"
    "  --script FILE         run the commands in FILE (- reads standard input), then exit;\n"
    "                        the script language is described in man quorbel and in\n"
    "                        @README@\n"
    "  --list-devices        list the audio output and input devices and exit\n"
    "  --output-device NAME  play on the output device NAME (a name --list-devices shows)\n"
    "  --input-device NAME   record from the input device NAME\n"
    "  --no-recover          do not offer the unsaved sounds of a session that did not end\n"
    "                        normally (they are kept for a later start)\n"
    "  --no-settings         neither read nor write the list of recent files kept in\n"
    "                        the configuration folder ($XDG_CONFIG_HOME, else ~/.config)\n"
    "  --help                show this text and exit\n"
    "  --version             show the version and exit\n"
    "\n"
    "Environment:\n"
    "  QUORBEL_AUDIO=null          run without a sound card (silent playback, silent "
    "recording)\n"
    "  QUORBEL_OUTPUT_DEVICE=NAME  like --output-device (the option wins)\n"
    "  QUORBEL_INPUT_DEVICE=NAME   like --input-device (the option wins)\n";

// The README installed beside the program (PREFIX/bin/quorbel has PREFIX/share/doc/quorbel),
// or the one of the sources when the program runs from its build folder.
std::string readmeLocation() {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        const fs::path readme =
            program.parent_path().parent_path() / "share" / "doc" / "quorbel" / "README.md";
        if (fs::is_regular_file(readme, error)) return readme.string();
    }
    return "the README.md of the sources";
}

// Options whose next argument is their value.
bool takesValue(std::string_view argument) {
    return argument == "--script" || argument == "--output-device" || argument == "--input-device";
}

bool isSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

}  // namespace

std::string usageText() {
    std::string text = kUsage;
    const std::string placeholder = "@README@";
    text.replace(text.find(placeholder), placeholder.size(), readmeLocation());
    return text;
}

EarlyRequest findEarlyRequest(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") break;
        if (argument == "--help" || argument == "-h") return EarlyRequest::Help;
        if (argument == "--version") return EarlyRequest::Version;
        if (argument == "--list-devices") return EarlyRequest::ListDevices;
        if (takesValue(argument)) ++i;
    }
    return EarlyRequest::None;
}

bool checkOwnOptions(int argc, char** argv, std::string& error) {
    std::vector<std::string> own;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") break;
        if (argument == "--script") {
            ++i;  // its file, which prepareScript checks
            continue;
        }
        if (argument.starts_with("--script=")) continue;
        if (argument.starts_with("--")) {
            own.emplace_back(argument);
            const bool valueFollows = takesValue(argument);
            if (valueFollows && i + 1 < argc) own.emplace_back(argv[++i]);
        }
    }
    CommandLine ignored;
    return parseCommandLine(own, ignored, error);
}

std::vector<std::string> argumentsOf(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

void chooseOffscreenForHeadlessScript(int argc, char** argv) {
    bool script = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") break;
        if (argument == "-platform" || argument == "--platform") return;  // chosen by hand
        if (argument == "--script" || argument.starts_with("--script=")) script = true;
        if (takesValue(argument)) ++i;
    }
    if (!script || isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

bool parseCommandLine(const std::vector<std::string>& arguments, CommandLine& out,
                      std::string& error) {
    out = CommandLine{};
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !argument.starts_with('-') || argument == "-") {
            out.files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--no-recover") {
            out.noRecover = true;
            continue;
        }
        if (argument == "--no-settings") {
            out.noSettings = true;
            continue;
        }
        std::string* target = nullptr;
        std::string name = argument;
        std::string value;
        bool inlineValue = false;
        if (const std::size_t eq = argument.find('='); eq != std::string::npos && eq > 0) {
            name = argument.substr(0, eq);
            value = argument.substr(eq + 1);
            inlineValue = true;
        }
        if (name == "--output-device") target = &out.outputDevice;
        if (name == "--input-device") target = &out.inputDevice;
        if (target == nullptr) {
            error = "quorbel: unknown option " + argument + " (quorbel --help lists them)";
            return false;
        }
        if (!inlineValue && i + 1 < arguments.size()) value = arguments[++i];
        if (value.empty()) {
            error = "quorbel: " + name + " needs a device name (quorbel --list-devices lists them)";
            return false;
        }
        *target = value;
    }
    return true;
}

}  // namespace quorbel
