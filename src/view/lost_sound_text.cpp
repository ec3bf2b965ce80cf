#include "view/lost_sound_text.h"

#include <algorithm>
#include <cstdio>

namespace quorbel {
namespace {

std::string dropoutsText(std::uint64_t n) {
    return std::to_string(n) + (n == 1 ? " dropout" : " dropouts");
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
    if (lost.stoppedAtLimitBytes > 0) return "The recording stopped: a WAVE file holds no more.";
    return std::string(lost.recording ? "Recording" : "Playback") + " lost " +
           LostDurationText(lost) + " of sound (" + dropoutsText(lost.dropouts) + ").";
}

std::string LostRecordingBoxText(const LostSound& lost) {
    if (lost.stoppedAtLimitBytes > 0) {
        return "The recording stopped at " + std::to_string(lost.stoppedAtLimitBytes) +
               " bytes of sound: a WAVE file of this format holds no more. The sound recorded "
               "so far is kept.";
    }
    return "The recording lost " + LostDurationText(lost) + " of sound in " +
           dropoutsText(lost.dropouts) +
           ": the computer did not keep up with the sound input. The sound recorded around "
           "the gaps is kept.";
}

}  // namespace quorbel
