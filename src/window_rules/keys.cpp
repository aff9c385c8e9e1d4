#include "window_rules/keys.h"

namespace kest {

namespace {

std::string KeyCapName(unsigned key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
  if (key >= vk::kF1 && key < vk::kF1 + 24) {
    std::string name = "F";
    name += std::to_string(key - vk::kF1 + 1);
    return name;
  }
  switch (key) {
    case vk::kBackspace: return "Backspace";
    case vk::kTab: return "Tab";
    case vk::kEnter: return "Enter";
    case vk::kEscape: return "Esc";
    case vk::kPageUp: return "PgUp";
    case vk::kPageDown: return "PgDn";
    case vk::kComma: return ",";
    default: return "?";
  }
}

}  // namespace

std::string KeyName(unsigned key, unsigned modifiers) {
  std::string name;
  if (modifiers & kCtrl) name += "Ctrl+";
  if (modifiers & kShift) name += "Shift+";
  if (modifiers & kAlt) name += "Alt+";
  name += KeyCapName(key);
  return name;
}

const KeyBinding* KeyOf(std::span<const KeyBinding> keys, int command) {
  for (const KeyBinding& k : keys)
    if (k.command == command) return &k;
  return nullptr;
}

std::string HintWithKey(const std::string& hint, const std::string& key) {
  return key.empty() ? hint : hint + " (" + key + ")";
}

int SteppedPage(int current, int step, int count) {
  if (count <= 0) return 0;
  int page = (current + step) % count;
  return page < 0 ? page + count : page;
}

}  // namespace kest
