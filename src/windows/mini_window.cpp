#include "windows/mini_window.h"

#include <exception>
#include <map>
#include <optional>
#include <vector>

#include "platform/utf8.h"
#include "windows/catalog_menus.h"
#include "kit/bars.h"
#include "kit/pictures.h"
#include "catalog/mini_folder.h"
#include "catalog/shortcuts.h"
#include "catalog/tool_menus.h"
#include "platform/win32/handles.h"
#include "platform/win32/icons.h"
#include "platform/win32/this_process.h"
#include "kit/accessible.h"
#include "kit/frameless.h"
#include "kit/subclass.h"
#include "window_rules/dpi.h"
#include "window_rules/keys.h"
#include "platform/kest_error.h"
#include "core/window_ids.h"

namespace kest {

namespace {

constexpr const char* kMiniCaption = "Kest mini";
constexpr const char* kBackHint = "Back to the folder above";
constexpr const char* kCloseHint = "Back to the main window";
constexpr WindowClass kMiniClass{"TfSplashForm", CS_DBLCLKS, nullptr};
// The folder labels keep this colour whatever the scheme.
constexpr COLORREF kLabelColour = 0xC16100;
// Control ids; a released folder label posts msg::kLabelReleased with the fill it belongs to
// and its index.
using namespace ids::mini_window;

using namespace mini_layout;


class MiniWindow final : public FramelessWindow, public MiniPane {
 public:
  MiniWindow(AppContext& ctx, MainHost& host, ToolBox& tools)
      : FramelessWindow(SIZE{kInitialWidth, 0}), ctx_(ctx), host_(host), toolBox_(tools) {}
  ~MiniWindow() override {
    if (hwnd()) DestroyWindow(hwnd());
  }

  bool Create(HWND owner, int left, int top, int opacity) {
    // Control-parent: Tab moves between its buttons, Escape closes it.
    if (!CreateWindowFor(kMiniClass, WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kMiniCaption,
                         WS_POPUP | WS_CLIPCHILDREN,
                         left, top, kInitialWidth, LabelTop(0) + kBorder, owner))
      return false;
    SetOpacity(opacity);
    try {
      OnShown();
    } catch (const std::exception& e) {
      // As a handler's uncaught error: reported, and the window shows what it got so far.
      ReportUncaught(hwnd(), ErrorText(e));
    }
    ShowWindow(hwnd(), SW_SHOW);
    return true;
  }

  // MiniPane.
  bool IsShown() const override { return hwnd() && IsWindowVisible(hwnd()); }
  void Close() override {
    HWND self = hwnd();
    if (!self) return;
    host_.ShowMain();
    // The object lives on until the main window lets it go; only the window ends here.
    if (IsWindow(self)) DestroyWindow(self);
  }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCreate() override;
  void OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(NMHDR& header) override;
  void OnPaint(HDC dc) override;
  bool OnClose() override {
    Close();
    return true;
  }
  void OnFinalDestroy() override {
    labelHooks_.clear();
    labels_.clear();
    images_.reset();
    font_.reset();
    boldFont_.reset();
    labelBrush_.reset();
  }
  Strip StripAt(POINT p) const override;
  void OnStripDoubleClick(Strip) override { Close(); }
  void OnEscapeKey() override { CloseClick(); }
  // Enter opens the focused folder label or runs the tool button the arrows are on.
  void OnEnterKey() override;
  HFONT ButtonFont(int id) const override { return id == backButton ? boldFont_.get() : font_.get(); }

  void OnShown();
  void ShowFolder(const std::string& folder);
  void ClearFolder();
  // The shown folder again (another was chosen, or tools were added); keys that were in the
  // window go to its first folder label or tool.
  void Refill();
  void FocusContent();
  // The tool buttons by keyboard: the arrows move among them, past the ends to the controls
  // before and after.
  LRESULT IconBarMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void MoveHotTool(int step);
  void OnFolderLabelRelease(std::size_t label);
  // "Add tools...": the settings window on its tools manager, then the folder again.
  void AddTools();
  void BackClick();
  void CloseClick() { PostMessageA(hwnd(), WM_CLOSE, 0, 0); }
  void ToolButtonClick(int id);
  void DropOnTool(HDROP drop);
  void AddLabel(const std::string& caption, int width);
  int ToolbarHeight() const;
  RECT TitleStrip() const;
  // The layout's 96-DPI rules at the window's DPI.
  int LabelTopAt(std::size_t i) const {
    return kBorder + Scaled(kTitleHeight) + Scaled(kLabelHeight) * static_cast<int>(i);
  }
  int ExitLeftAt(int width) const { return width - Scaled(kExitFromRight); }
  void CreateFonts();
  // The tool buttons' image list at the small icon size of the window's DPI, with the eye.
  void MakeImages();
  void OnDpiChanged() override;
  const std::string* ToolOf(int id) const {
    std::size_t i = static_cast<std::size_t>(id - firstTool);
    return id >= firstTool && i < tools_.size() ? &tools_[i] : nullptr;
  }
  std::string TwinOf(int id) const { return ToolOf(id) ? twins_[static_cast<std::size_t>(id - firstTool)] : std::string(); }

  AppContext& ctx_;
  MainHost& host_;
  ToolBox& toolBox_;
  MiniNavigation nav_;
  win32::OwnedFont font_;
  win32::OwnedFont boldFont_;
  win32::OwnedBrush labelBrush_;
  win32::OwnedImageList images_;
  HWND iconBar_ = nullptr;
  Subclass iconBarHook_;
  HWND lastFocus_ = nullptr;  // the control that had the keys when the window was last left
  std::vector<HWND> labels_;
  std::vector<std::unique_ptr<Subclass>> labelHooks_;
  std::vector<std::string> captions_;
  std::optional<std::size_t> addToolsLabel_;  // the "Add tools..." label, while it is shown
  std::vector<std::string> tools_;  // each button's shortcut file, by command id from firstTool
  std::vector<std::string> twins_;  // and its 32-bit twin's (empty: none)
  WPARAM fill_ = 0;                 // counts the fills, so a release posted for an old one is dropped
};

void MiniWindow::CreateFonts() {
  int height = -MulDiv(kFontPoints, Dpi(), 72);
  auto font = [&](int weight) {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
  };
  font_.reset(font(FW_NORMAL));
  boldFont_.reset(font(FW_BOLD));
}

void MiniWindow::MakeImages() {
  const int side = SmallIconSizeForDpi(Dpi());
  // The tool bar holds the list until it is given the next: the old one goes after.
  win32::OwnedImageList old(images_.release());
  images_ = MakePictureList(side, DrawEye(side).get(), 64);
  GiveToolBarImages(iconBar_, images_.get(), side);
}

void MiniWindow::OnDpiChanged() {
  CreateFonts();
  for (int id : {backButton, closeButton}) ResizeChild(id, Scaled(14), Scaled(kTitleHeight) - 2);
  // The labels, the tool bar and its icons are made again at the new sizes.
  ClearFolder();
  MakeImages();
  ShowFolder(nav_.shown());
}

void MiniWindow::OnCreate() {
  CreateFonts();
  labelBrush_.reset(CreateSolidBrush(kLabelColour));
  SetFrameColors(ctx_.state.colors);

  AddFlatButton(backButton, "<", kBorder + 1, kBorder + 1, Scaled(14), Scaled(kTitleHeight) - 2, kBackHint,
                KeyName(vk::kBackspace, 0));
  AddFlatButton(closeButton, "X", ExitLeftAt(Scaled(kInitialWidth)), kBorder + 1, Scaled(14), Scaled(kTitleHeight) - 2,
                kCloseHint, KeyName(vk::kEscape, 0));
  // The tool bar wraps its buttons into rows of the panel's width; the window places it.
  iconBar_ = CreateToolBar(hwnd(), iconBar,
                           WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_WRAPABLE | TBSTYLE_CUSTOMERASE | CCS_NORESIZE |
                               CCS_NOPARENTALIGN | CCS_NODIVIDER,
                           kBorder, LabelTopAt(0), Scaled(kInitialWidth) - 2 * kBorder, 0);
  SetAccessibleName(iconBar_, "Tools");
  iconBarHook_.Attach(iconBar_, hwnd(), [this](UINT m, WPARAM w, LPARAM l) { return IconBarMessage(m, w, l); });
  // Tab goes through the folder labels and the tools first, then "<" and "X".
  for (int id : {backButton, closeButton})
    SetWindowPos(GetDlgItem(hwnd(), id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetKeys(kMiniWindowKeys);
  MakeImages();
  DragAcceptFiles(hwnd(), TRUE);
}

void MiniWindow::OnShown() {
  nav_.Reset(ctx_.dataDir);
  ShowFolder(nav_.shown());
}

void MiniWindow::AddLabel(const std::string& caption, int width) {
  std::size_t index = labels_.size();
  HWND label = CreateWindowExA(0, "STATIC", caption.c_str(),
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY | SS_NOPREFIX,
                               kBorder,
                               LabelTopAt(index), width - 2 * kBorder, Scaled(kLabelHeight), hwnd(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::mini_window::label)), GetModuleHandleA(nullptr),
                               nullptr);
  if (!label) return;
  // In the Tab order the labels come first, in their order.
  SetWindowPos(label, labels_.empty() ? HWND_TOP : labels_.back(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  labels_.push_back(label);
  captions_.push_back(caption);
  auto hook = std::make_unique<Subclass>();
  Subclass* raw = hook.get();
  const WPARAM fill = fill_;
  const HWND self = hwnd();
  // The label goes with the fill it opens, so its release only asks for the folder.
  raw->Attach(label, self, [raw, fill, index, self](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    switch (message) {
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        PostMessageA(self, msg::kLabelReleased, fill, static_cast<LPARAM>(index));
        break;
      case WM_SETCURSOR:
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
        return TRUE;
      case WM_GETDLGCODE:
        return raw->Default(message, wParam, lParam) | DLGC_WANTARROWS;
      case WM_KEYDOWN:
        // The arrows go on to the label or tool before or after, as Tab does.
        if (wParam == VK_UP || wParam == VK_LEFT || wParam == VK_DOWN || wParam == VK_RIGHT) {
          const BOOL back = wParam == VK_UP || wParam == VK_LEFT;
          if (HWND next = GetNextDlgTabItem(self, raw->control(), back)) SetFocus(next);
          return 0;
        }
        break;
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        InvalidateRect(raw->control(), nullptr, TRUE);
        break;
      case WM_PAINT: {
        // A soft raised edge sets each label apart from the next; the one with the keys shows it.
        LRESULT painted = raw->Default(message, wParam, lParam);
        win32::WindowDC dc(raw->control());
        RECT rc{};
        GetClientRect(raw->control(), &rc);
        DrawEdge(dc.get(), &rc, BDR_RAISEDINNER, BF_RECT | BF_SOFT);
        if (GetFocus() == raw->control()) {
          InflateRect(&rc, -2, -2);
          DrawFocusRect(dc.get(), &rc);
        }
        return painted;
      }
      default:
        break;
    }
    return raw->Default(message, wParam, lParam);
  });
  labelHooks_.push_back(std::move(hook));
}

void MiniWindow::ShowFolder(const std::string& folder) {
  MiniFolderContent content = ListMiniFolder(ctx_.fs, folder);
  // The width rule is at 96 DPI; the window is drawn at its own.
  int width96 = kInitialWidth;
  for (const std::string& name : content.folders)
    width96 = WidenedForCaption(width96, utf8::Characters(name), kFontPoints);
  // Without a single tool in the whole catalog, one more label leads to the tools manager.
  const bool offerAddTools = content.shortcuts.empty() && !CatalogHasTool(ctx_.fs, nav_.top());
  if (offerAddTools) width96 = WidenedForCaption(width96, utf8::Characters(kAddToolsCaption), kFontPoints);
  const int width = Scaled(width96);
  for (const std::string& name : content.folders) AddLabel(name, width);
  if (offerAddTools) {
    addToolsLabel_ = labels_.size();
    AddLabel(kAddToolsCaption, width);
  }

  // Every shortcut is read before any icon is taken, as the menus do, and both come from what
  // the main window keeps of the catalog: after the menus, an unchanged folder is not read again.
  std::vector<std::string> programs;
  programs.reserve(content.shortcuts.size());
  for (const std::string& s : content.shortcuts) programs.push_back(toolBox_.ToolProgram(s));
  // A tool whose program has no icon, or is no program, keeps the eye.
  std::map<std::string, int> images;
  AddCachedProgramIcons(images_.get(), images, 0, programs,
                        [this](const std::string& program, int side) { return toolBox_.ToolIcon(program, side); });
  std::vector<TBBUTTON> buttons;
  buttons.reserve(programs.size());
  for (std::size_t i = 0; i < programs.size(); ++i) {
    TBBUTTON b{};
    b.iBitmap = images[programs[i]];
    b.iString = -1;
    b.fsStyle = BTNS_BUTTON;
    // Past the last command id a button is still shown, greyed.
    const bool hasId = i <= static_cast<std::size_t>(lastTool - firstTool);
    b.idCommand = hasId ? firstTool + static_cast<int>(i) : 0;
    b.fsState = hasId ? TBSTATE_ENABLED : 0;
    buttons.push_back(b);
  }
  tools_ = std::move(content.shortcuts);
  twins_ = std::move(content.twins);

  // The tool bar takes the panel's width first, so that it wraps its buttons once.
  const int toolbarTop = LabelTopAt(labels_.size());
  SetWindowPos(iconBar_, nullptr, kBorder, toolbarTop, width - 2 * kBorder, Scaled(kLabelHeight),
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (!buttons.empty())
    SendMessageA(iconBar_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  // An empty tool bar is no stop for Tab.
  LONG_PTR style = GetWindowLongPtrA(iconBar_, GWL_STYLE);
  SetWindowLongPtrA(iconBar_, GWL_STYLE, buttons.empty() ? style & ~WS_TABSTOP : style | WS_TABSTOP);
  SendMessageA(iconBar_, TB_AUTOSIZE, 0, 0);
  const int toolbarHeight = ToolbarHeight();
  SetWindowPos(iconBar_, nullptr, 0, 0, width - 2 * kBorder, toolbarHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(hwnd(), nullptr, 0, 0, width, toolbarTop + toolbarHeight + kBorder,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  MoveChild(closeButton, ExitLeftAt(width), kBorder + 1);
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

int MiniWindow::ToolbarHeight() const {
  // Down to the last button's row; an empty tool bar keeps one empty row under the labels.
  int count = static_cast<int>(SendMessageA(iconBar_, TB_BUTTONCOUNT, 0, 0));
  RECT last{};
  if (count > 0 && SendMessageA(iconBar_, TB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last)))
    return last.bottom + 2;
  return HIWORD(SendMessageA(iconBar_, TB_GETBUTTONSIZE, 0, 0)) + 2;
}

void MiniWindow::ClearFolder() {
  ImageList_SetImageCount(images_.get(), 1);
  for (int i = static_cast<int>(SendMessageA(iconBar_, TB_BUTTONCOUNT, 0, 0)) - 1; i >= 0; --i)
    SendMessageA(iconBar_, TB_DELETEBUTTON, i, 0);
  tools_.clear();
  twins_.clear();
  for (HWND label : labels_) DestroyWindow(label);
  labels_.clear();
  labelHooks_.clear();
  captions_.clear();
  addToolsLabel_.reset();
  ++fill_;
}

void MiniWindow::OnFolderLabelRelease(std::size_t label) {
  if (label == addToolsLabel_) {
    AddTools();
    return;
  }
  nav_.Open(captions_[label]);
  Refill();
}

void MiniWindow::AddTools() {
  // The settings window is modal over the hidden main window: this window waits with it.
  const HWND self = hwnd();
  EnableWindow(self, FALSE);
  host_.OpenSettings();
  // Mini mode may have ended meanwhile (the tray's way back): then this object may be gone too.
  if (!IsWindow(self)) return;
  EnableWindow(self, TRUE);
  // The tools added are shown at once.
  Refill();
}

void MiniWindow::BackClick() {
  if (!nav_.Back()) return;
  Refill();
}

void MiniWindow::Refill() {
  const HWND focus = GetFocus();
  const bool hadKeys = focus && (focus == hwnd() || IsChild(hwnd(), focus));
  ClearFolder();
  ShowFolder(nav_.shown());
  if (hadKeys) FocusContent();
}

void MiniWindow::FocusContent() {
  HWND first = !labels_.empty()                                       ? labels_.front()
               : SendMessageA(iconBar_, TB_BUTTONCOUNT, 0, 0) > 0 ? iconBar_
                                                                       : GetDlgItem(hwnd(), backButton);
  SetFocus(first);
}

void MiniWindow::OnEnterKey() {
  const HWND focus = GetFocus();
  for (std::size_t i = 0; i < labels_.size(); ++i)
    if (labels_[i] == focus) PostMessageA(hwnd(), msg::kLabelReleased, fill_, static_cast<LPARAM>(i));
  if (focus != iconBar_) return;
  const int hot = static_cast<int>(SendMessageA(iconBar_, TB_GETHOTITEM, 0, 0));
  TBBUTTON button{};
  if (hot >= 0 && SendMessageA(iconBar_, TB_GETBUTTON, hot, reinterpret_cast<LPARAM>(&button)))
    ToolButtonClick(button.idCommand);
}

void MiniWindow::MoveHotTool(int step) {
  const int count = static_cast<int>(SendMessageA(iconBar_, TB_BUTTONCOUNT, 0, 0));
  const int hot = static_cast<int>(SendMessageA(iconBar_, TB_GETHOTITEM, 0, 0));
  const int next = hot < 0 ? 0 : hot + step;
  if (next >= 0 && next < count) {
    SendMessageA(iconBar_, TB_SETHOTITEM, next, 0);
  } else if (HWND other = GetNextDlgTabItem(hwnd(), iconBar_, step < 0)) {
    SetFocus(other);
  }
}

LRESULT MiniWindow::IconBarMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      return iconBarHook_.Default(message, wParam, lParam) | DLGC_WANTARROWS;
    case WM_SETFOCUS:
      // The tool the keys are on is the hot one.
      if (SendMessageA(iconBar_, TB_GETHOTITEM, 0, 0) < 0) SendMessageA(iconBar_, TB_SETHOTITEM, 0, 0);
      break;
    case WM_KILLFOCUS:
      SendMessageA(iconBar_, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
      break;
    case WM_KEYDOWN:
      if (wParam == VK_LEFT || wParam == VK_UP) {
        MoveHotTool(-1);
        return 0;
      }
      if (wParam == VK_RIGHT || wParam == VK_DOWN) {
        MoveHotTool(1);
        return 0;
      }
      if (wParam == VK_SPACE) {
        OnEnterKey();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == ' ') return 0;
      break;
    default:
      break;
  }
  return iconBarHook_.Default(message, wParam, lParam);
}

void MiniWindow::ToolButtonClick(int id) {
  const std::string* tool = ToolOf(id);
  if (!tool) return;
  // The launch may show message boxes, whose loop may refill or end this window.
  const std::string file = *tool, twin = TwinOf(id);
  toolBox_.LaunchAsButton(file, twin);
}

void MiniWindow::DropOnTool(HDROP drop) {
  POINT p{};
  if (!DragQueryPoint(drop, &p)) ScreenToClient(hwnd(), &p);
  // Only what was copied out is used from here: the host's message boxes may refill this window.
  const std::vector<std::string> dropped = win32::TakeDroppedFiles(drop);
  MapWindowPoints(hwnd(), iconBar_, &p, 1);
  RECT area{};
  GetClientRect(iconBar_, &area);
  if (!PtInRect(&area, p)) return;
  int index = static_cast<int>(SendMessageA(iconBar_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&p)));
  TBBUTTON button{};
  if (index < 0 || !SendMessageA(iconBar_, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button))) return;
  const std::string* tool = ToolOf(button.idCommand);
  if (!tool) return;
  const std::string file = *tool, twin = TwinOf(button.idCommand);
  MainHost& host = host_;
  ToolBox& tools = toolBox_;
  // Each file is the target of its own launch: a pair runs the twin that fits it.
  for (const std::string& path : dropped) {
    host.AddDroppedTarget(path);
    tools.LaunchAsButton(file, twin);
  }
}

LRESULT MiniWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case msg::kLabelReleased:
      if (wParam == fill_ && static_cast<std::size_t>(lParam) < captions_.size())
        OnFolderLabelRelease(static_cast<std::size_t>(lParam));
      return 0;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, FrameColors().font);
      SetBkColor(dc, kLabelColour);
      return reinterpret_cast<LRESULT>(labelBrush_.get());
    }
    case WM_SETCURSOR:
      // The hand over the tool buttons, as over the labels and the flat buttons.
      if (reinterpret_cast<HWND>(wParam) == iconBar_ && LOWORD(lParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(iconBar_, &p);
        if (SendMessageA(iconBar_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&p)) >= 0) {
          SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
          return TRUE;
        }
      }
      break;
    case WM_DROPFILES:
      DropOnTool(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd(), focus)) lastFocus_ = focus;
      }
      break;
    case WM_SETFOCUS:
      // Given to the window (as it is activated): the keys go back where they were, or to the
      // first folder label or tool.
      if (lastFocus_ && IsChild(hwnd(), lastFocus_) && IsWindowVisible(lastFocus_)) SetFocus(lastFocus_);
      else FocusContent();
      return 0;
    default:
      break;
  }
  return FramelessWindow::HandleMessage(message, wParam, lParam);
}

void MiniWindow::OnCommand(int id, int, HWND) {
  if (id == backButton) BackClick();
  else if (id == closeButton) CloseClick();
  else if (id >= firstTool) ToolButtonClick(id);
}

LRESULT MiniWindow::OnNotify(NMHDR& header) {
  if (header.hwndFrom != iconBar_ || header.code != static_cast<UINT>(NM_CUSTOMDRAW)) return 0;
  auto& draw = reinterpret_cast<NMTBCUSTOMDRAW&>(header);
  if (draw.nmcd.dwDrawStage != CDDS_PREERASE) return CDRF_DODEFAULT;
  // The tool bar lies on the panel: its background is the panel's colour.
  RECT rc{};
  GetClientRect(iconBar_, &rc);
  win32::OwnedBrush brush(CreateSolidBrush(FrameColors().main));
  FillRect(draw.nmcd.hdc, &rc, brush.get());
  return CDRF_SKIPDEFAULT;
}

RECT MiniWindow::TitleStrip() const {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  return RECT{kBorder, kBorder, rc.right - kBorder, kBorder + Scaled(kTitleHeight)};
}

FramelessWindow::Strip MiniWindow::StripAt(POINT p) const {
  RECT title = TitleStrip();
  return PtInRect(&title, p) ? Strip::Title : Strip::None;
}

void MiniWindow::OnPaint(HDC dc) {
  PaintFrame(dc);  // the title strip in the caption colour inside the frame
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  RECT panel{kBorder, kBorder + Scaled(kTitleHeight), rc.right - kBorder, rc.bottom - kBorder};
  win32::OwnedBrush brush(CreateSolidBrush(FrameColors().main));
  FillRect(dc, &panel, brush.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, FrameColors().font);
  win32::ScopedSelect useFont(dc, font_.get());
  RECT title = TitleStrip();
  title.left += Scaled(16);
  title.right = ExitLeftAt(rc.right);
  DrawTextA(dc, kMiniCaption, -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

std::unique_ptr<MiniPane> CreateMiniWindow(AppContext& ctx, MainHost& host, ToolBox& tools, HWND owner, int left,
                                           int top, int opacity) {
  auto window = std::make_unique<MiniWindow>(ctx, host, tools);
  // A window that could not be made ends mini mode at once: the main window comes back.
  if (!window->Create(owner, left, top, opacity)) host.ShowMain();
  return window;
}

}  // namespace kest
