#pragma once

#include <QIcon>

namespace quorbel {

// The program's icons, drawn in code: a wave trace on a blue plate for the application and
// the same trace on a white page for a document.
QIcon applicationIcon();
QIcon documentIcon();

}  // namespace quorbel
