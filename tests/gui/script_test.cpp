#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "fakes/wav_builder.h"
#include "shell_fixture.h"

namespace quorbel::test {
namespace {

struct ScriptRun {
    int exitCode = -1;
    std::vector<std::string> lines;  // standard output, line by line
    std::string errors;              // standard error

    bool has(const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // The lines that start with `prefix`, in order.
    std::vector<std::string> starting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& line : lines) {
            if (line.rfind(prefix, 0) == 0) out.push_back(line);
        }
        return out;
    }
};

// Runs the real program offscreen with the null audio backend on `script`, passed as a
// file or on standard input, with `arguments` after it.
ScriptRun runScript(const QTemporaryDir& dir, const std::string& script,
                    const QStringList& arguments = {}, bool viaStdin = false) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QUORBEL_AUDIO", "null");
    env.insert("TMPDIR", dir.path());
    process.setProcessEnvironment(env);
    QStringList args;
    if (viaStdin) {
        args << "--script"
             << "-";
    } else {
        const QString path = dir.filePath("script.txt");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return {};
        file.write(script.data(), static_cast<qint64>(script.size()));
        file.close();
        args << "--script" << path;
    }
    process.start(QStringLiteral(QUORBEL_BINARY), args + arguments);
    if (viaStdin) {
        process.write(script.data(), static_cast<qint64>(script.size()));
        process.closeWriteChannel();
    }
    ScriptRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        run.lines.push_back(line.toStdString());
    }
    run.errors = QString::fromUtf8(process.readAllStandardError()).toStdString();
    return run;
}

// The key=value pairs of a "state:" line.
std::map<std::string, std::string> stateOf(const std::string& line) {
    std::map<std::string, std::string> fields;
    const QStringList words = QString::fromStdString(line).split(' ', Qt::SkipEmptyParts);
    for (const QString& word : words.mid(1)) {
        const qsizetype eq = word.indexOf('=');
        if (eq > 0) fields[word.left(eq).toStdString()] = word.mid(eq + 1).toStdString();
    }
    return fields;
}

std::map<std::string, std::string> lastState(const ScriptRun& run) {
    const std::vector<std::string> states = run.starting("state:");
    return states.empty() ? std::map<std::string, std::string>{} : stateOf(states.back());
}

class ScriptTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString wave(const std::string& name, int frames = 2205) {
        return QString::fromStdString(writeTestWave(dir, name, frames));
    }
    std::string path(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }
    QTemporaryDir dir;
};

TEST_F(ScriptTest, PlayRunsToTheEndAndLeavesTheViewAtTheStart) {
    // One second of sound: playing is still under way after 100 ms.
    const ScriptRun run = runScript(dir,
                                    "print state\n"
                                    "button 1\n"
                                    "wait 100\n"
                                    "print state\n"
                                    "wait 2500\n"
                                    "print state\n"
                                    "print status\n"
                                    "quit\n",
                                    {wave("one-second.wav", 22050)});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::vector<std::string> states = run.starting("state:");
    ASSERT_EQ(states.size(), 3u);
    const auto before = stateOf(states[0]);
    EXPECT_EQ(before.at("state"), "0");
    EXPECT_EQ(before.at("length"), "1000");
    EXPECT_EQ(before.at("samplecount"), "44100");
    EXPECT_EQ(before.at("channels"), "2");
    EXPECT_EQ(before.at("bits"), "16");
    EXPECT_EQ(before.at("rate"), "22050");
    EXPECT_EQ(before.at("avgbytes"), "88200");
    EXPECT_EQ(before.at("blockalign"), "4");
    EXPECT_EQ(before.at("datalen"), "88200");
    EXPECT_EQ(before.at("modified"), "0");
    EXPECT_EQ(before.at("slidermax"), "44100");
    EXPECT_EQ(before.at("startx"), "10");
    EXPECT_EQ(before.at("endx"), "377");
    EXPECT_EQ(before.at("buttons"), "PstER");
    const auto playing = stateOf(states[1]);
    EXPECT_EQ(playing.at("state"), "2");
    EXPECT_EQ(playing.at("buttons")[1], 'S');  // Stop is what a playing view offers
    const auto ended = stateOf(states[2]);
    EXPECT_EQ(ended.at("state"), "7");
    EXPECT_EQ(ended.at("buttons"), "PstER");
    EXPECT_EQ(ended.at("sliderpos"), "0");
    ASSERT_EQ(run.starting("status:").size(), 1u);
    EXPECT_NE(run.starting("status:")[0].find("1.00"), std::string::npos);
}

TEST_F(ScriptTest, SliderDragMovesThePositionLikeAUser) {
    const ScriptRun run =
        runScript(dir, "slider 2205\nprint state\nslider 999999\nprint state\n", {wave("a.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::vector<std::string> states = run.starting("state:");
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(stateOf(states[0]).at("sliderpos"), "2205");
    // A drag cannot leave the slider's range.
    EXPECT_EQ(stateOf(states[1]).at("sliderpos"), "4410");
}

TEST_F(ScriptTest, RecordingIntoANewDocumentWithTheNullBackend) {
    const ScriptRun run = runScript(dir,
                                    "print state\n"
                                    "button 1\n"
                                    "button 5\n"
                                    "wait 300\n"
                                    "print state\n"
                                    "button 2\n"
                                    "wait 100\n"
                                    "print state\n"
                                    "print title\n"
                                    "answer no\n"
                                    "quit\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(run.has("disabled: button 1"));
    const std::vector<std::string> states = run.starting("state:");
    ASSERT_EQ(states.size(), 3u);
    EXPECT_EQ(stateOf(states[0]).at("buttons"), "psteR");
    EXPECT_EQ(stateOf(states[0]).at("length"), "0");
    const auto recording = stateOf(states[1]);
    EXPECT_EQ(recording.at("state"), "5");
    EXPECT_EQ(recording.at("buttons"), "pSter");
    const auto recorded = stateOf(states[2]);
    EXPECT_NE(recorded.at("state"), "5");
    EXPECT_GE(std::stoi(recorded.at("length")), 250);
    EXPECT_EQ(recorded.at("rate"), "44100");
    EXPECT_EQ(recorded.at("channels"), "2");
    EXPECT_EQ(recorded.at("bits"), "16");
    EXPECT_EQ(std::stoul(recorded.at("datalen")), 2 * std::stoul(recorded.at("samplecount")));
    EXPECT_EQ(recorded.at("modified"), "1");
    EXPECT_EQ(recorded.at("buttons"), "PstER");
    EXPECT_TRUE(run.has("title: Quorbel - Wave1"));
    // Quitting asks about the recording; the queued No discards it.
    EXPECT_TRUE(run.has("box: Quorbel|Save changes to Wave1?|warning"));
}

TEST_F(ScriptTest, EditAndEffectCommandsRunOnlyWhenEnabled) {
    // Each command either runs or says it is disabled, exactly as its menu item shows it.
    const std::vector<std::string> commands = {
        "ID_EDIT_COPY",       "ID_EDIT_CUT",        "ID_EDIT_PASTE",
        "ID_EDIT_UNDO",       "ID_FILTER_LOWPASS",  "ID_FILTER_HIGHPASS",
        "ID_OCTAVE_INCREASE", "ID_OCTAVE_DECREASE", "ID_EFFECTS_REVERSE"};
    std::string script = "lbutton 5 172\nmove 100 172\nmove 100 172 none\n";
    for (const std::string& id : commands) {
        // A box a command shows takes its default Ok.
        script += "print enabled " + id + "\ncommand " + id + "\n";
    }
    script += "print clip\nprint state\nanswer no\nquit\n";
    const ScriptRun run = runScript(dir, script, {wave("a.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    for (const std::string& id : commands) {
        const bool enabled = run.has("enabled: " + id + " 1");
        EXPECT_TRUE(enabled || run.has("enabled: " + id + " 0")) << id;
        EXPECT_NE(enabled, run.has("disabled: " + id)) << id;
    }
    ASSERT_EQ(run.starting("clip:").size(), 1u);
    // Until something was cut or copied the clipboard is empty.
    if (!run.has("enabled: ID_EDIT_COPY 1") && !run.has("enabled: ID_EDIT_CUT 1")) {
        EXPECT_TRUE(run.has("clip: 0 0 0"));
    }
    // A command number works as its name does.
    const ScriptRun byNumber =
        runScript(dir, "print enabled 32784\ncommand 32784\n", {wave("b.wav")});
    EXPECT_TRUE(byNumber.has("enabled: 32784 1"));
    ASSERT_EQ(byNumber.starting("box: File Properties|Audio Stream Information\\n").size(), 1u);
}

TEST_F(ScriptTest, AnswersFillTheLevelDialogsAndARefusedLevelPrintsItsReason) {
    const ScriptRun run = runScript(
        dir,
        "answer \"60.0\"\ncommand ID_EFFECTS_AMPLIFY\nanswer \"6.0 loud\"\n"
        "command ID_EFFECTS_AMPLIFY\nprint history\nanswer \"-1.0 each\"\n"
        "command ID_EFFECTS_NORMALIZE\nprint status\nanswer \"6.0 clip\"\n"
        "command ID_EFFECTS_AMPLIFY\nprint status\ncommand ID_EFFECTS_FADE_OUT\nprint status\n"
        "command ID_EDIT_UNDO\nprint history\nanswer no\nquit\n",
        {wave("a.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.starting("dialog:"),
              (std::vector<std::string>{"dialog: Amplify", "dialog: Amplify", "dialog: Normalize",
                                        "dialog: Amplify"}));
    EXPECT_EQ(run.starting("field:"),
              (std::vector<std::string>{
                  "field: The gain goes from -48.0 to +48.0 dB.",
                  "field: Not understood: \"loud\"; only \"clip\" may follow the level."}));
    EXPECT_EQ(run.starting("status:"),
              (std::vector<std::string>{"status: Normalize operation complete!",
                                        "status: Amplify operation complete!",
                                        "status: Fade Out operation complete!"}));
    const std::vector<std::string> history = run.starting("history:");
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].rfind("history: 0 0", 0), 0u) << "the refused levels changed nothing";
    EXPECT_EQ(history[1].rfind("history: 2 1", 0), 0u) << history[1];
}

TEST_F(ScriptTest, StartGoesOnWhileTheOperationRunsAndFinishWaitsForIt) {
    // Long enough that the lines after `start` run before the operation ends.
    const ScriptRun run = runScript(dir,
                                    "start ID_EFFECTS_REVERSE\nprint enabled ID_EDIT_CUT\n"
                                    "print progress\nfinish\nprint progress\nprint status\n"
                                    "command ID_EFFECTS_REVERSE\nprint progress\nprint status\n"
                                    "answer no\nquit\n",
                                    {wave("long.wav", 16000000)});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(run.has("enabled: ID_EDIT_CUT 0")) << "the document's commands wait";
    const std::vector<std::string> progress = run.starting("progress:");
    ASSERT_EQ(progress.size(), 3u);
    EXPECT_EQ(progress[0].rfind("progress: Reverse ", 0), 0u) << progress[0];
    EXPECT_EQ(progress[1], "progress: none");
    EXPECT_EQ(progress[2], "progress: none") << "command waits for its operation";
    EXPECT_EQ(run.starting("status:"),
              (std::vector<std::string>(2, "status: Reverse operation complete!")));
}

TEST_F(ScriptTest, EscRightAfterTheStartCancelsBeforeTheProgressShows) {
    const ScriptRun run = runScript(dir,
                                    "start ID_EFFECTS_REVERSE\nkey Esc\nprint progress\n"
                                    "print status\nprint history\nquit\n",
                                    {wave("long.wav", 16000000)});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.starting("progress:"), std::vector<std::string>{"progress: none"});
    EXPECT_TRUE(run.has("status: Reverse operation cancelled."));
    EXPECT_TRUE(run.has("history: 0 0 0")) << "the sound is as it was";
}

TEST_F(ScriptTest, ClosingDuringAnOperationAsksBeforeCancellingIt) {
    const ScriptRun run = runScript(dir,
                                    "start ID_EFFECTS_REVERSE\nanswer no\nclose\nprint progress\n"
                                    "answer yes\nclose\nprint title\nquit\n",
                                    {wave("long.wav", 16000000)});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(
        run.starting("box:"),
        std::vector<std::string>(2, "box: Quorbel|Reverse is still running on " + path("long.wav") +
                                        ". Cancel it and close the window?|question"));
    EXPECT_EQ(run.starting("progress:").at(0).rfind("progress: Reverse ", 0), 0u);
    EXPECT_TRUE(run.has("title: Quorbel")) << "cancelled and closed, with nothing to save";
}

TEST_F(ScriptTest, EveryBoxKindIsPrintedAndAnswered) {
    QFile junk(dir.filePath("junk.wav"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a wave file");
    junk.close();
    const ScriptRun run = runScript(dir,
                                    "open " + path("junk.wav") +
                                        "\n"
                                        "open \"" +
                                        path("no such file.wav") +
                                        "\"\n"
                                        "command ID_FILE_PROPERTIES\n"
                                        "button 5\nwait 100\nbutton 2\n"
                                        "answer cancel\n"
                                        "close\n"
                                        "print title\n"
                                        "command ID_APP_ABOUT\n"
                                        "quit\n",
                                    {wave("a.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    // error: a file the device refuses; none: a file that cannot be read at all.
    const std::vector<std::string> errors = run.starting("box: Error|");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].substr(errors[0].rfind('|')), "|error");
    EXPECT_TRUE(run.has("box: Quorbel|Cannot open file " + path("no such file.wav") +
                        ": No such file or directory.|none"));
    // information, with its line breaks written as \n.
    const std::vector<std::string> info = run.starting("box: File Properties|");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_NE(info[0].find("\\nnChannels\t: 2\\n"), std::string::npos) << info[0];
    EXPECT_EQ(info[0].substr(info[0].rfind('|')), "|information");
    // The junk file's window was never made: a.wav's window holds the recording (the
    // record button of an opened file inserts), and Cancel kept it open.
    EXPECT_TRUE(run.has("box: Quorbel|Save changes to " + path("a.wav") + "?|warning"));
    EXPECT_TRUE(run.has("title: Quorbel - a.wav"));
    // A dialog that is not a box is closed from the queue too.
    EXPECT_TRUE(run.has("dialog: AboutDialog"));
    // quit's save prompt defaults to No: the file on disk is unchanged.
    EXPECT_EQ(QFile(dir.filePath("a.wav")).size(), 44 + 2205 * 4);
}

TEST_F(ScriptTest, AnswersDriveTheSavePromptAndTheFileDialog) {
    const std::string saved = path("saved.wav");
    const std::string other = path("other.wav");
    const ScriptRun run = runScript(dir,
                                    "button 5\nwait 200\nbutton 2\nwait 50\n"
                                    "print title\n"
                                    "answer yes\n"
                                    "answer cancel\n"
                                    "close\n"
                                    "print title\n"
                                    "answer yes\n"
                                    "answer " +
                                        saved +
                                        "\n"
                                        "close\n"
                                        "print title\n"
                                        "print enabled ID_FILE_SAVE\n"
                                        "save\n"
                                        "open " +
                                        saved +
                                        "\n"
                                        "print title\n"
                                        "saveas " +
                                        other +
                                        "\n"
                                        "print title\n"
                                        "print state\n"
                                        "quit\n",
                                    {}, /*viaStdin=*/true);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    // Yes, then Cancel in the Save As dialog: nothing saved, the window stays.
    const std::vector<std::string> dialogs = run.starting("dialog: ");
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0], "dialog: Save As|Wave1.wav");
    EXPECT_EQ(run.starting("title: ")[1], "title: Quorbel - Wave1");
    // Yes and a path: saved and closed.
    EXPECT_EQ(run.starting("title: ")[2], "title: Quorbel");
    EXPECT_TRUE(run.has("enabled: ID_FILE_SAVE 0"));
    EXPECT_TRUE(run.has("disabled: ID_FILE_SAVE"));
    EXPECT_EQ(run.starting("title: ")[3], "title: Quorbel - saved.wav");
    EXPECT_EQ(run.starting("title: ")[4], "title: Quorbel - other.wav");
    EXPECT_EQ(run.starting("box: ").size(), 2u);
    const auto state = lastState(run);
    EXPECT_EQ(state.at("rate"), "44100");
    EXPECT_GE(std::stoi(state.at("length")), 150);
    EXPECT_EQ(QFile(QString::fromStdString(saved)).size(),
              QFile(QString::fromStdString(other)).size());
    EXPECT_GT(QFile(QString::fromStdString(saved)).size(), 44);
}

TEST_F(ScriptTest, AnAnswerThatDoesNotFitStopsTheScript) {
    const ScriptRun run =
        runScript(dir, "answer " + path("x.wav") + "\ncommand ID_FILE_PROPERTIES\nprint title\n",
                  {wave("a.wav")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.starting("box: File Properties|").size(), 1u);
    EXPECT_TRUE(run.starting("title:").empty());
    EXPECT_NE(run.errors.find("script line 2: the answer \"" + path("x.wav") +
                              "\" does not fit the message box"),
              std::string::npos)
        << run.errors;
}

TEST_F(ScriptTest, ContextMenusGrabAndWindows) {
    const std::string picture = path("view.png");
    const ScriptRun run = runScript(dir,
                                    "rbutton 100 60\nmenu\n"
                                    "rbutton 100 300\nmenu\n"
                                    "rbutton 5 470\nmenu\n"
                                    "menu\n"
                                    "grab " +
                                        picture +
                                        "\n"
                                        "new\n"
                                        "print title\n"
                                        "activate 1\n"
                                        "print title\n"
                                        "activate 2\n"
                                        "print title\n"
                                        "command ID_SKIN_GREY\n"
                                        "print checked ID_SKIN_GREY\n"
                                        "print state\n",
                                    {wave("a.wav")});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.starting("menu: "),
              (std::vector<std::string>{"menu: 174", "menu: 175", "menu: 176", "menu: none"}));
    const QImage image(QString::fromStdString(picture));
    EXPECT_EQ(image.size(), QSize(388, 480));
    EXPECT_EQ(run.starting("title: "),
              (std::vector<std::string>{"title: Quorbel - Wave1", "title: Quorbel - a.wav",
                                        "title: Quorbel - Wave1"}));
    EXPECT_TRUE(run.has("checked: ID_SKIN_GREY 1"));
    EXPECT_EQ(lastState(run).at("skin"), "2");
    EXPECT_EQ(lastState(run).at("length"), "0");
}

TEST_F(ScriptTest, ABadLineIsReportedWithItsNumberAndStatusOne) {
    // A line that cannot be read stops the script before anything runs.
    const ScriptRun parse = runScript(dir, "print title\n\n# fine\nbutton 9\nquit\n");
    EXPECT_EQ(parse.exitCode, 1);
    EXPECT_TRUE(parse.lines.empty());
    EXPECT_NE(parse.errors.find("script line 4: the button number must be a whole number from 1 "
                                "to 5, not \"9\""),
              std::string::npos)
        << parse.errors;
    // A line that cannot run stops the script there.
    const ScriptRun runtime = runScript(dir, "print title\nactivate 3\nprint title\n");
    EXPECT_EQ(runtime.exitCode, 1);
    EXPECT_EQ(runtime.lines, (std::vector<std::string>{"title: Quorbel - Wave1"}));
    EXPECT_NE(runtime.errors.find("script line 2: there is no document window 3 (1 open)"),
              std::string::npos)
        << runtime.errors;
    // The option is in the help text.
    QProcess help;
    help.start(QStringLiteral(QUORBEL_BINARY), {"--help"});
    ASSERT_TRUE(help.waitForFinished(60000));
    EXPECT_TRUE(help.readAllStandardOutput().contains("--script FILE"));
    // A missing script file.
    QProcess process;
    process.start(QStringLiteral(QUORBEL_BINARY), {"--script", dir.filePath("none.txt")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("cannot read the script"));
}

}  // namespace
}  // namespace quorbel::test

namespace quorbel::test {
namespace {

TEST_F(ScriptTest, CutInOneFormatPasteIntoAnotherUndoPasteAgainAndSave) {
    // a.wav: 16-bit stereo, 1000 frames at 1000 Hz, left 16384 and right 0 throughout.
    testing::Bytes stereo;
    for (int i = 0; i < 1000; ++i) {
        testing::AppendLe(stereo, 16384, 2);
        testing::AppendLe(stereo, 0, 2);
    }
    writeFileBytes(dir, "a.wav", testing::SimpleWave(stereo, 2, 16, 1000));
    // b.wav: 8-bit mono, 100 frames of a ramp.
    const testing::Bytes ramp = testing::Ramp(100);
    writeFileBytes(dir, "b.wav", testing::SimpleWave(ramp, 1, 8, 1000));

    const ScriptRun run = runScript(dir, "open " + path("a.wav") +
                                             "\n"
                                             "lbutton 2 172\nmove 120 172\nmove 120 172 none\n"
                                             "lbutton 384 447\nmove 200 447\nmove 200 447 none\n"
                                             "command ID_EDIT_CUT\nprint clip\nprint state\n"
                                             "open " +
                                             path("b.wav") +
                                             "\n"
                                             "command ID_EDIT_PASTE\nprint clip\nprint state\n"
                                             "command ID_EDIT_UNDO\nprint state\n"
                                             "command ID_EDIT_PASTE\nprint status\n"
                                             "saveas " +
                                             path("out.wav") + "\nanswer no\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    // 299 ms to 558 ms: 259 frames of 4 bytes left a.wav for the clipboard.
    const std::vector<std::string> clips = run.starting("clip:");
    ASSERT_EQ(clips.size(), 2u);
    EXPECT_EQ(clips[0], "clip: 1036 2 16");
    EXPECT_EQ(clips[1], "clip: 1036 2 16") << "Paste converts a copy: the clipboard keeps the cut";
    const std::vector<std::string> states = run.starting("state:");
    ASSERT_EQ(states.size(), 3u);
    EXPECT_EQ(stateOf(states[0])["datalen"], "2964");
    EXPECT_EQ(stateOf(states[0])["length"], "741");
    EXPECT_EQ(stateOf(states[1])["datalen"], "359");
    EXPECT_EQ(stateOf(states[2])["datalen"], "100");
    EXPECT_TRUE(run.has("status: Paste operation complete!"));

    // Left 16384 is 192 and right 0 is 128 in 8 bits; mono averages them to 160.
    testing::Bytes expected(259, 160);
    expected.insert(expected.end(), ramp.begin(), ramp.end());
    const testing::Bytes saved = testing::ReadBytes(path("out.wav"));
    EXPECT_EQ(testing::SavedData(saved), expected);
    EXPECT_EQ(testing::ReadLe32(saved, 4), saved.size() - 8);
}

}  // namespace
}  // namespace quorbel::test

#include "fakes/sample_formats.h"
#include "view/selection_math.h"

namespace quorbel::test {
namespace {

// Ten seconds at 1000 Hz of a ramp in format `f`, written as `name`.
testing::Bytes TenSeconds(const QTemporaryDir& dir, const std::string& name,
                          testing::SampleFormat f) {
    const testing::Bytes data = testing::Ramp(10000 * f.frame());
    writeFileBytes(dir, name,
                   testing::SimpleWave(data, static_cast<std::uint16_t>(f.channels),
                                       static_cast<std::uint16_t>(f.bits), 1000));
    return data;
}

// `data` without the bytes the milliseconds [startMs, endMs) stand for, by the rule Cut uses.
testing::Bytes WithoutMs(const testing::Bytes& data, std::uint32_t startMs, std::uint32_t endMs,
                         testing::SampleFormat f) {
    const std::uint32_t avg = 1000 * f.frame();
    const std::uint32_t s = WholeFrames(StartByteOf(startMs, avg), f.frame());
    const std::uint32_t e = WholeFrames(EndByteOf(endMs, avg), f.frame());
    testing::Bytes out(data.begin(), data.begin() + s);
    out.insert(out.end(), data.begin() + e, data.end());
    return out;
}

TEST_F(ScriptTest, SelectCutsExactlyTheTypedMillisecondsInEveryFormat) {
    for (const testing::SampleFormat f : testing::kSampleFormats) {
        SCOPED_TRACE(f.bits * 10 + f.channels);
        const testing::Bytes data = TenSeconds(dir, "ten.wav", f);
        const ScriptRun run = runScript(dir, "open " + path("ten.wav") +
                                                 "\nselect 1234 5678\nprint selection\n"
                                                 "command ID_EDIT_CUT\nsaveas " +
                                                 path("cut.wav") + "\nquit\n");
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        ASSERT_EQ(run.starting("selection:").size(), 1u);
        EXPECT_EQ(run.starting("selection:")[0].rfind("selection: 1234 5678", 0), 0u);
        EXPECT_EQ(testing::SavedData(testing::ReadBytes(path("cut.wav"))),
                  WithoutMs(data, 1234, 5678, f));
    }
    // A bad pair is a script error.
    const ScriptRun bad = runScript(dir, "open " + path("ten.wav") + "\nselect 5678 1234\nquit\n");
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_NE(bad.errors.find("End must come after Start"), std::string::npos) << bad.errors;
}

TEST_F(ScriptTest, AnswerFillsTheInsertSilenceDialog) {
    // 1 s of 16-bit stereo at 22050 Hz; 200 ms in is byte 17640.
    const std::string sound = writeTestWave(dir, "a.wav", 22050);
    const testing::Bytes before = testing::SavedData(testing::ReadBytes(sound));
    const ScriptRun run = runScript(dir, "open " + sound +
                                             "\nselect 200 500\nanswer \"0:01.500\"\n"
                                             "command ID_EDIT_INSERT_SILENCE\nprint status\n"
                                             "answer 1:75\ncommand ID_EDIT_INSERT_SILENCE\n"
                                             "answer cancel\ncommand ID_EDIT_INSERT_SILENCE\n"
                                             "saveas " +
                                             path("out.wav") + "\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.starting("dialog: Insert Silence").size(), 3u);
    EXPECT_TRUE(run.has("status: Insert Silence operation complete!"));
    EXPECT_TRUE(run.has("field: Not a time: type m:ss.mmm, h:mm:ss.mmm or seconds (12.5)."));
    // 1.5 s x 22050 frames of 4 bytes, once: the bad length and the cancel changed nothing.
    testing::Bytes expected = before;
    expected.insert(expected.begin() + 17640, 33075 * 4, 0);
    EXPECT_EQ(testing::SavedData(testing::ReadBytes(path("out.wav"))), expected);
}

TEST_F(ScriptTest, ZoomAndKeysAloneReachAnExactSelection) {
    const testing::SampleFormat f{16, 2};
    const testing::Bytes data = TenSeconds(dir, "ten.wav", f);
    // Keys only: the start handle 34 pixels in (926 ms), the end handle 150 pixels back from
    // the right edge, then zoom so that each pixel is a few milliseconds, and fine moves.
    std::string script = "open " + path("ten.wav") + "\nfocus view\nkey Ctrl+E\n";
    for (int i = 0; i < 3; ++i) script += "key Ctrl+Right\n";
    for (int i = 0; i < 4; ++i) script += "key Right\n";
    for (int i = 0; i < 15; ++i) script += "key Ctrl+Shift+Left\n";
    script += "print selection\nkey Ctrl+E\nprint selection\n";
    for (int i = 0; i < 3; ++i) script += "key Right\n";
    script += "key Shift+Left\nprint selection\ncommand ID_EDIT_CUT\nsaveas " + path("cut.wav") +
              "\nquit\n";
    const ScriptRun run = runScript(dir, script);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::vector<std::string> selections = run.starting("selection:");
    ASSERT_EQ(selections.size(), 3u);
    std::uint32_t a = 0, b = 0, za = 0, zb = 0;
    ASSERT_EQ(std::sscanf(selections[0].c_str(), "selection: %u %u", &a, &b), 2);
    EXPECT_EQ(selections[0].find("zoom"), std::string::npos) << "Ctrl+E with no selection";
    ASSERT_EQ(std::sscanf(selections[1].c_str(), "selection: %u %u zoom: %u %u", &a, &b, &za, &zb),
              4)
        << selections[1];
    EXPECT_EQ(za, a);
    EXPECT_EQ(zb, b);
    std::uint32_t s = 0, e = 0;
    ASSERT_EQ(std::sscanf(selections[2].c_str(), "selection: %u %u", &s, &e), 2);
    // Three pixels and one pixel of a zoomed stretch: a few milliseconds, not 27 a pixel.
    EXPECT_GT(s, a);
    EXPECT_LE(s - a, 3 * (zb - za) / 367 + 1);
    EXPECT_LT(e, b);
    EXPECT_LE(b - e, (zb - za) / 367 + 1);
    EXPECT_EQ(testing::SavedData(testing::ReadBytes(path("cut.wav"))), WithoutMs(data, s, e, f));
}

TEST_F(ScriptTest, RecentFilesAreKeptInTheConfigFolderUnlessNoSettings) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");  // every run below inherits this one
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
    const QString a = wave("a.wav"), b = wave("b.wav"), c = wave("c.wav");
    auto recent = [](const QString& file) {
        return "recent: " + QFileInfo(file).canonicalFilePath().toStdString();
    };
    const ScriptRun first = runScript(dir, "print recent\n", {a, b});
    EXPECT_EQ(first.starting("recent:"), (std::vector<std::string>{recent(b), recent(a)}));
    // --no-settings: a list of its own, and nothing written.
    const ScriptRun apart = runScript(dir, "print recent\n", {"--no-settings", c});
    EXPECT_EQ(apart.starting("recent:"), (std::vector<std::string>{recent(c)}));
    const ScriptRun next = runScript(dir,
                                     "command ID_FILE_MRU_FILE2\nprint title\nprint recent\n"
                                     "command ID_FILE_MRU_FILE3\n");
    qputenv("XDG_CONFIG_HOME", saved);
    ASSERT_EQ(next.exitCode, 0) << next.errors;
    EXPECT_EQ(next.lines, (std::vector<std::string>{"title: Quorbel - a.wav", recent(a), recent(b),
                                                    "disabled: ID_FILE_MRU_FILE3"}));
}

// The everyday job end to end: record after a sound, keep only the sound, bring its peak to
// -1 dBFS, fade out its last second and save; the file is checked against arithmetic of the
// test's own.
TEST_F(ScriptTest, RecordTrimNormalizeFadeOutAndSave) {
    constexpr int kRate = 22050;
    std::vector<double> samples;
    testing::Bytes data;
    for (int i = 0; i < 2 * kRate; ++i) {
        const double v = std::round(6000 * std::sin(2 * 3.141592653589793 * 441.0 * i / kRate));
        samples.push_back(v);
        testing::AppendLe(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(v)), 2);
    }
    testing::WriteBytes(path("tone.wav"), testing::SimpleWave(data, 1, 16, kRate));
    const ScriptRun run =
        runScript(dir, "open " + path("tone.wav") +
                           "\nbutton 4\nbutton 5\nwait 500\nbutton 2\n"
                           "select 0 2000\ncommand ID_EDIT_TRIM\ncommand ID_EDIT_SELECT_ALL\n"
                           "answer \"-1.0\"\ncommand ID_EFFECTS_NORMALIZE\n"
                           "select 1000 2000\ncommand ID_EFFECTS_FADE_OUT\nsaveas " +
                           path("job.wav") + "\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.errors;

    // Round half away from zero, clamp to 16 bits.
    const auto rounded = [](double v) {
        const double r = v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5);
        return std::clamp(r, -32768.0, 32767.0);
    };
    double peak = 0;
    for (const double v : samples) peak = std::max(peak, std::abs(v));
    const double gain = std::pow(10.0, -1.0 / 20) * 32767 / peak;
    for (double& v : samples) v = rounded(v * gain);
    const int n = kRate;  // the frames of the last second
    for (int i = 0; i < n; ++i)
        samples[kRate + i] = rounded(samples[kRate + i] * (n - 1 - i) / (n - 1));
    testing::Bytes expected;
    for (const double v : samples)
        testing::AppendLe(expected, static_cast<std::uint16_t>(static_cast<std::int16_t>(v)), 2);
    EXPECT_EQ(testing::SavedData(testing::ReadBytes(path("job.wav"))), expected);
}

}  // namespace
}  // namespace quorbel::test
