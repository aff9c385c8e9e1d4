#pragma once
// The note file's bytes and the rich edit control: whole-file reads and writes, and the
// control's stream in and out from and to memory.
#include <windows.h>

#include <optional>
#include <string>

namespace kest {

// The rich edit class, from the library that brings it; the library stays loaded for the run.
const char* RichEditClass();


// The control's content in that format (SF_RTF or SF_TEXT).
std::string StreamOut(HWND edit, WPARAM format);
// False when the control reports an error for the bytes in that format.
bool StreamIn(HWND edit, const std::string& bytes, WPARAM format);

}  // namespace kest
