#include "app/app_identity.h"

#include <QApplication>

#include "app/app_icons.h"

namespace quorbel {

void setApplicationIdentity() {
    QApplication::setApplicationName(QStringLiteral("Quorbel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORBEL_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));
    QApplication::setWindowIcon(applicationIcon());
}

}  // namespace quorbel
