#pragma once
// What a screen reader reads for a control whose window text names nothing: a list or a tree has
// none, and an edit's or an editor's text is what it holds. The control answers the reader's
// question (WM_GETOBJECT) with the system's own accessible object for it, given a name.
#include <windows.h>

#include <string>

namespace kest {

// The control's accessible name from now on, for as long as it lives.
void SetAccessibleName(HWND control, const std::string& name);
// A label that stands for a page: while its page is shown it is read as selected (and pressed),
// its name followed by ", selected". Names the control by its window text unless it has a name.
void SetAccessibleSelected(HWND control, bool selected);

}  // namespace kest
