#pragma once

// The program's command line: what is answered before a window system is needed (help,
// version, the device list), how a script finds a platform without a display, and the
// options and files left for the start-up.

#include <string>
#include <vector>

namespace quorbel {

// The text of --help, naming where the installed README is.
std::string usageText();

// What the command line asks for that needs no window system.
enum class EarlyRequest { None, Help, Version, ListDevices };

// Looks through argv (before Qt takes its own options) for --help, -h, --version and
// --list-devices; the first one found wins. Nothing after "--" counts, and the value of
// --script, --output-device or --input-device is never taken for an option.
EarlyRequest findEarlyRequest(int argc, char** argv);

// Checks the program's own options in argv before Qt starts (so that a mistake is reported
// even where Qt could not start for want of a display): false with `error` set on an unknown
// "--" option or one without its value. Single-dash arguments are Qt's and left to it.
bool checkOwnOptions(int argc, char** argv, std::string& error);

// A script needs no screen: when argv asks for --script and neither QT_QPA_PLATFORM, -platform
// nor a display (DISPLAY, WAYLAND_DISPLAY) chooses one, selects Qt's offscreen platform, which
// would otherwise abort the program. Call before the QApplication is made.
void chooseOffscreenForHeadlessScript(int argc, char** argv);

// The arguments Qt left in argv after the program's name, as the bytes they are: a file name
// need not be UTF-8 (QCoreApplication::arguments() would decode it into another name).
std::vector<std::string> argumentsOf(int argc, char** argv);

// The start-up's part of the command line, after Qt and --script took theirs.
struct CommandLine {
    std::vector<std::string> files;  // to open, each in its own window, in this order
    std::string outputDevice;        // --output-device; empty when not given
    std::string inputDevice;         // --input-device
    bool noRecover = false;   // --no-recover: no offer of an earlier session's unsaved sounds
    bool noSettings = false;  // --no-settings: the user's list of recent files is left alone
};

// Splits `arguments` into options and files. "--" ends the options. False with `error` set
// (a line for standard error) on an unknown option or one that lacks its value.
bool parseCommandLine(const std::vector<std::string>& arguments, CommandLine& out,
                      std::string& error);

}  // namespace quorbel
