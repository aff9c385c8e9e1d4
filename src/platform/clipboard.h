#pragma once
#include <cstdint>
#include <string>

#include "platform/types.h"

namespace kest {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Puts the text on the clipboard as CF_TEXT, the owner window opening it; false when the
  // clipboard could not be opened (another program holds it) or took nothing.
  virtual bool setText(WindowHandle owner, const std::string& text) = 0;
  // A number that changes whenever anything is put on the clipboard, by any program.
  virtual std::uint32_t sequence() { return 0; }
};

}  // namespace kest
