#pragma once
// Icon helpers in this process: each answers requests as the real helper does, with icons made up
// from the name asked about, or misbehaves as the test says for a name. Safe to use from the
// working thread of the icons while the test looks on.
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/helper_process.h"
#include "targets/icon_protocol.h"

namespace kest::fakes {

class FakeIconHelpers {
 public:
  enum class Fault {
    Crash,    // ends as it reads the request
    Hang,     // never answers
    Late,     // answers lateMs after the request
    Garbage,  // answers for another side than asked
    NoIcon,   // answers that the file has none
  };
  // By the name asked about (a path or a type).
  std::map<std::string, Fault> faults;
  int lateMs = 500;
  bool refuseStart = false;  // no helper can be started
  bool mute = false;         // helpers start but never say they are ready

  // The icon any helper gives for the name.
  static IconPixels IconOf(const std::string& name, int side) {
    IconPixels icon;
    icon.side = side;
    icon.colour.assign(static_cast<std::size_t>(side) * side, static_cast<std::uint32_t>(std::hash<std::string>{}(name)));
    icon.mask.assign(static_cast<std::size_t>(IconPixels::MaskStride(side)) * side, 0);
    return icon;
  }

  HelperStarter Starter() {
    return [this]() -> std::unique_ptr<HelperProcess> {
      ++starts;
      if (refuseStart) return nullptr;
      return std::make_unique<Helper>(*this);
    };
  }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }
  std::atomic<int> starts{0};

 private:
  using Clock = std::chrono::steady_clock;

  class Helper final : public HelperProcess {
   public:
    explicit Helper(FakeIconHelpers& all) : all_(all) {
      if (!all.mute) out_ = HelperHello();
    }
    bool send(std::string_view bytes) override {
      if (dead_) return false;
      in_.append(bytes);
      while (in_.size() >= kRequestHeaderBytes) {
        auto header = DecodeRequestHeader(std::string_view(in_).substr(0, kRequestHeaderBytes));
        if (!header) return dead_ = true, false;
        if (in_.size() < kRequestHeaderBytes + header->nameBytes) break;
        const std::string name = in_.substr(kRequestHeaderBytes, header->nameBytes);
        in_.erase(0, kRequestHeaderBytes + header->nameBytes);
        Answer(name, header->side);
      }
      return true;
    }
    Received receive(std::string& into, std::size_t count, unsigned waitMs) override {
      const Clock::time_point until = Clock::now() + std::chrono::milliseconds(waitMs);
      for (;;) {
        if (!late_.empty() && Clock::now() >= lateAt_) {
          out_ += late_;
          late_.clear();
        }
        if (!out_.empty()) {
          const std::size_t n = std::min(count, out_.size());
          into.append(out_, 0, n);
          out_.erase(0, n);
          return Received::Some;
        }
        if (dead_) return Received::Ended;
        if (Clock::now() >= until) return Received::Nothing;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    }

   private:
    void Answer(const std::string& name, int side) {
      std::optional<FakeIconHelpers::Fault> fault;
      {
        std::lock_guard<std::mutex> lock(all_.mutex_);
        all_.requests_.push_back(name);
        auto it = all_.faults.find(name);
        if (it != all_.faults.end()) fault = it->second;
      }
      const std::string answer = EncodeAnswer(side, FakeIconHelpers::IconOf(name, side));
      if (!fault) {
        out_ += answer;
      } else if (*fault == Fault::Crash) {
        dead_ = true;
        out_.clear();
      } else if (*fault == Fault::Late) {
        late_ = answer;
        lateAt_ = Clock::now() + std::chrono::milliseconds(all_.lateMs);
      } else if (*fault == Fault::Garbage) {
        out_ += EncodeAnswer(side + 1, FakeIconHelpers::IconOf(name, side + 1));
      } else if (*fault == Fault::NoIcon) {
        out_ += EncodeAnswer(side, std::nullopt);
      }
    }
    FakeIconHelpers& all_;
    std::string in_, out_, late_;
    Clock::time_point lateAt_;
    bool dead_ = false;
  };

  std::mutex mutex_;
  std::vector<std::string> requests_;
};

}  // namespace kest::fakes
