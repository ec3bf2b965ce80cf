#include "app/menu_builder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/command_dispatcher.h"
#include "res/strings.h"

namespace quorbel {

namespace {

QString label(const MenuItem& item) {
    return QString::fromStdString(item.label);
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
            case MenuItem::Kind::Command: {
                // A tab in the text puts the accelerator's name at the right of the item.
                QAction* action = menu->addAction(label(item));
                const int id = item.id;
                action->setData(id);
                action->setStatusTip(
                    QString::fromUtf8(commandStatusPrompt(id).data(),
                                      static_cast<qsizetype>(commandStatusPrompt(id).size())));
                if (postTo != nullptr) {
                    QObject::connect(
                        action, &QAction::triggered, postTo,
                        [&dispatcher, id] { dispatcher.dispatchCommand(id); },
                        Qt::QueuedConnection);
                } else {
                    QObject::connect(action, &QAction::triggered,
                                     [&dispatcher, id] { dispatcher.dispatchCommand(id); });
                }
                break;
            }
        }
    }
    QObject::connect(menu, &QMenu::aboutToShow,
                     [menu, &dispatcher] { refreshMenu(menu, dispatcher); });
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
