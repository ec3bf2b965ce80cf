#include "res/accelerators.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>

#include "app/accelerator_keys.h"
#include "audio/quorbel_doc.h"
#include "framework/command_ids.h"
#include "shell_fixture.h"

namespace quorbel::test {
namespace {

class AcceleratorTest : public ShellTest {
  protected:
    // Presses `key` with `modifiers` and returns the commands the route received, each with
    // whether its handler ran.
    std::vector<std::pair<int, bool>> press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QSignalSpy spy(app.get(), &CQuorbelApp::commandDispatched);
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &frame();
        QTest::keyClick(target, key, modifiers);
        std::vector<std::pair<int, bool>> seen;
        for (const QList<QVariant>& args : spy)
            seen.emplace_back(args[0].toInt(), args[1].toBool());
        return seen;
    }
};

TEST_F(AcceleratorTest, EveryKeyReachesItsCommand) {
    ASSERT_TRUE(start());
    activateMainWindow();
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int command;
    };
    const Case cases[] = {
        {Qt::Key_Z, Qt::ControlModifier, ID_EDIT_UNDO},
        {Qt::Key_Backspace, Qt::AltModifier, ID_EDIT_UNDO},
        {Qt::Key_Y, Qt::ControlModifier, ID_EDIT_REDO},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, ID_EDIT_REDO},
        {Qt::Key_X, Qt::ControlModifier, ID_EDIT_CUT},
        {Qt::Key_Delete, Qt::ShiftModifier, ID_EDIT_CUT},
        {Qt::Key_C, Qt::ControlModifier, ID_EDIT_COPY},
        {Qt::Key_Insert, Qt::ControlModifier, ID_EDIT_COPY},
        {Qt::Key_V, Qt::ControlModifier, ID_EDIT_PASTE},
        {Qt::Key_Insert, Qt::ShiftModifier, ID_EDIT_PASTE},
        {Qt::Key_F6, Qt::NoModifier, ID_NEXT_PANE},
        {Qt::Key_F6, Qt::ShiftModifier, ID_PREV_PANE},
        {Qt::Key_O, Qt::ControlModifier, ID_FILE_OPEN},
        {Qt::Key_S, Qt::ControlModifier, ID_FILE_SAVE},
        {Qt::Key_N, Qt::ControlModifier, ID_FILE_NEW},
        {Qt::Key_Delete, Qt::NoModifier, ID_EDIT_CLEAR},
        {Qt::Key_A, Qt::ControlModifier, ID_EDIT_SELECT_ALL},
        {Qt::Key_T, Qt::ControlModifier, ID_EDIT_TRIM},
        {Qt::Key_L, Qt::ControlModifier, ID_EDIT_SILENCE},
        {Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, ID_FILE_SAVE_AS},
    };
    for (const Case& c : cases) {
        const auto seen = press(c.key, c.modifiers);
        ASSERT_EQ(seen.size(), 1u) << c.command;
        EXPECT_EQ(seen[0].first, c.command);
    }
    // Open, Save (no name yet: Save As), New (a second empty sound: Open) and Save As each
    // asked for a file; the scripted dialogs cancelled them all.
    ASSERT_EQ(fileDialogs.requests.size(), 4u);
    EXPECT_FALSE(fileDialogs.requests[0].save);
    EXPECT_EQ(fileDialogs.requests[0].filter, "Wave Files (*.wav)|*.wav|");
    EXPECT_TRUE(fileDialogs.requests[1].save);
    EXPECT_EQ(fileDialogs.requests[1].suggestedName, "Wave1.wav");
    EXPECT_FALSE(fileDialogs.requests[2].save);
    EXPECT_TRUE(fileDialogs.requests[3].save);
    EXPECT_EQ(documents().size(), 1u);
}

TEST_F(AcceleratorTest, DisabledCommandDoesNotRunFromItsKey) {
    ASSERT_TRUE(start());
    activateMainWindow();
    frame().setStatusText("untouched");
    // A new document has no sound: Cut, Copy and Undo are disabled.
    for (Qt::Key key : {Qt::Key_X, Qt::Key_C, Qt::Key_Z}) {
        const auto seen = press(key, Qt::ControlModifier);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_FALSE(seen[0].second) << seen[0].first;
    }
    EXPECT_EQ(frame().statusText(), "untouched");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(AcceleratorTest, EnabledCommandRunsFromItsKey) {
    const std::string path = writeTestWave(dir, "saved.wav");
    ASSERT_TRUE(start({QString::fromStdString(path)}));
    activateMainWindow();
    documents().front()->document().SetModifiedFlag();
    const auto seen = press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].first, ID_FILE_SAVE);
    EXPECT_TRUE(seen[0].second);
    // The document has a name: saved in place, without a dialog.
    EXPECT_TRUE(fileDialogs.requests.empty());
    EXPECT_FALSE(documents().front()->document().IsModified());
}

// The text of a file of the source tree from `heading` up to the next heading of its kind.
QString SectionOf(const char* file, const QString& heading, const QString& next) {
    QFile f(QStringLiteral(QUORBEL_SOURCE_DIR "/") + QString::fromUtf8(file));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QString text = QString::fromUtf8(f.readAll());
    const qsizetype from = text.indexOf(heading);
    if (from < 0) return {};
    return text.mid(from, text.indexOf(next, from + heading.size()) - from);
}

TEST(KeysSection, EveryShortcutIsListedInTheReadmeAndTheManual) {
    const QString readme = SectionOf("README.md", "## Keys\n", "\n## ");
    const QString manual = SectionOf("dist/quorbel.1.in", ".SH KEYS\n", "\n.SH ");
    ASSERT_FALSE(readme.isEmpty());
    ASSERT_FALSE(manual.isEmpty());
    for (const Accelerator& accelerator : acceleratorTable()) {
        const QString key = keySequence(accelerator).toString(QKeySequence::PortableText);
        EXPECT_TRUE(readme.contains(key)) << "README: " << key.toStdString();
        EXPECT_TRUE(manual.contains(key)) << "manual: " << key.toStdString();
    }
}

TEST_F(AcceleratorTest, CtrlTabGoesToTheOtherDocumentWindow) {
    const std::string first = writeTestWave(dir, "first.wav");
    const std::string second = writeTestWave(dir, "second.wav");
    ASSERT_TRUE(start({QString::fromStdString(first), QString::fromStdString(second)}));
    activateMainWindow();
    const QMdiSubWindow* before = frame().mdiArea()->activeSubWindow();
    ASSERT_NE(before, nullptr);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &frame(),
                    Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyRelease(QApplication::focusWidget() ? QApplication::focusWidget() : &frame(),
                      Qt::Key_Control);
    EXPECT_NE(frame().mdiArea()->activeSubWindow(), before);
}

}  // namespace
}  // namespace quorbel::test
