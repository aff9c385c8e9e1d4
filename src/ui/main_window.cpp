#include "ui/main_window.h"

#include <commctrl.h>

#include "app/single_instance.h"
#include "catalog/work_drive.h"
#include "platform/paths.h"
#include "ui/fast_string_window.h"

namespace kest {

namespace {

constexpr int kDesignWidth = 277;
constexpr int kDesignHeight = 302;
constexpr int kTitleStripHeight = 11;
constexpr int kCaptionStripHeight = 17;
constexpr int kBottomBarHeight = 20;
constexpr COLORREF kTransparencyKey = RGB(0, 128, 0);
constexpr int kLbFTCId = 100;

HFONT MakeFont(const char* face, int height, bool underline = false, int weight = FW_NORMAL) {
  return CreateFontA(height, 0, 0, 0, weight, FALSE, underline, FALSE, RUSSIAN_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace

TfKest::TfKest(AppContext& ctx) : ctx_(ctx) {}

TfKest::~TfKest() {
  if (font_) DeleteObject(font_);
  if (listFont_) DeleteObject(listFont_);
}

bool TfKest::Create() {
  static bool registered = false;
  if (!registered) {
    RegisterWindowClass(kMainWindowClass, CS_DBLCLKS, nullptr);
    registered = true;
  }
  return CreateWindowFor(WS_EX_LAYERED | WS_EX_APPWINDOW, kMainWindowClass, kMainWindowText,
                         WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU, CW_USEDEFAULT,
                         CW_USEDEFAULT, kDesignWidth, kDesignHeight, nullptr) != nullptr;
}

void TfKest::Show() {
  ShowWindow(hwnd(), SW_SHOW);
  UpdateWindow(hwnd());
}

LRESULT TfKest::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      FormCreate();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_CLOSE:
      // A refused settings write throws out of here: the close is then abandoned and the
      // program keeps running.
      FormCloseQuery();
      FormClose();
      if (kfs_ && kfs_->hwnd()) DestroyWindow(kfs_->hwnd());
      DestroyWindow(hwnd());
      return 0;
    case WM_DESTROY:
      FormDestroy();
      return 0;
    case kForwardMessage:
      WMForwardedCommandLine();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

void TfKest::FormCreate() {
  settings_ = std::make_unique<SettingsFile>(ctx_.store, ctx_.exeDir);
  SettingsFile& s = *settings_;
  stayOnTop_ = s.read(opt::StOnTop);
  TheWorkDrive().confirm = s.read(opt::CheckDrive);
  s.readLastDir();
  SetOpacity(s.read(opt::abValue) & 0xFF);
  TheWorkDrive().letter = s.readDriveLetter();
  DragAcceptFiles(hwnd(), TRUE);

  font_ = MakeFont("Courier New", -11);
  listFont_ = MakeFont("Courier New", -11, true);
  lbFTC_ = CreateWindowExA(0, WC_LISTVIEWA, "",
                           WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                           0, 0, 10, 10, hwnd(), reinterpret_cast<HMENU>(kLbFTCId),
                           GetModuleHandleA(nullptr), nullptr);
  SendMessageA(lbFTC_, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), FALSE);
  ListView_SetExtendedListViewStyle(lbFTC_, LVS_EX_FULLROWSELECT);
  ListView_SetBkColor(lbFTC_, 0xC16100);
  ListView_SetTextBkColor(lbFTC_, 0xC16100);
  ListView_SetTextColor(lbFTC_, RGB(255, 255, 255));
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<char*>("File");
  column.cx = 150;
  SendMessageA(lbFTC_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  column.pszText = const_cast<char*>("Directory");
  column.cx = 0;
  SendMessageA(lbFTC_, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));

  HandleOwnArgument();

  s.read(opt::hlp);
  int left = s.read(opt::NMLeft);
  int top = s.read(opt::NMTop);
  int height = s.read(opt::NMHeight);
  int width = s.read(opt::NMWidth);
  normalMode_ = !s.read(opt::IMOnStart);
  SetWindowPos(hwnd(), stayOnTop_ ? HWND_TOPMOST : nullptr, left, top, width, height,
               SWP_NOACTIVATE | (stayOnTop_ ? 0 : SWP_NOZORDER));
  Layout();
}

PathDispatch TfKest::Dispatch() {
  return PathDispatch{[this](const std::string& p) { AddTarget(p); },
                      [this](const std::string& p) { ImportToolsFromDir(p); }};
}

void TfKest::HandleOwnArgument() {
  DispatchOwnArgument(ctx_.commandLine, ctx_.fs, Dispatch(), ctx_.box, hwnd());
}

void TfKest::DispatchPath(const std::string& path) { kest::DispatchPath(ctx_.fs, path, Dispatch()); }

void TfKest::AddTarget(const std::string& path) {
  targets_.add(path);
  std::string name = paths::FileNameOf(path);
  std::string dir = paths::DirectoryOf(path);
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(targets_.size()) - 1;
  item.pszText = name.data();
  int index = static_cast<int>(SendMessageA(lbFTC_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  LVITEMA sub{};
  sub.iSubItem = 1;
  sub.pszText = dir.data();
  SendMessageA(lbFTC_, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&sub));
}

void TfKest::ImportToolsFromDir(const std::string& /*sourceDir*/) {
  // Importing a directory of programs as a tool folder comes with the tools manager.
}

void TfKest::WMForwardedCommandLine() {
  ReceiveForwardedArguments(ctx_.atoms, [this](const std::string& path) { DispatchPath(path); });
}

void TfKest::FormCloseQuery() {
  SettingsFile& s = *settings_;
  s.write(opt::KFSOpened, kfs_ && kfs_->IsShown());
  s.write(opt::Drive, std::string(1, TheWorkDrive().letter));
  s.write(opt::LastDir, lastChosenDir_);
}

void TfKest::FormClose() {
  SettingsFile& s = *settings_;
  RECT r{};
  GetWindowRect(hwnd(), &r);
  if (normalMode_) {
    s.write(opt::NMLeft, r.left);
    s.write(opt::NMTop, r.top);
    s.write(opt::NMHeight, r.bottom - r.top);
    s.write(opt::NMWidth, r.right - r.left);
    s.write(opt::IMOnStart, false);
  } else {
    s.write(opt::IMLeft, r.left);
    s.write(opt::IMTop, r.top);
    s.write(opt::IMWidth, r.right - r.left);
    s.write(opt::IMHeight, r.bottom - r.top);
    s.write(opt::IMOnStart, true);
  }
  s.write(opt::Minimized, IsIconic(hwnd()) != FALSE);
  s.write(opt::abValue, opacity_);
  // Fade out before the window goes.
  for (int alpha = opacity_; alpha > 170; --alpha) {
    SetLayeredWindowAttributes(hwnd(), kTransparencyKey, static_cast<BYTE>(alpha), LWA_ALPHA | LWA_COLORKEY);
  }
}

void TfKest::FormDestroy() {
  ReleaseInstanceMarker(ctx_.atoms);
  PostQuitMessage(0);
}

void TfKest::SetOpacity(int alpha) {
  opacity_ = alpha;
  SetLayeredWindowAttributes(hwnd(), kTransparencyKey, static_cast<BYTE>(alpha), LWA_ALPHA | LWA_COLORKEY);
}

void TfKest::Layout() {
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  if (lbFTC_) {
    int top = 1 + kTitleStripHeight + kCaptionStripHeight;
    int height = rc.bottom - 1 - kBottomBarHeight - top;
    MoveWindow(lbFTC_, 1, top, rc.right - 2, height > 0 ? height : 0, TRUE);
  }
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void TfKest::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  RECT rc{};
  GetClientRect(hwnd(), &rc);
  FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HBRUSH frame = CreateSolidBrush(RGB(128, 128, 128));
  FrameRect(dc, &rc, frame);
  DeleteObject(frame);
  HGDIOBJ old = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  RECT title{1, 1, rc.right - 1, 1 + kTitleStripHeight};
  DrawTextA(dc, "TORVANDE", -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
  EndPaint(hwnd(), &ps);
}

}  // namespace kest
