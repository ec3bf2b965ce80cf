#include "fakes/fake_view_window.h"

#include <algorithm>

#include "framework/command_ids.h"
#include "view/quorbel_view.h"

namespace quorbel {

void FakeViewWindow::invalidateRect(const Rect& r, bool erase) {
    invalidations.push_back({r, erase, false});
}

void FakeViewWindow::invalidateAll(bool erase) {
    invalidations.push_back({client, erase, true});
}

unsigned FakeViewWindow::setTimer(unsigned id, unsigned periodMs) {
    activeTimers.insert(id);
    ++timersStarted;
    timerPeriod = periodMs;
    return id;
}

void FakeViewWindow::killTimer(unsigned id) {
    activeTimers.erase(id);
}

void FakeViewWindow::createPictureButton(int id, const Rect& r, int bitmapNormal, int bitmapPressed,
                                         int bitmapDisabled) {
    buttons[id] = Button{r, bitmapNormal, bitmapPressed, bitmapDisabled, true};
    buttonOrder.push_back(id);
}

void FakeViewWindow::enableButton(int id, bool enabled) {
    if (auto it = buttons.find(id); it != buttons.end()) it->second.enabled = enabled;
}

bool FakeViewWindow::isButtonEnabled(int id) const {
    auto it = buttons.find(id);
    return it != buttons.end() && it->second.enabled;
}

void FakeViewWindow::createSlider(int id, const Rect& r) {
    sliderCreated = true;
    sliderId = id;
    sliderRect = r;
}

void FakeViewWindow::setSliderRange(int minimum, int maximum, bool) {
    sliderMinimum = minimum;
    sliderMaximum = maximum;
    sliderPosition = std::clamp(sliderPosition, minimum, std::max(minimum, maximum));
}

void FakeViewWindow::setSliderPos(int pos, bool) {
    sliderPosition = std::clamp(pos, sliderMinimum, std::max(sliderMinimum, sliderMaximum));
}

BoxAnswer FakeViewWindow::messageBox(const std::string& text, const std::string& caption,
                                     BoxIcon icon, BoxButtons buttonSet) {
    boxes.push_back({text, caption, icon, buttonSet});
    if (answers.empty()) return BoxAnswer::Ok;
    const BoxAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeViewWindow::trackPopupMenu(int menuId, Point screenPos) {
    popups.push_back({menuId, screenPos});
}

void FakeViewWindow::postDeviceNotify(unsigned code, std::uint32_t deviceId) {
    std::lock_guard lock(noticesMutex_);
    notices_.push_back({code, deviceId});
}

void FakeViewWindow::userMovesSlider(CQuorbelView& view, int pos, int code) {
    setSliderPos(pos, true);
    view.OnHScroll(code, sliderPosition);
}

int FakeViewWindow::deliverNotices(CQuorbelView& view) {
    int delivered = 0;
    for (const Notice& n : takeNotices()) {
        view.WindowProc(kMsgDeviceNotify, n.code, static_cast<std::intptr_t>(n.deviceId));
        ++delivered;
    }
    return delivered;
}

std::vector<FakeViewWindow::Notice> FakeViewWindow::takeNotices() {
    std::lock_guard lock(noticesMutex_);
    std::vector<Notice> out(notices_.begin(), notices_.end());
    notices_.clear();
    return out;
}

std::string FakeViewWindow::buttonStates() const {
    std::string states;
    for (int id :
         {ID_BUTTON_PLAY, ID_BUTTON_STOP, ID_BUTTON_TOSTART, ID_BUTTON_TOEND, ID_BUTTON_RECORD})
        states += isButtonEnabled(id) ? '1' : '0';
    return states;
}

}  // namespace quorbel
