#pragma once
// A process of Kest's own that does what Kest will not do in its own process (take a sample's
// icon): requests go to it through a pipe and its answers come back the same way. It may crash,
// hang or be killed at any moment; one thread speaks to it.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kest {

class HelperProcess {
 public:
  enum class Received { Some, Nothing, Ended };
  // Ends the helper when it still runs.
  virtual ~HelperProcess() = default;
  // Sends all the bytes; false when the helper is gone or does not take them.
  virtual bool send(std::string_view bytes) = 0;
  // Appends to into whatever arrives of at most count bytes within waitMs: Some when anything
  // came, Nothing when the time passed first, Ended when the helper is gone and nothing is left.
  virtual Received receive(std::string& into, std::size_t count, unsigned waitMs) = 0;
};

// Starts a new helper; nothing when it cannot be started.
using HelperStarter = std::function<std::unique_ptr<HelperProcess>()>;

}  // namespace kest
