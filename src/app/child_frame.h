#pragma once

#include <QMdiSubWindow>
#include <functional>
#include <memory>

namespace quorbel {

class CQuorbelDoc;
class ViewWidget;

// The window of one document: it owns the document and the widget that hosts its view.
// It is always shown maximised, and closing it first asks whether to save the document.
class CChildFrame final : public QMdiSubWindow {
    Q_OBJECT
  public:
    // `canClose` runs the save prompt; the frame closes only when it returns true.
    CChildFrame(std::unique_ptr<CQuorbelDoc> document, std::function<bool(CChildFrame&)> canClose,
                QWidget* parent = nullptr);
    ~CChildFrame() override;

    // False once the frame has been closed (its view and document are gone).
    bool isOpen() const { return document_ != nullptr; }
    CQuorbelDoc& document() const { return *document_; }
    ViewWidget* viewWidget() const { return viewWidget_; }
    void setViewWidget(ViewWidget* widget);

    // Activates the frame maximised, whatever show mode is asked for.
    void ActivateFrame();
    // Closes without asking (the caller has already dealt with saving).
    void closeWithoutPrompt();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void releaseDocument();

    std::unique_ptr<CQuorbelDoc> document_;
    std::function<bool(CChildFrame&)> canClose_;
    ViewWidget* viewWidget_ = nullptr;
    bool skipPrompt_ = false;
};

}  // namespace quorbel
