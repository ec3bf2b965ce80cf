// The File menu's recent files: what puts a file first, what the menu shows, a file that has
// gone, and settings files that are damaged. Each test keeps its list in its own folder.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <filesystem>

#include "app/recent_files_store.h"
#include "audio/quorbel_doc.h"
#include "framework/command_ids.h"
#include "shell_fixture.h"

namespace quorbel::test {
namespace {

class RecentFilesTest : public ShellTest {
  protected:
    QString settingsFile() const { return dir.filePath("config/quorbel.conf"); }
    bool startWithSettings(const std::vector<std::string>& files = {}) {
        app->setRecentFilesStore(RecentFilesStore(settingsFile()));
        return start(files);
    }
    std::string wave(const std::string& name) {
        const QString path = QString::fromStdString(writeTestWave(dir, name));
        return QFileInfo(path).canonicalFilePath().toStdString();
    }
    std::vector<std::string> stored() const {
        RecentFilesStore store(settingsFile());
        store.reload();
        return store.list().paths();
    }
    QMenu* fileMenu() {  // as it opens
        QMenu* file = findAction(frame().menuBar(), "&File")->menu();
        emit file->aboutToShow();
        return file;
    }
};

TEST_F(RecentFilesTest, OpenAndSaveAsPutAFileFirstAndAGoneOneIsTakenOff) {
    const std::string a = wave("a.wav");
    const std::string b = wave("b.wav");
    const std::string c = dir.filePath("c & d.wav").toStdString();
    ASSERT_TRUE(startWithSettings({a, b}));
    fileDialogs.answers.push_back(c);
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_SAVE_AS));
    ASSERT_NE(app->OpenDocumentFile(a), nullptr);  // open already: moves up all the same
    QMenu* file = fileMenu();
    EXPECT_EQ(actionLabels(file), (std::vector<std::string>{
                                      "&New\tCtrl+N", "&Open...\tCtrl+O", "&Close", "&Save\tCtrl+S",
                                      "Save &As...\tCtrl+Shift+S", "-", "P&roperties", "-",
                                      "&1 a.wav", "&2 c && d.wav", "&3 b.wav", "-", "E&xit"}));
    findAction(file, "&2 c && d.wav")->showStatusText(&frame());
    EXPECT_EQ(frame().statusBar()->currentMessage().toStdString(), c);

    ASSERT_TRUE(app->CloseAllDocuments());
    ASSERT_TRUE(QFile::remove(QString::fromStdString(b)));
    EXPECT_TRUE(app->dispatchCommand(ID_FILE_MRU_FILE3));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "The file " + b +
                                       " no longer exists. It has been removed from the list of "
                                       "recent files.");
    EXPECT_TRUE(documents().empty());
    EXPECT_EQ(stored(), (std::vector<std::string>{a, c}));
    EXPECT_FALSE(app->queryCommand(ID_FILE_MRU_FILE3).enabled);
    // The empty main window lists them too.
    EXPECT_EQ(actionLabels(fileMenu()),
              (std::vector<std::string>{"&New\tCtrl+N", "&Open...\tCtrl+O", "-", "&1 a.wav",
                                        "&2 c && d.wav", "-", "E&xit"}));
    EXPECT_TRUE(app->dispatchCommand(ID_FILE_MRU_FILE1));
    ASSERT_EQ(documents().size(), 1u);
    EXPECT_EQ(documents().front()->document().GetPathName(), a);
}

TEST_F(RecentFilesTest, ANameThatIsNotUtf8IsKeptAsItsBytesAndOldEntriesReadAsTheyAre) {
    // A list as earlier versions wrote it: plain text, '%' in a name meaning itself.
    const std::string old = wave("100%E9.wav");
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.setValue("RecentFiles/paths", QStringList{QString::fromStdString(old)});
    }
    const std::string odd = wave("odd.wav");
    const std::string path = odd.substr(0, odd.size() - 7) + "x\xE9y.wav";  // Latin-1 "xéy"
    std::filesystem::rename(odd, path);
    ASSERT_TRUE(startWithSettings({path}));
    EXPECT_EQ(stored(), (std::vector<std::string>{path, old}));
    EXPECT_EQ(actionLabels(fileMenu()).at(8), "&1 x\xEF\xBF\xBDy.wav") << "shown with U+FFFD";
    ASSERT_TRUE(app->CloseAllDocuments());
    app.reset();
    app = std::make_unique<CQuorbelApp>();
    ASSERT_TRUE(startWithSettings());
    for (const int command : {ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE2}) {
        EXPECT_TRUE(app->dispatchCommand(command));
        EXPECT_EQ(app->activeFrame()->document().GetPathName(),
                  command == ID_FILE_MRU_FILE2 ? old : path);
    }
    EXPECT_TRUE(boxes.shown.empty()) << "both are still there";
    EXPECT_EQ(stored(), (std::vector<std::string>{old, path}));
    std::filesystem::remove(path);  // a name QTemporaryDir could not remove
}

TEST_F(RecentFilesTest, ADamagedSettingsFileGivesWhatIsValidAndTheProgramStarts) {
    const std::string good = wave("good.wav");
    std::string many = "[RecentFiles]\npaths=";
    for (int i = 0; i < 5000; ++i) many += (i % 3 == 0 ? "/x/" : "x") + std::to_string(i) + ", ";
    const char junk[] = "\0\xFF[\x01=\n\x80\"@Variant(\0\x7F\0";
    const struct {
        const char* what;
        std::string content;  // "" makes the settings file a folder
        std::size_t entries;
    } cases[] = {
        {"a folder", "", 0},
        {"binary junk", std::string(junk, sizeof junk - 1), 0},
        {"thousands of entries", many, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QDir(dir.filePath("config")).removeRecursively());
        ASSERT_TRUE(QDir().mkpath(c.content.empty() ? settingsFile() : dir.filePath("config")));
        QFile out(settingsFile());
        if (!c.content.empty()) {
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(c.content.data(), static_cast<qint64>(c.content.size()));
            out.close();
        }
        app.reset();
        app = std::make_unique<CQuorbelApp>();
        ASSERT_TRUE(startWithSettings());
        EXPECT_EQ(app->recentFileList().size(), c.entries);
        // Opening still works, and the list is written over the damage where it can be.
        ASSERT_NE(app->OpenDocumentFile(good), nullptr);
        EXPECT_EQ(stored(),
                  c.content.empty() ? std::vector<std::string>{} : app->recentFileList().paths());
    }
}

}  // namespace
}  // namespace quorbel::test
