#include "platform/win32/file_system.h"

#include <windows.h>

#include "platform/paths.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_view.h"

namespace kest::win32 {

std::optional<std::string> ReadWholeFile(const std::string& path) {
  OwnedHandle f = OwnedFile(
      CreateFileA(ForSystem(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return std::nullopt;
  std::string bytes;
  char chunk[16384];
  for (;;) {
    DWORD got = 0;
    // A read that fails part-way gives nothing: a part taken for the whole would be saved back
    // over the rest.
    if (!ReadFile(f.get(), chunk, sizeof chunk, &got, nullptr)) return std::nullopt;
    if (got == 0) return bytes;
    bytes.append(chunk, got);
  }
}

// Every path below is the one the user named; the system is handed the one that reaches it
// (system_view.h).
std::uint32_t Win32FileSystem::attributes(const std::string& path) {
  return GetFileAttributesA(ForSystem(path).c_str());
}

bool Win32FileSystem::fileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(ForSystem(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<FileStamp> Win32FileSystem::fileStamp(const std::string& path) { return StampOf(path); }

std::optional<FileStamp> StampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(ForSystem(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  FileStamp stamp;
  stamp.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  stamp.lastWrite = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  return stamp;
}

namespace {

class FindListing final : public DirListing {
 public:
  FindListing(HANDLE h, const WIN32_FIND_DATAA& first) : handle_(h), data_(first) {}
  bool next(DirEntry& entry) override {
    if (!pending_) {
      SetLastError(0);
      if (!FindNextFileA(handle_.get(), &data_)) return false;  // ERROR_NO_MORE_FILES or worse
    }
    pending_ = false;
    entry.name = data_.cFileName;
    entry.attributes = data_.dwFileAttributes;
    return true;
  }

 private:
  OwnedFind handle_;
  WIN32_FIND_DATAA data_;
  bool pending_ = true;  // the entry FindFirstFileA returned
};

}  // namespace

std::unique_ptr<DirListing> Win32FileSystem::list(const std::string& directory) {
  WIN32_FIND_DATAA data;
  std::string pattern = paths::WithTrailingBackslash(ForSystem(directory)) + "*.*";
  HANDLE h = FindFirstFileA(pattern.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<FindListing>(h, data);
}

std::string Win32FileSystem::currentDirectory() {
  DWORD size = GetCurrentDirectoryA(0, nullptr);
  std::string buffer(size, '\0');
  DWORD n = size ? GetCurrentDirectoryA(size, buffer.data()) : 0;
  return paths::WithTrailingBackslash(buffer.substr(0, n < size ? n : 0));
}

bool Win32FileSystem::setCurrentDirectory(const std::string& directory) {
  return SetCurrentDirectoryA(DirectoryForSystem(directory).c_str()) != FALSE;
}

bool Win32FileSystem::createDirectory(const std::string& path) {
  return CreateDirectoryA(ForSystem(path).c_str(), nullptr) != FALSE;
}

bool Win32FileSystem::removeDirectory(const std::string& path) { return RemoveDirectoryA(ForSystem(path).c_str()) != FALSE; }

bool Win32FileSystem::copyFile(const std::string& from, const std::string& to, bool failIfExists) {
  return CopyFileA(ForSystem(from).c_str(), ForSystem(to).c_str(), failIfExists) != FALSE;
}

bool Win32FileSystem::deleteFile(const std::string& path) { return DeleteFileA(ForSystem(path).c_str()) != FALSE; }

bool Win32FileSystem::moveFile(const std::string& from, const std::string& to) {
  return MoveFileA(ForSystem(from).c_str(), ForSystem(to).c_str()) != FALSE;
}

bool Win32FileSystem::writeFile(const std::string& path, const std::string& bytes) {
  win32::OwnedHandle f =
      win32::OwnedFile(CreateFileA(ForSystem(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return false;
  DWORD written = 0;
  return WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size() && FlushFileBuffers(f.get());
}

bool Win32FileSystem::replaceFile(const std::string& from, const std::string& to) {
  const std::string source = ForSystem(from), target = ForSystem(to);
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  // The replaced file's permissions, attributes and creation time go to the new one. Where that
  // is refused, the plain move decides as it always did (a read-only file: Windows refuses it,
  // Wine lets root replace it).
  if (!ReplaceFileA(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) &&
      !MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return false;
  // Wine's replacement keeps neither the hidden nor the read-only bit.
  constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD now = GetFileAttributesA(target.c_str());
  if (now != INVALID_FILE_ATTRIBUTES && (now & kKept) != (attributes & kKept))
    SetFileAttributesA(target.c_str(), (now & ~kKept) | (attributes & kKept));
  return true;
}

bool Win32FileSystem::overwriteFile(const std::string& path, const std::string& bytes) {
  OwnedHandle f = OwnedFile(CreateFileA(ForSystem(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return false;
  DWORD written = 0;
  return WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size() && SetEndOfFile(f.get()) && FlushFileBuffers(f.get());
}

std::string Win32FileSystem::linkTarget(const std::string& path) {
  OwnedHandle f = OwnedFile(CreateFileA(ForSystem(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return path;
  // A buffer that is too small gets the size needed (Wine gives nothing for none at all).
  std::string final(MAX_PATH * 3, '\0');
  DWORD size = GetFinalPathNameByHandleA(f.get(), final.data(), static_cast<DWORD>(final.size()),
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (size >= final.size()) {
    final.assign(size + 1, '\0');
    size = GetFinalPathNameByHandleA(f.get(), final.data(), static_cast<DWORD>(final.size()),
                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  if (size == 0 || size >= final.size()) return path;
  final.resize(size);
  // "\\?\C:\x" and "\\?\UNC\server\share\x" in the forms Kest names them by.
  if (final.rfind("\\\\?\\UNC\\", 0) == 0) final = "\\" + final.substr(7);
  else if (final.rfind("\\\\?\\", 0) == 0) final = final.substr(4);
  // The same name, in whatever case or short form: not a link, and the path is kept as given.
  if (lstrcmpiA(final.c_str(), ForSystem(path).c_str()) == 0) return path;
  char longName[MAX_PATH * 4] = {};
  const DWORD n = GetLongPathNameA(ForSystem(path).c_str(), longName, sizeof longName);
  if (n > 0 && n < sizeof longName && lstrcmpiA(final.c_str(), longName) == 0) return path;
  return AsNamed(final);
}

unsigned Win32FileSystem::nameCount(const std::string& path) {
  OwnedHandle f = OwnedFile(CreateFileA(ForSystem(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!f || !GetFileInformationByHandle(f.get(), &info)) return 0;
  return info.nNumberOfLinks;
}

unsigned Win32FileSystem::processId() { return GetCurrentProcessId(); }

bool ProcessRunning(unsigned id) {
  OwnedHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
  // One this start may not look at (another user's, or one with more rights) is running.
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

bool Win32FileSystem::setAttributes(const std::string& path, std::uint32_t attributes) {
  return SetFileAttributesA(ForSystem(path).c_str(), attributes) != FALSE;
}

unsigned Win32FileSystem::lastError() { return GetLastError(); }

std::string Win32FileSystem::namedPath(const std::string& path) { return AsNamed(path); }

std::string Win32FileSystem::namedFromOwnView(const std::string& path) {
  return RunsUnderWow64() ? From32BitView(path, true) : AsNamed(path);
}

std::string Win32FileSystem::namedFromStarter(const std::string& path) { return FromStarter(path); }

bool Win32FileSystem::namesDevice(const std::string& path) {
  if (paths::NamesDevice(path)) return true;
  // Opened for nothing, only to ask what it is: a file linked to a terminal is one too.
  OwnedHandle file = OwnedFile(CreateFileA(ForSystem(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file && GetFileType(file.get()) != FILE_TYPE_DISK;
}

std::optional<std::string> Win32FileSystem::readFile(const std::string& path) { return ReadWholeFile(path); }

}  // namespace kest::win32
