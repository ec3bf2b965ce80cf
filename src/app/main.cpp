#include <QApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/quorbel_app.h"
#include "app/script/script_option.h"
#include "app/script/script_runner.h"

namespace {

const char* const kUsage =
    "Usage: quorbel [FILE.wav]\n"
    "Records, plays and edits PCM wave files (8 or 16 bits, mono or stereo).\n"
    "With FILE, opens that file; without, starts with a new empty sound.\n"
    "\n"
    "  --script FILE  run the commands in FILE (- reads standard input), then exit;\n"
    "                 the README describes the script language\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "QUORBEL_AUDIO=null runs without a sound card (silent playback, silent recording).\n";

}  // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Quorbel %s\n", QUORBEL_VERSION);
            return 0;
        }
    }
    // A file-size limit (ulimit -f) must fail the write with EFBIG, which the save reports and
    // survives, instead of killing the program with the recording still unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorbel"));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    std::unique_ptr<quorbel::ScriptRunner> script;  // outlives the app: boxes never block
    if (!quorbel::prepareScript(arguments, script)) return 1;
    quorbel::CQuorbelApp app;
    if (!app.InitInstance(arguments)) return 1;
    if (script != nullptr && !script->start(app)) return 1;
    return QApplication::exec();
}
