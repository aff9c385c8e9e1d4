#include "platform/win32/shell_links.h"

#include <windows.h>
#include <shlobj.h>

#include <optional>

#include "platform/kest_error.h"
#include "platform/system_paths.h"
#include "platform/win32/system_view.h"
#include "platform/win32/text_encoding.h"

namespace kest::win32 {

bool ComShellLinks::write(const std::string& linkFile, const std::string& path,
                          const std::string& arguments, const std::string& workingDirectory) {
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.putVoid());
  if (FAILED(hr) || !link) throw KestError("Unable to create the shell link object");
  hr = link->QueryInterface(IID_IPersistFile, file.putVoid());
  if (FAILED(hr) || !file) throw KestError("Unable to create the shell link object");
  link->SetPath(path.c_str());
  link->SetArguments(arguments.c_str());
  link->SetWorkingDirectory(workingDirectory.c_str());
  // SetPath answers S_FALSE for a program that is not there yet and still stores it: only the
  // save says whether a link file exists afterwards.
  return SUCCEEDED(file->Save(AnsiToWide(linkFile).c_str(), FALSE));
}

bool ComShellLinks::load(const std::string& linkFile) {
  // One link object serves every read: loading a file replaces what it held, and creating
  // the object costs more than reading a link.
  if (!reader_ || !readerFile_) {
    reader_.reset();
    readerFile_.reset();
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reader_.putVoid())) || !reader_)
      return false;
    if (FAILED(reader_->QueryInterface(IID_IPersistFile, readerFile_.putVoid())) || !readerFile_) {
      reader_.reset();
      return false;
    }
  }
  // A failed load must not leave the previous link's contents behind.
  return SUCCEEDED(readerFile_->Load(AnsiToWide(ForSystem(linkFile)).c_str(), STGM_READ));
}

std::string ComShellLinks::readArguments(const std::string& linkFile) {
  if (!load(linkFile)) return std::string();
  // The link format keeps at most INFOTIPSIZE characters of arguments, up to three bytes each.
  std::string buffer(3 * INFOTIPSIZE + 1, '\0');
  if (FAILED(reader_->GetArguments(buffer.data(), 3 * INFOTIPSIZE))) return std::string();
  buffer.back() = '\0';
  return buffer.c_str();
}

std::string ComShellLinks::readPath(const std::string& linkFile) {
  if (!load(linkFile)) return std::string();
  // MAX_PATH characters, each up to three bytes in UTF-8. Raw: a link made for a program in
  // %ProgramFiles% keeps the variable, which a 32-bit reader would expand to the 32-bit folder;
  // it is expanded here as the program's own Windows would (system_paths.h).
  char buffer[3 * MAX_PATH + 1] = {};
  WIN32_FIND_DATAA data;
  reader_->GetPath(buffer, 3 * MAX_PATH, &data, SLGP_UNCPRIORITY | SLGP_RAWPATH);
  buffer[3 * MAX_PATH] = '\0';
  const std::string raw(buffer);
  if (raw.find('%') == std::string::npos) return raw;
  return paths::ExpandLinkPath(
      raw, RunsUnderWow64(),
      [](std::string_view name) -> std::optional<std::string> {
        const std::string n(name);
        DWORD size = GetEnvironmentVariableA(n.c_str(), nullptr, 0);
        if (size == 0) return std::nullopt;
        std::string value(size, '\0');
        DWORD got = GetEnvironmentVariableA(n.c_str(), value.data(), size);
        value.resize(got < size ? got : 0);
        return value;
      },
      [](const std::string& path) {
        DWORD a = GetFileAttributesA(ForSystem(path).c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
      });
}

}  // namespace kest::win32
