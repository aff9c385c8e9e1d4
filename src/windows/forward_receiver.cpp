#include "windows/forward_receiver.h"

#include "core/single_instance.h"
#include "core/window_ids.h"
#include "platform/win32/forward_notice.h"

namespace kest {

void ForwardReceiver::Listen(HWND window, const std::string& lineName) {
  // A line message is exactly one atom value; the system refuses longer ones to the writer.
  // Writable by a start of this user without administrator rights, also when this copy has them.
  win32::ForwardSecurity security;
  line_ = win32::OwnedFile(
      CreateMailslotA(lineName.c_str(), sizeof(AtomValue), MAILSLOT_WAIT_FOREVER, security.attributes()));
  if (!line_) return;
  // Writers share writing: several second starts, and this copy's own writer, at once.
  wake_ = win32::OwnedFile(CreateFileA(lineName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!wake_) {
    line_.reset();
    return;
  }
  stopping_ = false;
  // The reader gets the handle itself: the slot stays open until Stop has joined it.
  listener_ = std::thread([this, window, line = line_.get()] {
    for (;;) {
      AtomValue atom = 0;
      DWORD read = 0;
      BOOL ok = ReadFile(line, &atom, sizeof(atom), &read, nullptr);
      // A failed read (on a system that refuses a message longer than the slot's maximum
      // instead of cutting it) ends the line: the message still brings every forward, and the
      // reader never takes in more than an atom value whatever a writer claims.
      if (stopping_ || !ok) break;
      // Anyone may write here: only a string atom's value goes on, and the window checks it
      // is a forwarding atom before anything is done with it.
      if (read == sizeof(atom) && atom >= 0xC000)
        PostMessageA(window, msg::kForwardedCommandLine, kForwardFromLine, atom);
    }
  });
}

void ForwardReceiver::OnForward(HWND window, LPARAM lParam, const Dispatch& dispatch) {
  if (!ready_) {
    // The stored targets, loaded later, would replace a path added now: the atom waits in the
    // table until the window can take it.
    early_.push_back(lParam);
    return;
  }
  if (lParam == 0) {
    // A copy that names no atom expects the table to be searched now.
    ReceiveForwardedArguments(atoms_, dispatch);
    return;
  }
  // A named atom that is no forwarding atom (any more) was taken over when the quick line
  // announced it: nothing to search for now.
  AtomValue atom = static_cast<AtomValue>(lParam & 0xFFFF);
  if (static_cast<LPARAM>(atom) == lParam) ReceiveForwardedAtom(atoms_, atom, dispatch);
  SetTimer(window, timerId_, 1000, nullptr);
}

void ForwardReceiver::Ready(HWND window, const Dispatch& dispatch) {
  ready_ = true;
  std::vector<LPARAM> early;
  early.swap(early_);
  for (LPARAM lParam : early) OnForward(window, lParam, dispatch);
}

void ForwardReceiver::OnTimer(HWND window) {
  KillTimer(window, timerId_);
  StartSearch(window);
}

void ForwardReceiver::StartSearch(HWND window) {
  if (searching_) {
    // One search at a time; a forward that arrives during it is followed by another.
    searchAgain_ = true;
    return;
  }
  if (search_.joinable()) search_.join();
  searching_ = true;
  search_ = std::thread([this, window] {
    auto found = atoms_.AtomTable::names(0xC000, 0xFFFF, 256);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      found_ = std::move(found);
    }
    PostMessageA(window, doneMessage_, 0, 0);
  });
}

void ForwardReceiver::OnSearchDone(HWND window, const Dispatch& dispatch) {
  if (search_.joinable()) search_.join();
  searching_ = false;
  std::vector<std::pair<AtomValue, std::string>> found;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    found.swap(found_);
  }
  if (searchAgain_) {
    searchAgain_ = false;
    StartSearch(window);
  }
  // Without a dispatch (a window that is closing) the atoms found stay for the starts that wait
  // to take them back.
  if (dispatch) HandleForwardingAtoms(atoms_, found, dispatch);
}

void ForwardReceiver::Stop() {
  if (listener_.joinable()) {
    stopping_ = true;
    AtomValue wake = 0;
    DWORD written = 0;
    WriteFile(wake_.get(), &wake, sizeof(wake), &written, nullptr);
    listener_.join();
  }
  wake_.reset();
  line_.reset();
  if (search_.joinable()) search_.join();
  searching_ = false;
}

}  // namespace kest
