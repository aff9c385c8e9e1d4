#include "ui/forward_receiver.h"

#include "app/single_instance.h"

namespace kest {

void ForwardReceiver::OnForward(HWND window, LPARAM lParam, const Dispatch& dispatch) {
  AtomValue atom = static_cast<AtomValue>(lParam & 0xFFFF);
  if (lParam == 0 || static_cast<LPARAM>(atom) != lParam || !ReceiveForwardedAtom(atoms_, atom, dispatch)) {
    ReceiveForwardedArguments(atoms_, dispatch);
    return;
  }
  SetTimer(window, timerId_, 1000, nullptr);
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
  HandleForwardingAtoms(atoms_, found, dispatch);
}

void ForwardReceiver::Stop() {
  if (search_.joinable()) search_.join();
  searching_ = false;
}

}  // namespace kest
