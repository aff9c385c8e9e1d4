#pragma once
// SettingsWindow, "Kest settings": the settings window with the tools manager, the options and the
// colour pages. Made afresh at each opening, shown modally, destroyed when it closes.
#include "state/app_context.h"
#include "state/window_roles.h"

namespace kest {

inline constexpr const char* kSettingsWindowClass = "TfOpt";

// Opens the settings window over the main window and returns when it has closed.
void OpenSettingsWindow(AppContext& ctx, MainHost& host);

}  // namespace kest
