// Long work on a document while the window answers: its progress in the status bar follows
// the active window, Cancel and Esc stop it, its commands are refused, and closing its window
// asks first and closes once the work has stopped.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/progress_pane.h"
#include "audio/quorbel_doc.h"
#include "framework/command_ids.h"
#include "shell_fixture.h"

namespace quorbel::test {
namespace {

using LongWorkTest = ShellTest;

// Work that gets 40 % of the way and then waits for a cancel (10 s at most).
void WorkUntilCancelled(WorkProgress& progress) {
    progress.Begin(100);
    progress.Advance(40);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
        progress.CheckPoint();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

TEST_F(LongWorkTest, ProgressFollowsTheActiveWindowAndCancelOrEscStopsTheWork) {
    ASSERT_TRUE(start());
    fileDialogs.answers.push_back(writeTestWave(dir, "other.wav"));
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_OPEN));
    ASSERT_EQ(documents().size(), 2u);
    activateMainWindow();
    CChildFrame* working = documents()[0];
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Esc" : "Cancel button");
        documents()[1]->ActivateFrame();
        ASSERT_NE(app->activeFrame(), working);
        auto* pane = frame().findChild<ProgressPane*>();
        ASSERT_NE(pane, nullptr);

        bool hiddenInTheBackground = false, shownOnceActive = false, refused = false;
        bool messageGaveWay = false, nameWhole = false;
        int percent = -1;
        QString name;
        QTimer::singleShot(450, [&] {
            hiddenInTheBackground = !pane->isVisible();
            working->ActivateFrame();
        });
        QTimer::singleShot(600, [&] {
            shownOnceActive = pane->isVisible();
            percent = pane->bar()->value();
            const QLabel* nameLabel = pane->findChild<QLabel*>();
            name = nameLabel->text();
            // The pane takes the status line's room: its name is never squeezed, and the
            // message it stands in for is not squeezed to a letter beside it.
            messageGaveWay = !frame().messagePane()->isVisible();
            nameWhole = nameLabel->width() >= nameLabel->sizeHint().width();
            if (const char* dir = std::getenv("QUORBEL_SCREENSHOT_DIR"))
                frame().grab().save(QString::fromUtf8(dir) + "/main-window-progress.png");
            refused = !app->queryCommand(ID_FILE_SAVE).enabled &&
                      !app->dispatchCommand(ID_EFFECTS_REVERSE);
            if (byKey) {
                QTest::keyClick(&frame(), Qt::Key_Escape);
            } else {
                pane->cancelButton()->click();
            }
        });
        WorkProgress progress;
        const bool finished = working->document().RunWork("Save", progress, true,
                                                          [&] { WorkUntilCancelled(progress); });
        EXPECT_FALSE(finished);
        EXPECT_TRUE(hiddenInTheBackground);
        EXPECT_TRUE(shownOnceActive);
        EXPECT_EQ(percent, 40);
        EXPECT_EQ(name, "Save");
        EXPECT_TRUE(messageGaveWay);
        EXPECT_TRUE(nameWhole);
        EXPECT_TRUE(frame().messagePane()->isVisible()) << "back once the work ended";
        EXPECT_TRUE(refused) << "Save and the view's commands wait for the work";
        EXPECT_FALSE(pane->isVisible());
        EXPECT_EQ(frame().statusText(), "Save operation cancelled.");
        EXPECT_TRUE(app->queryCommand(ID_FILE_SAVE).enabled);
    }
}

TEST_F(LongWorkTest, EscCancelsTheWorkBeforeItsProgressShows) {
    ASSERT_TRUE(start());
    activateMainWindow();
    auto* pane = frame().findChild<ProgressPane*>();
    ASSERT_NE(pane, nullptr);
    bool hidden = false;
    QTimer::singleShot(50, [&] {
        hidden = pane->isHidden();
        QTest::keyClick(&frame(), Qt::Key_Escape);
    });
    WorkProgress progress;
    EXPECT_FALSE(documents().front()->document().RunWork("Save", progress, true,
                                                         [&] { WorkUntilCancelled(progress); }));
    EXPECT_TRUE(hidden);
    EXPECT_EQ(frame().statusText(), "Save operation cancelled.");
}

TEST_F(LongWorkTest, ClosingDuringTheWorkAsksThenClosesOnceItHasStopped) {
    ASSERT_TRUE(start());
    CChildFrame* working = documents().front();
    // No keeps the window and the work; Yes cancels the work, and the window closes after.
    boxes.answers = {BoxAnswer::No, BoxAnswer::Yes};
    bool stillOpen = false;
    QTimer::singleShot(100, [&] {
        working->close();
        stillOpen = documents().size() == 1;
        working->close();
    });
    WorkProgress progress;
    EXPECT_FALSE(
        working->document().RunWork("Save", progress, true, [&] { WorkUntilCancelled(progress); }));
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text,
              "Save is still running on Wave1. Cancel it and close the window?");
    // The window goes only once the code that waited for the work has returned.
    ASSERT_EQ(documents().size(), 1u);
    for (int i = 0; i < 200 && !documents().empty(); ++i) QTest::qWait(10);
    EXPECT_TRUE(documents().empty());
}

}  // namespace
}  // namespace quorbel::test
