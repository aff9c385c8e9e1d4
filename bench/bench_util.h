#pragma once
// Timing helpers shared by the benchmarks.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

inline void Report(const char* what, const std::vector<double>& ms) {
  auto [lo, hi] = std::minmax_element(ms.begin(), ms.end());
  std::printf("%-58s median %8.2f ms  (min %.2f, max %.2f, n=%zu)\n", what, Median(ms), *lo, *hi, ms.size());
}

// Handles every message waiting for this thread's windows.
inline void Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

}  // namespace bench
