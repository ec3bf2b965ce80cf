// The program's entry: answers the text-only options, then starts the Qt application with
// the script, the audio devices and the files of the command line.
#include <QApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/app_identity.h"
#include "app/audio_backend_factory.h"
#include "app/command_line.h"
#include "app/exit_signals.h"
#include "app/quorbel_app.h"
#include "app/recent_files_store.h"
#include "app/script/script_option.h"
#include "app/script/script_runner.h"

int main(int argc, char* argv[]) {
    switch (quorbel::findEarlyRequest(argc, argv)) {
        case quorbel::EarlyRequest::Help:
            std::fputs(quorbel::usageText().c_str(), stdout);
            return 0;
        case quorbel::EarlyRequest::Version:
            std::printf("Quorbel %s\n", QUORBEL_VERSION);
            return 0;
        case quorbel::EarlyRequest::ListDevices:
            return quorbel::listAudioDevices(stdout);
        case quorbel::EarlyRequest::None:
            break;
    }
    std::string error;
    if (!quorbel::checkOwnOptions(argc, argv, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    quorbel::chooseOffscreenForHeadlessScript(argc, argv);
    // A file-size limit (ulimit -f) must fail the write with EFBIG, which the save reports and
    // survives, instead of killing the program with the recording still unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    quorbel::setApplicationIdentity();
    // Qt has taken its own options out of argv; what is left are bytes, file names among them.
    std::vector<std::string> arguments = quorbel::argumentsOf(argc, argv);
    std::unique_ptr<quorbel::ScriptRunner> script;  // outlives the app: boxes never block
    if (!quorbel::prepareScript(arguments, script)) return 1;
    quorbel::CommandLine commandLine;
    if (!quorbel::parseCommandLine(arguments, commandLine, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    quorbel::CQuorbelApp app;
    app.setAudioDevices(
        quorbel::audioDeviceChoice(commandLine.outputDevice, commandLine.inputDevice));
    app.setRecentFilesStore(quorbel::RecentFilesStore(
        commandLine.noSettings ? QString() : quorbel::RecentFilesStore::userFileName()));
    if (!app.InitInstance(commandLine.files)) return 1;
    const quorbel::ExitSignals exitSignals([&app](int signal) { app.EndBySignal(signal); });
    if (script != nullptr && !script->start(app)) return 1;
    // Once the event loop runs, after the files of the command line opened; a script that
    // begins with "answer" lines has queued them by now, so they answer the question.
    if (!commandLine.noRecover) QTimer::singleShot(0, &app, [&app] { app.OfferRecovery(); });
    return QApplication::exec();
}
