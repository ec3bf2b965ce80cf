#pragma once

// What the user is told about sounds recovery could bring back only in part, or not at all.

#include <string>

#include "audio/recovered_sound.h"

namespace quorbel {

// `recovered` (of the document `name`) came from working files another program cut short.
std::string CutShortText(const std::string& name, const RecoveredSound& recovered);

// Files recovery could not read were moved to `folder`, where no start looks again.
std::string KeptAsideText(const std::string& folder);

// The same, when they could not be moved and stay in `folder`.
std::string KeptInPlaceText(const std::string& folder);

}  // namespace quorbel
