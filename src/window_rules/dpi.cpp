#include "window_rules/dpi.h"

#include <climits>

namespace kest {

int MulDivRounded(int value, int numerator, int denominator) {
  if (denominator == 0) return value;
  long long product = static_cast<long long>(value) * numerator;
  long long d = denominator;
  if (d < 0) {
    product = -product;
    d = -d;
  }
  long long q = product >= 0 ? (product + d / 2) / d : -((-product + d / 2) / d);
  if (q > INT_MAX) return INT_MAX;
  if (q < INT_MIN) return INT_MIN;
  return static_cast<int>(q);
}

int SmallIconSizeForDpi(int dpi) {
  int side = ScaleForDpi(16, UsableDpi(dpi)) / 8 * 8;
  return side < 16 ? 16 : side;
}

}  // namespace kest
