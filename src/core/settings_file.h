#pragma once
// Tools.ini (beside the executable, or in its data folder): typed reads and writes, each write at once; within a Batch,
// many reads take one read of the file.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/settings_store.h"

namespace kest {

inline constexpr const char* kSettingsFileName = "Tools.ini";
inline constexpr const char* kOptionsSection = "Options";
inline constexpr const char* kTargetsSection = "Targets";

struct BoolKey { const char* name; bool def; };
struct IntKey { const char* name; int def; };
struct StringKey { const char* name; const char* def; };

// Every key of [Options] with its default.
namespace opt {
inline constexpr BoolKey StOnTop{"StOnTop", false};
inline constexpr BoolKey NoMoreOneCopy{"NoMoreOneCopy", true};
inline constexpr BoolKey MinToolsRun{"MinToolsRun", false};
inline constexpr BoolKey CheckDrive{"CheckDrive", true};
inline constexpr BoolKey ShEx{"ShEx", false};
// A double click on a target that opening would run asks first.
inline constexpr BoolKey AskRunTarget{"AskRunTarget", true};
// The default of "LastDir" is the executable's directory: see SettingsFile::readLastDir.
inline constexpr StringKey LastDir{"LastDir", ""};
inline constexpr IntKey abValue{"abValue", 245};
// "Z" stands for "not set": the executable's drive is taken instead.
inline constexpr StringKey Drive{"Drive", "Z"};
inline constexpr StringKey hlp{"hlp", ""};
inline constexpr IntKey Col1{"Col1", 12673280};
inline constexpr IntKey Col2{"Col2", 0};
inline constexpr IntKey Col3{"Col3", 16777215};
inline constexpr IntKey NMLeft{"NMLeft", 250};
inline constexpr IntKey NMTop{"NMTop", 450};
inline constexpr IntKey NMHeight{"NMHeight", 334};
inline constexpr IntKey NMWidth{"NMWidth", 280};
inline constexpr BoolKey IMOnStart{"IMOnStart", false};
// Written only; nothing reads them back.
inline constexpr IntKey IMLeft{"IMLeft", 0};
inline constexpr IntKey IMTop{"IMTop", 0};
inline constexpr IntKey IMWidth{"IMWidth", 0};
inline constexpr IntKey IMHeight{"IMHeight", 0};
inline constexpr BoolKey Minimized{"Minimized", false};
inline constexpr IntKey KFSLeft{"KFSLeft", 231};
inline constexpr IntKey KFSTop{"KFSTop", 127};
inline constexpr IntKey KFSWidth{"KFSWidth", 266};
inline constexpr IntKey KFSHeight{"KFSHeight", 243};
inline constexpr BoolKey KFSOpened{"KFSOpened", false};
}  // namespace opt

// Integer syntax of the settings file: decimal with an optional sign, or hexadecimal after
// "$" or after "0x"/"0X" (then at least three characters). Nothing for anything else.
std::optional<int> ParseSettingsInteger(std::string_view text);

// What a settings file's text says of one key, read the way the profile functions read it:
// its value when exactly one line of exactly one section by that name holds it; absent when no
// section by that name holds it; unsure otherwise (a second section or line of that name, a
// UTF-16 file, a zero byte), when only the profile functions themselves can tell.
struct IniLookup {
  enum Kind { Found, Absent, Unsure } kind = Unsure;
  std::string value;
};

// A settings file's text taken apart once, so that many lookups in it cost one pass over the
// text instead of one each: with thousands of targets in the file, a pass is a few milliseconds.
// It points into the text, which must outlive it.
class IniIndex {
 public:
  explicit IniIndex(std::string_view text);
  IniLookup lookUp(std::string_view section, std::string_view key) const;
  // The keys and values of the section as one read of it by the profile functions gives them,
  // or nothing when only they can tell.
  std::optional<std::vector<std::pair<std::string, std::string>>> entries(std::string_view section) const;

  struct Line {
    bool comment = false;
    bool hasValue = false;
    std::string_view key, value;
  };

 private:
  struct Section {
    std::string_view name;
    std::vector<Line> lines;
    bool nonAsciiKey = false;
  };
  // The one section by that name; nullptr for none, nothing when only the profile functions
  // can tell (the text cannot be taken apart surely, or two sections have the name).
  std::optional<const Section*> find(std::string_view section) const;

  bool sure_ = true;
  std::vector<Section> sections_;
};

// Edits of a settings file's text as the profile functions make them, touching nothing else:
// other sections, comments, blank lines and other keys' lines stay byte for byte. A line
// written is "key=value" with the file's own line break (CRLF in a file without one); a new key
// goes after the last line of its section that is not blank, a new section at the end. Names
// match as the profile functions match them. Each gives nothing where IniIndex would not be
// sure of the text, where the section is named twice or the key given twice, or where a name or
// value would not read back from a line of its own: the profile functions must do it then.
std::optional<std::string> SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                                       std::string_view value);
// The section's keys become these, in this order, where its first key stood; its comments and
// blank lines stay.
std::optional<std::string> ReplaceIniSection(std::string_view text, std::string_view section,
                                             const std::vector<std::pair<std::string, std::string>>& entries);

class SettingsFile {
 public:
  // directory: where Tools.ini is, with or without trailing backslash: the data folder, or the
  // executable's directory. exeDir, when not empty, is the executable's directory (the defaults
  // of "LastDir" and "Drive" are taken from it); empty, it is directory.
  SettingsFile(SettingsStore& store, const std::string& directory, const std::string& exeDir = {});

  const std::string& path() const { return path_; }

  std::string readString(const std::string& section, const std::string& key, const std::string& def);
  int readInteger(const std::string& section, const std::string& key, int def);
  bool readBool(const std::string& section, const std::string& key, bool def);
  // Each write goes to the file at once, the whole file replaced in one step (see the text
  // edits above); a refused write throws KestError "Unable to write to <path>" and leaves the
  // file as it was.
  void writeString(const std::string& section, const std::string& key, const std::string& value);
  void writeInteger(const std::string& section, const std::string& key, int value);
  void writeBool(const std::string& section, const std::string& key, bool value);
  // The section's keys with their values, in one read.
  std::vector<std::pair<std::string, std::string>> entries(const std::string& section);
  // Writes the section anew in one write; a refused write throws as every write does.
  void replaceSection(const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries);

  // [Options] keys by descriptor.
  bool read(const BoolKey& k) { return readBool(kOptionsSection, k.name, k.def); }
  int read(const IntKey& k) { return readInteger(kOptionsSection, k.name, k.def); }
  std::string read(const StringKey& k) { return readString(kOptionsSection, k.name, k.def); }
  void write(const BoolKey& k, bool v) { writeBool(kOptionsSection, k.name, v); }
  void write(const IntKey& k, int v) { writeInteger(kOptionsSection, k.name, v); }
  void write(const StringKey& k, const std::string& v) { writeString(kOptionsSection, k.name, v); }

  // For its lifetime, the checks of which values the file holds already, and the reads, take
  // one read of the file's text instead of one pass of the profile functions each: at a close
  // with thousands of targets in the file, that is most of its time.
  class Batch {
   public:
    explicit Batch(SettingsFile& file) : file_(file) { file_.batched_ = true; }
    ~Batch() {
      file_.batched_ = false;
      file_.forgetSnapshot();
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    SettingsFile& file_;
  };

  // "LastDir", whose default is the executable's directory without trailing backslash.
  std::string readLastDir();
  // "Drive": the work drive letter, the executable's drive standing in for "Z". An empty
  // value is taken as unset too.
  char readDriveLetter();

 private:
  SettingsStore& store_;
  std::string exeDir_;  // with trailing backslash
  std::string path_;
  // The file's text within a batch, taken again after each write.
  const IniIndex* snapshot();
  IniLookup lookUp(const std::string& section, const std::string& key);
  // One write: the file's text through edit where it can be, else profileWrite; a refusal throws.
  void writeText(const std::function<std::optional<std::string>(std::string_view)>& edit,
                 const std::function<bool()>& profileWrite);
  void forgetSnapshot() {
    index_.reset();
    snapshot_.reset();
  }
  bool batched_ = false;
  std::optional<std::string> snapshot_;
  std::optional<IniIndex> index_;  // of snapshot_
};

}  // namespace kest
