#pragma once
// The list of files being worked on, in the order they were added.
#include <string>
#include <vector>

namespace kest {

class TargetList {
 public:
  void add(const std::string& path) { paths_.push_back(path); }
  std::size_t size() const { return paths_.size(); }
  const std::string& at(std::size_t i) const { return paths_.at(i); }
  const std::vector<std::string>& entries() const { return paths_; }

 private:
  std::vector<std::string> paths_;
};

}  // namespace kest
