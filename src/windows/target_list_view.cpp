#include "windows/target_list_view.h"

#include <commdlg.h>
#include <windowsx.h>

#include <optional>
#include <utility>
#include <vector>

#include "core/single_instance.h"
#include "core/texts.h"
#include "core/window_ids.h"
#include "catalog/shortcuts.h"
#include "platform/paths.h"
#include "platform/win32/icons.h"
#include "platform/win32/program_icons.h"
#include "platform/win32/system_view.h"
#include "platform/win32/text_encoding.h"
#include "platform/win32/this_process.h"
#include "targets/target_kind.h"
#include "targets/target_store.h"
#include "kit/bars.h"
#include "kit/controls.h"
#include "kit/dpi.h"

namespace kest {

namespace {
// Shown inside the list while it holds no target; "the folder button" is "Open file".
constexpr const wchar_t* kEmptyListHint = L"Drop files here, or use the folder button";
// A double click on a target that opening would run; "%s" is what it is ("PE32 executable").
constexpr const char* kRunProgramQuestion = "This target is a program (%s). Opening it runs it. Run it?";
}  // namespace

void TargetListView::Create(HWND parent, int id, HFONT font, std::function<void()> beginDrag) {
  owner_ = parent;
  beginDrag_ = std::move(beginDrag);
  list_ = CreateWindowExA(0, WC_LISTVIEWA, "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                              LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS | LVS_OWNERDATA,
                          0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleA(nullptr), nullptr);
  SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<char*>("File");
  column.cx = 150;
  SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  column.pszText = const_cast<char*>("Directory");
  column.cx = 0;
  SendMessageA(list_, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
  // The list asks for its rows as it draws them (LVS_OWNERDATA): thousands of targets cost
  // nothing until they are on the screen. It shares the image list (LVS_SHAREIMAGELISTS): this
  // object frees it.
  MakeImages(SmallIconSize(parent));
  icons_ = std::make_unique<TargetIcons>(ctx_.files, ctx_.iconHelper,
                                         [list = list_] { PostMessageA(list, msg::kIconsArrived, 0, 0); });
  subclass_.Attach(list_, parent, [this](UINT m, WPARAM w, LPARAM l) { return HandleMessage(m, w, l); });
}

void TargetListView::MakeImages(int side) {
  iconSide_ = side;
  // The list shares the image list: an old one goes once the new one is set.
  win32::OwnedImageList old(images_.release());
  images_ = MakeImageList(side, 4, 4);
  // Image 0 is the default icon's from the start, empty until the icon comes: the first frame
  // draws its rows before that.
  IconPixels empty;
  empty.side = side;
  empty.colour.assign(static_cast<std::size_t>(side) * side, 0);
  empty.mask.assign(static_cast<std::size_t>(IconPixels::MaskStride(side)) * side, 0xFF);
  win32::AddIconsToImageList(images_.get(), {&empty});
  if (defaultIcon_) ImageList_ReplaceIcon(images_.get(), 0, defaultIcon_.get());
  ListView_SetImageList(list_, images_.get(), LVSIL_SMALL);
  typeImages_.clear();
  ownImages_.clear();
  iconsAsked_.clear();
  iconsWaiting_.clear();
}

void TargetListView::Place(const Box& box, int fileColumnWidth) {
  MoveWindow(list_, box.x, box.y, box.width, box.height, TRUE);
  ListView_SetColumnWidth(list_, 0, fileColumnWidth);
}

void TargetListView::SetColors(const ColorScheme& colors) {
  ListView_SetBkColor(list_, colors.main);
  ListView_SetTextBkColor(list_, colors.main);
  ListView_SetTextColor(list_, colors.font);
}

void TargetListView::AddDefaultImage(HICON icon) {
  defaultIcon_.reset(CopyIcon(icon));
  ImageList_ReplaceIcon(images_.get(), 0, defaultIcon_.get());
  InvalidateRect(list_, nullptr, FALSE);
}

void TargetListView::SetIconSide(int side) {
  if (side == iconSide_ || side <= 0 || !list_) return;
  // The icons are asked for again at the new side, each as its row is next drawn.
  MakeImages(side);
  InvalidateRect(list_, nullptr, TRUE);
}

int TargetListView::ImageOf(const Target& target) {
  const std::string file = target.iconFile();
  auto own = ownImages_.find(file);
  if (own != ownImages_.end()) return own->second;
  if (icons_ && iconsAsked_.insert(file).second) {
    const bool read = ReadWhenDrawn(file, [this](char letter) { return ctx_.drives.type(letter) == DriveType::Remote; });
    if (iconsBegun_) icons_->Ask(file, iconSide_, read);
    else iconsWaiting_.emplace_back(file, read);
  }
  auto kind = kinds_.find(file);
  if (kind == kinds_.end()) return 0;
  auto type = typeImages_.find(kind->second);
  return type == typeImages_.end() ? 0 : type->second;
}

void TargetListView::OnIconsArrived() {
  if (!icons_) return;
  if (!iconsBegun_) {
    iconsBegun_ = true;
    for (const auto& [file, read] : iconsWaiting_) icons_->Ask(file, iconSide_, read);
    iconsWaiting_.clear();
  }
  std::vector<TargetIcons::Answer> answers = icons_->Take();
  // The icons that came go into the image list in one strip.
  std::vector<const IconPixels*> strip;
  std::vector<const TargetIcons::Answer*> owners;
  for (const TargetIcons::Answer& a : answers) {
    if (a.side != iconSide_) continue;  // asked before the window changed its DPI
    if (a.of == TargetIcons::Answer::Of::Kind) {
      kinds_[a.key] = a.type;
    } else if (a.icon) {
      strip.push_back(&*a.icon);
      owners.push_back(&a);
    } else if (a.of == TargetIcons::Answer::Of::Type) {
      typeImages_.emplace(a.key, 0);
    }
  }
  // Icons the list would not take leave their rows as they were.
  const int first = strip.empty() ? -1 : win32::AddIconsToImageList(images_.get(), strip);
  for (std::size_t i = 0; first >= 0 && i < owners.size(); ++i) {
    auto& images = owners[i]->of == TargetIcons::Answer::Of::Type ? typeImages_ : ownImages_;
    images[owners[i]->key] = first + static_cast<int>(i);
  }
  if (!answers.empty()) InvalidateRect(list_, nullptr, FALSE);
}

LRESULT TargetListView::OnNotify(NMHDR& header) {
  const TargetList& list = state_.targets();
  switch (header.code) {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW: {
      // The A and W records differ only in the text's type.
      LVITEMA& item = reinterpret_cast<NMLVDISPINFOA&>(header).item;
      if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= list.size()) return 0;
      const Target& t = list.at(static_cast<std::size_t>(item.iItem));
      if (item.mask & LVIF_TEXT) {
        const std::string* shown = item.iSubItem == 0 ? &t.fileName : item.iSubItem == 1 ? &t.directory : &empty_;
        if (item.iSubItem == 0 && hashing_ && t.fullPath() == hashing_->Path()) {
          rowText_ = t.fileName + HashingSuffix(hashing_->Percent());
          shown = &rowText_;
        }
        const std::string& text = *shown;
        if (header.code == LVN_GETDISPINFOA) {
          // The row's own text: no buffer of the list's can cut a long path.
          item.pszText = const_cast<char*>(text.c_str());
        } else {
          wideText_ = win32::AnsiToWide(text);
          item.pszText = reinterpret_cast<char*>(wideText_.data());
        }
      }
      if (item.mask & LVIF_IMAGE) item.iImage = ImageOf(t);
      return 0;
    }
    case LVN_ITEMCHANGED: {
      // The selection moved by other means than Kest's own (the arrows, Home and End, typed
      // letters): the selected entry is the current target, the note following as on a click.
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (ownSelection_ > 0 || !(change.uChanged & LVIF_STATE)) return 0;
      const bool was = (change.uOldState & LVIS_SELECTED) != 0, is = (change.uNewState & LVIS_SELECTED) != 0;
      if (is && !was && change.iItem >= 0) {
        state_.SetCurrentTargetFromSelection(static_cast<std::size_t>(change.iItem));
      } else if (was && !is) {
        // A move takes the selection off one entry before it gives it to the next.
        PostMessageA(list_, msg::kSelectionLost, 0, 0);
      }
      return 0;
    }
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW: {
      // Typing in the list goes to the next entry whose name starts with what was typed.
      auto& find = reinterpret_cast<NMLVFINDITEMA&>(header);
      if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
      std::string typed = header.code == LVN_ODFINDITEMA
                              ? std::string(find.lvfi.psz)
                              : win32::WideToAnsi(reinterpret_cast<const wchar_t*>(find.lvfi.psz));
      const std::size_t n = list.size();
      for (std::size_t k = 0; k < n; ++k) {
        std::size_t i = (static_cast<std::size_t>(find.iStart < 0 ? 0 : find.iStart) + k) % n;
        const std::string& name = list.at(i).fileName;
        if (name.size() >= typed.size() && lstrcmpiA(name.substr(0, typed.size()).c_str(), typed.c_str()) == 0)
          return static_cast<LRESULT>(i);
      }
      return -1;
    }
    default:
      return 0;
  }
}

void TargetListView::LoadTargets() {
  // The rows are counted in once, after the last one, and an entry selected once afterwards:
  // the list itself holds nothing but the count.
  loading_ = true;
  struct Done {
    TargetListView* view;
    ~Done() {
      view->loading_ = false;
      ListView_SetItemCountEx(view->list_, static_cast<int>(view->state_.targets().size()), 0);
      InvalidateRect(view->list_, nullptr, TRUE);
    }
  } done{this};
  kest::LoadTargets(state_.settings(), state_.targets(), [this](const std::string& p) { AddTarget(p); },
                    ctx_.box, owner_);
  savedTexts_ = StoredTexts(state_.targets());
}

void TargetListView::SaveTargets() {
  KillTimer(list_, timers::kSaveTargets);
  bool written = true;
  try {
    kest::WriteTargets(state_.settings(), state_.targets(), savedTexts_);
  } catch (const std::exception&) {
    written = false;
  }
  TargetSaves::Next next = saves_.Saved(written);
  if (next.retryIn) SetTimer(list_, timers::kSaveTargets, *next.retryIn, nullptr);
  if (next.report) ctx_.box.ask(owner_, kIniErrorText, text::kCaptionError, MbButtons::Ok, MbIcon::Error);
}

void TargetListView::WriteTargets() {
  KillTimer(list_, timers::kSaveTargets);
  try {
    kest::WriteTargets(state_.settings(), state_.targets(), savedTexts_);
  } catch (const std::exception&) {
    // The caller tells the user; the list stays due and is tried again, so that a run that
    // goes on after a refused exit (its "No") still saves what it changes.
    TargetSaves::Next next = saves_.Saved(false, true);
    if (next.retryIn) SetTimer(list_, timers::kSaveTargets, *next.retryIn, nullptr);
    throw;
  }
  saves_.Saved(true);
}

void TargetListView::ListChanged() {
  if (auto delay = saves_.Changed()) SetTimer(list_, timers::kSaveTargets, *delay, nullptr);
}

std::string TargetListView::ShownTargetPath(const std::string& path) {
  return TargetPathToShow(path, [this](const std::string& link) {
    if (startCom_) startCom_();
    return ResolveShortcut(ctx_.links, ctx_.fs, state_.workDrive, link);
  });
}

void TargetListView::AddTarget(const std::string& path) {
  if (!loading_ && paths::HasControlCharacters(path)) {
    ReportControlCharacters(ctx_.box, owner_, path);
    return;
  }
  // The row shows the icon of what was passed in: for a shortcut, the shortcut's own. A loaded
  // entry is stored again as the text it was loaded from.
  std::size_t index = state_.targets().add(ShownTargetPath(path), path, loading_ ? path : std::string());
  // Loading and a drop show their rows, and select one, once at their end.
  if (loading_ || dropping_) return;
  ShowAdded(index);
}

void TargetListView::AddTargetAtEnd(const std::string& path) {
  if (paths::HasControlCharacters(path)) return;
  state_.targets().add(ShownTargetPath(path), path, std::string());
  ListView_SetItemCountEx(list_, static_cast<int>(state_.targets().size()), LVSICF_NOSCROLL);
  RefreshEmptyHint();
  ListChanged();
}

void TargetListView::ShowAdded(std::size_t index) {
  OwnSelection own(ownSelection_);
  // The new count, the selection and the scroll each redraw the list and its scroll bar on
  // their own; drawn once at the end, a drop's first screen costs half as much.
  SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  ListView_SetItemCountEx(list_, static_cast<int>(state_.targets().size()), LVSICF_NOSCROLL);
  ListChanged();
  SelectOnly(static_cast<int>(index));
  SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  RefreshEmptyHint();
  state_.SetCurrentTarget(state_.targets().at(index).fullPath());
}

void TargetListView::SelectLast() {
  OwnSelection own(ownSelection_);
  const std::size_t n = state_.targets().size();
  if (n == 0) {
    state_.SetCurrentTarget(std::string());
    return;
  }
  SelectOnly(static_cast<int>(n) - 1);
  state_.SetCurrentTarget(state_.targets().at(n - 1).fullPath());
}

void TargetListView::SelectOnly(int index) {
  // A single-selection list takes the mark off the other entries itself, and only one entry
  // can have the focus: nothing is cleared by hand, which cost a pass over the whole list at
  // every addition.
  ListView_SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list_, index, FALSE);
}

std::optional<std::size_t> TargetListView::SelectedEntry() const {
  int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  if (i < 0 || static_cast<std::size_t>(i) >= state_.targets().size()) return std::nullopt;
  return static_cast<std::size_t>(i);
}

std::optional<std::size_t> TargetListView::FocusedEntry() const {
  int i = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
  if (i < 0 || static_cast<std::size_t>(i) >= state_.targets().size()) return std::nullopt;
  return static_cast<std::size_t>(i);
}

std::optional<std::string> TargetListView::FocusedPath() const {
  auto i = FocusedEntry();
  if (!i) return std::nullopt;
  return state_.targets().at(*i).fullPath();
}

std::optional<std::string> TargetListView::SelectedPath() const {
  auto i = SelectedEntry();
  if (!i) return std::nullopt;
  return state_.targets().at(*i).fullPath();
}

LRESULT TargetListView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      RelayToTip(message, wParam, lParam);
      break;
    case msg::kFactsRead:
      if (tipRow_ >= 0) ShowTipFor(tipRow_, false);
      return 0;
    case msg::kHashProgress:
      OnHashProgress();
      return 0;
    case msg::kIconsArrived:
      OnIconsArrived();
      return 0;
    default:
      break;
  }
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      RelayToTip(message, wParam, lParam);
      LVHITTESTINFO hit{};
      hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      bool onEmptySpace = ListView_HitTest(list_, &hit) < 0;
      bool left = message == WM_LBUTTONDOWN;
      // A press makes the target current itself, once the list has moved its selection.
      OwnSelection own(ownSelection_);
      if (onEmptySpace && left) {
        // The list keeps the focused entry but loses its selection, and the window moves.
        SetFocus(list_);
        ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
        OnMouseDown(true, true);
        return 0;
      }
      LRESULT r = subclass_.Default(message, wParam, lParam);
      OnMouseDown(left, onEmptySpace);
      return r;
    }
    case WM_KEYDOWN:
      OnKeyDown(wParam);
      break;
    case WM_TIMER:
      if (wParam != timers::kSaveTargets) break;
      KillTimer(list_, timers::kSaveTargets);
      if (saves_.Due()) SaveTargets();
      return 0;
    case WM_KEYUP:
      OnKeyUp(wParam);
      break;
    case msg::kSelectionLost:
      if (!SelectedEntry() && !state_.currentTarget().empty()) state_.SetCurrentTarget(std::string());
      return 0;
    case WM_PAINT: {
      // The list paints itself; an empty one gets the hint over its background.
      LRESULT painted = subclass_.Default(message, wParam, lParam);
      hintShown_ = state_.targets().size() == 0;
      if (hintShown_) PaintEmptyHint(reinterpret_cast<HDC>(wParam));
      return painted;
    }
    default:
      break;
  }
  return subclass_.Default(message, wParam, lParam);
}

void TargetListView::PaintEmptyHint(HDC given) {
  RECT area{};
  GetClientRect(list_, &area);
  HWND header = ListView_GetHeader(list_);
  if (header && IsWindowVisible(header)) {
    RECT h{};
    GetWindowRect(header, &h);
    area.top += h.bottom - h.top;
  }
  InflateRect(&area, -4, 0);
  area.top += 6;
  std::optional<win32::WindowDC> own;
  HDC dc = given;
  if (!dc) dc = own.emplace(list_).get();
  if (!dc) return;
  // The list's font without its underline (which marks the entries), in a colour halfway
  // between the list's text and its background.
  LOGFONTA lf{};
  auto font = reinterpret_cast<HFONT>(SendMessageA(list_, WM_GETFONT, 0, 0));
  if (!font || !GetObjectA(font, sizeof(lf), &lf)) GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
  lf.lfUnderline = FALSE;
  win32::OwnedFont hintFont(CreateFontIndirectA(&lf));
  win32::ScopedSelect useFont(dc, hintFont.get());
  const COLORREF text = ListView_GetTextColor(list_), back = ListView_GetBkColor(list_);
  SetTextColor(dc, RGB((GetRValue(text) + GetRValue(back)) / 2, (GetGValue(text) + GetGValue(back)) / 2,
                       (GetBValue(text) + GetBValue(back)) / 2));
  // Opaque on the list's own background: drawing it twice changes nothing.
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, back);
  DrawTextW(dc, kEmptyListHint, -1, &area, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
}

void TargetListView::RefreshEmptyHint() {
  // The list redraws what its rows need; the hint comes and goes with the whole area.
  if (hintShown_ != (state_.targets().size() == 0)) InvalidateRect(list_, nullptr, TRUE);
}

void TargetListView::OnMouseDown(bool leftButton, bool onEmptySpace) {
  auto selected = SelectedEntry();
  state_.SetCurrentTargetFromSelection(selected);
  if (!selected && leftButton && onEmptySpace && beginDrag_) beginDrag_();
}

void TargetListView::OpenCurrentTarget() {
  // A copy: the question runs a message loop, in which the current target may change.
  const std::string target = state_.currentTarget();
  // A target that is no full path would open whatever has that name where Kest stands.
  if (target.empty() || !paths::IsFullPath(target)) return;
  // Opening a program runs it: a sample never runs from a slip of the mouse.
  if (state_.settings().read(opt::AskRunTarget)) {
    if (std::optional<std::string> kind = ProgramKindOf(target)) {
      if (ctx_.box.ask(owner_, FileMessage(kRunProgramQuestion, *kind), text::kCaptionConfirm,
                       MbButtons::YesNoDefaultNo, MbIcon::Warning) != MbAnswer::Yes)
        return;
    }
  }
  // The whole path, so that the file opened is the one named, also where a 32-bit Kest's own
  // view of its directory would show a namesake (a program in System32).
  ctx_.processes.shellExecute(owner_, "", target, "", paths::DirectoryOf(target), SW_SHOW);
}

std::optional<std::string> TargetListView::ProgramKindOf(const std::string& path) {
  // The file as it is now, by the facts' own thread, waited for a moment at most: a share that
  // stopped answering never holds up the window. Then what was read for the row's icon, and a
  // file not read at all (a device, a read that did not end in time) goes by its name.
  std::optional<FileFacts> facts;
  if (const std::optional<FactsAnswer> answer = facts_.Await(path, kFactsPatience); answer && answer->facts)
    facts = *answer->facts;
  if (!facts && icons_) facts = icons_->FactsOf(path);
  if (!facts) facts = ReadFileFacts(std::string_view(), 0, paths::FileNameOf(path));
  return ProgramKind(*facts, paths::FileNameOf(path));
}

void TargetListView::OnKeyDown(WPARAM key) {
  try {
    if (key == VK_CONTROL) {
      state_.commandLineEditing = true;
    } else if (key == VK_DELETE) {
      DeleteFocusedTarget();
    } else if (key == VK_F1) {
      if (!helpFile.empty()) WinHelpA(owner_, helpFile.c_str(), HELP_FINDER, 0);
      else OpenHLP();
    }
  } catch (const std::exception&) {
    // Failures of these keys are ignored.
  }
}

void TargetListView::OnKeyUp(WPARAM key) {
  if (key == VK_CONTROL) state_.commandLineEditing = false;
}

std::optional<TargetListView::EntryRef> TargetListView::FocusedRef() const {
  auto i = FocusedEntry();
  if (!i) return std::nullopt;
  return EntryRef{*i, state_.targets().at(*i).fullPath()};
}

bool TargetListView::StillThere(const std::optional<EntryRef>& entry) const {
  const TargetList& list = state_.targets();
  return entry && entry->index < list.size() && list.at(entry->index).fullPath() == entry->path;
}

void TargetListView::CopyPath(const std::optional<EntryRef>& entry) {
  if (StillThere(entry) && !ctx_.clipboard.setText(owner_, entry->path))
    ctx_.box.ask(owner_, FileMessage(text::kPathNotCopiedText, entry->path), text::kCaptionError, MbButtons::Ok,
                 MbIcon::Error);
}

void TargetListView::DeleteEntry(const std::optional<EntryRef>& entry) {
  if (!StillThere(entry)) return;
  // A deletion leaves the current target as it is, whatever the list selects after it.
  OwnSelection own(ownSelection_);
  state_.targets().removeAt(entry->index);
  ListView_DeleteItem(list_, static_cast<int>(entry->index));
  RefreshEmptyHint();
  ListChanged();
}

void TargetListView::ShowProperties(const std::optional<EntryRef>& entry) {
  if (StillThere(entry) && paths::IsFullPath(entry->path)) ctx_.processes.showProperties(entry->path);
}

void TargetListView::OpenHLP() {
  if (ctx_.box.ask(owner_, text::kHelpQuestion, text::kCaptionConfirm, MbButtons::YesNoCancel,
                   MbIcon::Question, true) != MbAnswer::Yes)
    return;
  auto chosen = RunOpenDialog();
  if (!chosen || !IsHelpFileName(*chosen)) return;
  state_.settings().write(opt::hlp, *chosen);
  helpFile = *chosen;
  WinHelpA(owner_, helpFile.c_str(), HELP_FINDER, 0);
}

std::optional<std::string> TargetListView::RunOpenDialog() {
  std::string file(kOpenDialogBytes, '\0');
  if (!lastChosenFile_.empty()) lstrcpynA(file.data(), lastChosenFile_.c_str(), static_cast<int>(kOpenDialogBytes));
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner_;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = kOpenDialogBytes;
  ofn.lpstrTitle = text::kOpenDialogTitle;
  ofn.lpstrInitialDir = openDialogDir.empty() ? nullptr : openDialogDir.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&ofn)) return std::nullopt;
  lastChosenFile_ = ctx_.fs.namedFromOwnView(file.c_str());
  // Later openings of the dialog start where this one ended.
  openDialogDir = LastDirOf(lastChosenFile_);
  return lastChosenFile_;
}

void TargetListView::AddFileFromDialog(HWND mainWindow) {
  ShowWindow(mainWindow, SW_HIDE);
  auto chosen = RunOpenDialog();
  if (chosen) AddTarget(*chosen);
  ShowWindow(mainWindow, SW_SHOW);
}

void TargetListView::DropFiles(HDROP drop) {
  const std::size_t before = state_.targets().size();
  dropping_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{dropping_};
  for (const std::string& path : win32::TakeDroppedFiles(drop)) AddDroppedFile(path);
  dropping_ = false;
  // The last file dropped becomes the selected and current entry, as it would one by one.
  if (state_.targets().size() > before) ShowAdded(state_.targets().size() - 1);
}

}  // namespace kest
