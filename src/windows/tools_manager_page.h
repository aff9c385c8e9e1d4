#pragma once
// The tools manager page's own declarations, shared by its files: tools_manager.cpp (creation,
// layout, message routing), tools_manager_views.cpp (the folder tree and the item list) and
// tools_manager_commands.cpp (toolbar, menus, keys, drag and drop).
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalog/tool_catalog.h"
#include "platform/win32/handles.h"
#include "settings/catalog_editing.h"
#include "windows/tools_manager.h"
#include "kit/pictures.h"
#include "kit/subclass.h"
#include "core/window_ids.h"

namespace kest::tools_manager {

// Controls, buttons and menu commands.
using namespace ids::tools_manager;


// Sizes at 96 DPI.
constexpr int kTreeHeight = 145;
constexpr int kToolbarHeight = 25;
constexpr int kButtonSize = 25;
constexpr int kEditWidth = 119;
constexpr int kTreeIndent = 19;
constexpr int kCreateButtonIndex = 6;  // createTool's place in toolbar, the separator counted

// Work that must not run inside a control's own notification or key handling.
using msg::kRefreshTree;
using msg::kRefreshAll;
using msg::kReportBadName;
using msg::kReportRenameFailure;

bool SamePath(const std::string& a, const std::string& b);
// Puts the settings window back above the main window it belongs to. Under Wine the main
// window can end up above it once a message box or dialog owned by it has gone, and it then
// takes the clicks meant for the page.
void BringToTop(HWND window);

// The page's message boxes, each followed by BringToTop.
class RaisingBox final : public MsgBox {
 public:
  RaisingBox(MsgBox& box, HWND window) : box_(box), window_(window) {}
  MbAnswer ask(WindowHandle owner, const std::string& text, const std::string& caption, MbButtons buttons,
               MbIcon icon, bool utf8 = false) override {
    MbAnswer answer = box_.ask(owner, text, caption, buttons, icon, utf8);
    BringToTop(window_);
    return answer;
  }

 private:
  MsgBox& box_;
  HWND window_;
};

class ToolsManager final : public ToolsManagerPage {
 public:
  ToolsManager(AppContext& ctx, HWND settingsWindow, int dpi)
      : ctx_(ctx),
        createDpi_(dpi),
        settingsWindow_(settingsWindow),
        box_(ctx.box, settingsWindow),
        root_(ToolCatalog::RootOf(ctx.dataDir)),
        currentFolder_(root_) {}
  ~ToolsManager() override {
    if (hwnd()) DestroyWindow(hwnd());
  }

  bool Create(const RECT& area);

  void RefreshViews() override {
    icons_.clear();
    currentFolder_ = NearestExistingFolder(ctx_.fs, root_, currentFolder_);
    auto selected = ListSelected();
    std::string keep = selected ? items_[*selected].name : std::string();
    FillList(ListCatalogFolder(ctx_.fs, currentFolder_), keep);
    RefreshTree();
  }

  std::string CurrentFolder() const override { return currentFolder_; }

  void Recolour() override;
  void Rescale(int dpi) override;

 private:
  struct Node {
    std::string path;
    std::uint32_t attributes = 0;
    bool filled = false;
  };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCreate() override;
  // The pictures of the tool bar and the menus at the small icon size of the page's DPI.
  void MakeImages();
  void OnSize(int width, int height) override;
  void OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(NMHDR& header) override;
  bool OnMeasureItem(MEASUREITEMSTRUCT& item) override;
  bool OnDrawItem(const DRAWITEMSTRUCT& item) override;
  void OnFinalDestroy() override {
    Page::OnFinalDestroy();
    treeHook_.Detach();
    listHook_.Detach();
    editHook_.Detach();
    nodes_.clear();
    images_.reset();
    font_.reset();
    background_.reset();
  }

  // The views.
  int IconOf(const std::string& path, std::uint32_t attributes);
  void FillList(std::vector<CatalogItem> items, const std::string& selectName);
  void ShowFolder(const std::string& folder, bool selectInTree);
  void ReadList();
  HTREEITEM AddNode(HTREEITEM parent, const std::string& path, const CatalogItem& item);
  void FillNode(HTREEITEM node);
  void RefreshTree();
  HTREEITEM FindNode(const std::string& path);
  void SelectInTree(const std::string& path);
  std::optional<std::string> TreeSelectedPath() const;
  std::optional<std::size_t> ListSelected() const;
  std::optional<std::size_t> ListFocused() const;
  std::string ItemPath(std::size_t i) const { return currentFolder_ + "\\" + items_[i].name; }
  void Renamed(const std::string& from, const std::string& to);
  // The end of a label edit in either view: true when the item was renamed.
  bool RenameFromLabel(const std::string& path, std::uint32_t attributes, const std::string& typed,
                       std::string* renamedTo);

  // The commands.
  void UpClick();
  void NewFolderClick();
  void CreateClick();
  // Puts the name box beside the toolbar's "Apply" button.
  void PlaceNameEdit(bool show);
  void CloseNameEntry();
  void NewToolClick();
  std::optional<std::string> ChooseProgram();
  void DeleteClick();
  void RefreshClick() {
    icons_.clear();
    RefreshTree();
  }
  void RenameInList();
  void RenameInTree();
  void OpenItem(std::size_t i);
  void ShowProperties();
  void ListContextMenu(POINT screen);
  void DropAt(POINT screen);
  std::optional<std::string> DropFolderAt(POINT screen, bool select);

  // Keys of the two views; true when the key was taken.
  bool CommonKeyDown(WPARAM key);
  bool ListKeyDown(WPARAM key);
  LRESULT ListMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT TreeMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT EditMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Notifications of the two views.
  LRESULT ListNotify(NMHDR& header);
  LRESULT TreeNotify(NMHDR& header);

  AppContext& ctx_;
  int createDpi_;
  HWND settingsWindow_;
  RaisingBox box_;
  const std::string root_;     // the catalog root, without trailing backslash
  std::string currentFolder_;  // the folder the list shows, without trailing backslash
  std::vector<CatalogItem> items_;  // the list's entries, in the list's order
  std::map<HTREEITEM, Node> nodes_;
  HTREEITEM rootNode_ = nullptr;
  std::map<std::string, int> icons_;  // system image of each path, for one reading
  HWND folderTree_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND itemList_ = nullptr;
  HWND nameEdit_ = nullptr;
  win32::OwnedImageList images_;
  win32::OwnedFont font_;
  win32::OwnedBrush background_;
  Subclass treeHook_, listHook_, editHook_;
  bool syncing_ = false;            // the page moves the tree's selection itself
  bool treeRefreshPosted_ = false;
  bool dragging_ = false;
  std::string dragSource_;
  // The rename the file system refused, told once the label edit has ended.
  std::string refusedRename_, refusedRenameTo_;
};

}  // namespace kest::tools_manager
