#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "app/position_slider.h"
#include "framework/view_window.h"

class QSlider;

namespace quorbel {

class CQuorbelDoc;
class CQuorbelView;
class CommandDispatcher;
class NotifyRelay;
class PictureButton;

struct AppContext;

// The window of one editor view. It owns the CQuorbelView and forwards to it the paint,
// mouse, timer, slider, button and posted device messages; it implements the view's window
// port with Qt widgets (picture buttons, a slider) and the shell's boxes and menus.
class ViewWidget final : public QWidget, public ViewWindow {
    Q_OBJECT
  public:
    static constexpr int kWidth = 388;
    static constexpr int kHeight = 480;

    ViewWidget(CQuorbelDoc& document, AppContext& context, CommandDispatcher& dispatcher,
               QWidget* parent = nullptr);
    ~ViewWidget() override;

    CQuorbelView& view() const { return *view_; }
    QSize sizeHint() const override { return {kWidth, kHeight}; }
    QWidget* buttonWidget(int id) const;
    QSlider* slider() const { return slider_; }
    // What is loaded, for the tooltip and assistive technology: title, bits, channels, rate
    // and length.
    QString soundDescription() const;
    // When set, context menus are built and handed to `record` (the menu resource id) instead
    // of being shown modally, so that an automation script never blocks on one.
    static void setPopupMenuRecorder(std::function<void(int menuId)> record);

    // ViewWindow
    void invalidateRect(const Rect& r, bool erase) override;
    void invalidateAll(bool erase) override;
    Rect clientRect() const override;
    Rect windowRect() const override;
    unsigned setTimer(unsigned id, unsigned periodMs) override;
    void killTimer(unsigned id) override;
    void createPictureButton(int id, const Rect& r, int bitmapNormal, int bitmapPressed,
                             int bitmapDisabled) override;
    void enableButton(int id, bool enabled) override;
    bool isButtonEnabled(int id) const override;
    void createSlider(int id, const Rect& r) override;
    bool hasSlider() const override { return slider_ != nullptr; }
    void setSliderRange(int minimum, int maximum, bool redraw) override;
    int sliderMin() const override;
    int sliderMax() const override;
    int sliderPos() const override;
    void setSliderPos(int pos, bool redraw) override;
    void setSliderTicFreq(int freq) override;
    void setSliderPageSize(int size) override;
    void setSliderLineSize(int size) override;
    using ViewWindow::messageBox;
    BoxAnswer messageBox(const std::string& text, const std::string& caption, BoxIcon icon,
                         BoxButtons buttons) override;
    void trackPopupMenu(int menuId, Point screenPos) override;
    void selectionChanged(const std::string& text, const std::string& zoom) override;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> askSelectionRange(
        std::uint32_t startMs, std::uint32_t endMs, const RangeCheck& check) override;
    std::optional<std::uint32_t> askSilenceLength(const LengthCheck& check) override;
    std::optional<LevelAnswer> askLevel(const LevelQuestion& question,
                                        const LevelCheck& check) override;
    void postDeviceNotify(unsigned code, std::uint32_t deviceId) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void onSliderAction(int action);
    // Tab goes through the slider and the buttons as they are laid out: top to bottom, left
    // to right.
    void orderFocusChain();
    // Tells assistive technology when the description may have changed.
    void announceDescription();

    CommandDispatcher& dispatcher_;
    std::shared_ptr<NotifyRelay> relay_;
    std::unique_ptr<CQuorbelView> view_;
    QImage picture_;
    std::map<int, PictureButton*> buttons_;
    PositionSlider* slider_ = nullptr;
    std::map<unsigned, int> timers_;  // the view's timer id -> Qt's timer id
    int paintedSkin_ = -1;            // the skin of the last paint: focus marks follow it
    QString announcedDescription_;
    bool focusMarked_ = false;  // the focus came by keyboard: the vectorscope shows a mark
};

}  // namespace quorbel
