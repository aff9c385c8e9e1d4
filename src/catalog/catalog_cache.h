#pragma once
// What the tools menus read from the catalog, kept between rebuilds: the program path each
// shortcut holds and each program's icon. Both are kept with their file's size and last-write
// time, so only a file that changed is read again; a read-ahead on a thread of its own fills
// the cache before the first menu opens. Whether a program exists is never kept: the tool
// checks ask the file system afresh at every rebuild.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "catalog/work_drive.h"
#include "platform/file_system.h"
#include "platform/program_icons.h"
#include "platform/shell_links.h"

namespace kest {

// Safe to use from several threads at once; files are read outside the lock.
class CatalogCache {
 public:
  // What ReadShortcutPath gives for the file (the program path as stored; empty for a missing
  // file), read again only when the file's stamp changed.
  std::string ProgramOf(FileSystem& fs, ShellLinks& links, const std::string& linkFile);
  // The program's icon at side x side pixels; nullptr when it has none or the program does not
  // exist. Kept for each side asked for, and taken again only when the program's stamp changed,
  // so a replaced program shows its new icon.
  std::shared_ptr<const IconPixels> IconOf(FileSystem& fs, ProgramIcons& icons, const std::string& program,
                                           int side);

  // A rebuild asks for everything it shows between these two; EndRound then forgets what it
  // did not ask for: shortcuts taken out of the catalog, programs no shortcut names any more.
  void BeginRound();
  void EndRound();

  // Reads made since the cache was made (shortcuts read, icons taken), and entries held.
  struct Counts {
    std::uint64_t linkReads = 0, iconReads = 0;
    std::size_t links = 0, icons = 0;
  };
  Counts counts() const;

 private:
  struct Link {
    FileStamp stamp;
    std::string program;
    std::uint64_t round = 0;
  };
  struct Icon {
    FileStamp stamp;
    std::shared_ptr<const IconPixels> pixels;
    std::uint64_t round = 0;
  };
  struct IconKey {
    std::string program;
    int side = 0;
    bool operator==(const IconKey&) const = default;
  };
  struct IconKeyHash {
    std::size_t operator()(const IconKey& k) const {
      return std::hash<std::string>{}(k.program) ^ (static_cast<std::size_t>(k.side) * 0x9E3779B1u);
    }
  };
  mutable std::mutex mutex_;
  std::unordered_map<std::string, Link> links_;
  std::unordered_map<IconKey, Icon, IconKeyHash> icons_;
  std::uint64_t round_ = 0;
  Counts counts_;
};

// Walks the catalog below root and reads every shortcut into the cache, then takes the icons
// of the programs they name at iconSide (on the given work drive, as the menus will ask for
// them): under Wine the two kinds of work slow each other down when they alternate. Returns as
// soon as it sees stop set, between two files.
void ReadCatalogAhead(CatalogCache& cache, FileSystem& fs, ShellLinks& links, ProgramIcons& icons,
                      const std::string& root, WorkDrive drive, int iconSide, const std::atomic<bool>& stop);

// The read-ahead's thread. Stop asks it to end after the file it is on and waits for that, so
// whoever stops it waits for one shortcut or one icon at most; the destructor stops it too.
class ReadAheadThread {
 public:
  using Work = std::function<void(const std::atomic<bool>& stop)>;
  ReadAheadThread() = default;
  ReadAheadThread(const ReadAheadThread&) = delete;
  ReadAheadThread& operator=(const ReadAheadThread&) = delete;
  ~ReadAheadThread() { Stop(); }

  // Runs work on a new thread; only the first call does anything.
  void Start(Work work);
  void Stop();
  bool Started() const { return started_; }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
  bool started_ = false;
};

}  // namespace kest
