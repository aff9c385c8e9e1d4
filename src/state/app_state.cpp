#include "state/app_state.h"

#include <algorithm>

namespace kest {

AppState::AppState(SettingsStore& store, const std::string& exeDir, const std::string& dataDir)
    : settings_(store, dataDir, exeDir), exeDir_(exeDir) {}

void AppState::LoadOptions() {
  stayOnTop = settings_.read(opt::StOnTop);
  workDrive.confirm = settings_.read(opt::CheckDrive);
  opacity = settings_.read(opt::abValue) & 0xFF;
  workDrive.letter = settings_.readDriveLetter();
  LoadColors();
  normalMode = !settings_.read(opt::IMOnStart);
}

void AppState::LoadColors() {
  colors.main = static_cast<std::uint32_t>(settings_.read(opt::Col1));
  colors.caption = static_cast<std::uint32_t>(settings_.read(opt::Col2));
  colors.font = static_cast<std::uint32_t>(settings_.read(opt::Col3));
}

void AppState::SetCurrentTarget(const std::string& path) {
  std::string from = currentTarget_;
  // An observer may add or remove observers while it is told: each is told only while it is
  // still registered, and observers added meanwhile hear from the next change on.
  std::string to = path;
  std::vector<CurrentTargetObserver*> observers = observers_;
  auto registered = [this](CurrentTargetObserver* o) {
    return std::find(observers_.begin(), observers_.end(), o) != observers_.end();
  };
  for (CurrentTargetObserver* o : observers)
    if (registered(o)) o->CurrentTargetChanging(from, to);
  currentTarget_ = to;
  for (CurrentTargetObserver* o : observers)
    if (registered(o)) o->CurrentTargetChanged(from, to);
}

void AppState::SetCurrentTargetFromSelection(std::optional<std::size_t> selected) {
  SetCurrentTarget(selected && *selected < targets_.size() ? targets_.at(*selected).fullPath()
                                                          : std::string());
}

void AppState::AddObserver(CurrentTargetObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void AppState::RemoveObserver(CurrentTargetObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

}  // namespace kest
