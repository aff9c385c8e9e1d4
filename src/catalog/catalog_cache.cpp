#include "catalog/catalog_cache.h"

#include <unordered_set>

#include "catalog/shortcuts.h"
#include "catalog/tool_menus.h"
#include "catalog/tool_pairs.h"

namespace kest {

std::string CatalogCache::ProgramOf(FileSystem& fs, ShellLinks& links, const std::string& linkFile) {
  // The stamp is taken before the read: a file rewritten meanwhile gets a newer one and is
  // read again next time.
  std::optional<FileStamp> stamp = fs.fileStamp(linkFile);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stamp) {
      links_.erase(linkFile);
      return std::string();
    }
    auto it = links_.find(linkFile);
    if (it != links_.end() && it->second.stamp == *stamp) {
      it->second.round = round_;
      return it->second.program;
    }
  }
  std::string program = links.readPath(linkFile);
  std::lock_guard<std::mutex> lock(mutex_);
  ++counts_.linkReads;
  links_[linkFile] = Link{*stamp, program, round_};
  return program;
}

std::shared_ptr<const IconPixels> CatalogCache::IconOf(FileSystem& fs, ProgramIcons& icons,
                                                       const std::string& program, int side) {
  // A program that is not there has no icon to take.
  std::optional<FileStamp> found = program.empty() ? std::nullopt : fs.fileStamp(program);
  IconKey key{program, side};
  if (!found) {
    std::lock_guard<std::mutex> lock(mutex_);
    icons_.erase(key);
    return nullptr;
  }
  const FileStamp stamp = *found;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = icons_.find(key);
    if (it != icons_.end() && it->second.stamp == stamp) {
      it->second.round = round_;
      return it->second.pixels;
    }
  }
  std::optional<IconPixels> read = icons.extract(program, side);
  auto pixels = read ? std::make_shared<const IconPixels>(std::move(*read)) : nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  ++counts_.iconReads;
  icons_[std::move(key)] = Icon{stamp, pixels, round_};
  return pixels;
}

void CatalogCache::BeginRound() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++round_;
}

void CatalogCache::EndRound() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(links_, [&](const auto& e) { return e.second.round != round_; });
  std::erase_if(icons_, [&](const auto& e) { return e.second.round != round_; });
}

CatalogCache::Counts CatalogCache::counts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  Counts c = counts_;
  c.links = links_.size();
  c.icons = icons_.size();
  return c;
}

void ReadCatalogAhead(CatalogCache& cache, FileSystem& fs, ShellLinks& links, ProgramIcons& icons,
                      const std::string& root, WorkDrive drive, int iconSide, const std::atomic<bool>& stop) {
  std::vector<std::string> tools, twins;
  // The walk is over (and its listings closed) before any file is read.
  std::vector<WalkEvent> events = RecordJoinedWalk(fs, root, &stop);
  for (const WalkEvent& e : events) {
    if (stop) return;
    if (e.type != WalkEvent::Type::Tool) continue;
    tools.push_back(e.path);
    if (!e.twin.empty()) twins.push_back(e.twin);
  }
  std::vector<std::string> programs;
  for (const std::string& tool : tools) {
    if (stop) return;
    programs.push_back(cache.ProgramOf(fs, links, tool));
  }
  // A pair shows its own tool's icon: its twin's shortcut is read, its program's icon is not.
  for (const std::string& twin : twins) {
    if (stop) return;
    cache.ProgramOf(fs, links, twin);
  }
  std::unordered_set<std::string> taken;
  for (const std::string& program : programs) {
    if (stop) return;
    std::string onDrive = OnWorkDrive(fs, drive, program);
    if (taken.insert(onDrive).second) cache.IconOf(fs, icons, onDrive, iconSide);
  }
}

void ReadAheadThread::Start(Work work) {
  if (started_) return;
  started_ = true;
  thread_ = std::thread([this, work = std::move(work)] {
    // What is left unread when something fails here is read by the next rebuild itself.
    try {
      work(stop_);
    } catch (...) {
    }
  });
}

void ReadAheadThread::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace kest
