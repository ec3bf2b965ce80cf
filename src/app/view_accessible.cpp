#include "app/view_accessible.h"

#include <QAccessibleWidget>

#include "app/control_texts.h"
#include "app/view_widget.h"

namespace quorbel {

namespace {

class ViewAccessible final : public QAccessibleWidget {
  public:
    explicit ViewAccessible(ViewWidget* view) : QAccessibleWidget(view, QAccessible::Client) {}

    QString text(QAccessible::Text t) const override {
        const auto* view = static_cast<const ViewWidget*>(widget());
        switch (t) {
            case QAccessible::Name:
                return QString::fromStdString(soundViewName());
            case QAccessible::Description:
                return view->soundDescription();
            default:
                return QAccessibleWidget::text(t);
        }
    }
};

QAccessibleInterface* viewFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(ViewWidget::staticMetaObject.className())) return nullptr;
    auto* view = qobject_cast<ViewWidget*>(object);
    return view != nullptr ? new ViewAccessible(view) : nullptr;
}

}  // namespace

void installViewAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(&viewFactory);
        return true;
    }();
    (void)installed;
}

}  // namespace quorbel
