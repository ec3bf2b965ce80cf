#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "app/about_dialog.h"
#include "app/builtin_sound_player.h"
#include "app/how_to_use_dialog.h"
#include "audio/clock.h"
#include "audio/null_backend.h"
#include "framework/command_ids.h"
#include "shell_fixture.h"

namespace quorbel::test {
namespace {

class DialogTest : public ShellTest,
                   public ::testing::WithParamInterface<bool> {  // with a document?
  protected:
    void startWithOrWithoutDocument() {
        ASSERT_TRUE(start());
        if (!GetParam()) {
            documents().front()->close();
            QApplication::processEvents();
            ASSERT_TRUE(documents().empty());
        }
    }
};

QPushButton* buttonWithText(QWidget* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == text) return button;
    }
    return nullptr;
}

TEST_P(DialogTest, AboutBoxPlaysTheSoundAndShowsInformation) {
    startWithOrWithoutDocument();
    QString className;
    int shownBoxes = 0;
    int plays = 0;
    const bool opened = withModalDialog([&] { app->dispatchCommand(ID_APP_ABOUT); },
                                        [&](QWidget* dialog) {
                                            className = dialog->metaObject()->className();
                                            QPushButton* clickMe =
                                                buttonWithText(dialog, "Click M&e");
                                            if (clickMe == nullptr) return;
                                            clickMe->click();
                                            clickMe->click();
                                            shownBoxes = static_cast<int>(boxes.shown.size());
                                            plays = app->sound().playsStarted();
                                        });
    ASSERT_TRUE(opened);
    EXPECT_EQ(className, "quorbel::CAboutDialog");
    ASSERT_EQ(shownBoxes, 2);
    EXPECT_EQ(boxes.shown[0].caption, "Really interesting information");
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Information);
    EXPECT_NE(boxes.shown[0].owner, nullptr);
    // Each press started the sound again from its beginning.
    EXPECT_EQ(plays, 2);
}

TEST_P(DialogTest, HowToUseOpensAndGotItClosesIt) {
    startWithOrWithoutDocument();
    QString className;
    QString title;
    bool closedByButton = false;
    const bool opened =
        withModalDialog([&] { app->dispatchCommand(ID_HELP_HOWTOUSE); },
                        [&](QWidget* dialog) {
                            className = dialog->metaObject()->className();
                            title = dialog->windowTitle();
                            if (QPushButton* gotIt = buttonWithText(dialog, "Got it!")) {
                                gotIt->click();
                                closedByButton = !dialog->isVisible();
                            }
                        });
    ASSERT_TRUE(opened);
    EXPECT_EQ(className, "quorbel::HowToUseDialog");
    EXPECT_EQ(title, "How to use");
    EXPECT_TRUE(closedByButton);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutDocument, DialogTest, ::testing::Bool());

TEST(DialogLayout, HowToUseControlsFollowTheTemplate) {
    HowToUseDialog dialog;
    const QList<QGroupBox*> groups = dialog.findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 2);
    QStringList titles;
    for (QGroupBox* g : groups) titles << g->title();
    EXPECT_TRUE(titles.contains("About Cut, Copying and Pasting"));
    EXPECT_TRUE(titles.contains("Skins and Effects"));
    QStringList texts;
    for (QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(
        texts.contains("* Skins are loaded from the program itself (for now)\n* Effects "
                       "are applied to the entire wave file"));
    // Every control lies inside the dialog.
    for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(dialog.rect().contains(child->geometry())) << child->objectName().toStdString();
    }
}

TEST(DialogLayout, AboutButtonLiesOnTopOfThePicture) {
    ManualClock clock;
    NullAudioBackend backend(clock);
    BuiltinSoundPlayer player(backend);
    CAboutDialog dialog(player);
    QPushButton* clickMe = buttonWithText(&dialog, "Click M&e");
    ASSERT_NE(clickMe, nullptr);
    QLabel* picture = nullptr;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull()) picture = label;
    }
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->pixmap().size(), QSize(280, 228));
    EXPECT_TRUE(picture->geometry().contains(clickMe->geometry()));
    EXPECT_EQ(dialog.childAt(clickMe->geometry().center()), clickMe);
}

}  // namespace
}  // namespace quorbel::test

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "app/level_dialog.h"
#include "app/select_range_dialog.h"

namespace quorbel::test {
namespace {

// Works on the Select Range dialog once it is up: `act` gets the dialog.
void WhenTheDialogShows(std::function<void(QWidget*)> act) {
    QTimer::singleShot(50, [act = std::move(act)] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        act(dialog);
    });
}

void Type(QWidget* dialog, const char* start, const char* end) {
    const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 2);
    edits[0]->setText(QString::fromUtf8(start));
    edits[1]->setText(QString::fromUtf8(end));
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

// The texts shown beside the fields.
QStringList Messages(QWidget* dialog) {
    QStringList shown;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->isVisible() && label->text().endsWith('.')) shown << label->text();
    }
    return shown;
}

TEST(SelectRangeDialog, RefusedTimesKeepItOpenWithTheReasonAndGoodOnesAreTaken) {
    const auto check = [](std::uint32_t start, std::uint32_t end) {
        if (end <= start) return std::string("End must come after Start.");
        return end > 10000 ? std::string("The sound is only 0:10.000 long.") : std::string();
    };
    QStringList first, second, third;
    WhenTheDialogShows([&](QWidget* dialog) {
        const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
        ASSERT_EQ(edits.size(), 2);
        EXPECT_EQ(edits[0]->text(), "0:01.000") << "filled with the selection";
        Type(dialog, "abc", "2");
        first = Messages(dialog);
        // The reason is told with the field the focus went back to, and shown whole.
        // The dialog's focus child: the application's focus widget is null whenever another
        // test's window is the active one.
        EXPECT_EQ(dialog->focusWidget(), edits[0]);
        EXPECT_EQ(edits[0]->accessibleDescription(), first.value(0));
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            if (!label->isVisible() || !label->text().endsWith('.')) continue;
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << "clipped";
            EXPECT_TRUE(
                dialog->rect().contains(QRect(label->mapTo(dialog, QPoint(0, 0)), label->size())))
                << "outside the dialog";
        }
        if (const char* dir = std::getenv("QUORBEL_SCREENSHOT_DIR"))
            dialog->grab().save(QString::fromUtf8(dir) + "/select-range-refused.png");
        Type(dialog, "0:03", "2.5");
        second = Messages(dialog);
        Type(dialog, "0:09.500", "10.5");
        third = Messages(dialog);
        EXPECT_EQ(edits[0]->accessibleDescription(), QString()) << "a reason no longer holds";
        EXPECT_EQ(edits[1]->accessibleDescription(), third.value(0));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    const auto chosen = runSelectRangeDialog(nullptr, 1000, 2000, check);
    EXPECT_EQ(first, QStringList{"Not a time: type m:ss.mmm, h:mm:ss.mmm or seconds (12.5)."});
    EXPECT_EQ(second, QStringList{"End must come after Start."});
    EXPECT_EQ(third, QStringList{"The sound is only 0:10.000 long."});
    EXPECT_FALSE(chosen.has_value()) << "cancelled";

    WhenTheDialogShows([](QWidget* dialog) { Type(dialog, "1.25", "0:02.5"); });
    EXPECT_EQ(runSelectRangeDialog(nullptr, 0, 0, check), (std::pair{1250u, 2500u}));
}

TEST(LevelDialog, ARefusedLevelKeepsItOpenWithTheReasonAndTheCheckBoxGoesWithTheAnswer) {
    const LevelQuestion question{"Amplify",         "&Gain (dB):", "4.2", "From -48.0 to +48.0 dB",
                                 "Allow &clipping", "clip"};
    const auto check = [](const LevelAnswer& a) {
        return a.text == "9.0" && !a.option ? std::string("A gain of 9.0 dB clips 3 samples.")
                                            : std::string();
    };
    QString initial;
    bool checkedAtFirst = true;
    QStringList refused, afterCancel;
    WhenTheDialogShows([&](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>();
        auto* option = dialog->findChild<QCheckBox*>();
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(option, nullptr);
        initial = edit->text();
        checkedAtFirst = option->isChecked();
        edit->setText("9.0");
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        refused = Messages(dialog);
        option->setChecked(true);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    const std::optional<LevelAnswer> chosen = runLevelDialog(nullptr, question, check);
    EXPECT_EQ(initial, "4.2");
    EXPECT_FALSE(checkedAtFirst);
    EXPECT_EQ(refused, QStringList{"A gain of 9.0 dB clips 3 samples."});
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->text, "9.0");
    EXPECT_TRUE(chosen->option);

    WhenTheDialogShows([](QWidget* dialog) {
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(runLevelDialog(nullptr, question, check).has_value());
}

}  // namespace
}  // namespace quorbel::test
