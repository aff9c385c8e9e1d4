#pragma once
#include <string>

#include "platform/types.h"

namespace kest {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Puts the text on the clipboard as CF_TEXT, the owner window opening it.
  virtual bool setText(WindowHandle owner, const std::string& text) = 0;
};

}  // namespace kest
