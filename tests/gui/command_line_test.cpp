#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

namespace {

// Runs the real program with `arguments` and returns its exit code and standard output.
std::pair<int, QString> runProgram(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(QUORBEL_BINARY), arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return {-1, {}};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

TEST(CommandLineTest, VersionPrintsAndExits) {
    const auto [code, out] = runProgram({"--version"});
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(out.startsWith("Quorbel 0.1")) << out.toStdString();
}

TEST(CommandLineTest, HelpPrintsUsageAndExits) {
    const auto [code, out] = runProgram({"--help"});
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(out.contains("Usage: quorbel [FILE.wav]")) << out.toStdString();
    EXPECT_TRUE(out.contains("QUORBEL_AUDIO=null"));
}

TEST(CommandLineTest, OptionWinsOverAFileArgument) {
    // No window opens and no file is touched when an option asks only for text.
    const auto [code, out] = runProgram({"/no/such/file.wav", "--version"});
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(out.startsWith("Quorbel ")) << out.toStdString();
}

}  // namespace
