#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/kest_error.h"
#include "platform/paths.h"
#include "platform/utf8.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_view.h"
#include "platform/system_paths.h"
#include "platform/types.h"

namespace kest::win32 {

namespace {
// A read returns at most this many characters.
constexpr DWORD kProfileValueMax = 2047;
}  // namespace

unsigned LegacyAnsiCodePage() {
  wchar_t digits[8] = {};
  unsigned cp = 0;
  if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, 8) > 0)
    for (const wchar_t* d = digits; *d >= L'0' && *d <= L'9'; ++d) cp = cp * 10 + static_cast<unsigned>(*d - L'0');
  return cp == 0 || cp == CP_UTF8 ? 1252 : cp;
}

namespace {

std::wstring ToWide(std::string_view text, unsigned codePage) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

}  // namespace

std::string LegacyToUtf8(std::string_view text, unsigned codePage) { return WideToUtf8(ToWide(text, codePage)); }

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

namespace {

// One settings write at a time in this process, from its read to its move; another copy of Kest
// writes through a temporary file of its own name, so no two writers ever share one.
std::mutex& SettingsWriteLock() {
  static std::mutex lock;
  return lock;
}

std::string SavingFileOf(const std::string& file) {
  return file + "." + std::to_string(GetCurrentProcessId()) + ".saving";
}

// The bytes go to the temporary file and are flushed, then that file takes the settings file's
// place in one step; a failure removes what was written and leaves the file as it was.
bool SaveSettingsFile(const std::string& file, const std::string& bytes) {
  const std::string saving = SavingFileOf(file);
  Win32FileSystem fs;
  if (fs.writeFile(saving, bytes) && fs.replaceFile(saving, file)) return true;
  DeleteFileA(saving.c_str());
  return false;
}

// The file's bytes, none for a file not made yet; nothing when it is there but cannot be read,
// or its directory is missing.
std::optional<std::string> SettingsFileBytes(const std::string& file) {
  if (std::optional<std::string> bytes = ReadWholeFile(file)) return bytes;
  if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND)
    return std::string();
  return std::nullopt;
}

}  // namespace

void ProfileSettingsStore::TakeLegacyLines(const std::string& file) {
  // Where the manifest's UTF-8 is ignored, the profile functions read the system's code page
  // as they always did.
  if (!takeLegacyLines_) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (checked_.count(file)) return;
  }
  std::lock_guard<std::mutex> writing(SettingsWriteLock());
  std::optional<std::string> read = ReadWholeFile(file);
  if (!read) return;
  const std::string& bytes = *read;
  // A UTF-16 file carries its own encoding, and one in UTF-8 is read whole already.
  const bool utf16 =
      bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
  if (!utf16 && !utf8::IsValid(bytes)) {
    const unsigned cp = LegacyAnsiCodePage();
    if (!SaveSettingsFile(file, utf8::LegacyLinesToUtf8(bytes, [cp](std::string_view line) { return LegacyToUtf8(line, cp); })))
      return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  checked_.insert(file);
}

SettingsStore::TextWrite ProfileSettingsStore::rewrite(
    const std::string& file, const std::function<std::optional<std::string>(std::string_view)>& edit) {
  TakeLegacyLines(file);
  std::lock_guard<std::mutex> writing(SettingsWriteLock());
  std::optional<std::string> text = SettingsFileBytes(file);
  if (!text) return TextWrite::Refused;
  std::optional<std::string> next = edit(*text);
  if (!next) return TextWrite::NotTaken;
  // Nothing to change (a key deleted that is not there): the file is left alone, not made.
  if (*next == *text) return TextWrite::Written;
  return SaveSettingsFile(file, *next) ? TextWrite::Written : TextWrite::Refused;
}

std::string ProfileSettingsStore::get(const std::string& file, const std::string& section,
                                      const std::string& key, const std::string& def) {
  TakeLegacyLines(file);
  std::vector<char> buffer(kProfileValueMax + 1, '\0');
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer.data(),
                                     static_cast<DWORD>(buffer.size()), file.c_str());
  return std::string(buffer.data(), n);
}

bool ProfileSettingsStore::put(const std::string& file, const std::string& section,
                               const std::string& key, const std::string& value) {
  TakeLegacyLines(file);
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

bool ProfileSettingsStore::remove(const std::string& file, const std::string& section,
                                  const std::string& key) {
  TakeLegacyLines(file);
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str()) != FALSE;
}

bool ProfileSettingsStore::replaceSection(const std::string& file, const std::string& section,
                                          const std::vector<std::pair<std::string, std::string>>& entries) {
  TakeLegacyLines(file);
  std::string block;
  for (const auto& [key, value] : entries) {
    block += key + "=" + value;
    block += '\0';
  }
  block += '\0';
  return WritePrivateProfileSectionA(section.c_str(), block.c_str(), file.c_str()) != FALSE;
}

std::optional<std::string> ProfileSettingsStore::text(const std::string& file) {
  TakeLegacyLines(file);
  return ReadWholeFile(file);
}

std::vector<std::pair<std::string, std::string>> ProfileSettingsStore::entries(const std::string& file,
                                                                              const std::string& section) {
  TakeLegacyLines(file);
  // "key=value" lines, each ended by a zero; a full buffer asks for a bigger one.
  std::vector<char> buffer(16384);
  DWORD n = 0;
  for (;;) {
    n = GetPrivateProfileSectionA(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    if (n + 2 < buffer.size() || buffer.size() >= (64u << 20)) break;
    buffer.resize(buffer.size() * 4);
  }
  std::vector<std::pair<std::string, std::string>> found;
  for (const char* p = buffer.data(); p < buffer.data() + n && *p; p += std::strlen(p) + 1) {
    std::string line = p;
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string value = line.substr(eq + 1);
    // As a single read gives it: a value in a pair of matching quotes comes without them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    found.emplace_back(line.substr(0, eq), value);
  }
  return found;
}

AtomValue GlobalAtomTable::find(const std::string& name) { return GlobalFindAtomA(name.c_str()); }

AtomValue GlobalAtomTable::add(const std::string& name) { return GlobalAddAtomA(name.c_str()); }

void GlobalAtomTable::remove(AtomValue atom) { GlobalDeleteAtom(atom); }

namespace {
// An atom name of maxChars UTF-16 units takes up to three bytes each in UTF-8.
int AtomNameBytes(int maxChars) { return maxChars * 3 + 1; }
}  // namespace

std::optional<std::string> GlobalAtomTable::name(AtomValue atom, int maxChars) {
  std::vector<char> buffer(static_cast<std::size_t>(AtomNameBytes(maxChars)) + 1, '\0');
  UINT n = GlobalGetAtomNameA(atom, buffer.data(), AtomNameBytes(maxChars));
  if (n == 0) return std::nullopt;
  return std::string(buffer.data(), n);
}

std::vector<std::pair<AtomValue, std::string>> GlobalAtomTable::names(AtomValue first, AtomValue last,
                                                                      int maxChars) {
  constexpr unsigned kThreads = 8;
  std::vector<std::pair<AtomValue, std::string>> found[kThreads];
  auto scan = [&](unsigned t) {
    std::vector<char> buffer(static_cast<std::size_t>(AtomNameBytes(maxChars)) + 1, '\0');
    for (unsigned v = first + t; v <= last; v += kThreads) {
      UINT n = GlobalGetAtomNameA(static_cast<ATOM>(v), buffer.data(), AtomNameBytes(maxChars));
      if (n != 0) found[t].emplace_back(static_cast<AtomValue>(v), std::string(buffer.data(), n));
    }
  };
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < kThreads; ++t) {
    try {
      workers.emplace_back(scan, t);
    } catch (const std::system_error&) {
      scan(t);  // no thread to be had: this one does that share too
    }
  }
  scan(0);
  for (auto& w : workers) w.join();
  std::vector<std::pair<AtomValue, std::string>> all;
  for (auto& f : found) all.insert(all.end(), f.begin(), f.end());
  std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return all;
}

WindowHandle Win32WindowSystem::findByClass(const std::string& className) {
  return FindWindowA(className.c_str(), nullptr);
}

std::intptr_t Win32WindowSystem::send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
  return SendMessageA(static_cast<HWND>(window), message, wParam, lParam);
}

void Win32WindowSystem::bringToForeground(WindowHandle window) {
  SetForegroundWindow(static_cast<HWND>(window));
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

std::optional<FileStamp> Win32FileSystem::fileStamp(const std::string& path) {
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
  FindHandle handle_;
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
  return MoveFileExA(ForSystem(from).c_str(), ForSystem(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Win32FileSystem::setAttributes(const std::string& path, std::uint32_t attributes) {
  return SetFileAttributesA(ForSystem(path).c_str(), attributes) != FALSE;
}

unsigned Win32FileSystem::lastError() { return GetLastError(); }

std::string Win32FileSystem::namedPath(const std::string& path) { return AsNamed(path); }

std::optional<std::string> Win32FileSystem::readFile(const std::string& path) { return ReadWholeFile(path); }

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

bool Win32Clipboard::setText(WindowHandle owner, const std::string& text) {
  // As Unicode text: other programs read CF_TEXT in their own code page, not Kest's.
  std::wstring wide = AnsiToWide(text);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
  if (!memory) return false;
  void* p = GlobalLock(memory);
  std::memcpy(p, wide.c_str(), bytes);
  GlobalUnlock(memory);
  if (!OpenClipboard(static_cast<HWND>(owner))) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  bool ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!ok) GlobalFree(memory);  // otherwise it belongs to the clipboard now
  return ok;
}

unsigned Win32Processes::winExec(const std::string& commandLine, int show) {
  SetLastError(ERROR_SUCCESS);
  const unsigned r = WinExec(CommandLineForSystem(commandLine).c_str(), static_cast<UINT>(show));
  // WinExec's own codes have no word for a program that asks for administrator rights; the
  // process start beneath it leaves it in the last error.
  constexpr DWORD kElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED, from Vista on
  needsElevation_ = r <= 31 && GetLastError() == kElevationRequired;
  return r;
}

std::intptr_t Win32Processes::shellExecute(WindowHandle owner, const std::string& verb,
                                           const std::string& file, const std::string& parameters,
                                           const std::string& directory, int show) {
  const std::string target = ForSystem(file), where = DirectoryForSystem(directory);
  HINSTANCE r = ShellExecuteA(static_cast<HWND>(owner), verb.empty() ? nullptr : verb.c_str(),
                              target.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                              where.empty() ? nullptr : where.c_str(), show);
  return reinterpret_cast<std::intptr_t>(r);
}

std::string Win32Processes::errorText(unsigned code) {
  // The shell's own codes above the system's: no system text says what they mean.
  switch (code) {
    case 0:
    case SE_ERR_OOM:
      code = ERROR_NOT_ENOUGH_MEMORY;
      break;
    case SE_ERR_SHARE:
      code = ERROR_SHARING_VIOLATION;
      break;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC:
      return "No program is associated with this kind of file.";
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
      return "The program did not answer the shell.";
    case SE_ERR_DLLNOTFOUND:
      return "A library the program needs was not found.";
    default:
      break;
  }
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = n && buffer ? std::string(buffer, n) : std::string();
  if (buffer) LocalFree(buffer);
  return text;
}

bool Win32Processes::showProperties(const std::string& path) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.lpVerb = "properties";
  const std::string file = ForSystem(path);
  info.lpFile = file.c_str();
  info.nShow = 0;
  return ShellExecuteExA(&info) != FALSE;
}

DriveType Win32Drives::type(char letter) {
  char root[] = {letter, ':', '\\', '\0'};
  return static_cast<DriveType>(GetDriveTypeA(root));
}

MbAnswer Win32MessageBox::ask(WindowHandle owner, const std::string& text, const std::string& caption,
                              MbButtons buttons, MbIcon icon, bool utf8) {
  UINT style = static_cast<UINT>(buttons) | static_cast<UINT>(icon);
  int answer;
  if (utf8) {
    answer = MessageBoxW(static_cast<HWND>(owner), Utf8ToWide(text).c_str(),
                         Utf8ToWide(caption).c_str(), style);
  } else {
    answer = MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
  }
  return static_cast<MbAnswer>(answer);
}

std::string ForwardNoticeName() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return "\\\\.\\mailslot\\KestComLine." + std::to_string(session);
}

bool MailslotForwardNotice::listening() {
  if (!opened_) {
    opened_ = true;
    slot_ = OwnedFile(CreateFileA(ForwardNoticeName().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  return static_cast<bool>(slot_);
}

bool MailslotForwardNotice::post(AtomValue atom) {
  if (!listening()) return false;
  DWORD written = 0;
  return WriteFile(slot_.get(), &atom, sizeof(atom), &written, nullptr) && written == sizeof(atom);
}

bool Win32InstanceObjects::lockStart(unsigned timeoutMs) {
  if (locked_) return true;
  // A name another program took for an object of another kind gives no lock: the start then
  // decides without one, as every start did before there was a lock.
  if (!lock_) lock_.reset(CreateMutexA(nullptr, FALSE, lockName_.c_str()));
  if (!lock_) return false;
  DWORD waited = WaitForSingleObject(lock_.get(), timeoutMs);
  // An abandoned lock belonged to a start that died while deciding: what it left is looked at
  // anew under the lock, so it is as good as a free one.
  locked_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  return locked_;
}

void Win32InstanceObjects::unlockStart() {
  if (locked_) ReleaseMutex(lock_.get());
  locked_ = false;
}

bool Win32InstanceObjects::anyAlive() {
  OwnedHandle alive(OpenMutexA(SYNCHRONIZE, FALSE, aliveName_.c_str()));
  // A copy run as administrator makes an object that a plain start may not open: it is there.
  return alive || GetLastError() == ERROR_ACCESS_DENIED;
}

void Win32InstanceObjects::holdAlive() {
  if (!alive_) alive_.reset(CreateMutexA(nullptr, FALSE, aliveName_.c_str()));
}

std::uint64_t Win32InstanceObjects::milliseconds() { return GetTickCount64(); }

void Win32InstanceObjects::pause(unsigned ms) { Sleep(ms); }

std::string ExecutablePath() {
  // A buffer that the name fills to the brim may have cut it: a bigger one is tried.
  for (DWORD size = MAX_PATH;; size *= 4) {
    std::string buffer(size, '\0');
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), size);
    if (n < size || size >= 65536) return buffer.substr(0, n < size ? n : 0);
  }
}

std::string ExecutableDirectory() { return paths::DirectoryOf(ExecutablePath()); }

void RestrictDllSearch() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return;
  // Both are looked up: Windows before 7 (with its update) lacks the first, XP before SP1
  // the second.
  using SetDefaultDirs = BOOL(WINAPI*)(DWORD);
  if (auto set = reinterpret_cast<SetDefaultDirs>(
          reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
    set(LOAD_LIBRARY_SEARCH_SYSTEM32);
  using SetDllDir = BOOL(WINAPI*)(LPCSTR);
  if (auto set = reinterpret_cast<SetDllDir>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA"))))
    set("");
}

HMODULE LoadSystemLibrary(const char* name) {
  char system[MAX_PATH] = {};
  UINT n = GetSystemDirectoryA(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  return LoadLibraryA((std::string(system) + "\\" + name).c_str());
}

namespace {

// The names of a DROPFILES block in one pass: asking DragQueryFile for each name walks the
// list from its start every time, which for thousands of files costs seconds.
template <class Char>
void ReadDropNames(const Char* p, const Char* end, std::vector<std::string>& files) {
  while ((!end || p < end) && *p) {
    const Char* start = p;
    while ((!end || p < end) && *p) ++p;
    if constexpr (sizeof(Char) == 1) files.emplace_back(start, p);
    else files.push_back(WideToAnsi(std::wstring(start, p)));
    ++p;
  }
}

}  // namespace

std::vector<std::string> TakeDroppedFiles(HDROP drop) {
  std::vector<std::string> files;
  if (const auto* block = static_cast<const DROPFILES*>(GlobalLock(drop))) {
    // A block the shell made knows its size; one from elsewhere ends at its double zero.
    const SIZE_T size = GlobalSize(drop);
    const auto* base = reinterpret_cast<const char*>(block);
    const char* end = size > block->pFiles ? base + size : nullptr;
    if (size == 0 || size > block->pFiles) {
      if (block->fWide)
        ReadDropNames(reinterpret_cast<const wchar_t*>(base + block->pFiles), reinterpret_cast<const wchar_t*>(end), files);
      else
        ReadDropNames(base + block->pFiles, end, files);
    }
    GlobalUnlock(drop);
  }
  DragFinish(drop);
  // Named as the user names them, whatever a 32-bit dropper saw.
  for (std::string& f : files) f = AsNamed(f);
  return files;
}

std::wstring Utf8ToWide(const std::string& text) { return ToWide(text, CP_UTF8); }

std::wstring AnsiToWide(const std::string& text) { return ToWide(text, CP_ACP); }

namespace {

std::string FromWide(const std::wstring& text, unsigned codePage) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string WideToAnsi(const std::wstring& text) { return FromWide(text, CP_ACP); }

std::string WideToUtf8(const std::wstring& text) { return FromWide(text, CP_UTF8); }

// ---- Registry ---------------------------------------------------------------------------

bool Win32Registry::isUserAdmin() {
  // A plain call through advapi32's delay-load thunk, like every other advapi32 call: every
  // Windows Kest runs on (7 and later) has CheckTokenMembership, so nothing is looked up first.
  bool member = false;
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                               &admins)) {
    BOOL is = FALSE;
    member = CheckTokenMembership(nullptr, admins, &is) && is;
    FreeSid(admins);
  }
  return member;
}

namespace {

// Explorer is a 64-bit program wherever Windows is: its view of the registry is the one the
// commands go to, from a 32-bit Kest too (32-bit Windows ignores the flag).
constexpr REGSAM kExplorersView = KEY_WOW64_64KEY;

// Null when the key cannot be opened.
OwnedKey OpenKey(HKEY root, const std::string& subKey, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, access | kExplorersView, &key) != ERROR_SUCCESS) return OwnedKey();
  return OwnedKey(key);
}

// Opens the key, making it (and the keys above it) first where it is missing; null on failure.
OwnedKey CreateClassesKey(const std::string& subKey) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS | kExplorersView, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return OwnedKey();
  return OwnedKey(key);
}

}  // namespace

bool Win32Registry::classesKeyExists(const std::string& subKey) {
  return static_cast<bool>(OpenKey(HKEY_CLASSES_ROOT, subKey, KEY_READ));
}

bool Win32Registry::createClassesKey(const std::string& subKey) { return static_cast<bool>(CreateClassesKey(subKey)); }

bool Win32Registry::setClassesKeyDefault(const std::string& subKey, const std::string& value) {
  OwnedKey key = CreateClassesKey(subKey);
  if (!key) return false;
  // Stored with its terminating zero.
  return RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

namespace {

// Sub-keys first; the depth is bounded, so that no key tree can keep it going for ever.
bool DeleteKeyTree(HKEY root, const std::string& subKey, int depth) {
  if (depth > 32) return false;
  if (OwnedKey key = OpenKey(root, subKey, KEY_ALL_ACCESS)) {
    std::vector<std::string> children;
    DWORD count = 0, longest = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) == ERROR_SUCCESS) {
      std::vector<char> name(longest + 2);
      for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExA(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
          children.emplace_back(name.data(), length);
      }
    }
    // Closed before the children go, as the enumeration is all it was opened for.
    key.reset();
    for (const std::string& child : children) DeleteKeyTree(root, subKey + "\\" + child, depth + 1);
  }
  return RegDeleteKeyExA(root, subKey.c_str(), kExplorersView, 0) == ERROR_SUCCESS;
}

}  // namespace

bool Win32Registry::deleteClassesKeyTree(const std::string& subKey) {
  return DeleteKeyTree(HKEY_CLASSES_ROOT, subKey, 0);
}

}  // namespace kest::win32
