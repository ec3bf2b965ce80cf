#include "app/how_to_use_dialog.h"

#include "app/dialog_layout.h"

namespace quorbel {

HowToUseDialog::HowToUseDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("HowToUseDialog"));
    buildDialog(this, dialogTemplate(IDD_HOWTOUSE));
}

}  // namespace quorbel
