#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/view_window.h"

namespace quorbel {

class CQuorbelView;

// A view window that records what the view asks of it: repaint requests, timers, buttons,
// the slider, message boxes (answered from a queue, Ok when empty), pop-up menus, and the
// device notices posted to it, which the test delivers when it chooses.
class FakeViewWindow : public ViewWindow {
  public:
    struct Invalidation {
        Rect rect;  // the whole client area when `all`
        bool erase = false;
        bool all = false;
        friend bool operator==(const Invalidation&, const Invalidation&) = default;
    };
    struct Button {
        Rect rect;
        int normal = 0, pressed = 0, disabled = 0;
        bool enabled = true;
    };
    struct Box {
        std::string text, caption;
        BoxIcon icon = BoxIcon::None;
        BoxButtons buttons = BoxButtons::Ok;
    };
    struct Popup {
        int menuId = 0;
        Point at;
    };
    struct Notice {
        unsigned code = 0;
        std::uint32_t deviceId = 0;
    };

    void invalidateRect(const Rect& r, bool erase) override;
    void invalidateAll(bool erase) override;
    Rect clientRect() const override { return client; }
    Rect windowRect() const override { return window; }

    unsigned setTimer(unsigned id, unsigned periodMs) override;
    void killTimer(unsigned id) override;

    void createPictureButton(int id, const Rect& r, int bitmapNormal, int bitmapPressed,
                             int bitmapDisabled) override;
    void enableButton(int id, bool enabled) override;
    bool isButtonEnabled(int id) const override;

    void createSlider(int id, const Rect& r) override;
    bool hasSlider() const override { return sliderCreated; }
    void setSliderRange(int minimum, int maximum, bool redraw) override;
    int sliderMin() const override { return sliderMinimum; }
    int sliderMax() const override { return sliderMaximum; }
    int sliderPos() const override { return sliderPosition; }
    void setSliderPos(int pos, bool redraw) override;
    void setSliderTicFreq(int freq) override { sliderTic = freq; }
    void setSliderPageSize(int size) override { sliderPage = size; }
    void setSliderLineSize(int size) override { sliderLine = size; }

    BoxAnswer messageBox(const std::string& text, const std::string& caption, BoxIcon icon,
                         BoxButtons buttons) override;
    using ViewWindow::messageBox;
    void trackPopupMenu(int menuId, Point screenPos) override;

    void postDeviceNotify(unsigned code, std::uint32_t deviceId) override;

    // Test helpers.
    // The user drags the slider to `pos` (clamped to the range) and the view hears of it.
    void userMovesSlider(CQuorbelView& view, int pos, int code);
    // Hands every notice posted so far to the view's WindowProc; returns how many.
    int deliverNotices(CQuorbelView& view);
    std::vector<Notice> takeNotices();
    // Enabled states in the order play, stop, to start, to end, record ("10011").
    std::string buttonStates() const;

    Rect client{0, 0, 388, 480};
    Rect window{100, 200, 488, 680};
    std::vector<Invalidation> invalidations;
    std::set<unsigned> activeTimers;
    int timersStarted = 0;
    unsigned timerPeriod = 0;
    std::map<int, Button> buttons;
    std::vector<int> buttonOrder;
    bool sliderCreated = false;
    int sliderId = 0;
    Rect sliderRect;
    int sliderMinimum = 0, sliderMaximum = 0, sliderPosition = 0;
    int sliderTic = 0, sliderPage = 0, sliderLine = 0;
    std::vector<Box> boxes;
    std::deque<BoxAnswer> answers;
    std::vector<Popup> popups;
    // What the Select Range dialog answers (in ms); none, or a range it refuses, cancels it.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> rangeAnswer;

    std::optional<std::pair<std::uint32_t, std::uint32_t>> askSelectionRange(
        std::uint32_t, std::uint32_t, const RangeCheck& check) override {
        if (!rangeAnswer || !check(rangeAnswer->first, rangeAnswer->second).empty()) return {};
        return rangeAnswer;
    }
    // What the Insert Silence dialog answers (in ms); none, or a length it refuses (the reason
    // goes to `lengthRefusal`), cancels it.
    std::optional<std::uint32_t> lengthAnswer;
    std::string lengthRefusal;

    std::optional<std::uint32_t> askSilenceLength(const LengthCheck& check) override {
        if (!lengthAnswer) return {};
        lengthRefusal = check(*lengthAnswer);
        if (!lengthRefusal.empty()) return {};
        return lengthAnswer;
    }

    // What the Amplify and Normalize dialogs answer; none cancels. A refused answer cancels
    // too, and its reason is kept in `levelRefusals`; each question asked is kept in
    // `levelQuestions`.
    std::optional<LevelAnswer> levelAnswer;
    std::vector<std::string> levelRefusals;
    std::vector<LevelQuestion> levelQuestions;

    std::optional<LevelAnswer> askLevel(const LevelQuestion& question,
                                        const LevelCheck& check) override {
        levelQuestions.push_back(question);
        if (!levelAnswer) return {};
        if (std::string refused = check(*levelAnswer); !refused.empty()) {
            levelRefusals.push_back(std::move(refused));
            return {};
        }
        return levelAnswer;
    }

  private:
    mutable std::mutex noticesMutex_;
    std::deque<Notice> notices_;
};

}  // namespace quorbel
