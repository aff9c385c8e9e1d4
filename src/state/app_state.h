#pragma once
// What several windows read or change during a run: the settings file, the target list and
// the current target, the colours and opacity, the flags and the work drive. The entry owns
// the one instance; windows reach it through their context.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/color_scheme.h"
#include "core/settings_file.h"
#include "catalog/work_drive.h"
#include "platform/settings_store.h"
#include "targets/target_list.h"

namespace kest {

// Told of every change of the current target: all observers hear "changing" while the old
// target is still current, then all hear "changed", each in the order they were added.
class CurrentTargetObserver {
 public:
  virtual ~CurrentTargetObserver() = default;
  virtual void CurrentTargetChanging(const std::string& from, const std::string& to) = 0;
  virtual void CurrentTargetChanged(const std::string& from, const std::string& to) = 0;
};

class AppState {
 public:
  // Tools.ini in dataDir, the folder Kest keeps its files in (AppContext::dataDir).
  AppState(SettingsStore& store, const std::string& exeDir, const std::string& dataDir);
  AppState(SettingsStore& store, const std::string& exeDir) : AppState(store, exeDir, exeDir) {}
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  SettingsFile& settings() { return settings_; }
  const std::string& exeDir() const { return exeDir_; }

  // Reads, in the main window's creation order, "StOnTop", "CheckDrive", "abValue", "Drive",
  // the three colours and "IMOnStart".
  void LoadOptions();
  // Reads the three colours again.
  void LoadColors();

  TargetList& targets() { return targets_; }
  const TargetList& targets() const { return targets_; }

  const std::string& currentTarget() const { return currentTarget_; }
  // Every call is one change, also one that sets the same path again: a note shown for the
  // target is then saved and read back.
  void SetCurrentTarget(const std::string& path);
  // The selected entry's full path becomes the current target, or nothing when none is.
  void SetCurrentTargetFromSelection(std::optional<std::size_t> selected);
  void AddObserver(CurrentTargetObserver* observer);
  void RemoveObserver(CurrentTargetObserver* observer);

  ColorScheme colors;
  int opacity = 245;              // 0..255, the low byte of "abValue"
  bool stayOnTop = false;
  bool normalMode = true;         // false only in a run begun with "IMOnStart" true
  bool menusOutOfDate = true;
  bool commandLineEditing = false;
  WorkDrive workDrive;            // letter and confirm flag

 private:
  SettingsFile settings_;
  std::string exeDir_;
  TargetList targets_;
  std::string currentTarget_;
  std::vector<CurrentTargetObserver*> observers_;
};

}  // namespace kest
