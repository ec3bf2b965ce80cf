#include "app/dialog_layout.h"

#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

#include "app/bitmap_cache.h"

namespace quorbel {

namespace {

// The templates were laid out for a narrower font than ours: a text that would not fit its
// box at the dialog font gets a slightly smaller one rather than being cut off.
void fitTextInto(QLabel* label, QSize box) {
    QFont font = label->font();
    const int flags = Qt::AlignLeft | Qt::AlignTop | (label->wordWrap() ? Qt::TextWordWrap : 0);
    while (font.pointSizeF() > 6.0) {
        const QRect needed =
            QFontMetrics(font).boundingRect(QRect(QPoint(0, 0), box), flags, label->text());
        if (needed.height() <= box.height() && needed.width() <= box.width()) break;
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    if (font != label->font()) label->setFont(font);
}

}  // namespace

QFont dialogFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    return font;
}

DialogUnits dialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    DialogUnits units;
    units.baseX = std::max(1, metrics.averageCharWidth());
    units.baseY = std::max(1, metrics.height());
    return units;
}

std::vector<QWidget*> buildDialog(QDialog* dialog, const DialogTemplate& t) {
    const QFont font = dialogFont();
    dialog->setFont(font);
    const DialogUnits units = dialogUnits(font);
    dialog->setFixedSize(units.x(t.width), units.y(t.height));
    if (!t.caption.empty()) dialog->setWindowTitle(QString::fromStdString(t.caption));

    std::vector<QWidget*> widgets;
    for (const DialogControl& control : t.controls) {
        const QString text = QString::fromStdString(control.text);
        QWidget* widget = nullptr;
        switch (control.kind) {
            case DialogControl::Kind::Static: {
                auto* label = new QLabel(text, dialog);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                label->setWordWrap(control.wordWrap);
                label->setTextFormat(Qt::PlainText);
                fitTextInto(label, units.rect(control.rect).size());
                widget = label;
                break;
            }
            case DialogControl::Kind::PushButton:
            case DialogControl::Kind::DefPushButton: {
                auto* button = new QPushButton(text, dialog);
                button->setDefault(control.kind == DialogControl::Kind::DefPushButton);
                button->setAutoDefault(false);
                if (control.id == IDOK)
                    QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::accept);
                widget = button;
                break;
            }
            case DialogControl::Kind::GroupBox:
                widget = new QGroupBox(text, dialog);
                break;
            case DialogControl::Kind::Picture: {
                // A static bitmap takes the size of its bitmap, not the template's.
                auto* picture = new QLabel(dialog);
                const QImage& image = cachedBitmap(control.bitmapId);
                picture->setPixmap(QPixmap::fromImage(image));
                widget = picture;
                break;
            }
        }
        widget->setObjectName(QStringLiteral("control%1").arg(widgets.size()));
        if (control.id != IDC_STATIC) widget->setProperty("controlId", control.id);
        QRect rect = units.rect(control.rect);
        if (control.kind == DialogControl::Kind::Picture &&
            !cachedBitmap(control.bitmapId).isNull()) {
            rect.setSize(cachedBitmap(control.bitmapId).size());
        }
        widget->setGeometry(rect);
        widgets.push_back(widget);
    }
    // Later siblings paint over earlier ones in Qt; raise in reverse so the first is on top.
    for (auto it = widgets.rbegin(); it != widgets.rend(); ++it) (*it)->raise();
    return widgets;
}

void showRefusal(QDialog& dialog, QLabel& error, QLineEdit& field, const QString& message) {
    error.setText(message);
    error.show();
    field.setAccessibleDescription(message);
    field.setFocus();
    QLayout* layout = dialog.layout();
    if (layout == nullptr) return;
    layout->activate();
    const int wanted = layout->hasHeightForWidth() ? layout->totalHeightForWidth(dialog.width())
                                                   : layout->totalSizeHint().height();
    if (wanted > dialog.height()) dialog.resize(dialog.width(), wanted);
}

void clearRefusal(QLabel& error, QLineEdit& field) {
    error.hide();
    field.setAccessibleDescription(QString());
}

}  // namespace quorbel
