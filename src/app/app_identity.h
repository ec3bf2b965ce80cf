#pragma once

// Who the program is to Qt and the desktop.

namespace quorbel {

// The desktop file's name without ".desktop", which is also the AppStream id and the icon's
// name; the build passes the one the installed files use.
inline constexpr const char* kAppId = QUORBEL_APP_ID;

// Sets the application's name (the id, which X11 shows as the window's class), version,
// window icon and desktop file name (the Wayland app id), so that docks, task switchers and
// window lists find the installed launcher and show its icon; screen readers still hear
// "Quorbel". Needs the QApplication, and must come before the first window is made.
void setApplicationIdentity();

}  // namespace quorbel
