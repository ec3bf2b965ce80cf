#include "app/view_widget.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QSlider>
#include <QTimer>
#include <QTimerEvent>
#include <QToolTip>
#include <algorithm>
#include <vector>

#include "app/command_dispatcher.h"
#include "app/control_texts.h"
#include "app/insert_silence_dialog.h"
#include "app/level_dialog.h"
#include "app/menu_builder.h"
#include "app/message_boxes.h"
#include "app/notify_relay.h"
#include "app/picture_button.h"
#include "app/position_slider.h"
#include "app/qt_canvas.h"
#include "app/select_range_dialog.h"
#include "app/view_accessible.h"
#include "audio/quorbel_doc.h"
#include "edit/edit_commands.h"
#include "effects/effect_commands.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "res/menus.h"
#include "view/position_math.h"
#include "view/quorbel_view.h"
#include "view/selection_time.h"
#include "view/wave_trace.h"

namespace quorbel {

namespace {

QRect qtRect(const Rect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

unsigned keyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    unsigned flags = 0;
    if (buttons & Qt::LeftButton) flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton) flags |= MK_RBUTTON;
    if (modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
    return flags;
}

void applyTexts(QWidget& widget, const ControlText& text) {
    widget.setAccessibleName(QString::fromStdString(text.name));
    widget.setAccessibleDescription(QString::fromStdString(text.description));
    widget.setToolTip(QString::fromStdString(text.toolTip));
}

Point viewPoint(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}

std::function<void(int)>& popupMenuRecorder() {
    static std::function<void(int)> record;
    return record;
}

}  // namespace

void ViewWidget::setPopupMenuRecorder(std::function<void(int menuId)> record) {
    popupMenuRecorder() = std::move(record);
}

ViewWidget::ViewWidget(CQuorbelDoc& document, AppContext& context, CommandDispatcher& dispatcher,
                       QWidget* parent)
    : QWidget(parent),
      dispatcher_(dispatcher),
      relay_(std::make_shared<NotifyRelay>(this,
                                           [this](unsigned code, std::uint32_t id) {
                                               view_->WindowProc(kMsgDeviceNotify, code,
                                                                 static_cast<std::intptr_t>(id));
                                           })),
      picture_(kWidth, kHeight, QImage::Format_RGB32) {
    picture_.fill(Qt::black);
    setFixedSize(kWidth, kHeight);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Tab reaches the view itself, whose keys move the selection handles.
    setFocusPolicy(Qt::StrongFocus);
    view_ = std::make_unique<CQuorbelView>(document, *this, context);
    view_->AddCommands(EditCommands());
    view_->AddCommands(EffectCommands());
    installViewAccessibleFactory();
}

ViewWidget::~ViewWidget() {
    // Notices posted from now on are dropped; the view's destructor closes its device.
    relay_->detach();
    for (const auto& [viewId, qtId] : timers_) QObject::killTimer(qtId);
    timers_.clear();
    view_.reset();
}

QString ViewWidget::soundDescription() const {
    const CQuorbelView& v = *view_;
    QString text = QString::fromStdString(soundViewDescription(
        v.GetDocument().GetTitle(), v.m_nBitsPerSample, v.m_nChannels, v.m_nSamplesPerSec,
        v.WaveDataLen(), v.m_nBlockAlign, v.m_bPCM == kWaveFormatFloat));
    // Read from the view each time, so that an edit, Undo or a recording that moved the
    // handles or ended the zoom is told as it is now.
    const std::string selection = v.SelectionSpokenText();
    if (!selection.empty()) text += QStringLiteral(". ") + QString::fromStdString(selection);
    return text;
}

void ViewWidget::selectionChanged(const std::string&, const std::string&) {
    announceDescription();
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> ViewWidget::askSelectionRange(
    std::uint32_t startMs, std::uint32_t endMs, const RangeCheck& check) {
    return runSelectRangeDialog(this, startMs, endMs, check);
}

std::optional<std::uint32_t> ViewWidget::askSilenceLength(const LengthCheck& check) {
    return runInsertSilenceDialog(this, check);
}

std::optional<LevelAnswer> ViewWidget::askLevel(const LevelQuestion& question,
                                                const LevelCheck& check) {
    return runLevelDialog(this, question, check);
}

void ViewWidget::keyPressEvent(QKeyEvent* event) {
    using Key = CQuorbelView::SelectionKey;
    std::optional<Key> key;
    switch (event->key()) {
        case Qt::Key_Left:
            key = Key::Left;
            break;
        case Qt::Key_Right:
            key = Key::Right;
            break;
        case Qt::Key_Home:
            key = Key::Home;
            break;
        case Qt::Key_End:
            key = Key::End;
            break;
        default:
            break;
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (key && view_->OnSelectionKey(*key, (mods & Qt::ShiftModifier) != 0,
                                     (mods & Qt::ControlModifier) != 0)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ViewWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // The mark shows where keys go once the user moves the focus here, not when the window
    // merely becomes active.
    const Qt::FocusReason why = event->reason();
    focusMarked_ = why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason &&
                   why != Qt::MouseFocusReason;
    update();
}

void ViewWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    focusMarked_ = false;
    update();
}

void ViewWidget::announceDescription() {
    const QString description = soundDescription();
    if (description == announcedDescription_) return;
    announcedDescription_ = description;
    if (!QAccessible::isActive()) return;
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

void ViewWidget::orderFocusChain() {
    std::vector<QWidget*> controls;
    if (slider_ != nullptr) controls.push_back(slider_);
    for (const auto& [id, button] : buttons_) controls.push_back(button);
    std::sort(controls.begin(), controls.end(), [](const QWidget* a, const QWidget* b) {
        const QPoint pa = a->pos(), pb = b->pos();
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    for (std::size_t i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

bool ViewWidget::event(QEvent* event) {
    // The tooltip over the pictures says what sound is loaded.
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), soundDescription(), this);
        return true;
    }
    return QWidget::event(event);
}

QWidget* ViewWidget::buttonWidget(int id) const {
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

void ViewWidget::invalidateRect(const Rect& r, bool) {
    update(qtRect(r));
}
void ViewWidget::invalidateAll(bool) {
    update();
}

Rect ViewWidget::clientRect() const {
    return {0, 0, width(), height()};
}

Rect ViewWidget::windowRect() const {
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    return {origin.x(), origin.y(), origin.x() + width(), origin.y() + height()};
}

unsigned ViewWidget::setTimer(unsigned id, unsigned periodMs) {
    if (id == 0) return 0;
    killTimer(id);
    const int qtId = startTimer(static_cast<int>(periodMs), Qt::PreciseTimer);
    if (qtId == 0) return 0;
    timers_[id] = qtId;
    return id;
}

void ViewWidget::killTimer(unsigned id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    QObject::killTimer(it->second);
    timers_.erase(it);
    // A stopped timer ends the program's moves of the slider (the position timer stops with
    // playing): once the handler that stopped it has made its last move, the value settles
    // there instead of a catch-up interval later.
    if (slider_ != nullptr)
        QTimer::singleShot(0, slider_, [slider = slider_] { slider->settle(); });
}

void ViewWidget::timerEvent(QTimerEvent* event) {
    for (const auto& [viewId, qtId] : timers_) {
        if (qtId == event->timerId()) {
            view_->OnTimer(viewId);
            return;
        }
    }
    QWidget::timerEvent(event);
}

void ViewWidget::createPictureButton(int id, const Rect& r, int bitmapNormal, int bitmapPressed,
                                     int bitmapDisabled) {
    if (buttons_.count(id) != 0) return;
    auto* button = new PictureButton(bitmapNormal, bitmapPressed, bitmapDisabled, this);
    button->setGeometry(qtRect(r));
    applyTexts(*button, pictureButtonText(id));
    button->setFocusColour([this] {
        const Color c = TracePenColor(view_->m_nSkin);
        return QColor(c.r, c.g, c.b);
    });
    button->show();
    buttons_[id] = button;
    orderFocusChain();
    connect(button, &QAbstractButton::clicked, this, [this, id] {
        // Straight to this view: the click belongs to it whichever window is active.
        CommandTarget* target = view_.get();
        routeCommand(std::span<CommandTarget* const>(&target, 1), id);
    });
}

void ViewWidget::enableButton(int id, bool enabled) {
    if (QWidget* button = buttonWidget(id)) button->setEnabled(enabled);
}

bool ViewWidget::isButtonEnabled(int id) const {
    const QWidget* button = buttonWidget(id);
    return button != nullptr && button->isEnabled();
}

void ViewWidget::createSlider(int, const Rect& r) {
    if (slider_ != nullptr) {
        slider_->setGeometry(qtRect(r));
        return;
    }
    auto* slider = new PositionSlider(this);
    slider->setTimeText([this](int position) {
        const auto pos = static_cast<std::uint32_t>(std::max(position, 0));
        const auto maximum = static_cast<std::uint32_t>(std::max(slider_->maximum(), 0));
        return QString::fromStdString(
            FormatSelectionTime(MsFromSlider(pos, maximum, view_->m_dwLength)));
    });
    slider_ = slider;
    slider_->setTickPosition(QSlider::NoTicks);
    slider_->setGeometry(qtRect(r));
    slider_->setFocusPolicy(Qt::StrongFocus);
    applyTexts(*slider_, positionSliderText());
    connect(slider_, &QAbstractSlider::actionTriggered, this, &ViewWidget::onSliderAction);
    connect(slider_, &QAbstractSlider::sliderReleased, this, [this] {
        view_->OnHScroll(SB_THUMBPOSITION, slider_->sliderPosition());
        view_->OnHScroll(SB_ENDSCROLL, 0);
    });
    slider_->show();
    orderFocusChain();
}

void ViewWidget::onSliderAction(int action) {
    // Qt has already moved sliderPosition() by the action, so sliderPos() reads the new place,
    // as a trackbar's position does when it notifies.
    int code = SB_ENDSCROLL;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            code = SB_LINERIGHT;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            code = SB_LINELEFT;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = SB_PAGERIGHT;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = SB_PAGELEFT;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = SB_LEFT;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = SB_RIGHT;
            break;
        case QAbstractSlider::SliderMove:
            code = SB_THUMBTRACK;
            break;
        default:
            return;
    }
    view_->OnHScroll(code, slider_->sliderPosition());
}

void ViewWidget::setSliderRange(int minimum, int maximum, bool) {
    if (slider_ == nullptr) return;
    const QSignalBlocker block(slider_);
    slider_->setRange(minimum, maximum);
    // A new range comes with a new or changed sound.
    announceDescription();
}

int ViewWidget::sliderMin() const {
    return slider_ ? slider_->minimum() : 0;
}
int ViewWidget::sliderMax() const {
    return slider_ ? slider_->maximum() : 0;
}
int ViewWidget::sliderPos() const {
    return slider_ ? slider_->shownPosition() : 0;
}

void ViewWidget::setSliderPos(int pos, bool) {
    if (slider_ == nullptr) return;
    // Programmatic moves never reach OnHScroll; while the user holds the thumb they are
    // ignored, like a trackbar that is being dragged.
    if (slider_->isSliderDown()) return;
    slider_->follow(pos);
}

void ViewWidget::setSliderTicFreq(int) {
    // The slider shows no ticks.
}

void ViewWidget::setSliderPageSize(int size) {
    if (slider_ != nullptr) slider_->setPageStep(size);
}

void ViewWidget::setSliderLineSize(int size) {
    if (slider_ != nullptr) slider_->setSingleStep(size);
}

BoxAnswer ViewWidget::messageBox(const std::string& text, const std::string& caption, BoxIcon icon,
                                 BoxButtons buttons) {
    return showMessageBox(this, text, caption, icon, buttons);
}

void ViewWidget::trackPopupMenu(int menuId, Point screenPos) {
    const std::vector<MenuItem>& items = menuResource(menuId);
    if (items.empty() || items.front().kind != MenuItem::Kind::Popup) return;
    QMenu menu(dispatcher_.menuOwner());
    // The chosen command is posted, as a menu command is: it runs once the pop-up is gone
    // and the mouse message that opened it has been handled.
    fillMenu(&menu, items.front().items, dispatcher_, this);
    if (popupMenuRecorder()) {
        popupMenuRecorder()(menuId);
        return;
    }
    menu.exec(QPoint(screenPos.x, screenPos.y));
}

void ViewWidget::postDeviceNotify(unsigned code, std::uint32_t deviceId) {
    relay_->post(code, deviceId);
}

void ViewWidget::paintEvent(QPaintEvent* event) {
    // Only the dirty part is drawn again: the position timer repaints the strip a hundred
    // times a second, and tracing the whole vectorscope each time would keep a core busy.
    // The rest of picture_ still holds what the last paint drew there.
    const QRect dirty = event->rect();
    if (view_->m_nSkin != paintedSkin_) {
        // The focus mark takes the skin's colour.
        paintedSkin_ = view_->m_nSkin;
        for (const auto& [id, button] : buttons_) {
            if (button->hasFocus()) button->update();
        }
    }
    {
        QtCanvas canvas(picture_, dirty);
        view_->OnDraw(canvas);
    }
    QPainter painter(this);
    painter.drawImage(dirty, picture_, dirty);
    if (focusMarked_ && hasFocus()) {
        // The focus mark: a dotted frame around the vectorscope in the skin's trace colour.
        const Color c = TracePenColor(view_->m_nSkin);
        painter.setPen(QPen(QColor(c.r, c.g, c.b), 1, Qt::DotLine));
        const Rect& s = kScopeRect;
        painter.drawRect(QRect(s.left - 2, s.top - 2, s.width() + 3, s.height() + 3));
    }
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
    const unsigned flags = keyFlags(event->buttons(), event->modifiers());
    if (event->button() == Qt::LeftButton) view_->OnLButtonDown(flags, viewPoint(event));
    if (event->button() == Qt::RightButton) view_->OnRButtonDown(flags, viewPoint(event));
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        view_->OnLButtonUp(keyFlags(event->buttons(), event->modifiers()), viewPoint(event));
    }
}

void ViewWidget::mouseMoveEvent(QMouseEvent* event) {
    view_->OnMouseMove(keyFlags(event->buttons(), event->modifiers()), viewPoint(event));
}

}  // namespace quorbel
