#include "app/level_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/dialog_layout.h"

namespace quorbel {
namespace {

struct Answerer {
    std::function<std::optional<std::string>(const LevelQuestion&)> answer;
    std::function<void(const std::string&)> messages;
};

Answerer& answerer() {
    static Answerer a;
    return a;
}

// "6.0 clip": the level and the option word; any other word after the level is refused.
std::optional<LevelAnswer> ScriptAnswer(const std::string& typed, const LevelQuestion& question,
                                        std::string& refusal) {
    const auto space = typed.find(' ');
    LevelAnswer answer{typed.substr(0, space), false};
    if (space == std::string::npos) return answer;
    const std::string word = typed.substr(space + 1);
    if (word != question.optionWord) {
        refusal = "Not understood: \"" + word + "\"; only \"" + question.optionWord +
                  "\" may follow the level.";
        return std::nullopt;
    }
    answer.option = true;
    return answer;
}

std::optional<LevelAnswer> Scripted(const LevelQuestion& question,
                                    const ViewWindow::LevelCheck& check) {
    const std::optional<std::string> typed = answerer().answer(question);
    if (!typed) return std::nullopt;
    std::string refusal;
    std::optional<LevelAnswer> answer = ScriptAnswer(*typed, question, refusal);
    if (answer) refusal = check(*answer);
    if (refusal.empty()) return answer;
    if (answerer().messages) answerer().messages(refusal);
    return std::nullopt;
}

}  // namespace

void setLevelAnswerer(std::function<std::optional<std::string>(const LevelQuestion&)> answer,
                      std::function<void(const std::string&)> messages) {
    answerer() = {std::move(answer), std::move(messages)};
}

std::optional<LevelAnswer> runLevelDialog(QWidget* parent, const LevelQuestion& question,
                                          const ViewWindow::LevelCheck& check) {
    if (answerer().answer) return Scripted(question, check);

    QDialog dialog(parent);
    dialog.setWindowTitle(QString::fromStdString(question.title));
    dialog.setMinimumWidth(440);  // room for most reasons on one line
    auto* edit = new QLineEdit(QString::fromStdString(question.initial));
    edit->selectAll();
    auto* error = new QLabel;
    error->setStyleSheet(QStringLiteral("color: #b00000"));
    error->setWordWrap(true);
    error->hide();
    auto* option = new QCheckBox(QString::fromStdString(question.option));
    auto* label = new QLabel(QString::fromStdString(question.label));
    label->setBuddy(edit);
    // The accessible name is the label without its mnemonic and colon.
    QString name = QString::fromStdString(question.label).remove(QLatin1Char('&'));
    if (name.endsWith(QLatin1Char(':'))) name.chop(1);
    edit->setAccessibleName(name);
    auto* form = new QFormLayout;
    form->addRow(label, edit);
    form->addRow(QString(), error);
    form->addRow(QString(), new QLabel(QString::fromStdString(question.hint)));
    form->addRow(QString(), option);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);

    std::optional<LevelAnswer> chosen;
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        const LevelAnswer answer{edit->text().toStdString(), option->isChecked()};
        const std::string refusal = check(answer);
        clearRefusal(*error, *edit);
        if (!refusal.empty()) {
            showRefusal(dialog, *error, *edit, QString::fromStdString(refusal));
            return;
        }
        chosen = answer;
        dialog.accept();
    });
    dialog.exec();
    return chosen;
}

}  // namespace quorbel
