#pragma once
// The tools manager: the settings window's first page, where the catalog is edited by hand.
// A child window of the settings window, with the folder tree, the toolbar and the item list.
#include <windows.h>

#include <memory>
#include <string>

#include "state/app_context.h"
#include "kit/page.h"

namespace kest {

class ToolsManagerPage;

// Creates the page as a child of the settings window (hidden until shown), rooted at the
// catalog root beside the executable; area is its place at 96 DPI, dpi the window's.
std::unique_ptr<ToolsManagerPage> CreateToolsManagerPage(AppContext& ctx, HWND settingsWindow, const RECT& area,
                                                         int dpi);

class ToolsManagerPage : public Page {
 public:
  // Re-reads the list's current folder and the tree from its top node.
  virtual void RefreshViews() = 0;
  // The folder the list shows, without trailing backslash: where new and dropped tools go.
  virtual std::string CurrentFolder() const = 0;
  // Takes the scheme's colours again, after "apply".
  virtual void Recolour() = 0;
  // Lays the page out again at another DPI, with its font made again.
  virtual void Rescale(int dpi) = 0;
};

}  // namespace kest
