#pragma once
// AboutPanel: the about panel, made afresh at each opening from "A", shown modally over the main
// window and destroyed when it closes.
#include "state/app_context.h"
#include "state/window_roles.h"

namespace kest {

inline constexpr const char* kAboutPanelClass = "TfAb";

// Opens the about panel and returns when it has closed.
void OpenAboutPanel(AppContext& ctx, MainHost& host);

}  // namespace kest
