#include "kit/controls.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/text_encoding.h"
#include "window_rules/dpi.h"
#include "window_rules/menu_letters.h"

namespace kest {

HFONT MakeFont(const char* face, int height, int weight, bool underline, BYTE charset) {
  return CreateFontA(height, 0, 0, 0, weight, FALSE, underline, FALSE, charset, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

HWND CreateFlatButton(HWND parent, int id, const char* text, int x, int y, int width, int height) {
  return CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, x, y, width,
                         height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

void DrawButtonFocus(const DRAWITEMSTRUCT& item) {
  if (!(item.itemState & ODS_FOCUS) || (item.itemState & ODS_NOFOCUSRECT)) return;
  RECT r = item.rcItem;
  // The buttons of the strips are only a few pixels high: the edge itself when there is no room.
  if (r.bottom - r.top > 8 && r.right - r.left > 8) InflateRect(&r, -1, -1);
  DrawFocusRect(item.hDC, &r);
}

void DrawFlatButton(const DRAWITEMSTRUCT& item, COLORREF background, COLORREF text, HFONT font, Glyph glyph,
                    int dpi, const wchar_t* caption) {
  bool pressed = (item.itemState & ODS_SELECTED) != 0;
  COLORREF bg = pressed ? text : background;
  COLORREF fg = pressed ? background : text;
  win32::OwnedBrush brush(CreateSolidBrush(bg));
  FillRect(item.hDC, &item.rcItem, brush.get());
  if (glyph != Glyph::None) {
    DrawGlyph(item.hDC, item.rcItem, glyph, fg, dpi);
  } else {
    // Wide, so that a caption in another script reads right on any system.
    wchar_t windowText[64] = {};
    if (!caption) {
      GetWindowTextW(item.hwndItem, windowText, 64);
      caption = windowText;
    }
    win32::ScopedSelect useFont(item.hDC, font);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, fg);
    RECT r = item.rcItem;
    DrawTextW(item.hDC, caption, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  DrawButtonFocus(item);
}

std::string WindowTextOf(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void SetTopmostBand(HWND window, bool topmost) {
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  if (topmost || !(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST)) return;
  // Wine keeps an owned window just above its owner, which puts it after a topmost window and
  // so keeps it in the band: for the move the window has no owner.
  LONG_PTR owner = GetWindowLongPtrA(window, GWLP_HWNDPARENT);
  SetWindowLongPtrA(window, GWLP_HWNDPARENT, 0);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  SetWindowLongPtrA(window, GWLP_HWNDPARENT, owner);
}

HWND CreateHintWindow(HWND owner) {
  return CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void AddHint(HWND hints, HWND owner, HWND control, const char* text) {
  TTTOOLINFOA ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = owner;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<char*>(text);
  SendMessageA(hints, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void AddHintRect(HWND hints, HWND owner, UINT id, const RECT& area, const char* text) {
  TTTOOLINFOA ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_SUBCLASS;
  ti.hwnd = owner;
  ti.uId = id;
  ti.rect = area;
  ti.lpszText = const_cast<char*>(text);
  SendMessageA(hints, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void MoveHintRect(HWND hints, HWND owner, UINT id, const RECT& area) {
  TTTOOLINFOA ti{};
  ti.cbSize = sizeof(ti);
  ti.hwnd = owner;
  ti.uId = id;
  ti.rect = area;
  SendMessageA(hints, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&ti));
}

namespace {

int TrackPopup(HWND owner, HMENU menu, POINT screen, UINT flags) {
  // A page of the settings window owns its menus, but only a top-level window can come to
  // the front.
  SetForegroundWindow(GetAncestor(owner, GA_ROOT));
  int id = static_cast<int>(
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | flags, screen.x, screen.y, 0, owner, nullptr));
  PostMessageA(owner, WM_NULL, 0, 0);
  return id;
}

}  // namespace

void ShowPopupMenu(HWND owner, HMENU menu, POINT screen) { TrackPopup(owner, menu, screen, 0); }

int PickFromPopupMenu(HWND owner, HMENU menu, POINT screen) { return TrackPopup(owner, menu, screen, TPM_RETURNCMD); }

void AppendPictureMenuItem(HMENU menu, int id, const char* caption, int image) {
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof(mii);
  if (id == 0) {
    mii.fMask = MIIM_FTYPE;
    mii.fType = MFT_SEPARATOR;
  } else {
    mii.fMask = MIIM_STRING | MIIM_ID | MIIM_DATA | (image >= 0 ? MIIM_BITMAP : 0);
    mii.wID = static_cast<UINT>(id);
    mii.dwTypeData = const_cast<char*>(caption);
    mii.hbmpItem = image >= 0 ? HBMMENU_CALLBACK : nullptr;
    mii.dwItemData = static_cast<ULONG_PTR>(image);
  }
  InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &mii);
}

namespace {

// The side of the list's pictures; 16 when there is no list.
SIZE PictureSize(HIMAGELIST pictures) {
  int cx = 16, cy = 16;
  if (!pictures || !ImageList_GetIconSize(pictures, &cx, &cy)) cx = cy = 16;
  return SIZE{cx, cy};
}

}  // namespace

bool MeasurePictureMenuItem(MEASUREITEMSTRUCT& item, HIMAGELIST pictures) {
  if (item.CtlType != ODT_MENU) return false;
  SIZE size = PictureSize(pictures);
  // A little room between the picture and the caption: 3 pixels at 16, growing with it.
  item.itemWidth = static_cast<UINT>(size.cx + MulDivRounded(3, size.cx, 16));
  item.itemHeight = static_cast<UINT>(size.cy);
  return true;
}

bool DrawPictureMenuItem(const DRAWITEMSTRUCT& item, HIMAGELIST pictures) {
  if (item.CtlType != ODT_MENU) return false;
  int image = static_cast<int>(item.itemData);
  if (image < 0) return true;
  int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - PictureSize(pictures).cy) / 2;
  ImageList_Draw(pictures, image, item.hDC, item.rcItem.left, y, ILD_TRANSPARENT);
  return true;
}

namespace {

// An item's name as the letters see it: lowered, so that any script's letters compare in either
// case; empty for an item no letter may choose.
std::string LetterName(HMENU menu, int position) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
  if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &mii)) return std::string();
  if ((mii.fType & (MFT_SEPARATOR | MFT_BITMAP)) || (mii.fState & MFS_DISABLED) || mii.cch == 0) return std::string();
  std::wstring caption(mii.cch + 1, L'\0');
  mii.fMask = MIIM_STRING;
  mii.dwTypeData = caption.data();
  mii.cch = static_cast<UINT>(caption.size());
  if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &mii)) return std::string();
  caption.resize(mii.cch);
  CharLowerBuffW(caption.data(), static_cast<DWORD>(caption.size()));
  return MenuItemName(win32::WideToUtf8(caption));
}

// The typed character, lowered. An ANSI window is given it in the process's code page: one
// byte, or two in the high and low bytes (a double-byte code page, or a two-byte UTF-8 letter).
char32_t TypedLetter(WORD typed) {
  std::string bytes;
  if (typed > 0xFF) bytes += static_cast<char>(typed >> 8);
  bytes += static_cast<char>(typed & 0xFF);
  std::wstring wide = win32::AnsiToWide(bytes);
  if (wide.empty()) return 0;
  CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  char32_t c = wide[0];
  if (c >= 0xD800 && c <= 0xDBFF && wide.size() > 1) c = 0x10000 + ((c - 0xD800) << 10) + (wide[1] - 0xDC00);
  return c;
}

}  // namespace

LRESULT AnswerMenuChar(HWND owner, WPARAM wParam, HMENU menu) {
  const int count = GetMenuItemCount(menu);
  std::vector<std::string> names;
  int highlighted = -1;
  for (int i = 0; i < count; ++i) {
    names.push_back(LetterName(menu, i));
    if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) highlighted = i;
  }
  MenuCharChoice choice = ChooseByLetter(names, TypedLetter(LOWORD(wParam)), highlighted);
  switch (choice.kind) {
    case MenuCharChoice::Kind::Execute:
      return MAKELRESULT(choice.index, MNC_EXECUTE);
    case MenuCharChoice::Kind::Select:
      PostMessageA(owner, MenuCharSelectMessage(), static_cast<WPARAM>(choice.index), reinterpret_cast<LPARAM>(menu));
      return MAKELRESULT(choice.index, MNC_SELECT);
    case MenuCharChoice::Kind::None:
      break;
  }
  return MAKELRESULT(0, MNC_IGNORE);
}

UINT MenuCharSelectMessage() {
  static const UINT message = RegisterWindowMessageA("Kest menu letter select");
  return message;
}

void FinishMenuCharSelect(HWND owner, WPARAM wParam, LPARAM lParam) {
  HMENU menu = reinterpret_cast<HMENU>(lParam);
  const UINT position = static_cast<UINT>(wParam);
  // Posted messages come before the next key: the menu is still the open one.
  if (!IsMenu(menu) || position >= static_cast<UINT>(GetMenuItemCount(menu))) return;
  if (GetMenuState(menu, position, MF_BYPOSITION) & MF_HILITE) return;
  HiliteMenuItem(owner, menu, position, MF_BYPOSITION | MF_HILITE);
}

}  // namespace kest
