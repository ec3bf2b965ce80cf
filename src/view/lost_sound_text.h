#pragma once

// The words for sound lost by a play or recording: the status line's line and the warning
// box a recording that lost sound shows. Both also tell when the recording's recovery copy
// (its spool file) could not be written.

#include <string>

#include "audio/wave_device.h"

namespace quorbel {

// "23 ms" below a second, else seconds with hundredths ("1.25 s"); never "0".
std::string LostDurationText(const LostSound& lost);

// "Recording lost 23 ms of sound (3 dropouts)." or "Playback lost ...".
std::string LostSoundStatusText(const LostSound& lost);

// The warning box after a recording that lost sound.
std::string LostRecordingBoxText(const LostSound& lost);

}  // namespace quorbel
