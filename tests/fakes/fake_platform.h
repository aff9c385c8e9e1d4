#pragma once
// In-memory stand-ins for the OS below the logic: for the unit tests, and for the windows built
// in-process in the Win32 tests (no <windows.h> here).
#include <algorithm>
#include <atomic>
#include <cctype>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <memory>
#include <set>
#include <optional>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "platform/atom_table.h"
#include "platform/clipboard.h"
#include "platform/drives.h"
#include "platform/file_contents.h"
#include "platform/kest_error.h"
#include "platform/shell_links.h"
#include "platform/file_system.h"
#include "platform/forward_notice.h"
#include "platform/instance_objects.h"
#include "platform/message_box.h"
#include "platform/program_icons.h"
#include "platform/registry.h"
#include "platform/processes.h"
#include "platform/settings_store.h"
#include "platform/thread_services.h"
#include "platform/types.h"
#include "platform/window_system.h"

namespace kest::fakes {

inline std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// An INI store: section and key names compare without regard to case, as the
// private-profile functions do.
class FakeSettingsStore : public SettingsStore {
 public:
  std::string get(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& def) override {
    reads.push_back(key);
    auto* v = find(file, section, key);
    return v ? *v : def;
  }
  bool put(const std::string& file, const std::string& section, const std::string& key,
           const std::string& value) override {
    if (refuseWrites) return false;
    writes.push_back(key + "=" + value);
    data[file][Lower(section)][Lower(key)] = value;
    return true;
  }
  std::vector<std::pair<std::string, std::string>> entries(const std::string& file,
                                                            const std::string& section) override {
    reads.push_back("[" + section + "]");
    std::vector<std::pair<std::string, std::string>> found;
    auto f = data.find(file);
    if (f == data.end()) return found;
    auto sec = f->second.find(Lower(section));
    if (sec == f->second.end()) return found;
    for (const auto& [k, v] : sec->second) found.emplace_back(k, v);
    return found;
  }
  bool replaceSection(const std::string& file, const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& entries) override {
    if (refuseWrites || refuseSections.count(Lower(section))) return false;
    auto& sec = data[file][Lower(section)];
    sec.clear();
    for (const auto& [k, v] : entries) {
      writes.push_back(k + "=" + v);
      sec[Lower(k)] = v;
    }
    return true;
  }
  // The data as an INI text, when asked to stand for a file.
  std::optional<std::string> text(const std::string& file) override {
    if (!servesText) return std::nullopt;
    reads.push_back("text");
    std::string out;
    for (const auto& [section, keys] : data[file]) {
      out += "[" + section + "]\r\n";
      for (const auto& [k, v] : keys) out += k + "=" + v + "\r\n";
    }
    return out;
  }
  const std::string* find(const std::string& file, const std::string& section, const std::string& key) const {
    auto f = data.find(file);
    if (f == data.end()) return nullptr;
    auto s = f->second.find(Lower(section));
    if (s == f->second.end()) return nullptr;
    auto k = s->second.find(Lower(key));
    return k == s->second.end() ? nullptr : &k->second;
  }
  void set(const std::string& file, const std::string& section, const std::string& key, const std::string& value) {
    data[file][Lower(section)][Lower(key)] = value;
  }

  std::map<std::string, std::map<std::string, std::map<std::string, std::string>>> data;
  std::vector<std::string> reads;
  std::vector<std::string> writes;
  bool refuseWrites = false;
  std::set<std::string> refuseSections;  // in lower case: a section whose rewrite is refused
  bool servesText = false;
};

// Global atoms with reference counts; string atoms take values from 0xC000 up.
class FakeAtomTable : public AtomTable {
 public:
  struct Entry { std::string name; int refs; };

  AtomValue find(const std::string& name) override {
    for (auto& [value, e] : atoms)
      if (Lower(e.name) == Lower(name)) return value;
    return 0;
  }
  AtomValue add(const std::string& name) override {
    log.push_back("add " + name);
    // The table keeps names of up to 255 UTF-16 units, whatever their bytes.
    if (utf8::Utf16Units(name) > 255 || name.empty()) return 0;
    if (AtomValue v = find(name)) {
      ++atoms[v].refs;
      return v;
    }
    AtomValue v = next++;
    atoms[v] = Entry{name, 1};
    return v;
  }
  void remove(AtomValue atom) override {
    log.push_back("remove " + std::to_string(atom));
    auto it = atoms.find(atom);
    if (it != atoms.end() && --it->second.refs == 0) atoms.erase(it);
  }
  std::optional<std::string> name(AtomValue atom, int maxChars) override {
    ++nameCalls;
    minNameValue = std::min<int>(minNameValue, atom);
    auto it = atoms.find(atom);
    if (it == atoms.end()) return std::nullopt;
    return utf8::CutToUtf16Units(it->second.name, static_cast<std::size_t>(maxChars - 1));
  }
  int refs(const std::string& name) {
    AtomValue v = find(name);
    return v ? atoms[v].refs : 0;
  }
  // Places an atom at a chosen value, as left behind by another process.
  void place(AtomValue value, const std::string& name, int refs = 1) { atoms[value] = Entry{name, refs}; }

  std::map<AtomValue, Entry> atoms;
  AtomValue next = 0xC000;
  std::vector<std::string> log;
  int nameCalls = 0;
  int minNameValue = 0x10000;
};

class FakeWindowSystem : public WindowSystem {
 public:
  struct Sent { WindowHandle window; unsigned message; std::uintptr_t wParam; std::intptr_t lParam; };

  WindowHandle findByClass(const std::string& className) override {
    searched.push_back(className);
    return running;
  }
  std::optional<std::intptr_t> send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                                    unsigned) override {
    sent.push_back({window, message, wParam, lParam});
    if (onSend) onSend();
    if (answers.empty()) return std::intptr_t{0};
    std::optional<std::intptr_t> a = answers.front();
    answers.pop_front();
    return a;
  }
  // The window is there while it is the one found.
  bool exists(WindowHandle window) override { return window != nullptr && window == running; }
  void bringToForeground(WindowHandle window) override { foreground.push_back(window); }
  void sendNamed(WindowHandle window, const std::string& messageName) override {
    named.push_back({window, messageName, foreground.size()});
  }

  WindowHandle running = nullptr;
  std::vector<std::string> searched;
  std::vector<Sent> sent;
  std::vector<WindowHandle> foreground;
  // Each named message with the number of activations before it.
  struct Named { WindowHandle window; std::string name; std::size_t foregroundBefore; };
  std::vector<Named> named;
  std::function<void()> onSend;
  // The answers to the next sends, in order (nothing: no answer); then 0, as an older copy answers.
  std::deque<std::optional<std::intptr_t>> answers;
};

// The running copy's quick line: whether one listens, and what was posted on it.
class FakeForwardNotice : public ForwardNotice {
 public:
  bool listening() override { return listens; }
  bool post(AtomValue atom) override {
    posted.push_back(atom);
    if (onPost) onPost();
    return listens;
  }

  bool listens = false;
  std::vector<AtomValue> posted;
  std::function<void()> onPost;
};

// The start lock and the sign of life of other copies, on a clock that moves only by pauses.
// onPause runs at each pause: a test makes the other copy's window appear there, or the copy die.
class FakeInstanceObjects : public InstanceObjects {
 public:
  bool lockStart(unsigned) override {
    log.push_back("lock");
    locked = lockFree;
    return locked;
  }
  void unlockStart() override {
    log.push_back("unlock");
    locked = false;
  }
  bool anyAlive() override { return othersAlive || holding; }
  void holdAlive() override {
    log.push_back(locked ? "alive, locked" : "alive");
    holding = true;
  }
  std::uint64_t milliseconds() override { return now; }
  void pause(unsigned ms) override {
    if (locked) log.push_back("pause while locked");
    now += ms;
    if (onPause) onPause();
  }

  bool lockFree = true;
  bool locked = false;
  bool othersAlive = false;  // another copy holds the sign of life
  bool holding = false;      // this one does
  std::uint64_t now = 1000;
  std::vector<std::string> log;
  std::function<void()> onPause;
};

// A file system of directories with ordered listings. Paths are compared as given, without
// a trailing backslash.
class FakeFileSystem : public FileSystem {
 public:
  std::uint32_t attributes(const std::string& path) override {
    auto it = attrs.find(Trim(path));
    return it == attrs.end() ? kInvalidAttributes : it->second;
  }
  bool fileExists(const std::string& path) override {
    existsCalls.push_back(path);
    return files.count(path) > 0;
  }
  std::optional<FileStamp> fileStamp(const std::string& path) override {
    ++stampCalls;
    if (!files.count(path)) return std::nullopt;
    auto it = stamps.find(path);
    return it == stamps.end() ? FileStamp{} : it->second;
  }
  std::unique_ptr<DirListing> list(const std::string& directory) override {
    ++openListings;
    auto it = dirs.find(Trim(directory));
    if (it == dirs.end()) return nullptr;
    std::vector<DirEntry> entries{{".", 16}, {"..", 16}};
    entries.insert(entries.end(), it->second.begin(), it->second.end());
    return std::make_unique<Listing>(std::move(entries));
  }
  // As CopyFileA: the copy takes the original's attributes; a read-only or hidden file is not
  // copied over.
  bool copyFile(const std::string& from, const std::string& to, bool failIfExists) override {
    if (!files.count(from)) return fail(2);
    if (locked.count(to) || locked.count(from)) return fail(32);
    if (failIfExists && files.count(to)) return fail(80);
    if (files.count(to) && (attrs[to] & 3)) return fail(5);
    if (files.count(to)) removeFromParent(to);
    file(to, attrs[from]);
    contents[to] = contents[from];
    return true;
  }
  unsigned lastError() override { return error; }
  std::optional<std::string> readFile(const std::string& path) override {
    if (!files.count(path) || locked.count(path)) return std::nullopt;
    return contents[path];
  }
  std::string namedPath(const std::string& path) override {
    auto it = namedAs.find(path);
    return it == namedAs.end() ? path : it->second;
  }
  std::map<std::string, std::string> namedAs;  // a path and the name the user gives it
  bool createDirectory(const std::string& path) override {
    log.push_back("mkdir " + path);
    if (attrs.count(Trim(path))) return false;
    std::string parent = Trim(path);
    parent = parent.substr(0, parent.rfind('\\'));
    if (!dirs.count(Trim(parent))) return false;
    dir(path);
    return true;
  }
  bool removeDirectory(const std::string& path) override {
    auto it = dirs.find(Trim(path));
    if (it == dirs.end() || !it->second.empty()) return false;
    log.push_back("rmdir " + path);
    std::string p = Trim(path);
    dirs.erase(it);
    attrs.erase(p);
    removeFromParent(p);
    return true;
  }
  // As Windows does: a read-only file, a held one and a directory are refused.
  bool deleteFile(const std::string& path) override {
    if (!files.count(path)) return fail(dirs.count(Trim(path)) ? 5 : 2);
    if (locked.count(path)) return fail(32);
    if (attrs[path] & 1) return fail(5);
    log.push_back("del " + path);
    files.erase(path);
    attrs.erase(path);
    contents.erase(path);
    stamps.erase(path);
    removeFromParent(path);
    return true;
  }
  bool moveFile(const std::string& from, const std::string& to) override {
    std::string f = Trim(from), t = Trim(to);
    if (!attrs.count(f)) return fail(2);
    if (attrs.count(t)) return fail(183);
    if (!dirs.count(t.substr(0, t.rfind('\\')))) return fail(3);
    if (t.rfind(f + "\\", 0) == 0 || locked.count(f)) return fail(5);
    log.push_back("move " + from + " -> " + to);
    std::uint32_t a = attrs[f];
    removeFromParent(f);
    // Everything under the old name goes to the new one.
    auto rename = [&](auto& container) {
      std::vector<std::string> keys;
      for (auto& e : container)
        if (Key(e) == f || Key(e).rfind(f + "\\", 0) == 0) keys.push_back(Key(e));
      for (auto& k : keys) {
        auto node = container.extract(k);
        if constexpr (requires { node.key(); }) node.key() = t + k.substr(f.size());
        else node.value() = t + k.substr(f.size());
        container.insert(std::move(node));
      }
    };
    rename(attrs);
    rename(dirs);
    rename(files);
    rename(contents);
    rename(stamps);
    addToParent(t, a);
    return true;
  }
  bool writeFile(const std::string& path, const std::string& bytes) override {
    if (locked.count(path)) return fail(32);
    if (!files.count(path) && refuseNew.count(path.substr(0, path.rfind('\\') + 1))) return fail(5);
    log.push_back("write " + path);
    if (!files.count(path)) file(path);
    // A full disk: the file is made, but holds only part of what was to go in.
    if (diskFull) {
      contents[path] = bytes.substr(0, bytes.size() / 2);
      return fail(112);
    }
    contents[path] = bytes;
    return true;
  }
  bool replaceFile(const std::string& from, const std::string& to) override {
    if (!files.count(from)) return fail(2);
    if (locked.count(to)) return fail(32);
    log.push_back("replace " + from + " -> " + to);
    std::string bytes = contents[from];
    files.erase(from);
    attrs.erase(from);
    contents.erase(from);
    removeFromParent(from);
    if (!files.count(to)) file(to);
    contents[to] = bytes;
    return true;
  }
  bool overwriteFile(const std::string& path, const std::string& bytes) override {
    if (!files.count(path)) return fail(2);
    if (locked.count(path)) return fail(32);
    log.push_back("overwrite " + path);
    if (diskFull || overwriteFailures > 0) {
      if (overwriteFailures > 0) --overwriteFailures;
      contents[path] = bytes.substr(0, bytes.size() / 2);
      return fail(112);
    }
    contents[path] = bytes;
    return true;
  }
  std::string linkTarget(const std::string& path) override {
    auto it = linksTo.find(path);
    return it == linksTo.end() ? path : it->second;
  }
  unsigned nameCount(const std::string& path) override {
    if (!files.count(path)) return 0;
    auto it = names.find(path);
    return it == names.end() ? 1 : it->second;
  }
  unsigned processId() override { return pid; }
  std::map<std::string, std::string> linksTo;  // a link and the file it leads to
  std::map<std::string, unsigned> names;       // a file's number of names, when not 1
  std::set<std::string> refuseNew;             // folders (with trailing backslash) that take no new file
  unsigned pid = 4242;
  int overwriteFailures = 0;  // the next writes in place stop half-way (a full disk)
  bool diskFull = false;
  bool setAttributes(const std::string& path, std::uint32_t attributes) override {
    std::string p = Trim(path);
    auto it = attrs.find(p);
    if (it == attrs.end()) return fail(2);
    log.push_back("attrib " + path + " " + std::to_string(attributes));
    it->second = dirs.count(p) ? (attributes | 16u) : (attributes & ~16u);
    std::size_t slash = p.rfind('\\');
    auto parent = dirs.find(Trim(p.substr(0, slash + 1)));
    if (parent != dirs.end())
      for (DirEntry& e : parent->second)
        if (e.name == p.substr(slash + 1)) e.attributes = it->second;
    return true;
  }
  std::string currentDirectory() override { return cwd; }
  bool setCurrentDirectory(const std::string& directory) override {
    std::string d = directory;
    if (d.empty() || d.back() != '\\') d += '\\';
    if (refuseCurrentDirectory.count(d)) return false;
    cwd = d;
    return true;
  }
  std::set<std::string> refuseCurrentDirectory;  // with trailing backslash

  // Builders.
  void dir(const std::string& path, std::uint32_t attributes = 16) {
    dirs[Trim(path)];
    attrs[Trim(path)] = attributes;
    addToParent(path, attributes);
  }
  void file(const std::string& path, std::uint32_t attributes = 32) {
    files.insert(path);
    attrs[path] = attributes;
    addToParent(path, attributes);
  }

  std::map<std::string, std::uint32_t> attrs;
  std::map<std::string, std::vector<DirEntry>> dirs;
  std::set<std::string> files;
  std::map<std::string, std::string> contents;
  // A rewritten file: its last-write time moves on.
  void touch(const std::string& path) { ++stamps[path].lastWrite; }
  std::map<std::string, FileStamp> stamps;  // {0, 0} for a file not in here
  int stampCalls = 0;
  std::set<std::string> locked;  // held open by a running program
  unsigned error = 0;
  std::vector<std::string> existsCalls;
  std::vector<std::string> log;
  std::string cwd = "C:\\";
  int openListings = 0;

 private:
  class Listing : public DirListing {
   public:
    explicit Listing(std::vector<DirEntry> e) : entries_(std::move(e)) {}
    bool next(DirEntry& entry) override {
      if (i_ >= entries_.size()) return false;
      entry = entries_[i_++];
      return true;
    }

   private:
    std::vector<DirEntry> entries_;
    std::size_t i_ = 0;
  };
  bool fail(unsigned code) {
    error = code;
    return false;
  }
  static std::string Trim(std::string p) {
    while (p.size() > 3 && p.back() == '\\') p.pop_back();
    return p;
  }
  static const std::string& Key(const std::string& k) { return k; }
  template <class V>
  static const std::string& Key(const std::pair<const std::string, V>& e) { return e.first; }
  void removeFromParent(const std::string& p) {
    std::size_t slash = p.rfind('\\');
    if (slash == std::string::npos) return;
    auto par = dirs.find(Trim(p.substr(0, slash + 1)));
    if (par != dirs.end())
      std::erase_if(par->second, [&](const DirEntry& e) { return e.name == p.substr(slash + 1); });
  }
  void addToParent(const std::string& path, std::uint32_t attributes) {
    std::string p = Trim(path);
    std::size_t slash = p.rfind('\\');
    if (slash == std::string::npos) return;
    std::string parent = Trim(p.substr(0, slash + 1));
    auto it = dirs.find(parent);
    if (it != dirs.end()) it->second.push_back({p.substr(slash + 1), attributes});
  }
};

class FakeShellLinks : public ShellLinks {
 public:
  struct Link { std::string path, arguments, workingDirectory; };
  explicit FakeShellLinks(FakeFileSystem& fs) : fs_(fs) {}
  // As the link object's save: refused where the folder is missing, and for the files named in
  // failSaves.
  bool write(const std::string& linkFile, const std::string& path, const std::string& arguments,
             const std::string& workingDirectory) override {
    if (refuse) throw KestError("Unable to create the shell link object");
    std::uint32_t folder = fs_.attributes(linkFile.substr(0, linkFile.rfind('\\') + 1));
    if (failSaves.count(linkFile) || folder == kInvalidAttributes || !(folder & 16)) return false;
    links[linkFile] = {path, arguments, workingDirectory};
    fs_.file(linkFile);
    fs_.touch(linkFile);
    return true;
  }
  std::string readPath(const std::string& linkFile) override {
    ++reads;
    auto it = links.find(linkFile);
    return it == links.end() ? std::string() : it->second.path;
  }
  std::string readArguments(const std::string& linkFile) override {
    auto it = links.find(linkFile);
    return it == links.end() ? std::string() : it->second.arguments;
  }
  std::map<std::string, Link> links;
  int reads = 0;
  bool refuse = false;
  std::set<std::string> failSaves;

 private:
  FakeFileSystem& fs_;
};

// Icons made up from the program's name; a program whose name holds "noicon" has none.
class FakeProgramIcons : public ProgramIcons {
 public:
  std::optional<IconPixels> extract(const std::string& program, int side) override {
    extracted.push_back(program);
    sides.push_back(side);
    if (program.find("noicon") != std::string::npos) return std::nullopt;
    IconPixels icon;
    icon.side = side;
    icon.colour.assign(static_cast<std::size_t>(side) * side, static_cast<std::uint32_t>(std::hash<std::string>{}(program)));
    icon.mask.assign(static_cast<std::size_t>(IconPixels::MaskStride(side)) * side, 0);
    return icon;
  }
  std::vector<std::string> extracted;
  std::vector<int> sides;  // the side of each extraction
};

class FakeDrives : public Drives {
 public:
  DriveType type(char letter) override {
    asked.push_back(letter);
    auto it = types.find(letter);
    return it == types.end() ? DriveType::NoRootDir : it->second;
  }
  std::map<char, DriveType> types;
  std::string asked;
};

class FakeMessageBox : public MsgBox {
 public:
  struct Asked { WindowHandle owner; std::string text; std::string caption; MbButtons buttons; MbIcon icon; bool utf8; };
  MbAnswer ask(WindowHandle owner, const std::string& text, const std::string& caption, MbButtons buttons,
               MbIcon icon, bool utf8 = false) override {
    asked.push_back({owner, text, caption, buttons, icon, utf8});
    if (answers.empty()) return buttons == MbButtons::Ok ? MbAnswer::Ok : MbAnswer::Cancel;
    MbAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::deque<MbAnswer> answers;
  std::vector<Asked> asked;
};

// Records each start as a line of text; WinExec answers winExecResult.
class FakeProcesses : public Processes {
 public:
  unsigned winExec(const std::string& commandLine, int show) override {
    calls.push_back("winexec " + commandLine + " @" + std::to_string(show));
    return winExecResult;
  }
  std::intptr_t shellExecute(WindowHandle, const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& directory, int show) override {
    calls.push_back("shell [" + verb + "] " + file + " [" + parameters + "] in " + directory + " @" +
                    std::to_string(show));
    return shellResult;
  }
  bool showProperties(const std::string& path) override {
    calls.push_back("properties " + path);
    return true;
  }
  std::string errorText(unsigned code) override { return "system text " + std::to_string(code) + " for %1\r\n"; }
  bool lastStartNeedsElevation() override { return winExecResult <= 31 && needsElevation; }
  bool is64BitWindows() override { return windows64; }
  std::vector<std::string> calls;
  bool windows64 = true;
  bool needsElevation = false;
  unsigned winExecResult = 33;
  std::intptr_t shellResult = 42;
};

// The clipboard's text; another program may hold it (refuse) or put something there (put).
class FakeClipboard : public Clipboard {
 public:
  bool setText(WindowHandle, const std::string& given) override {
    if (refuse) return false;
    put(given);
    return true;
  }
  std::uint32_t sequence() override { return changes; }
  void put(const std::string& given) {
    std::lock_guard<std::mutex> lock(mutex_);
    text = given;
    ++changes;
  }
  std::string text;
  std::atomic<std::uint32_t> changes{0};
  bool refuse = false;

 private:
  std::mutex mutex_;
};

// What a thread of its own is given: an empty file system, links and icons of its own, so that
// a read-ahead finds no catalog and shares nothing with the thread that made it.
class FakeThreadServices : public ThreadServices {
 public:
  FileSystem& fs() override { return fs_; }
  ShellLinks& links() override { return links_; }
  ProgramIcons& icons() override { return icons_; }

 private:
  FakeFileSystem fs_;
  FakeShellLinks links_{fs_};
  FakeProgramIcons icons_;
};

// HKEY_CLASSES_ROOT as a map of key paths to default values; refuse names a key that cannot
// be created.
class FakeRegistry : public Registry {
 public:
  bool isUserAdmin() override { return admin; }
  bool classesKeyExists(const std::string& subKey) override { return keys.count(Lower(subKey)) != 0; }
  bool createClassesKey(const std::string& subKey) override {
    log.push_back("create " + subKey);
    if (Lower(subKey) == Lower(refuse)) return false;
    keys.emplace(Lower(subKey), "");
    return true;
  }
  bool setClassesKeyDefault(const std::string& subKey, const std::string& value) override {
    log.push_back("set " + subKey + " = " + value);
    if (!createClassesKey(subKey)) return false;
    keys[Lower(subKey)] = value;
    return true;
  }
  bool deleteClassesKeyTree(const std::string& subKey) override {
    log.push_back("delete " + subKey);
    std::string k = Lower(subKey);
    std::erase_if(keys, [&](const auto& e) { return e.first == k || e.first.rfind(k + "\\", 0) == 0; });
    return true;
  }
  bool admin = true;
  std::string refuse;
  std::map<std::string, std::string> keys;
  std::vector<std::string> log;
};

// Files as bytes for the readers of their contents, safe to use from a reading thread while the
// test changes them. hash() takes blockSize bytes a block and answers digests.
class FakeFileContents : public FileContents {
 public:
  void set(const std::string& path, std::string bytes, FileStamp stamp = FileStamp{}) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_[path] = File{std::move(bytes), stamp};
  }
  void remove(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_.erase(path);
  }
  std::optional<FileStamp> stamp(const std::string& path) override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++stampCalls;
    auto it = files_.find(path);
    if (it == files_.end()) return std::nullopt;
    return it->second.stamp;
  }
  std::optional<FileHead> readHead(const std::string& path, std::size_t maxBytes, unsigned& error) override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++headReads;
    auto it = files_.find(path);
    if (it == files_.end()) {
      error = 2;
      return std::nullopt;
    }
    return FileHead{it->second.bytes.substr(0, maxBytes), it->second.bytes.size()};
  }
  HashResult hash(const std::string& path, const std::atomic<bool>& cancel, const Progress& progress) override {
    std::uint64_t size = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = files_.find(path);
      if (it == files_.end()) return HashResult{HashStatus::Failed, 2, {}};
      size = it->second.bytes.size();
    }
    std::uint64_t done = 0;
    do {
      if (cancel) return HashResult{HashStatus::Cancelled, 0, {}};
      if (beforeBlock) beforeBlock(done);
      done = std::min<std::uint64_t>(size, done + blockSize);
      progress(done, size);
    } while (done < size);
    return HashResult{HashStatus::Done, 0, digests};
  }
  std::string errorText(unsigned code) override { return "system text " + std::to_string(code) + "\r\n"; }
  std::atomic<int> stampCalls{0}, headReads{0};
  std::uint64_t blockSize = 4;
  std::function<void(std::uint64_t done)> beforeBlock;  // called on the hashing thread
  FileDigests digests{std::string(16, '\x01'), std::string(20, '\x02'), std::string(32, '\xAB')};

 private:
  struct File {
    std::string bytes;
    FileStamp stamp;
  };
  std::mutex mutex_;
  std::map<std::string, File> files_;
};

}  // namespace kest::fakes
