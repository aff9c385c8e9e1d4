#pragma once
// FindBox, "TfKFind": the find box of Ctrl+F. It lists every tool of the catalog, across its
// folders, and narrows the list as the words are typed; Enter runs the chosen tool on the
// current target as its item in the tools menu would. Made afresh at each opening, shown
// modally over the main window and destroyed when it closes.
#include "state/app_context.h"
#include "state/window_roles.h"

namespace kest {

inline constexpr const char* kFindBoxClass = "TfKFind";
inline constexpr const char* kFindBoxCaption = "Find tool";

// Opens the find box and returns when it has closed; a tool chosen in it has then been run
// on target (the current one as the box opened) through tools.
void OpenFindBox(AppContext& ctx, MainHost& host, ToolBox& tools, const std::string& target);

}  // namespace kest
