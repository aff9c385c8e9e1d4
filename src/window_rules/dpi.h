#pragma once
// The program's pixel sizes are its sizes at 96 DPI; at any other DPI they are scaled by DPI/96,
// rounded as MulDiv rounds. Stored window places stay in 96-DPI units, so a Tools.ini carried to
// another screen keeps the same physical layout.

namespace kest {

inline constexpr int kDefaultDpi = 96;

// value * numerator / denominator, rounded half away from zero like MulDiv, in wide arithmetic
// and held inside int (stored values are taken as they are, however large).
int MulDivRounded(int value, int numerator, int denominator);

// A 96-DPI size (or position, or font height) at this DPI, and back.
inline int ScaleForDpi(int value96, int dpi) { return MulDivRounded(value96, dpi, kDefaultDpi); }
inline int UnscaleForDpi(int pixels, int dpi) { return MulDivRounded(pixels, kDefaultDpi, dpi); }

// The side of a small icon at this DPI: 16 pixels scaled, taken down to the next size icons are
// drawn in (a multiple of 8), never below 16.
int SmallIconSizeForDpi(int dpi);

// A DPI as the system gives it, or 96 when it gives none that makes sense.
inline int UsableDpi(int dpi) { return dpi >= 48 && dpi <= 960 ? dpi : kDefaultDpi; }

}  // namespace kest
