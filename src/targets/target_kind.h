#pragma once
// What a target is to the list before its own icon comes, and to a double click: Kest's own
// reading of its first bytes (file_facts.h) decides first, its extension after. The name is a
// sample's too: nothing taken from it reaches the system unchecked.
#include <optional>
#include <string>
#include <string_view>

#include "targets/file_facts.h"

namespace kest {

// The file type whose icon the shell shows for the target's kind, as ".ext" in lower case: ".exe"
// for a program, ".dll" for a DLL, ".sys" for a driver, the archive's own type for an archive
// (a document kept in a ZIP, such as ".docx", keeps its own), ".lnk" for a shortcut, the file's
// own extension for a script or any other file. Empty (the default icon) for a file without an
// extension, or whose extension is not a plain one (letters, digits, "-" and "_", at most 16).
std::string KindIconType(const FileFacts& facts, std::string_view fileName);

// Whether the file may hold an icon of its own for the system's icon reader: a program, DLL or
// driver ("MZ"), or an icon or cursor file. head: the file's first bytes.
bool MayCarryIcon(const FileFacts& facts, std::string_view head);

// What the file is, when opening it through the shell would run it: "PE32 executable", "Batch
// script", "screen saver", ...; nothing for any other file. The header decides first (every
// "MZ" file and every shortcut), then the extension: programs, screen savers, control-panel
// items, installers, scripts of the system's hosts and the usual interpreters, shortcuts and
// internet shortcuts, HTML applications and the other types Windows runs or installs when they
// are opened. Trailing dots and blanks are not part of the extension: Windows drops them.
std::optional<std::string> ProgramKind(const FileFacts& facts, std::string_view fileName);

}  // namespace kest
