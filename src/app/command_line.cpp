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

bool checkOwnOptions(int argc, char** argv, QString& error) {
    QStringList own;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") break;
        if (argument == "--script") {
            ++i;  // its file, which prepareScript checks
            continue;
        }
        if (argument.starts_with("--script=")) continue;
        if (argument.starts_with("--")) {
            own.append(QString::fromLocal8Bit(argv[i]));
            const bool valueFollows = takesValue(argument);
            if (valueFollows && i + 1 < argc) own.append(QString::fromLocal8Bit(argv[++i]));
        }
    }
    CommandLine ignored;
    return parseCommandLine(own, ignored, error);
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

bool parseCommandLine(const QStringList& arguments, CommandLine& out, QString& error) {
    out = CommandLine{};
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == "-") {
            out.files.append(argument);
            continue;
        }
        if (argument == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QStringLiteral("--no-recover")) {
            out.noRecover = true;
            continue;
        }
        if (argument == QStringLiteral("--no-settings")) {
            out.noSettings = true;
            continue;
        }
        QString* target = nullptr;
        QString name = argument;
        QString value;
        bool inlineValue = false;
        if (const qsizetype eq = argument.indexOf(QLatin1Char('=')); eq > 0) {
            name = argument.left(eq);
            value = argument.mid(eq + 1);
            inlineValue = true;
        }
        if (name == QStringLiteral("--output-device")) target = &out.outputDevice;
        if (name == QStringLiteral("--input-device")) target = &out.inputDevice;
        if (target == nullptr) {
            error = QStringLiteral("quorbel: unknown option %1 (quorbel --help lists them)")
                        .arg(argument);
            return false;
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral(
                            "quorbel: %1 needs a device name (quorbel --list-devices "
                            "lists them)")
                            .arg(name);
                return false;
            }
            value = arguments[++i];
        }
        if (value.isEmpty()) {
            error = QStringLiteral(
                        "quorbel: %1 needs a device name (quorbel --list-devices "
                        "lists them)")
                        .arg(name);
            return false;
        }
        *target = value;
    }
    return true;
}

}  // namespace quorbel
