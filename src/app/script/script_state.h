#pragma once

#include <string>

#include "framework/message.h"

namespace quorbel {

class ViewWidget;

// One line of "key=value" pairs describing the view in `widget`: transport, format, working
// files, document, handles, modes, slider and the picture buttons (PSTER, upper case when
// enabled). Values holding blanks are written in double quotes.
std::string describeViewState(const ViewWidget& widget);

// A message box's text on one line: line breaks written as \n.
std::string oneLine(const std::string& text);
// none, error, warning, information or question.
const char* iconName(BoxIcon icon);

}  // namespace quorbel
