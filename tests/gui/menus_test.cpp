#include "res/menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QStatusBar>
#include <set>

#include "app/view_widget.h"
#include "framework/command_ids.h"
#include "res/accelerators.h"
#include "shell_fixture.h"
#include "view/quorbel_view.h"
#include "view/view_layout.h"

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
    EXPECT_EQ(
        actionLabels(file),
        (std::vector<std::string>{"&New\tCtrl+N", "&Open...\tCtrl+O", "&Close", "&Save\tCtrl+S",
                                  "Save &As...\tCtrl+Shift+S", "-", "P&roperties", "-", "E&xit"}));
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

TEST_F(MenuTest, F10OpensTheFileMenuWhereverTheFocusIs) {
    ASSERT_TRUE(start({QString::fromStdString(writeTestWave(dir, "a.wav"))}));
    activateMainWindow();
    ViewWidget* view = documents().front()->viewWidget();
    for (QWidget* focus : std::vector<QWidget*>{view, view->slider(), &frame()}) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_F10);
        QMenu* file = topMenu(frame(), "&File");
        EXPECT_TRUE(file->isVisible()) << focus->metaObject()->className();
        file->close();
    }
}

TEST_F(MenuTest, ToolbarItemDoesNothingAndPanesAreDisabled) {
    ASSERT_TRUE(start());
    EXPECT_TRUE(app->queryCommand(ID_VIEW_TOOLBAR).enabled);
    EXPECT_TRUE(app->dispatchCommand(ID_VIEW_TOOLBAR));
    EXPECT_FALSE(app->queryCommand(ID_NEXT_PANE).enabled);
    EXPECT_FALSE(app->dispatchCommand(ID_PREV_PANE));
    EXPECT_FALSE(app->queryCommand(ID_WINDOW_CASCADE).enabled);
}

// The commands of `items` a user can choose: none under a grayed submenu.
void collectChoosable(const std::vector<MenuItem>& items, std::set<int>& out) {
    for (const MenuItem& m : items) {
        if (m.kind == MenuItem::Kind::Command) out.insert(m.id);
        if (m.kind == MenuItem::Kind::RecentFiles) {
            for (int id : menuCommandIds({m})) out.insert(id);
        }
        if (m.kind == MenuItem::Kind::Popup && !m.grayed) collectChoosable(m.items, out);
    }
}

TEST_F(MenuTest, EveryChoosableCommandHasAHandlerAndEveryViewCommandARoute) {
    ASSERT_TRUE(start());
    CQuorbelView& view = documents().front()->viewWidget()->view();
    std::set<int> choosable;
    for (int menu :
         {IDR_MAINFRAME, IDR_WAVETYPE, IDR_CONTEXT_SLIDER, IDR_CONTEXT_SCOPE, IDR_CONTEXT_SKINS}) {
        collectChoosable(menuResource(menu), choosable);
    }
    for (const Accelerator& a : acceleratorTable()) choosable.insert(a.command);
    for (int id : choosable) {
        CommandState state;
        EXPECT_TRUE(view.OnUpdateCommand(id, state) || frame().OnUpdateCommand(id, state) ||
                    app->OnUpdateCommand(id, state))
            << commandName(id) << ": no link of the route handles it";
    }
    for (const PictureButtonSpec& button : kPictureButtons) choosable.insert(button.id);
    const std::vector<int> rows = view.CommandIds();
    EXPECT_EQ(std::set<int>(rows.begin(), rows.end()).size(), rows.size()) << "a row twice";
    for (int id : rows) {
        EXPECT_TRUE(choosable.contains(id)) << commandName(id) << ": no menu, key or button";
    }
}

}  // namespace
}  // namespace quorbel::test
