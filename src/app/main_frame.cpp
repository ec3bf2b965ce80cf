#include "app/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QUrl>

#include "app/accelerator_keys.h"
#include "app/app_icons.h"
#include "app/child_frame.h"
#include "app/command_dispatcher.h"
#include "app/compact_menu_bar_style.h"
#include "app/file_paths.h"
#include "app/how_to_use_dialog.h"
#include "app/lock_key_watcher.h"
#include "app/menu_builder.h"
#include "app/operation_announcer.h"
#include "app/progress_pane.h"
#include "app/status_pane.h"
#include "app/view_widget.h"
#include "audio/quorbel_doc.h"
#include "framework/command_ids.h"
#include "framework/message.h"
#include "res/accelerators.h"
#include "res/menus.h"

namespace quorbel {

namespace {

// The message pane's text when nothing else is shown.
const char* const kReady = "Ready";

std::vector<std::string> droppedFiles(const QMimeData* mime) {
    std::vector<std::string> files;
    if (mime == nullptr || !mime->hasUrls()) return files;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) files.push_back(pathFromUrl(url));
    }
    return files;
}

}  // namespace

CMainFrame::CMainFrame(CommandDispatcher& dispatcher, Callbacks callbacks)
    : dispatcher_(dispatcher), callbacks_(std::move(callbacks)) {
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setWindowIcon(applicationIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    auto* menuStyle = new CompactMenuBarStyle(QApplication::style()->name());
    menuStyle->setParent(this);
    menuBar()->setStyle(menuStyle);
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setFrameShape(QFrame::NoFrame);
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mdiArea_->setBackground(palette().dark());
    setCentralWidget(mdiArea_);
    // The progress pane follows the active window: the newly active one shows its own work
    // at its next look, if it has any.
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] {
        if (progressOwner_ != nullptr) hideProgress(progressOwner_);
    });
    createStatusBar();
    createAccelerators();
    setMenuResource(IDR_MAINFRAME);
}

CMainFrame::~CMainFrame() {
    // The windows are closed as the base class goes, after this class is gone.
    disconnect(mdiArea_, nullptr, this, nullptr);
    while (waitCursors_ > 0) endWaitCursor();
}

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(false);
    messagePane_ = new StatusPane(QString::fromUtf8(kReady), bar);
    messagePane_->setMinimumWidth(1);
    bar->addWidget(messagePane_, 1);
    progress_ = new ProgressPane(this, bar);
    bar->addPermanentWidget(progress_, 1);
    connect(progress_, &ProgressPane::shownChanged, messagePane_,
            [this](bool shown) { messagePane_->setVisible(!shown); });
    announcer_ = new OperationAnnouncer(bar);
    bar->addPermanentWidget(announcer_);
    const char* const texts[3] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        indicators_[i] = new QLabel(QString::fromUtf8(texts[i]), bar);
        indicators_[i]->setFrameShape(QFrame::Panel);
        indicators_[i]->setFrameShadow(QFrame::Sunken);
        indicators_[i]->setAlignment(Qt::AlignCenter);
        indicators_[i]->setMinimumWidth(indicators_[i]->fontMetrics().horizontalAdvance("SCRL") +
                                        8);
        bar->addPermanentWidget(indicators_[i]);
    }
    lockKeys_ = new LockKeyWatcher(this);
    connect(lockKeys_, &LockKeyWatcher::changed, this, &CMainFrame::refreshIndicators);
    refreshIndicators();
}

void CMainFrame::refreshIndicators() {
    // Lit only when the platform says the lock is on; the scroll lock state is never known.
    indicators_[0]->setEnabled(lockKeys_->capsLock().value_or(false));
    indicators_[1]->setEnabled(lockKeys_->numLock().value_or(false));
    indicators_[2]->setEnabled(false);
}

void CMainFrame::createAccelerators() {
    for (const Accelerator& accelerator : acceleratorTable()) {
        auto* shortcut = new QShortcut(keySequence(accelerator), this);
        shortcut->setContext(Qt::WindowShortcut);
        const int id = accelerator.command;
        connect(shortcut, &QShortcut::activated, this,
                [this, id] { dispatcher_.dispatchCommand(id); });
    }
}

void CMainFrame::setMenuResource(int id) {
    if (id == menuId_) return;
    menuId_ = id;
    fillMenuBar(menuBar(), menuResource(id), dispatcher_);
}

void CMainFrame::updateTitle(const std::string& documentTitle) {
    std::string title = kAppTitle;
    if (!documentTitle.empty()) title += " - " + documentTitle;
    if (windowTitle() != QString::fromStdString(title))
        setWindowTitle(QString::fromStdString(title));
}

void CMainFrame::fitToView() {
    const int menuHeight = menuBar()->isVisible() ? menuBar()->sizeHint().height() : 0;
    const int statusHeight = statusBar()->isVisible() ? statusBar()->sizeHint().height() : 0;
    setFixedSize(ViewWidget::kWidth, menuHeight + ViewWidget::kHeight + statusHeight);
}

void CMainFrame::openFirstMenu() {
    for (QAction* action : menuBar()->actions()) {
        if (action->menu() != nullptr && action->isVisible() && action->isEnabled()) {
            menuBar()->setActiveAction(action);
            return;
        }
    }
}

void CMainFrame::setStatusText(const std::string& text) {
    const QString shown = QString::fromStdString(text);
    messagePane_->showText(shown, statusBar()->font());
    announcer_->statusChanged(shown);
}

std::string CMainFrame::statusText() const {
    return messagePane_->label()->text().toStdString();
}

const CDocument* CMainFrame::activeDocument() const {
    const auto* frame = qobject_cast<const CChildFrame*>(mdiArea_->currentSubWindow());
    return frame != nullptr ? &frame->document() : nullptr;
}

bool CMainFrame::hasWindowFor(const CDocument* document) const {
    for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
        const auto* frame = qobject_cast<const CChildFrame*>(window);
        if (frame != nullptr && &frame->document() == document) return true;
    }
    return false;
}

void CMainFrame::showProgress(const CDocument* owner, const std::string& name, int percent,
                              std::function<void()> cancel) {
    // The work of a window in the background waits its turn: its window shows it once active
    // (work on no window yet, a file being opened, always shows).
    if (owner != nullptr && owner != activeDocument() && hasWindowFor(owner)) return;
    progressOwner_ = owner;
    progress_->show(name, percent, std::move(cancel));
}

void CMainFrame::offerCancel(const CDocument* owner, std::function<void()> cancel) {
    if (owner != nullptr && owner != activeDocument() && hasWindowFor(owner)) return;
    // The progress of other work already showing keeps its Cancel and Esc.
    if (!progress_->isHidden() && owner != progressOwner_) return;
    progressOwner_ = owner;
    progress_->armEscape(std::move(cancel));
}

void CMainFrame::hideProgress(const CDocument* owner) {
    if (owner != progressOwner_) return;
    progressOwner_ = nullptr;
    progress_->hideAndForget();
}

void CMainFrame::beginWaitCursor() {
    ++waitCursors_;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CMainFrame::endWaitCursor() {
    if (waitCursors_ == 0) return;
    --waitCursors_;
    QApplication::restoreOverrideCursor();
}

bool CMainFrame::OnUpdateCommand(int id, CommandState& state) {
    switch (id) {
        case ID_HELP_HOWTOUSE:
        case ID_VIEW_TOOLBAR:  // there is no toolbar: enabled, unchecked, no effect
            return true;
        case ID_VIEW_STATUS_BAR:
            state.SetCheck(statusBar()->isVisible());
            return true;
        case ID_NEXT_PANE:
        case ID_PREV_PANE:  // no split window to move between
            state.Enable(false);
            return true;
        default:
            return false;
    }
}

bool CMainFrame::OnCommand(int id) {
    switch (id) {
        case ID_HELP_HOWTOUSE: {
            HowToUseDialog dialog(this);
            dialog.exec();
            return true;
        }
        case ID_VIEW_TOOLBAR:
            return true;
        case ID_VIEW_STATUS_BAR:
            statusBar()->setVisible(!statusBar()->isVisible());
            return true;
        default:
            return false;
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (callbacks_.closeAllDocuments && !callbacks_.closeAllDocuments()) {
        event->ignore();
        return;
    }
    event->accept();
}

void CMainFrame::keyPressEvent(QKeyEvent* event) {
    // F10 opens the menu bar, as on other desktops (Alt with a menu's letter works too). It
    // arrives here from whichever control has the focus, since none of them takes F10.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier) {
        openFirstMenu();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const std::vector<std::string> files = droppedFiles(event->mimeData());
    if (files.empty()) return;
    event->acceptProposedAction();
    activateWindow();
    for (const std::string& file : files) {
        if (callbacks_.openFile) callbacks_.openFile(file);
    }
}

}  // namespace quorbel
