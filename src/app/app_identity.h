#pragma once

// Who the program is to Qt and the desktop.

namespace quorbel {

// The desktop file's name without ".desktop", which is also the AppStream id and the icon's
// name; the build passes the one the installed files use.
inline constexpr const char* kAppId = QUORBEL_APP_ID;

// Sets the application's name, version, window icon and desktop file name, so that docks,
// task switchers and window lists find the installed launcher and show its icon. Needs the
// QApplication.
void setApplicationIdentity();

}  // namespace quorbel
