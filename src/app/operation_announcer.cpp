#include "app/operation_announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace quorbel {
namespace {

class AnnouncerAccessible final : public QAccessibleWidget {
  public:
    explicit AnnouncerAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::AlertMessage) {}
};

QAccessibleInterface* announcerFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(OperationAnnouncer::staticMetaObject.className()))
        return nullptr;
    auto* widget = qobject_cast<QWidget*>(object);
    return widget != nullptr ? new AnnouncerAccessible(widget) : nullptr;
}

}  // namespace

OperationAnnouncer::OperationAnnouncer(QWidget* parent) : QWidget(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(&announcerFactory);
        return true;
    }();
    (void)installed;
    // Seen by the bridge as on screen, by nobody else.
    setFixedSize(1, 1);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

bool OperationAnnouncer::IsEnding(const QString& statusText) {
    static const char* const kEndings[] = {" operation complete!", " operation failed.",
                                           " operation cancelled."};
    for (const char* ending : kEndings) {
        if (statusText.endsWith(QLatin1String(ending))) return true;
    }
    return statusText.startsWith(QLatin1String("Filter has been applied"));
}

void OperationAnnouncer::statusChanged(const QString& text) {
    if (!IsEnding(text)) return;
    // Hidden and shown again, so that the same ending twice is told twice.
    hide();
    setAccessibleName(text);
    show();
}

}  // namespace quorbel
