// The real program's command line: text-only options, several files, the script without a
// display, and mistakes on the command line.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "shell_fixture.h"

namespace quorbel::test {
namespace {

struct ProgramRun {
    int code = -1;
    QString out;
    QString err;
};

// Runs the real program with `arguments`. `unset` names variables taken out of the
// environment, `set` ones put in (NAME=VALUE); the null audio backend unless `unset` names it.
ProgramRun runProgram(const QStringList& arguments, const QStringList& unset = {},
                      const QStringList& set = {}, const QByteArray& input = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUORBEL_AUDIO", "null");
    for (const QString& name : unset) env.remove(name);
    for (const QString& pair : set) env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QUORBEL_BINARY), arguments);
    if (!input.isEmpty()) process.write(input);
    process.closeWriteChannel();
    ProgramRun run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

const QStringList kNoScreen = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};

TEST(CommandLineTest, VersionPrintsAndExits) {
    const ProgramRun run = runProgram({"--version"});
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.out.startsWith("Quorbel 0.1")) << run.out.toStdString();
}

TEST(CommandLineTest, HelpPrintsUsageOptionsAndEnvironment) {
    const ProgramRun run = runProgram({"--help"}, kNoScreen);
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.out.startsWith("Usage: quorbel [OPTION]... [FILE.wav]...\n"))
        << run.out.toStdString();
    for (const char* word :
         {"--script FILE", "--list-devices", "--output-device NAME", "--input-device NAME",
          "QUORBEL_AUDIO=null", "QUORBEL_OUTPUT_DEVICE=NAME", "QUORBEL_INPUT_DEVICE=NAME"})
        EXPECT_TRUE(run.out.contains(word)) << word;
}

TEST(CommandLineTest, OptionWinsOverAFileArgument) {
    // No window opens and no file is touched when an option asks only for text.
    const ProgramRun run = runProgram({"/no/such/file.wav", "--version"});
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.out.startsWith("Quorbel ")) << run.out.toStdString();
}

TEST(CommandLineTest, ListDevicesNeedsNoScreenAndSaysWhenTheNullBackendIsChosen) {
    const ProgramRun run = runProgram({"--list-devices"}, kNoScreen);
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(),
              "QUORBEL_AUDIO=null chooses the null audio backend: it has no devices; playing "
              "and recording are silent.\n");
}

TEST(CommandLineTest, ListDevicesShowsWhatPortAudioSees) {
    // With or without a sound server: the host APIs, both lists, and a hint when empty.
    const ProgramRun run = runProgram({"--list-devices"}, kNoScreen + QStringList{"QUORBEL_AUDIO"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("Host APIs: ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("ALSA")) << run.out.toStdString();
    EXPECT_TRUE(
        run.out.contains("Output devices (* the default; give a name to "
                         "--output-device):\n"));
    EXPECT_TRUE(
        run.out.contains("Input devices (* the default; give a name to "
                         "--input-device):\n"));
    EXPECT_EQ(run.out.contains("  none\n"), run.out.contains("Is a sound server"));
}

TEST(CommandLineTest, MistakesAreRefusedBeforeAnyWindowEvenWithoutAScreen) {
    const struct {
        QStringList arguments;
        const char* says;
    } cases[] = {
        {{"--bogus"}, "quorbel: unknown option --bogus (quorbel --help lists them)\n"},
        {{"x.wav", "--output-device"},
         "quorbel: --output-device needs a device name (quorbel --list-devices lists them)\n"},
        {{"--input-device="},
         "quorbel: --input-device needs a device name (quorbel --list-devices lists them)\n"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = runProgram(c.arguments, kNoScreen);
        EXPECT_EQ(run.code, 2) << c.says;
        EXPECT_EQ(run.err.toStdString(), c.says);
        EXPECT_EQ(run.out, "");
    }
}

class CommandLineScriptTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString script(const char* text) {
        const QString path = dir.filePath("script.txt");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return {};
        file.write(text);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(CommandLineScriptTest, ScriptRunsOffscreenByItselfWithoutAScreen) {
    const ProgramRun run = runProgram({"--script", script("print title\nquit\n")}, kNoScreen);
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "title: Quorbel - Wave1\n");
}

TEST_F(CommandLineScriptTest, SeveralFilesOpenInOrderAndARefusedOneShowsItsBox) {
    const QString first = QString::fromStdString(writeTestWave(dir, "first.wav"));
    const QString junk = QString::fromStdString(writeJunkFile(dir, "junk.wav"));
    const QString last = QString::fromStdString(writeTestWave(dir, "--last.wav"));
    const ProgramRun run = runProgram({"--script",
                                       script("print title\nactivate 1\nprint title\n"
                                              "activate 2\nprint title\n"),
                                       first, junk, "--", last},
                                      kNoScreen);
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << run.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("box: Error|")) << lines[0].toStdString();
    EXPECT_EQ(lines[1], "title: Quorbel - --last.wav");
    EXPECT_EQ(lines[2], "title: Quorbel - first.wav");
    EXPECT_EQ(lines[3], "title: Quorbel - --last.wav");
}

TEST_F(CommandLineScriptTest, StartUpFailsWhenNoNamedFileOpens) {
    const QString junk = QString::fromStdString(writeJunkFile(dir, "junk.wav"));
    const ProgramRun run = runProgram({"--script", script("print title\n"), junk}, kNoScreen);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.out.startsWith("box: Error|")) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("title:"));
}

TEST_F(CommandLineScriptTest, AFileInAFormatItCannotOpenCountsAsNotOpened) {
    const QString refused = QString::fromStdString(writeALawWave(dir, "alaw.wav"));
    const QString good = QString::fromStdString(writeTestWave(dir, "good.wav"));
    // Alone it ends the start-up with status 1.
    ProgramRun run = runProgram({"--script", script("print title\n"), refused}, kNoScreen);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(
        run.out.startsWith("box: Error|Unsupported format: compressed audio (format tag "
                           "0x0006) cannot be played.|"))
        << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("title:"));
    // Beside a file that opens it leaves no window: the good one is the only one.
    run = runProgram({"--script", script("print title\nactivate 2\n"), good, refused}, kNoScreen);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("box: Error|Unsupported format: compressed audio"));
    EXPECT_EQ(lines[1], "title: Quorbel - good.wav");
    EXPECT_TRUE(run.err.contains("there is no document window 2 (1 open)"))
        << run.err.toStdString();
}

TEST_F(CommandLineScriptTest, NamedDeviceThatIsNotThereIsReportedAndPlayFailsSayingWhy) {
    const QString wave = QString::fromStdString(writeTestWave(dir, "tone.wav"));
    for (const bool viaEnvironment : {false, true}) {
        SCOPED_TRACE(viaEnvironment ? "environment" : "option");
        QStringList arguments = {"--script", script("button 1\n"), wave};
        QStringList set;
        if (viaEnvironment) {
            set << "QUORBEL_OUTPUT_DEVICE=no such device";
        } else {
            arguments << "--output-device"
                      << "no such device";
        }
        const ProgramRun run = runProgram(arguments, kNoScreen + QStringList{"QUORBEL_AUDIO"}, set);
        EXPECT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("quorbel: there is no audio output device \"no such device\""))
            << run.err.toStdString();
        EXPECT_TRUE(run.out.contains("no audio output device \"no such device\""))
            << run.out.toStdString();
        EXPECT_TRUE(run.out.contains("quorbel --list-devices")) << run.out.toStdString();
    }
}

}  // namespace
}  // namespace quorbel::test
