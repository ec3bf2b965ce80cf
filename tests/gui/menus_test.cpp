#include "res/menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "framework/command_ids.h"
#include "shell_fixture.h"

namespace quorbel::test {
namespace {

using MenuTest = ShellTest;

QMenu* topMenu(CMainFrame& frame, const std::string& label) {
    QAction* action = findAction(frame.menuBar(), label);
    return action != nullptr ? action->menu() : nullptr;
}

TEST_F(MenuTest, DocumentMenuOrderAndGrayedWindowMenu) {
    ASSERT_TRUE(start());
    const std::vector<std::string> labels = actionLabels(frame().menuBar());
    const std::vector<std::string> expected = {"&File", "&Edit", "Effect&s", "&Appearance",
                                               "&View", "&Help", "&Window"};
    ASSERT_GE(labels.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), labels.begin()));
    QMenu* file = topMenu(frame(), "&File");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(actionLabels(file), (std::vector<std::string>{
                                      "&New\tCtrl+N", "&Open...\tCtrl+O", "&Close", "&Save\tCtrl+S",
                                      "Save &As...", "-", "P&roperties", "-", "E&xit"}));
    EXPECT_FALSE(topMenu(frame(), "&Window")->isEnabled());
    EXPECT_TRUE(topMenu(frame(), "&View")->isEnabled());
}

TEST_F(MenuTest, ClosingTheLastDocumentSwitchesToTheFrameMenu) {
    ASSERT_TRUE(start());
    documents().front()->close();
    QApplication::processEvents();
    EXPECT_TRUE(documents().empty());
    EXPECT_EQ(frame().menuResourceId(), IDR_MAINFRAME);
    EXPECT_EQ(frame().windowTitle(), "Quorbel");
    const std::vector<std::string> labels = actionLabels(frame().menuBar());
    ASSERT_GE(labels.size(), 3u);
    EXPECT_EQ(labels[0], "&File");
    EXPECT_EQ(labels[1], "&Help");
    EXPECT_EQ(labels[2], "&View");
    EXPECT_FALSE(topMenu(frame(), "&View")->isEnabled());
    EXPECT_EQ(actionLabels(topMenu(frame(), "&File")),
              (std::vector<std::string>{"&New\tCtrl+N", "&Open...\tCtrl+O", "-", "E&xit"}));
    // New brings the document menu back.
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_NEW));
    EXPECT_EQ(frame().menuResourceId(), IDR_WAVETYPE);
}

TEST_F(MenuTest, ItemsAreRefreshedFromTheViewBeforeTheMenuOpens) {
    ASSERT_TRUE(start());
    QMenu* edit = topMenu(frame(), "&Edit");
    ASSERT_NE(edit, nullptr);
    emit edit->aboutToShow();
    // A new document has no sound yet: Undo and Cut are disabled.
    EXPECT_FALSE(findAction(edit, "&Undo\tCtrl+Z")->isEnabled());
    EXPECT_FALSE(findAction(edit, "Cu&t\tCtrl+X")->isEnabled());
    QMenu* view = topMenu(frame(), "&View");
    emit view->aboutToShow();
    QAction* statusBarItem = findAction(view, "&Status Bar");
    ASSERT_NE(statusBarItem, nullptr);
    EXPECT_TRUE(statusBarItem->isChecked());
    statusBarItem->trigger();
    EXPECT_FALSE(frame().statusBar()->isVisible());
    emit view->aboutToShow();
    EXPECT_FALSE(statusBarItem->isChecked());
    statusBarItem->trigger();
    EXPECT_TRUE(frame().statusBar()->isVisible());
}

TEST_F(MenuTest, HighlightedItemShowsItsPromptInTheStatusBar) {
    ASSERT_TRUE(start());
    QMenu* file = topMenu(frame(), "&File");
    QAction* exitItem = findAction(file, "E&xit");
    ASSERT_NE(exitItem, nullptr);
    EXPECT_EQ(exitItem->statusTip(), "Quit the application; prompts to save documents");
    exitItem->showStatusText(&frame());
    EXPECT_EQ(frame().statusBar()->currentMessage(),
              "Quit the application; prompts to save documents");
}

TEST_F(MenuTest, ToolbarItemDoesNothingAndPanesAreDisabled) {
    ASSERT_TRUE(start());
    EXPECT_TRUE(app->queryCommand(ID_VIEW_TOOLBAR).enabled);
    EXPECT_TRUE(app->dispatchCommand(ID_VIEW_TOOLBAR));
    EXPECT_FALSE(app->queryCommand(ID_NEXT_PANE).enabled);
    EXPECT_FALSE(app->dispatchCommand(ID_PREV_PANE));
    EXPECT_FALSE(app->queryCommand(ID_WINDOW_CASCADE).enabled);
}

}  // namespace
}  // namespace quorbel::test
