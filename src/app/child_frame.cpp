#include "app/child_frame.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QTimer>

#include "app/app_icons.h"
#include "app/view_widget.h"
#include "audio/quorbel_doc.h"

namespace quorbel {

CChildFrame::CChildFrame(std::unique_ptr<CQuorbelDoc> document,
                         std::function<bool(CChildFrame&)> canClose, QWidget* parent)
    : QMdiSubWindow(parent), document_(std::move(document)), canClose_(std::move(canClose)) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Always maximised, so minimise and restore buttons would only flicker: the merged
    // controls in the menu bar are the document icon and the close button.
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    setWindowIcon(documentIcon());
}

CChildFrame::~CChildFrame() {
    releaseDocument();
}

void CChildFrame::releaseDocument() {
    // The view goes before its document: both close the same device, the view first.
    if (viewWidget_ != nullptr) {
        QWidget* widget = viewWidget_;
        viewWidget_ = nullptr;
        setWidget(nullptr);
        delete widget;
    }
    document_.reset();
}

void CChildFrame::setViewWidget(ViewWidget* widget) {
    viewWidget_ = widget;
    setWidget(widget);
}

void CChildFrame::ActivateFrame() {
    showMaximized();
    if (mdiArea() != nullptr) mdiArea()->setActiveSubWindow(this);
}

void CChildFrame::closeWithoutPrompt() {
    skipPrompt_ = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (!isOpen()) return;
    if (!skipPrompt_ && canClose_ && !canClose_(*this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    // Close the device now rather than when the frame itself is deleted later, so that a
    // command right after the close already sees the document gone.
    if (event->isAccepted()) releaseDocument();
}

void CChildFrame::changeEvent(QEvent* event) {
    QMdiSubWindow::changeEvent(event);
    // A document window only ever fills the main window's client area; any other state
    // (restored by its system menu or minimised) goes back to maximised.
    if (event->type() == QEvent::WindowStateChange && isVisible() && !isMaximized()) {
        // Only the active window: the area restores the one it leaves when another is
        // maximised, and maximising that one again would make it active once more.
        QTimer::singleShot(0, this, [this] {
            if (!isMaximized() && mdiArea() != nullptr && mdiArea()->activeSubWindow() == this) {
                showMaximized();
            }
        });
    }
}

}  // namespace quorbel
