#include "app/insert_silence_dialog.h"

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
    std::function<std::optional<std::string>()> answer;
    std::function<void(const std::string&)> messages;
};

Answerer& answerer() {
    static Answerer a;
    return a;
}

// The milliseconds of `text`, or why it is refused.
struct Verdict {
    std::string message;
    std::uint32_t ms = 0;
};

Verdict Judge(const std::string& text, const std::function<std::string(std::uint32_t)>& check) {
    const auto ms = ParseSelectionTime(text);
    if (!ms) return {"Not a time: type m:ss.mmm, h:mm:ss.mmm or seconds (12.5)."};
    return {check(*ms), *ms};
}

}  // namespace

void setInsertSilenceAnswerer(std::function<std::optional<std::string>()> answer,
                              std::function<void(const std::string&)> messages) {
    answerer() = {std::move(answer), std::move(messages)};
}

std::optional<std::uint32_t> runInsertSilenceDialog(
    QWidget* parent, const std::function<std::string(std::uint32_t)>& check) {
    if (answerer().answer) {
        const std::optional<std::string> text = answerer().answer();
        if (!text) return std::nullopt;
        const Verdict v = Judge(*text, check);
        if (!v.message.empty()) {
            if (answerer().messages) answerer().messages(v.message);
            return std::nullopt;
        }
        return v.ms;
    }

    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Insert Silence"));
    dialog.setMinimumWidth(360);  // room for a reason on one line
    auto* lengthEdit = new QLineEdit(QStringLiteral("0:01.000"));
    lengthEdit->selectAll();
    lengthEdit->setAccessibleName(QStringLiteral("Length"));
    auto* error = new QLabel;
    error->setStyleSheet(QStringLiteral("color: #b00000"));
    error->setWordWrap(true);
    error->hide();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Length:"), lengthEdit);
    form->addRow(QString(), error);
    auto* hint = new QLabel(
        QStringLiteral("m:ss.mmm, h:mm:ss.mmm or seconds; inserted at the start of the selection"));
    hint->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(buttons);

    std::optional<std::uint32_t> chosen;
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        const Verdict v = Judge(lengthEdit->text().toStdString(), check);
        clearRefusal(*error, *lengthEdit);
        if (!v.message.empty()) {
            showRefusal(dialog, *error, *lengthEdit, QString::fromStdString(v.message));
            return;
        }
        chosen = v.ms;
        dialog.accept();
    });
    dialog.exec();
    return chosen;
}

}  // namespace quorbel
