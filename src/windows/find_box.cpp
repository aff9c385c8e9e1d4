#include "windows/find_box.h"

#include <optional>
#include <string>
#include <vector>

#include "catalog/tool_search.h"
#include "kit/accessible.h"
#include "kit/controls.h"
#include "kit/dpi.h"
#include "kit/frameless.h"
#include "kit/modal.h"
#include "kit/subclass.h"
#include "platform/win32/handles.h"
#include "platform/win32/text_encoding.h"
#include "window_rules/dpi.h"
#include "window_rules/keys.h"
#include "core/window_ids.h"

namespace kest {

namespace {

constexpr WindowClass kFindClass{kFindBoxClass, CS_DBLCLKS, nullptr};
constexpr int kWidth = 300;
constexpr int kHeight = 240;
constexpr int kBorder = 1;
constexpr int kStripHeight = 18;
constexpr int kEditHeight = 20;

using namespace ids::find_box;

class FindBox final : public FramelessWindow {
 public:
  FindBox(AppContext& ctx, ToolBox& tools) : FramelessWindow(SIZE{kWidth, kHeight}), ctx_(ctx), tools_(tools) {}
  ~FindBox() override {
    if (hwnd()) DestroyWindow(hwnd());
  }

  bool Create(HWND owner) {
    // The catalog is walked once, at the opening; each keystroke filters what it gave.
    search_ = ToolSearch(tools_.CatalogTools());
    RECT r{};
    GetWindowRect(owner, &r);
    // Made at the owner's DPI, which is the one of the screen it opens on.
    const int dpi = WindowDpi(owner);
    const int width = ScaleForDpi(kWidth, dpi), height = ScaleForDpi(kHeight, dpi);
    POINT at = OnWorkArea(r.left + ScaleForDpi(10, dpi), r.top + ScaleForDpi(20, dpi), width, height);
    DWORD exStyle = WS_EX_TOOLWINDOW | (ctx_.state.stayOnTop ? WS_EX_TOPMOST : 0);
    return CreateWindowFor(kFindClass, exStyle, kFindBoxCaption, WS_POPUP | WS_CLIPCHILDREN, at.x, at.y, width,
                           height, owner) != nullptr;
  }

  // The tool chosen with Enter or a double click, and whether Ctrl was held.
  struct Choice {
    std::string file;
    std::string twin;
    bool commandLineEditing = false;
  };
  const std::optional<Choice>& choice() const { return choice_; }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_ACTIVATE: {
        LRESULT r = FramelessWindow::HandleMessage(message, wParam, lParam);
        if (LOWORD(wParam) != WA_INACTIVE) {
          SetFocus(edit_);
        } else {
          // Another window took the activation: the box goes.
          Close();
        }
        return r;
      }
      case WM_CTLCOLOREDIT:
        if (reinterpret_cast<HWND>(lParam) == edit_) {
          HDC dc = reinterpret_cast<HDC>(wParam);
          SetTextColor(dc, FrameColors().font);
          SetBkColor(dc, FrameColors().main);
          return reinterpret_cast<LRESULT>(editBrush_.get());
        }
        break;
      default:
        break;
    }
    return FramelessWindow::HandleMessage(message, wParam, lParam);
  }

  void OnCreate() override {
    const ColorScheme& c = ctx_.state.colors;
    SetFrameColors(c);
    editBrush_.reset(CreateSolidBrush(c.main));
    AddFlatButton(closeButton, "X", 0, 0, 0, 0, "Close", KeyName(vk::kEscape, 0));
    edit_ = CreateUnplacedChild(hwnd(), 0, "EDIT", "", WS_BORDER | ES_AUTOHSCROLL, queryEdit);
    editHook_.Attach(edit_, hwnd(), [this](UINT m, WPARAM w, LPARAM l) { return EditMessage(m, w, l); });
    list_ = CreateUnplacedChild(hwnd(), 0, WC_LISTVIEWA, "",
                                WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                                    LVS_SHOWSELALWAYS,
                                resultList);
    // The query line's text is the query, and a list has none.
    SetAccessibleName(edit_, "Find tool");
    SetAccessibleName(list_, "Tools found");
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
    ListView_SetBkColor(list_, c.main);
    ListView_SetTextBkColor(list_, c.main);
    ListView_SetTextColor(list_, c.font);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    ListView_InsertColumn(list_, 0, &column);
    LayOut();
    Refilter();
  }

  // The font and every part at the window's DPI, from their 96-DPI places.
  void LayOut() {
    win32::OwnedFont old(font_.release());
    font_.reset(MakeFont("Courier New", Scaled(-11)));
    SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    const int top = kBorder + kStripHeight;
    const int inner = kWidth - 2 * kBorder - 2;
    const int listTop = top + kEditHeight + 2;
    PlaceScaled(GetDlgItem(hwnd(), closeButton), kWidth - kBorder - 17, kBorder + 1, 16, kStripHeight - 2, Dpi());
    PlaceScaled(edit_, kBorder + 1, top, inner, kEditHeight, Dpi());
    PlaceScaled(list_, kBorder + 1, listTop, inner, kHeight - kBorder - 1 - listTop, Dpi());
    ListView_SetColumnWidth(list_, 0, LVSCW_AUTOSIZE_USEHEADER);
    InvalidateRect(hwnd(), nullptr, TRUE);
  }

  void OnDpiChanged() override { LayOut(); }

  // The keys stay with the query: the arrows move the choice in the list, Enter runs it and
  // Escape closes the box.
  LRESULT EditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) {
      switch (wParam) {
        case VK_DOWN: Move(1); return 0;
        case VK_UP: Move(-1); return 0;
        case VK_NEXT: Move(PageRows()); return 0;
        case VK_PRIOR: Move(-PageRows()); return 0;
        case VK_RETURN: Choose(Selected()); return 0;
        case VK_ESCAPE: Close(); return 0;
        default: break;
      }
    }
    // No beep and no character for the keys just handled (Ctrl+Enter gives a line feed).
    if (message == WM_CHAR && (wParam == '\r' || wParam == '\n' || wParam == 0x1B)) return 0;
    return editHook_.Default(message, wParam, lParam);
  }

  void OnCommand(int id, int code, HWND) override {
    if (id == queryEdit && code == EN_CHANGE) Refilter();
    if (id == closeButton) Close();
  }

  LRESULT OnNotify(NMHDR& header) override {
    if (header.hwndFrom != list_) return 0;
    switch (header.code) {
      case LVN_GETDISPINFOA:
      case LVN_GETDISPINFOW: {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA&>(header).item;
        if (!(item.mask & LVIF_TEXT) || item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= matches_.size())
          return 0;
        const std::string& text = search_.entries()[matches_[static_cast<std::size_t>(item.iItem)]].text;
        if (header.code == LVN_GETDISPINFOA) {
          item.pszText = const_cast<char*>(text.c_str());
        } else {
          wideText_ = win32::AnsiToWide(text);
          item.pszText = reinterpret_cast<char*>(wideText_.data());
        }
        return 0;
      }
      case NM_CUSTOMDRAW:
        return DrawRow(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
      case NM_CLICK:
        // The keys go on to the query.
        SetFocus(edit_);
        return 0;
      case NM_DBLCLK:
        Choose(reinterpret_cast<NMITEMACTIVATE&>(header).iItem);
        return 0;
      case LVN_KEYDOWN: {
        WORD key = reinterpret_cast<NMLVKEYDOWN&>(header).wVKey;
        if (key == VK_RETURN) Choose(Selected());
        if (key == VK_ESCAPE) Close();
        return 0;
      }
      default:
        return 0;
    }
  }

  // The chosen row in the scheme's colours inverted, whether or not the list has the focus.
  LRESULT DrawRow(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    const bool chosen = ListView_GetItemState(list_, row, LVIS_SELECTED) != 0;
    draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
    draw.clrText = chosen ? FrameColors().main : FrameColors().font;
    draw.clrTextBk = chosen ? FrameColors().font : FrameColors().main;
    return CDRF_DODEFAULT;
  }

  Strip StripAt(POINT p) const override {
    if (p.y >= kBorder && p.y < kBorder + Scaled(kStripHeight) && p.x < Scaled(kWidth) - kBorder - Scaled(17))
      return Strip::Title;
    return Strip::None;
  }
  HFONT ButtonFont(int) const override { return font_.get(); }

  void OnPaint(HDC dc) override {
    PaintFrame(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, FrameColors().font);
    win32::ScopedSelect useFont(dc, font_.get());
    RECT caption{kBorder + Scaled(4), kBorder, Scaled(kWidth) - kBorder - Scaled(20), kBorder + Scaled(kStripHeight)};
    DrawTextA(dc, kFindBoxCaption, -1, &caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }

  void OnFinalDestroy() override {
    editHook_.Detach();
    font_.reset();
    editBrush_.reset();
  }

  void Refilter() {
    search_.Filter(WindowTextOf(edit_), matches_);
    ListView_SetItemCountEx(list_, static_cast<int>(matches_.size()), 0);
    // The one column fills the list's width, with or without the scroll bar.
    ListView_SetColumnWidth(list_, 0, LVSCW_AUTOSIZE_USEHEADER);
    Select(matches_.empty() ? -1 : 0);
    InvalidateRect(list_, nullptr, TRUE);
  }

  int Selected() const { return ListView_GetNextItem(list_, -1, LVNI_SELECTED); }
  int PageRows() const {
    int rows = ListView_GetCountPerPage(list_);
    return rows > 1 ? rows - 1 : 1;
  }

  void Select(int row) {
    if (row < 0) {
      ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
      return;
    }
    ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list_, row, FALSE);
  }

  void Move(int by) {
    const int count = static_cast<int>(matches_.size());
    if (count == 0) return;
    int row = Selected();
    row = row < 0 ? (by > 0 ? 0 : count - 1) : row + by;
    Select(row < 0 ? 0 : row >= count ? count - 1 : row);
  }

  void Choose(int row) {
    if (ended_ || row < 0 || static_cast<std::size_t>(row) >= matches_.size()) return;
    // Ctrl held with Enter edits the command line first, as Ctrl held while choosing an item
    // of the tools menu does.
    const ToolSearchEntry& entry = search_.entries()[matches_[static_cast<std::size_t>(row)]];
    choice_ = Choice{entry.file, entry.twin, GetKeyState(VK_CONTROL) < 0};
    Close();
  }

  void Close() {
    if (ended_) return;
    ended_ = true;
    // Posted, so that the modal loop wakes up to see it (also when this runs in a message the
    // system sent); the main window is enabled again before the tool runs.
    PostMessageA(hwnd(), WM_CLOSE, 0, 0);
  }

  // The box's place, moved onto the work area of the owner's screen.
  static POINT OnWorkArea(int x, int y, int width, int height) {
    RECT want{x, y, x + width, y + height};
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoA(MonitorFromRect(&want, MONITOR_DEFAULTTONEAREST), &mi)) return POINT{x, y};
    const RECT& w = mi.rcWork;
    if (x + width > w.right) x = w.right - width;
    if (y + height > w.bottom) y = w.bottom - height;
    if (x < w.left) x = w.left;
    if (y < w.top) y = w.top;
    return POINT{x, y};
  }

  AppContext& ctx_;
  ToolBox& tools_;
  ToolSearch search_;
  std::vector<std::size_t> matches_;  // the rows: indexes into search_.entries()
  HWND edit_ = nullptr;
  HWND list_ = nullptr;
  Subclass editHook_;
  win32::OwnedFont font_;
  win32::OwnedBrush editBrush_;
  std::wstring wideText_;
  std::optional<Choice> choice_;
  bool ended_ = false;
};

}  // namespace

void OpenFindBox(AppContext& ctx, MainHost& host, ToolBox& tools, const std::string& target) {
  HWND main = static_cast<HWND>(host.MainHandle());
  std::optional<FindBox::Choice> choice;
  {
    FindBox box(ctx, tools);
    if (!box.Create(main)) return;
    RunModal(box, main);
    choice = box.choice();
  }
  // The box has gone and the main window is enabled: the launch's questions and warnings, and
  // the command-line box, belong to it.
  if (choice) tools.LaunchAsMenu(choice->file, choice->twin, target, choice->commandLineEditing);
}

}  // namespace kest
