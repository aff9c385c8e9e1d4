#pragma once
#include <stdexcept>
#include <string>

namespace kest {

// The one error type a handler may leave uncaught: the window procedure shows its text
// in a message box and abandons the rest of that handler.
class KestError : public std::runtime_error {
 public:
  explicit KestError(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace kest
