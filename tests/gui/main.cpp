#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

// Runs the GUI tests on Qt's offscreen platform unless a platform was chosen, with the null
// audio backend, a private runtime folder so that Qt does not complain about it, and a
// private configuration folder.
int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QUORBEL_AUDIO", "null", 1);
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        const std::string dir = QDir::tempPath().toStdString() + "/quorbel-gui-runtime";
        QDir().mkpath(QString::fromStdString(dir));
        QFile::setPermissions(QString::fromStdString(dir),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    // No test, nor any program a test starts, reads or writes the user's own settings.
    const QTemporaryDir config;
    if (!config.isValid()) return 2;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    // Nor the sessions a crashed program of theirs left in their state folder.
    setenv("XDG_STATE_HOME", config.filePath("state").toLocal8Bit().constData(), 1);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
