#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QSet>
#include <cstdlib>
#include <utility>
#include <vector>

#include "app/about_dialog.h"
#include "app/how_to_use_dialog.h"
#include "app/main_frame.h"
#include "app/menu_builder.h"
#include "app/view_widget.h"
#include "framework/command_ids.h"
#include "res/menus.h"
#include "shell_fixture.h"

namespace quorbel::test {
namespace {

// Grabs the main window, the About box, the How-to-use dialog, the Edit menus and the Insert
// Silence dialog. The pictures are written to QUORBEL_SCREENSHOT_DIR when it is set, for a
// person to look at.
using ScreenshotTest = ShellTest;

void save(const QPixmap& pixmap, const char* name) {
    const char* folder = std::getenv("QUORBEL_SCREENSHOT_DIR");
    if (folder == nullptr) return;
    QDir().mkpath(folder);
    pixmap.save(QDir(folder).filePath(name));
}

TEST_F(ScreenshotTest, WindowsRenderAtTheirSizes) {
    const std::string path = writeTestWave(dir, "shot.wav", 22050);
    ASSERT_TRUE(start({QString::fromStdString(path)}));
    const QPixmap main = frame().grab();
    EXPECT_EQ(main.size(), frame().size());
    save(main, "main-window.png");
    // The view's picture is on screen: the grab at the view's place is not blank.
    ViewWidget* view = documents().front()->viewWidget();
    const QImage viewPicture = view->grab().toImage();
    EXPECT_EQ(viewPicture.size(), QSize(388, 480));
    QSet<QRgb> colours;
    for (int y = 0; y < 480; y += 8) {
        for (int x = 0; x < 388; x += 8) colours.insert(viewPicture.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 3);

    QSize aboutSize;
    ASSERT_TRUE(withModalDialog([&] { app->dispatchCommand(ID_APP_ABOUT); },
                                [&](QWidget* dialog) {
                                    aboutSize = dialog->size();
                                    save(dialog->grab(), "about-box.png");
                                }));
    EXPECT_GT(aboutSize.width(), 280);
    EXPECT_GT(aboutSize.height(), 228);
    ASSERT_TRUE(withModalDialog([&] { app->dispatchCommand(ID_HELP_HOWTOUSE); },
                                [&](QWidget* dialog) { save(dialog->grab(), "how-to-use.png"); }));

    // The Edit menu and the vectorscope's context menu, open, with the selection edits enabled.
    QMenu context;
    fillMenu(&context, menuResource(IDR_CONTEXT_SCOPE).front().items, *app);
    for (const auto& [menu, name] :
         {std::pair{findAction(frame().menuBar(), "&Edit")->menu(), "edit-menu.png"},
          std::pair{context.actions().back()->menu(), "context-edit-menu.png"}}) {
        menu->popup(QPoint(0, 0));
        QApplication::processEvents();
        save(menu->grab(), name);
        EXPECT_TRUE(menu->actions().back()->isEnabled()) << name;  // Insert Silence...
        menu->close();
    }
    ASSERT_TRUE(
        withModalDialog([&] { app->dispatchCommand(ID_EDIT_INSERT_SILENCE); },
                        [&](QWidget* dialog) { save(dialog->grab(), "insert-silence.png"); }));
}

// Shows `menu` as a pop-up, grabs it and closes it again.
QPixmap grabMenu(QMenu* menu) {
    menu->popup(QPoint(40, 40));
    QApplication::processEvents();
    const QPixmap picture = menu->grab();
    menu->hide();
    return picture;
}

TEST_F(ScreenshotTest, EffectsMenusAndLevelDialogsShowTheLevelEffects) {
    const std::string path = writeTestWave(dir, "shot.wav", 22050);
    ASSERT_TRUE(start({QString::fromStdString(path)}));
    const std::vector<std::string> levelItems = {"&Amplify...", "&Normalize...", "&Fade In",
                                                 "Fade &Out"};
    QAction* effects = findAction(frame().menuBar(), "Effect&s");
    ASSERT_NE(effects, nullptr);
    std::vector<std::string> labels = actionLabels(effects->menu());
    ASSERT_GE(labels.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(labels.end() - 6, labels.end() - 4),
              (std::vector<std::string>{"&Reverse", "-"}));
    EXPECT_EQ(std::vector<std::string>(labels.end() - 4, labels.end()), levelItems);
    save(grabMenu(effects->menu()), "effects-menu.png");

    // The vectorscope's context menu, as a right click builds it.
    QMenu context;
    fillMenu(&context, menuResource(IDR_CONTEXT_SCOPE).front().items, *app);
    QAction* contextEffects = findAction(&context, "Effects");
    ASSERT_NE(contextEffects, nullptr);
    labels = actionLabels(contextEffects->menu());
    ASSERT_GE(labels.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(labels.end() - 4, labels.end()),
              (std::vector<std::string>{"Amplify...", "Normalize...", "Fade In", "Fade Out"}));
    save(grabMenu(contextEffects->menu()), "context-effects-menu.png");

    for (const auto& [id, name] : {std::pair{ID_EFFECTS_AMPLIFY, "amplify-dialog.png"},
                                   std::pair{ID_EFFECTS_NORMALIZE, "normalize-dialog.png"}}) {
        QString title, reason;
        ASSERT_TRUE(withModalDialog(
            [&] { app->dispatchCommand(id); },
            [&](QWidget* dialog) {
                title = dialog->windowTitle();
                save(dialog->grab(), name);
                if (id != ID_EFFECTS_AMPLIFY) return;
                // A gain that clips: the reason beside the field.
                dialog->findChild<QLineEdit*>()->setText("48.0");
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
                reason = dialog->findChildren<QLabel*>()[1]->text();
                save(dialog->grab(), "amplify-clips.png");
            }));
        EXPECT_EQ(title, id == ID_EFFECTS_AMPLIFY ? "Amplify" : "Normalize");
        if (id == ID_EFFECTS_AMPLIFY) {
            EXPECT_TRUE(reason.startsWith("A gain of 48.0 dB clips ")) << reason.toStdString();
        }
    }
}

}  // namespace
}  // namespace quorbel::test
