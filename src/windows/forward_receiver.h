#pragma once
// The running copy's side of forwarding: the atom a second start names is handled at once. A
// second later (once forwards have stopped coming) the whole atom table is searched for
// left-behind atoms on a thread of its own, one lookup at a time so as not to crowd the system
// every other program talks to, and what it finds is handled on the user-interface thread when
// the search reports back. Where this copy owns the session's quick line, a thread reads the
// atoms announced on it and posts each to the window as a forwarding message naming it.
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/atom_table.h"
#include "platform/win32/handles.h"

namespace kest {

class ForwardReceiver {
 public:
  using Dispatch = std::function<void(const std::string& path)>;
  // window gets doneMessage when a search has finished, and WM_TIMER with timerId when it is
  // time to start one.
  ForwardReceiver(AtomTable& atoms, UINT doneMessage, UINT_PTR timerId)
      : atoms_(atoms), doneMessage_(doneMessage), timerId_(timerId) {}
  ForwardReceiver(const ForwardReceiver&) = delete;
  ForwardReceiver& operator=(const ForwardReceiver&) = delete;
  ~ForwardReceiver() { Stop(); }

  // Creates the quick line and starts reading it; nothing when another copy owns the name.
  void Listen(HWND window, const std::string& lineName);
  // The forwarding message: lParam is the atom a second start added, or 0 from a copy that
  // names none (then the table is searched at once, as such copies expect). Until Ready the
  // message is only kept.
  void OnForward(HWND window, LPARAM lParam, const Dispatch& dispatch);
  // The window can take paths (its stored targets are loaded, its own argument handled): the
  // messages kept until now are handled in their order. A start may find the window, and send
  // to it, while the window is being made.
  void Ready(HWND window, const Dispatch& dispatch);
  // The timer: the search starts.
  void OnTimer(HWND window);
  UINT_PTR TimerId() const { return timerId_; }
  // doneMessage: handles what the search found; an empty dispatch leaves it in the table.
  void OnSearchDone(HWND window, const Dispatch& dispatch);
  // Closes the quick line and waits for a search still running; at exit.
  void Stop();

 private:
  void StartSearch(HWND window);

  AtomTable& atoms_;
  UINT doneMessage_;
  UINT_PTR timerId_;
  std::thread search_;
  std::mutex mutex_;
  std::vector<std::pair<AtomValue, std::string>> found_;
  bool searching_ = false;
  bool searchAgain_ = false;
  win32::OwnedHandle line_;
  win32::OwnedHandle wake_;  // this copy's own writer, to end the reading at exit
  std::thread listener_;
  std::atomic<bool> stopping_{false};
  bool ready_ = false;
  std::vector<LPARAM> early_;
};

}  // namespace kest
