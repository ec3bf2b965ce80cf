#pragma once

#include <QFont>
#include <QRect>
#include <vector>

#include "res/dialogs.h"

class QDialog;
class QLabel;
class QLineEdit;
class QString;
class QWidget;

namespace quorbel {

// Converts dialog units to pixels from the dialog font's average character size: a
// horizontal unit is a quarter of the average width, a vertical unit an eighth of the height.
struct DialogUnits {
    int baseX = 6;
    int baseY = 13;

    int x(int units) const { return (units * baseX + 2) / 4; }
    int y(int units) const { return (units * baseY + 4) / 8; }
    QRect rect(const DialogRect& r) const { return QRect(x(r.x), y(r.y), x(r.width), y(r.height)); }
};

// The font of the program's dialogs.
QFont dialogFont();
DialogUnits dialogUnits(const QFont& font);

// Sizes `dialog` from `t`, gives it the dialog font and creates the template's controls at
// their places. The returned widgets are in template order; the first control lies on top,
// as with the platform's dialog manager. Push buttons with id IDOK accept the dialog.
std::vector<QWidget*> buildDialog(QDialog* dialog, const DialogTemplate& t);

// Shows why the entry in `field` was refused: `message` in `error` under it, and as the
// field's accessible description, so that a screen reader reads it with the field the focus
// goes back to. The dialog grows to show a message that wraps, never clipping it.
void showRefusal(QDialog& dialog, QLabel& error, QLineEdit& field, const QString& message);
// Takes a refusal away again, before the next answer is judged.
void clearRefusal(QLabel& error, QLineEdit& field);

}  // namespace quorbel
