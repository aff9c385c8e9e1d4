#include "window_rules/color_rules.h"

#include <cctype>

namespace kest {

int OpacityFromText(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = i < text.size() && text[i] == '-';
  if (negative || (i < text.size() && text[i] == '+')) ++i;
  if (i == text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return 0;
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 255) value = 256;  // no overflow for any length of digits
  }
  if (i != text.size()) return 0;
  if (negative) return 0;
  return value > 255 ? 255 : static_cast<int>(value);
}

void ApplyScheme(AppState& state, const ColorScheme& swatches, int trackPosition) {
  SettingsFile& s = state.settings();
  s.write(opt::Col1, static_cast<int>(swatches.main));
  s.write(opt::Col2, static_cast<int>(swatches.caption));
  s.write(opt::Col3, static_cast<int>(swatches.font));
  state.LoadColors();
  state.opacity = trackPosition < 0 ? 0 : trackPosition > 255 ? 255 : trackPosition;
}

}  // namespace kest
