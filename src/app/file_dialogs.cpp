#include "app/file_dialogs.h"

#include <QFileDialog>
#include <QStringList>

#include "app/file_paths.h"

namespace quorbel {

namespace {

FileDialogScript* g_script = nullptr;

std::optional<std::string> scripted(bool save, const std::string& filter,
                                    const std::string& suggested) {
    g_script->requests.push_back({save, filter, suggested});
    if (g_script->answer) return g_script->answer(g_script->requests.back());
    if (g_script->answers.empty()) return std::nullopt;
    std::optional<std::string> answer = g_script->answers.front();
    g_script->answers.pop_front();
    return answer;
}

std::optional<std::string> runDialog(QWidget* owner, bool save, const std::string& filter,
                                     const std::string& suggested) {
    QFileDialog dialog(owner, save ? QStringLiteral("Save As") : QStringLiteral("Open"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(qtFileFilters(filter));
    if (save) {
        dialog.setDefaultSuffix(QStringLiteral("wav"));
        // Shown only: a name that is not UTF-8 comes back from pathFromDialog as its bytes.
        dialog.selectFile(QString::fromStdString(suggested));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return pathFromDialog(dialog.selectedFiles().front());
}

}  // namespace

void setFileDialogScript(FileDialogScript* script) {
    g_script = script;
}

QStringList qtFileFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        if (description.isEmpty() && pattern.isEmpty()) continue;
        // Qt reads the patterns from the parentheses; add them when the description has none.
        filters << (description.contains(QLatin1Char('(')) ? description
                                                           : description + " (" + pattern + ")");
    }
    filters << QStringLiteral("All Files (*)");
    return filters;
}

std::optional<std::string> QtFileDialogs::openFile(const std::string& filter) {
    if (g_script != nullptr) return scripted(false, filter, {});
    return runDialog(owner_ ? owner_() : nullptr, false, filter, {});
}

std::optional<std::string> QtFileDialogs::saveFile(const std::string& filter,
                                                   const std::string& suggestedName) {
    if (g_script != nullptr) return scripted(true, filter, suggestedName);
    return runDialog(owner_ ? owner_() : nullptr, true, filter, suggestedName);
}

}  // namespace quorbel
