#pragma once
// What the fuzz targets share: a check that stops the run with a message, the input split into
// lines, a lean settings store filled from "[Section]" and "key=value" lines, and a message box
// that counts. Kept free of the unit tests' fakes, which take long to compile.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"
#include "platform/settings_store.h"

namespace kest::fuzz {

// A broken rule is a finding like a crash: libFuzzer keeps the input that broke it.
#define KEST_FUZZ_CHECK(cond)                                                      \
  do {                                                                             \
    if (!(cond)) {                                                                 \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                \
    }                                                                              \
  } while (0)

inline std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Lines without their "\n" (and a "\r" before it); text after the last newline is a line too.
inline std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

// One INI file in memory: section and key names compare without regard to case, as the
// private-profile functions do. Unlike the unit tests' fake it keeps no log, so that a long
// run of reads costs no memory.
class ProfileStore : public SettingsStore {
 public:
  using Section = std::map<std::string, std::string>;  // by key in lower case

  std::string get(const std::string&, const std::string& section, const std::string& key,
                  const std::string& def) override {
    const std::string* v = find(section, key);
    return v ? *v : def;
  }
  bool put(const std::string&, const std::string& section, const std::string& key,
           const std::string& value) override {
    ++writes;
    sections[Lower(section)][Lower(key)] = value;
    return true;
  }
  std::vector<std::pair<std::string, std::string>> entries(const std::string&, const std::string& section) override {
    std::vector<std::pair<std::string, std::string>> found;
    auto s = sections.find(Lower(section));
    if (s != sections.end())
      for (const auto& [k, v] : s->second) found.emplace_back(k, v);
    return found;
  }
  bool replaceSection(const std::string&, const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& entries) override {
    ++writes;
    auto& sec = sections[Lower(section)];
    sec.clear();
    for (const auto& [k, v] : entries) sec[Lower(k)] = v;
    return true;
  }
  const std::string* find(const std::string& section, const std::string& key) const {
    auto s = sections.find(Lower(section));
    if (s == sections.end()) return nullptr;
    auto k = s->second.find(Lower(key));
    return k == s->second.end() ? nullptr : &k->second;
  }
  const Section& section(const std::string& name) { return sections[Lower(name)]; }

  // "[Name]" starts a section; "key=value" (split at the first "=") sets a key of the current
  // one, which is initialSection until the first header; other lines are ignored.
  void fill(const std::vector<std::string>& lines, std::size_t first, const std::string& initialSection) {
    std::string current = initialSection;
    for (std::size_t i = first; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
        current = line.substr(1, line.size() - 2);
        continue;
      }
      std::size_t eq = line.find('=');
      if (eq != std::string::npos) put("", current, line.substr(0, eq), line.substr(eq + 1));
    }
  }

  std::map<std::string, Section> sections;  // by section name in lower case
  std::size_t writes = 0;                    // every put, remove and section written
};

class CountingMsgBox : public MsgBox {
 public:
  MbAnswer ask(WindowHandle, const std::string&, const std::string&, MbButtons, MbIcon, bool) override {
    ++asked;
    return MbAnswer::Ok;
  }
  int asked = 0;
};

}  // namespace kest::fuzz
