#include "view/lost_sound_text.h"

#include <algorithm>
#include <cstdio>

namespace quorbel {
namespace {

std::string dropoutsText(std::uint64_t n) {
    return std::to_string(n) + (n == 1 ? " dropout" : " dropouts");
}

constexpr const char* kNoRecoveryCopy = "The recovery copy of the recording could not be written.";

// Whether sound itself was lost, as opposed to only the recovery copy.
bool soundLost(const LostSound& lost) {
    return lost.dropouts > 0 || lost.frames > 0;
}

// Joins two sentences, either of which may be missing.
std::string joined(std::string first, const std::string& second) {
    if (first.empty() || second.empty()) return first + second;
    return first + " " + second;
}

}  // namespace

std::string LostDurationText(const LostSound& lost) {
    const std::uint64_t ms = std::max<std::uint64_t>(lost.milliseconds(), 1);
    if (ms < 1000) return std::to_string(ms) + " ms";
    char text[48];
    std::snprintf(text, sizeof text, "%llu.%02llu s", static_cast<unsigned long long>(ms / 1000),
                  static_cast<unsigned long long>(ms % 1000 / 10));
    return text;
}

std::string LostSoundStatusText(const LostSound& lost) {
    std::string text;
    if (lost.stoppedAtLimitBytes > 0) {
        text = "The recording stopped: a WAVE file holds no more.";
    } else if (soundLost(lost) || lost.spoolError.empty()) {
        text = std::string(lost.recording ? "Recording" : "Playback") + " lost " +
               LostDurationText(lost) + " of sound (" + dropoutsText(lost.dropouts) + ").";
    }
    return joined(text, lost.spoolError.empty() ? "" : kNoRecoveryCopy);
}

std::string LostRecordingBoxText(const LostSound& lost) {
    std::string text;
    if (lost.stoppedAtLimitBytes > 0) {
        text = "The recording stopped at " + std::to_string(lost.stoppedAtLimitBytes) +
               " bytes of sound: a WAVE file of this format holds no more. The sound recorded "
               "so far is kept.";
    } else if (soundLost(lost) || lost.spoolError.empty()) {
        text = "The recording lost " + LostDurationText(lost) + " of sound in " +
               dropoutsText(lost.dropouts) +
               ": the computer did not keep up with the sound input. The sound recorded around "
               "the gaps is kept.";
    }
    if (lost.spoolError.empty()) return text;
    return joined(text, std::string(kNoRecoveryCopy) + " " + lost.spoolError +
                            ". The recording itself is kept.");
}

}  // namespace quorbel
