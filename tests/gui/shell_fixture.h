#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/child_frame.h"
#include "app/file_dialogs.h"
#include "app/main_frame.h"
#include "app/message_boxes.h"
#include "app/quorbel_app.h"

namespace quorbel::test {

// Writes a small valid PCM WAVE file: `frames` frames of a 16-bit stereo ramp at 22050 Hz.
std::string writeTestWave(const QTemporaryDir& dir, const std::string& name, int frames = 2205);
// Writes `bytes` (a whole file) into `dir`; returns its path, or "" when the write fails.
std::string writeFileBytes(const QTemporaryDir& dir, const std::string& name,
                           const std::vector<std::uint8_t>& bytes);
// Writes a wave file of A-law samples, a compressed format the program does not open.
std::string writeALawWave(const QTemporaryDir& dir, const std::string& name);
// Writes bytes that are no wave file at all.
std::string writeJunkFile(const QTemporaryDir& dir, const std::string& name);

// Runs `inspect` on the modal dialog that `open` shows, then closes that dialog, so a test
// never blocks on it. Returns false when no modal dialog appeared.
bool withModalDialog(const std::function<void()>& open,
                     const std::function<void(QWidget*)>& inspect);

// Labels of a menu's visible actions ("-" for separators).
std::vector<std::string> actionLabels(const QWidget* menuOrBar);
QAction* findAction(const QWidget* menuOrBar, const std::string& label);

// A started application whose message boxes and file dialogs are answered from scripts.
class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program with `arguments`; returns InitInstance's result.
    bool start(const QStringList& arguments = {});
    bool start(const std::vector<std::string>& files);  // the paths as bytes
    CMainFrame& frame() const { return *app->mainFrame(); }
    std::vector<CChildFrame*> documents() const { return app->documentFrames(); }
    // Gives the main window the keyboard so accelerators reach it.
    void activateMainWindow();

    QTemporaryDir dir;
    BoxScript boxes;
    FileDialogScript fileDialogs;
    std::unique_ptr<CQuorbelApp> app;
};

}  // namespace quorbel::test
