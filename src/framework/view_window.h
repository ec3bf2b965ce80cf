#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "framework/geometry.h"
#include "framework/message.h"
#include "framework/notify_sink.h"

namespace quorbel {

// A dialog that asks for a level: its texts and what it starts from.
struct LevelQuestion {
    std::string title;       // "Amplify"
    std::string label;       // the field's label, with its mnemonic: "&Gain (dB):"
    std::string initial;     // the field's text at first
    std::string hint;        // under the field: the range and step
    std::string option;      // the check box's text, with its mnemonic; it starts off
    std::string optionWord;  // a script's word for the check box on ("clip")
};
// What the user typed and whether the check box is on.
struct LevelAnswer {
    std::string text;
    bool option = false;
};

// The window of one editor view as the view's logic sees it: repaint requests, timers, its
// child picture buttons and position slider, message boxes it owns, pop-up menus, and
// (through NotifySink) the posted device notices. The Qt shell implements it with the widget
// that hosts the view; tests implement it with a recording fake. All calls but
// postDeviceNotify come from the UI thread.
class ViewWindow : public NotifySink {
  public:
    // Repainting.
    virtual void invalidateRect(const Rect& r, bool erase) = 0;
    virtual void invalidateAll(bool erase) = 0;
    virtual Rect clientRect() const = 0;
    // The view window's rectangle in screen coordinates.
    virtual Rect windowRect() const = 0;

    // Window timers: setTimer returns the timer's id (0 on failure); each tick reaches the
    // view's OnTimer on the UI thread.
    virtual unsigned setTimer(unsigned id, unsigned periodMs) = 0;
    virtual void killTimer(unsigned id) = 0;

    // Picture buttons: created once, visible, at `r`, drawn from bitmap resources; a click
    // reaches the view as command `id` (only while the button is enabled).
    virtual void createPictureButton(int id, const Rect& r, int bitmapNormal, int bitmapPressed,
                                     int bitmapDisabled) = 0;
    virtual void enableButton(int id, bool enabled) = 0;
    virtual bool isButtonEnabled(int id) const = 0;

    // The position slider (a horizontal trackbar without ticks). Only the user's actions on
    // it (drag, click, keys) reach the view's OnHScroll; setSliderPos and the range setters
    // never do.
    virtual void createSlider(int id, const Rect& r) = 0;
    virtual bool hasSlider() const = 0;
    virtual void setSliderRange(int minimum, int maximum, bool redraw) = 0;
    virtual int sliderMin() const = 0;
    virtual int sliderMax() const = 0;
    virtual int sliderPos() const = 0;
    virtual void setSliderPos(int pos, bool redraw) = 0;
    virtual void setSliderTicFreq(int freq) = 0;
    virtual void setSliderPageSize(int size) = 0;
    virtual void setSliderLineSize(int size) = 0;

    // A modal message box owned by this view's window.
    virtual BoxAnswer messageBox(const std::string& text, const std::string& caption, BoxIcon icon,
                                 BoxButtons buttons = BoxButtons::Ok) = 0;
    BoxAnswer messageBox(const UserMessage& m) { return messageBox(m.text, m.caption(), m.icon()); }

    // Shows the first submenu of menu resource `menuId` as a pop-up at `screenPos`, owned by
    // the main window; the chosen command is routed like a menu command. Returns when the
    // pop-up closes.
    virtual void trackPopupMenu(int menuId, Point screenPos) = 0;

    // The selection changed: `text` says what it is now (and `zoom` the stretch shown, or "")
    // for assistive technology; one call per change.
    virtual void selectionChanged(const std::string& text, const std::string& zoom) {
        (void)text;
        (void)zoom;
    }
    // Asks for a selection in milliseconds, starting from [startMs, endMs]; `check` says why a
    // pair is refused (empty when it is fine). Empty when the user cancels.
    using RangeCheck = std::function<std::string(std::uint32_t, std::uint32_t)>;
    virtual std::optional<std::pair<std::uint32_t, std::uint32_t>> askSelectionRange(
        std::uint32_t startMs, std::uint32_t endMs, const RangeCheck& check) {
        (void)startMs;
        (void)endMs;
        (void)check;
        return std::nullopt;
    }

    // Asks for a length of time in milliseconds (Insert Silence); `check` says why a length
    // is refused (empty when it is fine). Empty when the user cancels.
    using LengthCheck = std::function<std::string(std::uint32_t)>;
    virtual std::optional<std::uint32_t> askSilenceLength(const LengthCheck& check) {
        (void)check;
        return std::nullopt;
    }

    // Asks for a level in dB (Amplify's gain, Normalize's peak) and one option; `check` says
    // why an answer is refused (empty when it is fine). Empty when the user cancels.
    using LevelCheck = std::function<std::string(const LevelAnswer&)>;
    virtual std::optional<LevelAnswer> askLevel(const LevelQuestion& question,
                                                const LevelCheck& check) {
        (void)question;
        (void)check;
        return std::nullopt;
    }
};

}  // namespace quorbel
