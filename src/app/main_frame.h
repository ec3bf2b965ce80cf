#pragma once

#include <QMainWindow>
#include <functional>
#include <string>

#include "app/status_pane.h"
#include "framework/command_target.h"
#include "framework/frame_window.h"

class QLabel;
class QMdiArea;

namespace quorbel {

class CommandDispatcher;
class LockKeyWatcher;
class ProgressPane;
class OperationAnnouncer;

// The main window: a fixed-size frame around the document area, with the menu bar, the
// accelerators and the status bar (message pane and the CAP, NUM and SCRL indicators).
class CMainFrame final : public QMainWindow, public FrameWindow, public CommandTarget {
    Q_OBJECT
  public:
    struct Callbacks {
        std::function<void(const std::string& path)> openFile;  // a file dropped on the window
        std::function<bool()> closeAllDocuments;  // save prompts; false when the user cancels
    };

    CMainFrame(CommandDispatcher& dispatcher, Callbacks callbacks);
    ~CMainFrame() override;

    QMdiArea* mdiArea() const { return mdiArea_; }
    // Shows menu resource `id` (128 without a document, 129 with one) in the menu bar.
    void setMenuResource(int id);
    int menuResourceId() const { return menuId_; }
    // "Quorbel", or "Quorbel - <title>" while a document is active.
    void updateTitle(const std::string& documentTitle);
    QLabel* messagePane() const { return messagePane_->label(); }
    const OperationAnnouncer* announcer() const { return announcer_; }
    QLabel* indicator(int index) const { return indicators_[index]; }
    // Fixes the window to the size that shows a maximised 388 x 480 view exactly.
    void fitToView();
    // Opens the menu bar's first menu that can open (File), as F10 does.
    void openFirstMenu();

    // FrameWindow
    void setStatusText(const std::string& text) override;
    std::string statusText() const override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    void showProgress(const CDocument* owner, const std::string& name, int percent,
                      std::function<void()> cancel) override;
    void hideProgress(const CDocument* owner) override;
    void offerCancel(const CDocument* owner, std::function<void()> cancel) override;
    ProgressPane* progressPane() const { return progress_; }

    // CommandTarget
    bool OnUpdateCommand(int id, CommandState& state) override;
    bool OnCommand(int id) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The document of the active window, or null.
    const CDocument* activeDocument() const;
    bool hasWindowFor(const CDocument* document) const;
    void createStatusBar();
    void createAccelerators();
    void refreshIndicators();

    CommandDispatcher& dispatcher_;
    Callbacks callbacks_;
    QMdiArea* mdiArea_ = nullptr;
    StatusPane* messagePane_ = nullptr;
    ProgressPane* progress_ = nullptr;
    OperationAnnouncer* announcer_ = nullptr;
    const CDocument* progressOwner_ = nullptr;  // whose progress the pane shows
    QLabel* indicators_[3] = {nullptr, nullptr, nullptr};
    LockKeyWatcher* lockKeys_ = nullptr;
    int menuId_ = 0;
    int waitCursors_ = 0;
};

}  // namespace quorbel
