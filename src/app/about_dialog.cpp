#include "app/about_dialog.h"

#include <QPushButton>

#include "app/builtin_sound_player.h"
#include "app/dialog_layout.h"
#include "app/message_boxes.h"

namespace quorbel {

namespace {

const char* const kInformationCaption = "Really interesting information";
const char* const kInformationText =
    "Quorbel records, plays and edits PCM wave files.\n"
    "\n"
    "Right-click the waveform strip, the vectorscope or the skin for quick menus.\n"
    "Drag the two little handles at the vectorscope's corners to choose what Cut and Copy "
    "take.\n"
    "Open two files at once to paste sound from one into the other.";

}  // namespace

CAboutDialog::CAboutDialog(BuiltinSoundPlayer& sound, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint), sound_(sound) {
    setObjectName(QStringLiteral("AboutDialog"));
    for (QWidget* widget : buildDialog(this, dialogTemplate(IDD_ABOUTBOX))) {
        if (widget->property("controlId").toInt() == IDC_CLICKME) {
            connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                    &CAboutDialog::OnClickMe);
        }
    }
}

void CAboutDialog::OnClickMe() {
    sound_.play();
    showMessageBox(this, kInformationText, kInformationCaption, BoxIcon::Information);
}

}  // namespace quorbel
