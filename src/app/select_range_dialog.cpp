#include "app/select_range_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/dialog_layout.h"
#include "view/selection_time.h"

namespace quorbel {
namespace {

struct Answerer {
    std::function<SelectRangeAnswer()> answer;
    std::function<void(const std::string&)> messages;
};

Answerer& answerer() {
    static Answerer a;
    return a;
}

// Why the typed pair is refused, with the field it concerns (0 Start, 1 End); empty message
// when it is fine.
struct Verdict {
    int field = 0;
    std::string message;
    std::uint32_t startMs = 0, endMs = 0;
};

Verdict Judge(const std::string& start, const std::string& end,
              const std::function<std::string(std::uint32_t, std::uint32_t)>& check) {
    Verdict v;
    const auto s = ParseSelectionTime(start);
    if (!s) return {0, "Not a time: type m:ss.mmm, h:mm:ss.mmm or seconds (12.5)."};
    const auto e = ParseSelectionTime(end);
    if (!e) return {1, "Not a time: type m:ss.mmm, h:mm:ss.mmm or seconds (12.5)."};
    v.field = 1;
    v.message = check(*s, *e);
    v.startMs = *s;
    v.endMs = *e;
    return v;
}

}  // namespace

void setSelectRangeAnswerer(std::function<SelectRangeAnswer()> answer,
                            std::function<void(const std::string&)> messages) {
    answerer() = {std::move(answer), std::move(messages)};
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> runSelectRangeDialog(
    QWidget* parent, std::uint32_t startMs, std::uint32_t endMs,
    const std::function<std::string(std::uint32_t, std::uint32_t)>& check) {
    if (answerer().answer) {
        const SelectRangeAnswer a = answerer().answer();
        if (!a.texts) return std::nullopt;
        const Verdict v = Judge(a.texts->first, a.texts->second, check);
        if (!v.message.empty()) {
            if (answerer().messages) answerer().messages(v.message);
            return std::nullopt;
        }
        return std::pair{v.startMs, v.endMs};
    }

    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Select Range"));
    dialog.setMinimumWidth(360);  // room for a reason on one line
    auto* startEdit = new QLineEdit(QString::fromStdString(FormatSelectionTime(startMs)));
    auto* endEdit = new QLineEdit(QString::fromStdString(FormatSelectionTime(endMs)));
    auto* startError = new QLabel;
    auto* endError = new QLabel;
    for (QLabel* error : {startError, endError}) {
        error->setStyleSheet(QStringLiteral("color: #b00000"));
        error->setWordWrap(true);
        error->hide();
    }
    startEdit->setAccessibleName(QStringLiteral("Start"));
    endEdit->setAccessibleName(QStringLiteral("End"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Start:"), startEdit);
    form->addRow(QString(), startError);
    form->addRow(QStringLiteral("&End:"), endEdit);
    form->addRow(QString(), endError);
    auto* hint = new QLabel(QStringLiteral("m:ss.mmm, h:mm:ss.mmm or seconds"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(buttons);

    std::optional<std::pair<std::uint32_t, std::uint32_t>> chosen;
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        const Verdict v =
            Judge(startEdit->text().toStdString(), endEdit->text().toStdString(), check);
        clearRefusal(*startError, *startEdit);
        clearRefusal(*endError, *endEdit);
        if (!v.message.empty()) {
            showRefusal(dialog, v.field == 0 ? *startError : *endError,
                        v.field == 0 ? *startEdit : *endEdit, QString::fromStdString(v.message));
            return;
        }
        chosen = std::pair{v.startMs, v.endMs};
        dialog.accept();
    });
    dialog.exec();
    return chosen;
}

}  // namespace quorbel
