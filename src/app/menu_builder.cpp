#include "app/menu_builder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/command_dispatcher.h"
#include "framework/command_ids.h"
#include "framework/recent_file_list.h"
#include "res/strings.h"

namespace quorbel {

namespace {

// Marks the separator that follows the recent files, shown only with them.
const char* const kRecentSeparator = "quorbelRecentSeparator";

QString label(const MenuItem& item) {
    return QString::fromStdString(item.label);
}

QAction* addCommand(QMenu* menu, const QString& text, int id, CommandDispatcher& dispatcher,
                    QObject* postTo) {
    // A tab in the text puts the accelerator's name at the right of the item.
    QAction* action = menu->addAction(text);
    action->setData(id);
    const std::string_view prompt = commandStatusPrompt(id);
    action->setStatusTip(QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size())));
    if (postTo != nullptr) {
        QObject::connect(
            action, &QAction::triggered, postTo,
            [&dispatcher, id] { dispatcher.dispatchCommand(id); }, Qt::QueuedConnection);
    } else {
        QObject::connect(action, &QAction::triggered,
                         [&dispatcher, id] { dispatcher.dispatchCommand(id); });
    }
    return action;
}

// The recent files' place: eight hidden items and the separator after them, which
// refreshRecentFiles shows and labels as far as the list goes.
void addRecentFiles(QMenu* menu, CommandDispatcher& dispatcher, QObject* postTo) {
    for (int id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_FILE8; ++id) {
        addCommand(menu, QString(), id, dispatcher, postTo)->setVisible(false);
    }
    QAction* separator = menu->addSeparator();
    separator->setProperty(kRecentSeparator, true);
    separator->setVisible(false);
}

void refreshRecentFiles(QMenu* menu, CommandDispatcher& dispatcher) {
    const std::vector<std::string> paths = dispatcher.recentFiles();
    for (QAction* action : menu->actions()) {
        if (action->property(kRecentSeparator).toBool()) {
            action->setVisible(!paths.empty());
            continue;
        }
        bool ok = false;
        const std::optional<std::size_t> index = recentFileIndex(action->data().toInt(&ok));
        if (!ok || !index) continue;
        const bool shown = *index < paths.size();
        action->setVisible(shown);
        action->setText(shown ? QString::fromStdString(recentFileMenuLabel(*index, paths[*index]))
                              : QString());
        // The menu shows only the file's name; the status line shows where it is.
        action->setStatusTip(shown ? QString::fromStdString(paths[*index]) : QString());
    }
}

}  // namespace

void refreshMenu(QMenu* menu, CommandDispatcher& dispatcher) {
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || action->menu() != nullptr) continue;
        bool ok = false;
        const int id = action->data().toInt(&ok);
        if (!ok) continue;
        const CommandState state = dispatcher.queryCommand(id);
        action->setEnabled(state.enabled);
        action->setCheckable(state.checked.has_value());
        action->setChecked(state.checked.value_or(false));
    }
}

void fillMenu(QMenu* menu, const std::vector<MenuItem>& items, CommandDispatcher& dispatcher,
              QObject* postTo) {
    bool hasRecentFiles = false;
    for (const MenuItem& item : items) {
        switch (item.kind) {
            case MenuItem::Kind::Separator:
                menu->addSeparator();
                break;
            case MenuItem::Kind::Popup: {
                QMenu* sub = menu->addMenu(label(item));
                sub->setEnabled(!item.grayed);
                fillMenu(sub, item.items, dispatcher, postTo);
                break;
            }
            case MenuItem::Kind::Command:
                addCommand(menu, label(item), item.id, dispatcher, postTo);
                break;
            case MenuItem::Kind::RecentFiles:
                addRecentFiles(menu, dispatcher, postTo);
                hasRecentFiles = true;
                break;
        }
    }
    QObject::connect(menu, &QMenu::aboutToShow, [menu, &dispatcher, hasRecentFiles] {
        if (hasRecentFiles) refreshRecentFiles(menu, dispatcher);
        refreshMenu(menu, dispatcher);
    });
}

void fillMenuBar(QMenuBar* bar, const std::vector<MenuItem>& items, CommandDispatcher& dispatcher) {
    for (QAction* action : bar->actions()) {
        QMenu* menu = action->menu();
        bar->removeAction(action);
        if (menu != nullptr) menu->deleteLater();
    }
    for (const MenuItem& item : items) {
        QMenu* menu = new QMenu(label(item), bar);
        menu->setEnabled(!item.grayed);
        fillMenu(menu, item.items, dispatcher);
        bar->addMenu(menu);
    }
}

}  // namespace quorbel
