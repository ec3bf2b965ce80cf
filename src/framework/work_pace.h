#pragma once

// How every long work on a document shows itself, whether an edit or effect or the opening or
// saving of a file: watched at one pace, its progress shown only after a moment so that short
// work does not flicker, and Esc able to stop it from its start.

#include <chrono>
#include <functional>
#include <string>

namespace quorbel {

class CDocument;
class FrameWindow;

// How often running work is looked at, and how long it runs before its progress shows.
inline constexpr unsigned kWorkPollMs = 25;
inline constexpr std::chrono::milliseconds kProgressDelay{300};

// Shows the work `name` on `owner` in `frame` as it stands after `elapsed`: before the delay
// only a Cancel for Esc (when `cancel` is set), then its name, `percent` and Cancel. False when
// nothing was shown (short work that cannot be cancelled).
bool OfferWorkProgress(FrameWindow& frame, const CDocument* owner, const std::string& name,
                       int percent, std::chrono::steady_clock::duration elapsed,
                       std::function<void()> cancel);

}  // namespace quorbel
