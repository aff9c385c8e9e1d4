#include "targets/target_kind.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/ascii_case.h"

namespace kest {

namespace {

using namespace std::string_view_literals;

// The name without the trailing dots and blanks Windows drops.
std::string_view Trimmed(std::string_view fileName) {
  while (!fileName.empty() && (fileName.back() == '.' || fileName.back() == ' ')) fileName.remove_suffix(1);
  return fileName;
}

// The extension after the last dot, in lower case; empty when there is none.
std::string ExtensionOf(std::string_view fileName) {
  fileName = Trimmed(fileName);
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return std::string();
  return AsciiLowered(fileName.substr(dot + 1));
}

// An extension that names a file type as the registry keeps them, nothing that could become a
// path or a command.
bool IsPlainType(std::string_view extension) {
  constexpr std::size_t kLongestType = 16;
  if (extension.empty() || extension.size() > kLongestType) return false;
  return std::all_of(extension.begin(), extension.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
  });
}

template <std::size_t N>
bool IsOneOf(std::string_view extension, const std::string_view (&list)[N]) {
  return std::find(std::begin(list), std::end(list), extension) != std::end(list);
}

// Documents that are ZIP or CAB files inside: they show as what they are named.
constexpr std::string_view kZipDocuments[] = {
    "docx", "docm", "dotx", "xlsx", "xlsm", "xltx", "pptx", "pptm", "potx", "ppsx", "vsdx", "odt",
    "ods",  "odp",  "odg",  "epub", "jar",  "apk",  "xpi",  "vsix", "nupkg", "appx", "appxbundle",
    "msix", "msixbundle", "whl", "ipa", "kmz", "3mf", "xps", "oxps"};
constexpr std::string_view kCabDocuments[] = {"msu"};

// What the shell runs or installs when such a file is opened, besides the scripts file_facts
// knows by their extension.
constexpr std::pair<std::string_view, std::string_view> kRunByOpening[] = {
    {"exe", "program"},
    {"com", "MS-DOS program"},
    {"pif", "program information file"},
    {"scr", "screen saver"},
    {"cpl", "control-panel item"},
    {"dll", "DLL"},
    {"ocx", "ActiveX control"},
    {"sys", "driver"},
    {"msi", "Windows Installer package"},
    {"msp", "Windows Installer patch"},
    {"msu", "Windows update package"},
    {"appx", "app package"},
    {"appxbundle", "app package"},
    {"msix", "app package"},
    {"msixbundle", "app package"},
    {"appinstaller", "app installer file"},
    {"application", "ClickOnce application"},
    {"appref-ms", "ClickOnce application"},
    {"xbap", "browser application"},
    {"lnk", "shortcut"},
    {"url", "internet shortcut"},
    {"website", "pinned site shortcut"},
    {"shb", "document shortcut"},
    {"settingcontent-ms", "settings shortcut"},
    {"hta", "HTML application"},
    {"wsc", "script component"},
    {"sct", "script component"},
    {"jar", "Java archive"},
    {"msc", "management console"},
    {"reg", "registration entries"},
    {"scf", "Explorer command"},
    {"gadget", "desktop gadget"},
    {"diagcab", "troubleshooting pack"},
};

bool IsModule(FileKind kind) {
  return kind == FileKind::PeExecutable || kind == FileKind::PeDll || kind == FileKind::PeDriver ||
         kind == FileKind::DotNet || kind == FileKind::MsDos;
}

}  // namespace

std::string KindIconType(const FileFacts& facts, std::string_view fileName) {
  const std::string extension = ExtensionOf(fileName);
  switch (facts.kind) {
    case FileKind::PeExecutable:
    case FileKind::MsDos:
      return ".exe";
    case FileKind::DotNet:
      return facts.library ? ".dll" : ".exe";
    case FileKind::PeDll:
      return ".dll";
    case FileKind::PeDriver:
      return ".sys";
    case FileKind::Lnk:
      return ".lnk";
    case FileKind::Zip:
      if (!IsOneOf(extension, kZipDocuments)) return ".zip";
      break;
    case FileKind::Cab:
      if (!IsOneOf(extension, kCabDocuments)) return ".cab";
      break;
    case FileKind::SevenZip:
      return ".7z";
    case FileKind::Rar:
      return ".rar";
    default:
      break;
  }
  return IsPlainType(extension) ? "." + extension : std::string();
}

bool MayCarryIcon(const FileFacts& facts, std::string_view head) {
  // An icon directory (type 1) or a cursor directory (type 2) with at least one image.
  const bool iconFile = head.size() >= 6 && (head.substr(0, 4) == "\0\0\1\0"sv || head.substr(0, 4) == "\0\0\2\0"sv) &&
                        (head[4] != 0 || head[5] != 0);
  return IsModule(facts.kind) || iconFile;
}

std::optional<std::string> ProgramKind(const FileFacts& facts, std::string_view fileName) {
  if (IsModule(facts.kind) || facts.kind == FileKind::Lnk) {
    // The kind as the tooltip names it ("PE32+ DLL"), before the machine and the size.
    const std::string line = FactsLine(facts);
    return line.substr(0, line.find(", "));
  }
  const std::string extension = ExtensionOf(fileName);
  for (const auto& [e, kind] : kRunByOpening)
    if (extension == e) return std::string(kind);
  // The scripts, by their extension alone, whatever their bytes.
  const FileFacts named = ReadFileFacts(std::string_view(), 0, Trimmed(fileName));
  if (named.kind == FileKind::Script) return named.script;
  return std::nullopt;
}

}  // namespace kest
