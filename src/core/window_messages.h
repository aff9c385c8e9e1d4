#pragma once
// Messages between the program's windows and between its processes (values of WM_USER + n;
// the logic sees them without <windows.h>).
namespace kest::msg {

inline constexpr unsigned kUser = 0x0400;
// Settings window closed, to the main window: the catalog may have changed. After "apply" on
// the colour page, to the fast string window: take the colours again.
inline constexpr unsigned kCatalogChanged = kUser + 2;
inline constexpr unsigned kWantRepaint = kUser + 2;
// A second start, to the running copy's main window: forwarded arguments wait in the atom table.
inline constexpr unsigned kForwardedCommandLine = kUser + 3;
// The notification-area icon's callback to the main window.
inline constexpr unsigned kTrayCallback = kUser + 0x400;

}  // namespace kest::msg
