#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>

#include "app/view_widget.h"
#include "audio/quorbel_doc.h"
#include "res/menus.h"
#include "shell_fixture.h"

namespace quorbel::test {
namespace {

using StartupTest = ShellTest;

TEST_F(StartupTest, NoArgumentGivesOneEmptyMaximisedDocument) {
    ASSERT_TRUE(start());
    ASSERT_EQ(documents().size(), 1u);
    CChildFrame* child = documents().front();
    EXPECT_EQ(child->document().GetTitle(), "Wave1");
    EXPECT_EQ(child->document().m_strFileName, "");
    EXPECT_EQ(child->document().GetPathName(), "");
    EXPECT_NE(child->document().m_wDeviceID, 0u);
    EXPECT_TRUE(child->isMaximized());
    EXPECT_EQ(frame().windowTitle(), "Quorbel - Wave1");
    EXPECT_EQ(frame().menuResourceId(), IDR_WAVETYPE);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StartupTest, MainWindowIsFixedAndShowsTheWholeView) {
    ASSERT_TRUE(start());
    EXPECT_EQ(frame().minimumSize(), frame().maximumSize());
    EXPECT_FALSE(frame().windowFlags() & Qt::WindowMaximizeButtonHint);
    ViewWidget* view = documents().front()->viewWidget();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->size(), QSize(388, 480));
    // The view sits exactly between the menu bar and the status bar, nothing cut off.
    const QPoint topLeft = view->mapTo(&frame(), QPoint(0, 0));
    EXPECT_EQ(topLeft.x(), 0);
    EXPECT_EQ(topLeft.y(), frame().menuBar()->height());
    EXPECT_EQ(topLeft.y() + 480, frame().statusBar()->geometry().top());
    EXPECT_EQ(frame().width(), 388);
}

TEST_F(StartupTest, FileArgumentOpensOnlyThatFile) {
    const std::string path = writeTestWave(dir, "tone.wav");
    ASSERT_TRUE(start({QString::fromStdString(path)}));
    ASSERT_EQ(documents().size(), 1u);
    EXPECT_EQ(documents().front()->document().GetTitle(), "tone.wav");
    EXPECT_EQ(documents().front()->document().m_strFileName, path);
    EXPECT_EQ(frame().windowTitle(), "Quorbel - tone.wav");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(StartupTest, RefusedFileArgumentShowsOneErrorAndEndsStartUp) {
    const std::string path = writeJunkFile(dir, "junk.wav");
    EXPECT_FALSE(start({QString::fromStdString(path)}));
    EXPECT_TRUE(documents().empty());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Error");
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Error);
    EXPECT_FALSE(frame().isVisible());
}

TEST_F(StartupTest, EveryFileOpensInItsOwnWindowInOrderPastARefusedOne) {
    const std::string first = writeTestWave(dir, "first.wav");
    const std::string junk = writeJunkFile(dir, "junk.wav");
    const std::string second = writeTestWave(dir, "second.wav", 4410);
    ASSERT_TRUE(start({QString::fromStdString(first), QString::fromStdString(junk),
                       QString::fromStdString(second)}));
    ASSERT_EQ(documents().size(), 2u);
    EXPECT_EQ(documents()[0]->document().GetTitle(), "first.wav");
    EXPECT_EQ(documents()[1]->document().GetTitle(), "second.wav");
    // The refused one showed its box; the last one opened is the active window.
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Error");
    EXPECT_EQ(frame().windowTitle(), "Quorbel - second.wav");
    EXPECT_TRUE(frame().isVisible());
}

TEST_F(StartupTest, StartUpFailsOnlyWhenNoNamedFileOpened) {
    const std::string junk = writeJunkFile(dir, "junk.wav");
    EXPECT_FALSE(start({QString::fromStdString(junk), dir.filePath("missing.wav")}));
    EXPECT_TRUE(documents().empty());
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_FALSE(frame().isVisible());
}

TEST_F(StartupTest, StatusBarHasMessagePaneAndDimmedIndicators) {
    ASSERT_TRUE(start());
    EXPECT_EQ(frame().indicator(0)->text(), "CAP");
    EXPECT_EQ(frame().indicator(1)->text(), "NUM");
    EXPECT_EQ(frame().indicator(2)->text(), "SCRL");
    // Offscreen the lock states are unknown: the indicators stay dimmed.
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(frame().indicator(i)->isEnabled()) << i;
    frame().setStatusText("Total: 1.00 s");
    EXPECT_EQ(frame().statusText(), "Total: 1.00 s");
    EXPECT_EQ(frame().messagePane()->text(), "Total: 1.00 s");
}

}  // namespace
}  // namespace quorbel::test
