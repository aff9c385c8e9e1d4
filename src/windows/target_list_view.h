#pragma once
// targetList: the main window's target list, with its image list, its mouse and key handlers, the
// entry commands of its menu, the open dialog and the files dropped on the window.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/window_ids.h"
#include "state/app_context.h"
#include "platform/win32/handles.h"
#include "kit/subclass.h"
#include "targets/facts_reader.h"
#include "targets/hash_job.h"
#include "targets/target_icons.h"
#include "targets/target_saves.h"
#include "window_rules/placement.h"

namespace kest {

class TargetListView {
 public:
  // facts: the targets' facts the tooltip shows, read once for it and for the tools' choices.
  TargetListView(AppContext& ctx, FactsReader& facts) : ctx_(ctx), state_(ctx.state), facts_(facts) {}

  // beginDrag: a left press on empty space moves the window.
  void Create(HWND parent, int id, HFONT font, std::function<void()> beginDrag);
  // Starts COM on this thread, which a shortcut's reading needs; called before each (a stored
  // shortcut is read while the list loads, before the rest of the start has started COM).
  void SetComStarter(std::function<void()> start) { startCom_ = std::move(start); }
  HWND hwnd() const { return list_; }
  void Place(const Box& box, int fileColumnWidth);
  void SetColors(const ColorScheme& colors);
  // The list's notifications to its parent: rows' texts and images, and typed searches.
  LRESULT OnNotify(NMHDR& header);
  // Image 0, shown by entries without an icon of their own or of their kind (copied). Until it
  // comes, image 0 is kept empty: no other icon can ever take its place.
  void AddDefaultImage(HICON icon);
  // The window moved to a screen of another DPI: the icons are made again at this side, each
  // taken again as its row is next drawn.
  void SetIconSide(int side);
  // The start is done: the icons' work (a thread and a helper process) begins once the messages
  // waiting now are handled. Until then the rows drawn show image 0.
  void BeginIcons() { PostMessageA(list_, msg::kIconsArrived, 0, 0); }

  void LoadTargets();
  // Saves the list, reporting a refused write.
  void SaveTargets();
  // Saves the list; a refused write throws KestError (the exit decides what to do with it).
  void WriteTargets();
  // Adds the entry and makes it the selected, focused and current one. A path holding control
  // characters is refused with a message.
  void AddTarget(const std::string& path);
  // Adds the entry at the end and leaves the selection and the current target as they are: a
  // path forwarded while the window closes, whose note must not start a save of its own.
  void AddTargetAtEnd(const std::string& path);
  // The last entry becomes selected, focused and current; none leaves the current target empty.
  void SelectLast();
  std::optional<std::size_t> SelectedEntry() const;
  std::optional<std::string> FocusedPath() const;
  // The selected entry's path: the current target, as long as the selection stands on it.
  std::optional<std::string> SelectedPath() const;

  // An entry as it stood when a menu opened over it: its position and its full path.
  struct EntryRef {
    std::size_t index;
    std::string path;
  };
  std::optional<EntryRef> FocusedRef() const;

  // A double click: the current target opens through the shell, after a question when opening it
  // would run it ("AskRunTarget").
  void OpenCurrentTarget();
  void CopyFocusedPath() { CopyPath(FocusedRef()); }
  void DeleteFocusedTarget() { DeleteEntry(FocusedRef()); }
  void ShowFocusedProperties() { ShowProperties(FocusedRef()); }
  void CopyFocusedHashes() { CopyHashes(FocusedRef()); }
  // The entry commands on an entry taken earlier: nothing when it no longer stands there.
  void CopyPath(const std::optional<EntryRef>& entry);
  void DeleteEntry(const std::optional<EntryRef>& entry);
  void ShowProperties(const std::optional<EntryRef>& entry);
  // "Copy hashes": MD5, SHA-1 and SHA-256 of the file go to the clipboard, worked out on a
  // thread of their own while the row says how far they are; a hashing still at work gives way.
  void CopyHashes(const std::optional<EntryRef>& entry);
  // Escape: the hashing stops and nothing goes to the clipboard.
  void CancelHashing();
  // The window is closing: the hashing stops, and the list hears of no more facts.
  void StopWork();
  // The rows' tooltip, which shows the row under the mouse: its full path and its facts.
  HWND TipWindow() const { return tip_; }
  // The window's DPI, at which the tooltip's lines break and its font is made.
  void SetTipDpi(int dpi);
  // Hides the main window while the open dialog is up.
  void AddFileFromDialog(HWND mainWindow);
  void DropFiles(HDROP drop);
  // One dropped file: a shortcut is added as the file it points to.
  void AddDroppedFile(const std::string& path) { AddTarget(ShownTargetPath(path)); }

  std::string helpFile;                  // "hlp"
  std::string openDialogDir;             // initial directory of the open dialog
  const std::string& LastChosenFile() const { return lastChosenFile_; }

 private:
  // The entry still stands where it was taken, holding the same path.
  bool StillThere(const std::optional<EntryRef>& entry) const;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnMouseDown(bool leftButton, bool onEmptySpace);
  void OnKeyDown(WPARAM key);
  void OnKeyUp(WPARAM key);
  void OpenHLP();
  std::optional<std::string> RunOpenDialog();
  std::string ShownTargetPath(const std::string& path);
  void SelectOnly(int index);
  std::optional<std::size_t> FocusedEntry() const;

  AppContext& ctx_;
  AppState& state_;
  HWND list_ = nullptr;
  HWND owner_ = nullptr;
  Subclass subclass_;
  win32::OwnedImageList images_;  // the image list
  win32::OwnedIcon defaultIcon_;  // image 0's icon, for a list made again
  int iconSide_ = 16;
  std::function<void()> beginDrag_;
  std::function<void()> startCom_;
  std::string lastChosenFile_;    // the file last chosen in the open dialog
  bool loading_ = false;          // the stored list is being loaded
  bool dropping_ = false;         // the files of a drop are being added
  // Rows drawn: the image of each distinct file. Its kind's icon, then its own, are worked out
  // (by a helper process) once a row showing it is first drawn; until then image 0.
  int ImageOf(const Target& target);
  void OnIconsArrived();
  void ShowAdded(std::size_t index);
  // An empty list of the side with image 0 in it.
  void MakeImages(int side);
  std::unique_ptr<TargetIcons> icons_;
  std::unordered_map<std::string, std::string> kinds_;  // file -> the type its kind shows
  std::unordered_map<std::string, int> typeImages_;     // type -> image
  std::unordered_map<std::string, int> ownImages_;      // file -> its own icon's image
  std::unordered_set<std::string> iconsAsked_;          // files asked for at this side
  bool iconsBegun_ = false;
  std::vector<std::pair<std::string, bool>> iconsWaiting_;  // asked before the work began: file, read
  // What the target is, read for the double click's question.
  std::optional<std::string> ProgramKindOf(const std::string& path);
  std::wstring wideText_;
  const std::string empty_;
  // A change waits to be written: each user action's changes go to Tools.ini in one write, as
  // soon as the action is over, so that a crash or a kill loses none of them.
  void ListChanged();
  TargetSaves saves_;
  // The stored texts of the list as last loaded or saved: a save writes only what changed since.
  std::vector<std::string> savedTexts_;
  // Kest's own changes of the selection (adding, loading, a press, a deletion) set the current
  // target themselves; every other move of the selection makes the selected entry current.
  struct OwnSelection {
    explicit OwnSelection(int& depth) : depth_(depth) { ++depth_; }
    ~OwnSelection() { --depth_; }
    OwnSelection(const OwnSelection&) = delete;
    OwnSelection& operator=(const OwnSelection&) = delete;
    int& depth_;
  };
  int ownSelection_ = 0;
  // While the list holds no target it shows a hint inside (drawn after the list's own painting).
  void PaintEmptyHint(HDC given);
  void RefreshEmptyHint();
  bool hintShown_ = false;
  // The tooltip follows the row under the mouse; the facts are read on a thread of their own
  // (kFactsRead tells when, from the tooltip's making on), once per file and version of it.
  void CreateTip();
  void ShowTipFor(int row, bool moved);
  void RelayToTip(UINT message, WPARAM wParam, LPARAM lParam);
  void FitTipToDpi();
  HWND tip_ = nullptr;
  int tipRow_ = -1;
  int tipDpi_ = 96;
  win32::OwnedFont tipFont_;
  FactsReader& facts_;
  // The one hashing at work (kHashProgress tells how far), and the text of its row.
  void OnHashProgress();
  std::unique_ptr<HashJob> hashing_;
  std::uint32_t clipboardAtHashing_ = 0;  // the clipboard's sequence when it was asked for
  // The hashes worked out in this run, by path, for the rows' tooltip.
  std::unordered_map<std::string, std::string> hashLines_;
  std::string rowText_;
};

}  // namespace kest
