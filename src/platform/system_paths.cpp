#include "platform/system_paths.h"

#include <array>
#include <optional>

#include "platform/ascii_case.h"

namespace kest::paths {

namespace {

bool IsSlash(char c) { return c == '\\' || c == '/'; }

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (IsSlash(a[i]) ? !IsSlash(b[i]) : AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

std::string_view WithoutTrailingSlashes(std::string_view dir) {
  while (!dir.empty() && IsSlash(dir.back())) dir.remove_suffix(1);
  return dir;
}

// What follows "<windowsDir>\<folder>" in the path: empty, or starting with a separator;
// nothing when the path does not lie there. "\\?\" and UNC paths never match, since a Windows
// directory starts with its drive.
std::optional<std::string_view> Below(std::string_view path, std::string_view windowsDir, std::string_view folder) {
  windowsDir = WithoutTrailingSlashes(windowsDir);
  if (windowsDir.empty() || IsSlash(windowsDir.front())) return std::nullopt;
  const std::size_t head = windowsDir.size() + 1 + folder.size();
  if (path.size() < head || !SameText(path.substr(0, windowsDir.size()), windowsDir) ||
      !IsSlash(path[windowsDir.size()]) || !SameText(path.substr(windowsDir.size() + 1, folder.size()), folder))
    return std::nullopt;
  std::string_view rest = path.substr(head);
  if (!rest.empty() && !IsSlash(rest.front())) return std::nullopt;
  return rest;
}

// The folders of System32 that the system leaves to 64-bit and 32-bit programs alike.
constexpr std::array<std::string_view, 6> kNotRedirected = {"catroot", "catroot2", "driverstore", "drivers\\etc",
                                                            "logfiles", "spool"};

bool NotRedirected(std::string_view rest) {
  while (!rest.empty() && IsSlash(rest.front())) rest.remove_prefix(1);
  for (std::string_view folder : kNotRedirected) {
    if (rest.size() < folder.size() || !SameText(rest.substr(0, folder.size()), folder)) continue;
    if (rest.size() == folder.size() || IsSlash(rest[folder.size()])) return true;
  }
  return false;
}

std::string Replaced(std::string_view windowsDir, std::string_view folder, std::string_view rest) {
  std::string out(WithoutTrailingSlashes(windowsDir));
  out += '\\';
  out += folder;
  out += rest;
  return out;
}

}  // namespace

std::string ThroughSysnative(std::string_view path, std::string_view windowsDir) {
  auto rest = Below(path, windowsDir, "System32");
  if (!rest || NotRedirected(*rest)) return std::string(path);
  return Replaced(windowsDir, "Sysnative", *rest);
}

std::string AsSystem32(std::string_view path, std::string_view windowsDir) {
  auto rest = Below(path, windowsDir, "Sysnative");
  if (!rest) return std::string(path);
  return Replaced(windowsDir, "System32", *rest);
}

std::string NameFrom32BitView(std::string_view path, std::string_view windowsDir, bool sure,
                              const std::function<bool(const std::string&)>& exists) {
  if (auto rest = Below(path, windowsDir, "Sysnative")) return Replaced(windowsDir, "System32", *rest);
  auto rest = Below(path, windowsDir, "System32");
  if (!rest || NotRedirected(*rest)) return std::string(path);
  const std::string wow = Replaced(windowsDir, "SysWOW64", *rest);
  if (!exists(wow)) return std::string(path);
  if (sure || !exists(std::string(path))) return wow;
  return std::string(path);
}

bool InSystemFolder(std::string_view path, std::string_view windowsDir) {
  return Below(path, windowsDir, "System32") || Below(path, windowsDir, "Sysnative");
}

std::string VerbCommandLine(std::string_view command, std::string_view file) {
  std::string out;
  bool placed = false, inQuotes = false;
  for (std::size_t i = 0; i < command.size(); ++i) {
    const char c = command[i];
    if (c == '"') inQuotes = !inQuotes;
    if (c != '%' || i + 1 >= command.size()) {
      out += c;
      continue;
    }
    const char n = command[i + 1];
    if (n == '1' || n == 'L' || n == 'l') {
      out += inQuotes ? std::string(file) : "\"" + std::string(file) + "\"";
      placed = true;
      ++i;
    } else if (n == '*' || (n >= '2' && n <= '9')) {
      ++i;
    } else if (n == '%') {
      out += '%';
      ++i;
    } else {
      out += c;
    }
  }
  if (!placed) out += " \"" + std::string(file) + "\"";
  return out;
}

namespace {

// Every %NAME% expanded from env; an unknown one, or a lone "%", stays as written.
std::string Expanded(std::string_view text, const EnvironmentLookup& env) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t open = text.find('%', at);
    std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out.append(text, at, open - at);
    std::optional<std::string> value = close > open + 1 ? env(text.substr(open + 1, close - open - 1)) : std::nullopt;
    if (value) {
      out += *value;
      at = close + 1;
    } else {
      // Not a variable: the first "%" stays, and the second may open the next one.
      out += '%';
      at = open + 1;
    }
  }
  out.append(text, at, std::string_view::npos);
  return out;
}

}  // namespace

std::string ExpandLinkPath(std::string_view raw, bool wow64, const EnvironmentLookup& env,
                           const std::function<bool(const std::string&)>& exists) {
  struct Folder {
    std::string_view variable, native, wow;
  };
  constexpr Folder kFolders[] = {{"%ProgramFiles%", "ProgramW6432", "ProgramFiles(x86)"},
                                 {"%CommonProgramFiles%", "CommonProgramW6432", "CommonProgramFiles(x86)"}};
  if (wow64) {
    for (const Folder& f : kFolders) {
      if (raw.size() < f.variable.size() || !SameText(raw.substr(0, f.variable.size()), f.variable)) continue;
      const std::string rest = Expanded(raw.substr(f.variable.size()), env);
      std::optional<std::string> native = env(f.native), wow = env(f.wow);
      if (!native) break;  // not a 64-bit Windows after all: expanded as the system would
      const std::string nativePath = *native + rest;
      if (exists(nativePath) || !wow) return nativePath;
      const std::string wowPath = *wow + rest;
      return exists(wowPath) ? wowPath : nativePath;
    }
  }
  return Expanded(raw, env);
}

}  // namespace kest::paths
