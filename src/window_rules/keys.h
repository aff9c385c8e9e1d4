#pragma once
// The keys of the windows' commands: which key runs which command, the name a hint shows for it
// ("Ctrl+B") and the stepping of the settings window's pages. Keys are virtual-key codes.
#include <span>
#include <string>

#include "core/window_ids.h"

namespace kest {

namespace vk {
inline constexpr unsigned kBackspace = 0x08;
inline constexpr unsigned kTab = 0x09;
inline constexpr unsigned kEnter = 0x0D;
inline constexpr unsigned kEscape = 0x1B;
inline constexpr unsigned kPageUp = 0x21;
inline constexpr unsigned kPageDown = 0x22;
inline constexpr unsigned kF1 = 0x70;
inline constexpr unsigned kF4 = 0x73;
inline constexpr unsigned kComma = 0xBC;  // VK_OEM_COMMA
}  // namespace vk

enum KeyModifier : unsigned { kCtrl = 1, kShift = 2, kAlt = 4 };

struct KeyBinding {
  int command;
  unsigned key;
  unsigned modifiers;
};

// The main window's keys; each runs the command of the button that shows it in its hint.
inline constexpr KeyBinding kMainWindowKeys[] = {
    {ids::addFile, 'O', kCtrl},       {ids::backup, 'B', kCtrl},  {ids::restore, 'R', kCtrl},
    {ids::settings, vk::kComma, kCtrl}, {ids::notes, 'N', kCtrl},  {ids::about, vk::kF1, kCtrl},
    {ids::toMini, 'M', kCtrl},        {ids::toTray, 'T', kCtrl},  {ids::exit, vk::kF4, kAlt}};

// The mini window's: Backspace goes up a folder, as in Windows' file dialogs.
inline constexpr KeyBinding kMiniWindowKeys[] = {{ids::mini_window::backButton, vk::kBackspace, 0}};

// The settings window's keys, as in any tabbed dialog.
inline constexpr KeyBinding kSettingsWindowKeys[] = {
    {ids::settings_window::nextPage, vk::kTab, kCtrl},
    {ids::settings_window::previousPage, vk::kTab, kCtrl | kShift},
    {ids::settings_window::nextPage, vk::kPageDown, kCtrl},
    {ids::settings_window::previousPage, vk::kPageUp, kCtrl}};

// "Ctrl+Shift+Tab", "Ctrl+,", "Alt+F4", "Esc".
std::string KeyName(unsigned key, unsigned modifiers);
// The first binding of the command, or nothing.
const KeyBinding* KeyOf(std::span<const KeyBinding> keys, int command);
// A hint with its key after it: "Backup file (Ctrl+B)"; the hint alone without a key.
std::string HintWithKey(const std::string& hint, const std::string& key);
// The page a step away from current among count pages, wrapping both ways.
int SteppedPage(int current, int step, int count);

}  // namespace kest
