#pragma once
// The colour scheme's rules: the colour the main window leaves out, the opacity controls, and
// what "apply" stores and takes over.
#include <cstdint>
#include <string>

#include "state/app_state.h"

namespace kest {

// The main window's background and transparency key: a picked colour may not be it.
inline constexpr std::uint32_t kKeyColour = 0x008000;
inline std::uint32_t PickedColour(std::uint32_t colour) { return colour == kKeyColour ? 0x008001 : colour; }

// The opacity that the spin box's text gives the track bar: a number held within 0 to 255,
// and 0 for anything that is no number.
int OpacityFromText(const std::string& text);

// "apply": stores the three swatch colours, takes them back as the current colours and makes
// the track bar's position the opacity value (which is stored only at exit).
void ApplyScheme(AppState& state, const ColorScheme& swatches, int trackPosition);

}  // namespace kest
