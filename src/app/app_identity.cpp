#include "app/app_identity.h"

#include <QAccessibleObject>
#include <QApplication>

#include "app/app_icons.h"
#include "framework/message.h"

namespace quorbel {

namespace {

// Assistive technology would read the application's name, which is the id here: it hears the
// name people know instead.
class NamedApplicationAccessible final : public QAccessibleApplication {
  public:
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return QString::fromUtf8(kAppTitle);
        return QAccessibleApplication::text(t);
    }
};

QAccessibleInterface* applicationFactory(const QString& className, QObject* object) {
    if (object != qApp || className != QLatin1String(qApp->metaObject()->className())) {
        return nullptr;
    }
    return new NamedApplicationAccessible;
}

}  // namespace

void setApplicationIdentity() {
    // On X11 the application's name is the window's class, which docks match against the
    // launcher's StartupWMClass; on Wayland the desktop file name is the app id. Both are the
    // id. No display name is set: Qt would append it to every window title.
    QApplication::setApplicationName(QString::fromLatin1(kAppId));
    QApplication::setApplicationVersion(QStringLiteral(QUORBEL_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));
    QApplication::setWindowIcon(applicationIcon());
    QAccessible::installFactory(&applicationFactory);
}

}  // namespace quorbel
