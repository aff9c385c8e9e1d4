#pragma once
// MiniWindow, "Kest mini": the small window of mini mode that shows one folder of the
// catalog at a time.
#include <windows.h>

#include <memory>

#include "state/app_context.h"
#include "state/window_roles.h"

namespace kest {

// Creates and shows a new mini window owned by the main window, at the given place and
// opacity, showing the catalog root; its tools come from and run through tools. A window that
// cannot be made gives the main window back at once (the pane then is not shown).
std::unique_ptr<MiniPane> CreateMiniWindow(AppContext& ctx, MainHost& host, ToolBox& tools, HWND owner, int left,
                                           int top, int opacity);

}  // namespace kest
