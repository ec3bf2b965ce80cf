// What a file dialog gives back as text becomes the bytes of the file it chose, also for a
// name that is not UTF-8, which the dialog shows (and returns) with U+FFFD.

#include "app/file_paths.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

namespace quorbel::test {
namespace {

TEST(FilePaths, ADialogsChoiceIsMatchedToTheBytesOfItsFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = std::filesystem::canonical(dir.path().toStdString()).string();
    std::filesystem::create_directory(base + "/d\xE9");
    for (const char* name : {"/d\xE9/x\xE9y.wav", "/a\xE9.wav", "/a\xE8.wav"})
        std::ofstream(base + name) << "RIFF";
    const QString shown = QString::fromStdString(base);
    const struct {
        QString chosen;
        std::string path;
    } cases[] = {
        {shown + "/d\uFFFD/x\uFFFDy.wav", base + "/d\xE9/x\xE9y.wav"},
        {shown + "/d\uFFFD/new.wav", base + "/d\xE9/new.wav"},  // a new name for Save As
        {shown + "/a\uFFFD.wav", base + "/a\xEF\xBF\xBD.wav"},  // two read so: as it is
        {shown + "/caf\u00E9.wav", base + "/caf\xC3\xA9.wav"},
    };
    for (const auto& c : cases) EXPECT_EQ(pathFromDialog(c.chosen), c.path) << c.path;
    std::filesystem::remove_all(base);  // names QTemporaryDir could not remove
}

}  // namespace
}  // namespace quorbel::test
