#pragma once
// The Windows implementations of the platform interfaces: thin calls of the real API.
#include <windows.h>
#include <shobjidl.h>

#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/atom_table.h"
#include "platform/clipboard.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/forward_notice.h"
#include "platform/instance_objects.h"
#include "platform/message_box.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/settings_store.h"
#include "platform/shell_links.h"
#include "platform/window_system.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/handles.h"
#include "platform/win32/program_icons.h"

namespace kest::win32 {

// Reads go through the private-profile functions. rewrite reads the file's bytes, has them
// edited, writes the new text to a temporary file beside it named by this process, flushes that
// and puts it in the file's place in one step, so that a kill or a power loss leaves the old file
// or the new, never a cut one. put, remove and replaceSection are the profile functions' own
// writes, for a text only they can take apart.
class ProfileSettingsStore final : public SettingsStore {
 public:
  // takeLegacyLines: whether lines in the system's own code page are rewritten in UTF-8, which is
  // so where the process runs in UTF-8.
  explicit ProfileSettingsStore(bool takeLegacyLines = GetACP() == CP_UTF8) : takeLegacyLines_(takeLegacyLines) {}
  std::string get(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& def) override;
  bool put(const std::string& file, const std::string& section, const std::string& key,
           const std::string& value) override;
  bool remove(const std::string& file, const std::string& section, const std::string& key) override;
  std::vector<std::pair<std::string, std::string>> entries(const std::string& file,
                                                            const std::string& section) override;
  bool replaceSection(const std::string& file, const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& entries) override;
  std::optional<std::string> text(const std::string& file) override;
  TextWrite rewrite(const std::string& file,
                    const std::function<std::optional<std::string>(std::string_view)>& edit) override;

 private:
  // Once per file and run: where the process code page is UTF-8, lines an older Kest wrote in
  // the system's own code page are rewritten in UTF-8, so the profile functions read them whole.
  // A file that could not be read or rewritten is tried again at the next access.
  void TakeLegacyLines(const std::string& file);
  const bool takeLegacyLines_;
  std::mutex mutex_;
  std::set<std::string> checked_;
};

// The system's own ANSI code page (1251, 1252, ...), also where the process runs in UTF-8.
unsigned LegacyAnsiCodePage();
// Text from that code page to UTF-8.
std::string LegacyToUtf8(std::string_view text, unsigned codePage);
// A file's bytes; nothing when it cannot be opened or read whole.
std::optional<std::string> ReadWholeFile(const std::string& path);

class GlobalAtomTable final : public AtomTable {
 public:
  AtomValue find(const std::string& name) override;
  AtomValue add(const std::string& name) override;
  void remove(AtomValue atom) override;
  std::optional<std::string> name(AtomValue atom, int maxChars) override;
  // Asks from several threads at once: each lookup is a round trip to the system, and under
  // Wine the whole range costs half a second from one thread.
  std::vector<std::pair<AtomValue, std::string>> names(AtomValue first, AtomValue last, int maxChars) override;
};

class Win32WindowSystem final : public WindowSystem {
 public:
  WindowHandle findByClass(const std::string& className) override;
  std::intptr_t send(WindowHandle window, unsigned message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
  void bringToForeground(WindowHandle window) override;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::uint32_t attributes(const std::string& path) override;
  bool fileExists(const std::string& path) override;
  std::optional<FileStamp> fileStamp(const std::string& path) override;
  std::unique_ptr<DirListing> list(const std::string& directory) override;
  std::string currentDirectory() override;
  bool setCurrentDirectory(const std::string& directory) override;
  bool createDirectory(const std::string& path) override;
  bool removeDirectory(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool deleteFile(const std::string& path) override;
  bool moveFile(const std::string& from, const std::string& to) override;
  bool writeFile(const std::string& path, const std::string& bytes) override;
  bool replaceFile(const std::string& from, const std::string& to) override;
  bool setAttributes(const std::string& path, std::uint32_t attributes) override;
  unsigned lastError() override;
  std::string namedPath(const std::string& path) override;
  std::optional<std::string> readFile(const std::string& path) override;
};

// IShellLinkA and IPersistFile of the shell's link object; COM must be initialised on the
// calling thread.
class ComShellLinks final : public ShellLinks {
 public:
  bool write(const std::string& linkFile, const std::string& path, const std::string& arguments,
            const std::string& workingDirectory) override;
  std::string readPath(const std::string& linkFile) override;
  std::string readArguments(const std::string& linkFile) override;

 private:
  bool load(const std::string& linkFile);
  ComPtr<IShellLinkA> reader_;
  ComPtr<IPersistFile> readerFile_;
};

class Win32Clipboard final : public Clipboard {
 public:
  bool setText(WindowHandle owner, const std::string& text) override;
};

class Win32Processes final : public Processes {
 public:
  unsigned winExec(const std::string& commandLine, int show) override;
  std::intptr_t shellExecute(WindowHandle owner, const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& directory, int show) override;
  bool showProperties(const std::string& path) override;
  std::string errorText(unsigned code) override;
  bool lastStartNeedsElevation() override { return needsElevation_; }

 private:
  bool needsElevation_ = false;
};

class Win32Registry final : public Registry {
 public:
  bool isUserAdmin() override;
  bool classesKeyExists(const std::string& subKey) override;
  bool createClassesKey(const std::string& subKey) override;
  bool setClassesKeyDefault(const std::string& subKey, const std::string& value) override;
  bool deleteClassesKeyTree(const std::string& subKey) override;
};

class Win32Drives final : public Drives {
 public:
  DriveType type(char letter) override;
};

class Win32MessageBox final : public MsgBox {
 public:
  MbAnswer ask(WindowHandle owner, const std::string& text, const std::string& caption,
               MbButtons buttons, MbIcon icon, bool utf8 = false) override;
};

// The quick line is a mailslot of this session, created by the running copy's main window.
std::string ForwardNoticeName();

class MailslotForwardNotice final : public ForwardNotice {
 public:
  MailslotForwardNotice() = default;
  MailslotForwardNotice(const MailslotForwardNotice&) = delete;
  MailslotForwardNotice& operator=(const MailslotForwardNotice&) = delete;
  bool listening() override;
  bool post(AtomValue atom) override;

 private:
  OwnedHandle slot_;
  bool opened_ = false;
};

// Named mutexes of the session: the start lock is owned for a moment by the start that
// decides; the sign of life is only held open, never owned, by every running copy.
class Win32InstanceObjects final : public InstanceObjects {
 public:
  explicit Win32InstanceObjects(std::string lockName = "KestStartUp", std::string aliveName = "KestRunning")
      : lockName_(std::move(lockName)), aliveName_(std::move(aliveName)) {}
  Win32InstanceObjects(const Win32InstanceObjects&) = delete;
  Win32InstanceObjects& operator=(const Win32InstanceObjects&) = delete;
  ~Win32InstanceObjects() override { unlockStart(); }
  bool lockStart(unsigned timeoutMs) override;
  void unlockStart() override;
  bool anyAlive() override;
  void holdAlive() override;
  std::uint64_t milliseconds() override;
  void pause(unsigned ms) override;

 private:
  std::string lockName_;
  std::string aliveName_;
  OwnedHandle lock_;
  bool locked_ = false;
  OwnedHandle alive_;
};

// Every Windows implementation of the platform interfaces, as the program and its benchmarks
// use them together.
struct Platform {
  ProfileSettingsStore store;
  GlobalAtomTable atoms;
  Win32WindowSystem windows;
  Win32FileSystem fs;
  Win32MessageBox box;
  ComShellLinks links;
  Win32Drives drives;
  Win32Clipboard clipboard;
  Win32Processes processes;
  Win32Registry registry;
  MailslotForwardNotice notice;
  Win32InstanceObjects instances;
  Win32ProgramIcons icons;
};

// The executable's own path and directory (with trailing backslash).
std::string ExecutablePath();
std::string ExecutableDirectory();

// Kest's current directory lies in sample folders, which may hold malware: from here on
// DLLs are taken from the system directory only (where the system can be told so) and never
// from the current directory.
void RestrictDllSearch();
// A system DLL loaded by its full path in the system directory.
HMODULE LoadSystemLibrary(const char* name);

// Every file name of a shell drop, in the drop's order; the drop block is freed.
std::vector<std::string> TakeDroppedFiles(HDROP drop);

// UTF-8 to UTF-16, for texts shown through the wide API.
std::wstring Utf8ToWide(const std::string& text);
// ANSI code page to UTF-16, for the calls that take wide paths.
std::wstring AnsiToWide(const std::string& text);
// Back to the process's code page.
std::string WideToAnsi(const std::wstring& text);
// UTF-16 to UTF-8 whatever the process's code page.
std::string WideToUtf8(const std::wstring& text);

}  // namespace kest::win32
