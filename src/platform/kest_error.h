#pragma once
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace kest {

// The one error type a handler may leave uncaught: the window procedure shows its text
// in a message box and abandons the rest of that handler.
class KestError : public std::runtime_error {
 public:
  explicit KestError(const std::string& text) : std::runtime_error(text) {}
};

inline constexpr const char* kOutOfMemoryText =
    "Kest ran out of memory, and what it was doing was left unfinished.";
inline constexpr const char* kInternalErrorText = "An internal error stopped what Kest was doing.";

// What a message box says of an error: Kest's own text, and for anything else what failed in
// words, never the library's internal text.
inline std::string ErrorText(const std::exception& e) {
  if (const auto* own = dynamic_cast<const KestError*>(&e)) return own->what();
  if (dynamic_cast<const std::bad_alloc*>(&e)) return kOutOfMemoryText;
  return kInternalErrorText;
}

}  // namespace kest
