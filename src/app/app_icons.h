#pragma once

#include <QIcon>

namespace quorbel {

// The program's window icons at the usual sizes, from the pictures of art/app_icon_art.h:
// the application's for the main window, a document's for each document window.
QIcon applicationIcon();
QIcon documentIcon();

}  // namespace quorbel
