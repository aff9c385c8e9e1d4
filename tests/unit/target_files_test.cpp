// The facts and hashes of targets worked out on threads of their own, against fake files.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "fakes/fake_platform.h"
#include "targets/facts_reader.h"
#include "targets/hash_job.h"
#include "platform/paths.h"

using namespace kest;

namespace {

// Polls until the condition holds, for at most five seconds.
template <class Cond>
bool Eventually(Cond cond) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

std::string SystemText(unsigned code) { return "system text " + std::to_string(code) + "\r\n"; }

}  // namespace

TEST(TargetTip, PathThenFactsFailureOrWaiting) {
  EXPECT_EQ(TargetTipText("C:\\w\\a.exe", nullptr, SystemText), "C:\\w\\a.exe\r\n(reading the file)");
  FactsAnswer known;
  known.facts = ReadFileFacts("PK\x03\x04", 4, "a.zip");
  EXPECT_EQ(TargetTipText("C:\\w\\a.zip", &known, SystemText), "C:\\w\\a.zip\r\nZIP archive, 4 bytes");
  FactsAnswer failed;
  failed.error = 5;
  EXPECT_EQ(TargetTipText("C:\\w\\a.exe", &failed, SystemText), "C:\\w\\a.exe\r\nCannot be read: system text 5");
  EXPECT_EQ(TargetTipText("C:\\w\\a.exe", &failed, nullptr), "C:\\w\\a.exe\r\nCannot be read: error 5");
}

TEST(FactsReader, ReadsEachVersionOfAFileOnce) {
  fakes::FakeFileContents files;
  files.set("C:\\w\\a.zip", "PK\x03\x04", FileStamp{4, 100});
  std::atomic<int> notified{0};
  FactsReader reader(files, [&] { ++notified; });

  EXPECT_FALSE(reader.Ask("C:\\w\\a.zip").has_value()) << "nothing is read before the first question";
  ASSERT_TRUE(Eventually([&] { return notified == 1; }));
  std::optional<FactsAnswer> answer = reader.Ask("C:\\w\\a.zip");
  ASSERT_TRUE(answer && answer->facts);
  EXPECT_EQ(answer->facts->kind, FileKind::Zip);

  // Asked again, the unchanged file is only looked at.
  ASSERT_TRUE(Eventually([&] { return files.stampCalls >= 2; }));
  reader.Ask("C:\\w\\a.zip");
  ASSERT_TRUE(Eventually([&] { return files.stampCalls >= 3; }));
  EXPECT_EQ(files.headReads, 1);
  EXPECT_EQ(notified, 1);

  // A new version is read again.
  files.set("C:\\w\\a.zip", "MZ", FileStamp{2, 200});
  reader.Ask("C:\\w\\a.zip");
  ASSERT_TRUE(Eventually([&] { return notified == 2; }));
  answer = reader.Ask("C:\\w\\a.zip");
  ASSERT_TRUE(answer && answer->facts);
  EXPECT_EQ(answer->facts->kind, FileKind::MsDos);
  EXPECT_EQ(files.headReads, 2);
}

TEST(FactsReader, AFileThatCannotBeReadAnswersTheSystemsCode) {
  fakes::FakeFileContents files;
  std::atomic<int> notified{0};
  FactsReader reader(files, [&] { ++notified; });
  reader.Ask("C:\\w\\gone.exe");
  ASSERT_TRUE(Eventually([&] { return notified == 1; }));
  std::optional<FactsAnswer> answer = reader.Ask("C:\\w\\gone.exe");
  ASSERT_TRUE(answer.has_value());
  EXPECT_FALSE(answer->facts.has_value());
  EXPECT_EQ(answer->error, 2u);
}

TEST(FactsReader, ScriptsAreKnownByTheNameOfThePathAsked) {
  fakes::FakeFileContents files;
  files.set("C:\\w\\run.ps1", "Write-Host", FileStamp{10, 1});
  std::atomic<int> notified{0};
  FactsReader reader(files, [&] { ++notified; });
  reader.Ask("C:\\w\\run.ps1");
  ASSERT_TRUE(Eventually([&] { return notified == 1; }));
  EXPECT_EQ(reader.Ask("C:\\w\\run.ps1")->facts->script, "PowerShell script");
}

// Reads a file's head only once released: a share that does not answer, a device that blocks.
class HeldContents : public fakes::FakeFileContents {
 public:
  std::optional<FileHead> readHead(const std::string& path, std::size_t maxBytes, unsigned& error) override {
    if (path.find("held") != std::string::npos) {
      std::unique_lock<std::mutex> lock(mutex_);
      released_.wait(lock, [this] { return free_; });
    }
    return FakeFileContents::readHead(path, maxBytes, error);
  }
  void Release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      free_ = true;
    }
    released_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  bool free_ = false;
};

TEST(FactsReader, AwaitReadsTheFileAsItIsNowOncePerVersionAndWaitsNoLongerThanAsked) {
  HeldContents files;
  files.set("C:\\w\\a.exe", "MZ", FileStamp{2, 1});
  files.set("C:\\w\\held.exe", "MZ", FileStamp{2, 1});
  std::atomic<int> notified{0};
  FactsReader reader(files, nullptr);
  reader.SetNotify([&] { ++notified; });
  using std::chrono::milliseconds;
  std::optional<FactsAnswer> answer = reader.Await("C:\\w\\a.exe", milliseconds(5000));
  ASSERT_TRUE(answer && answer->facts);
  EXPECT_EQ(answer->facts->kind, FileKind::MsDos);
  EXPECT_TRUE(Eventually([&] { return notified == 1; })) << "whoever listens hears of it";
  ASSERT_TRUE(reader.Await("C:\\w\\a.exe", milliseconds(5000)).has_value());
  EXPECT_EQ(files.headReads, 1) << "the same version is not read again";
  files.set("C:\\w\\a.exe", "PK\x03\x04", FileStamp{4, 2});
  EXPECT_EQ(reader.Await("C:\\w\\a.exe", milliseconds(5000))->facts->kind, FileKind::Zip);
  ASSERT_TRUE(Eventually([&] { return notified == 2; }));

  // A read that does not come back is waited for no longer than asked, and holds up whatever
  // is asked after it no longer either; the answer that finally comes is kept.
  reader.SetNotify(nullptr);
  EXPECT_FALSE(reader.Await("C:\\w\\held.exe", milliseconds(50)).has_value());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(reader.Await("C:\\w\\a.exe", milliseconds(50))->facts->kind, FileKind::Zip);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  files.Release();
  ASSERT_TRUE(Eventually([&] { return reader.Known("C:\\w\\held.exe").has_value(); }));
  EXPECT_EQ(notified, 2) << "nobody listens any more";
}

TEST(HashText, OneLinePerHashInLowerCaseHex) {
  FileDigests d{std::string("\x00\xFF\x10", 3), "\xAB", "\x01\x23"};
  EXPECT_EQ(HashesText(d, "a b.exe"), "MD5  00ff10  a b.exe\r\nSHA1  ab  a b.exe\r\nSHA256  0123  a b.exe\r\n");
  EXPECT_EQ(LowerHex(""), "");
  EXPECT_EQ(HashPercent(0, 0), 100);
  EXPECT_EQ(HashPercent(0, 10), 0);
  EXPECT_EQ(HashPercent(42, 100), 42);
  EXPECT_EQ(HashPercent(200, 100), 100);
  EXPECT_EQ(HashPercent(UINT64_MAX - 1, UINT64_MAX), 99);
  EXPECT_EQ(HashPercent(UINT64_MAX / 2, UINT64_MAX), 50);
  EXPECT_EQ(HashingSuffix(42), " (hashing 42%)");
}

TEST(HashJob, HashesOnItsOwnThreadAndTellsEachNewPercentage) {
  fakes::FakeFileContents files;
  files.set("C:\\w\\a.bin", std::string(10, 'a'));
  std::atomic<int> notified{0};
  HashJob job(files, "C:\\w\\a.bin", [&] { ++notified; });
  ASSERT_TRUE(Eventually([&] { return job.Finished(); }));
  EXPECT_EQ(job.Result().status, HashStatus::Done);
  EXPECT_EQ(job.Result().digests.sha256, files.digests.sha256);
  EXPECT_EQ(job.Percent(), 100);
  // 40%, 80%, 100% and the end.
  ASSERT_TRUE(Eventually([&] { return notified == 4; }));
}

TEST(HashJob, CancelStopsBeforeTheNextBlock) {
  fakes::FakeFileContents files;
  files.set("C:\\w\\big.bin", std::string(100, 'a'));
  std::mutex m;
  std::condition_variable cv;
  bool go = false;
  std::atomic<std::uint64_t> reached{0};
  files.beforeBlock = [&](std::uint64_t done) {
    reached = done;
    if (done < 8) return;
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [&] { return go; });
  };
  HashJob job(files, "C:\\w\\big.bin", nullptr);
  ASSERT_TRUE(Eventually([&] { return reached == 8; }));
  EXPECT_EQ(job.Percent(), 8);
  job.Cancel();
  {
    std::lock_guard<std::mutex> lock(m);
    go = true;
  }
  cv.notify_all();
  ASSERT_TRUE(Eventually([&] { return job.Finished(); }));
  EXPECT_EQ(job.Result().status, HashStatus::Cancelled);
  EXPECT_LT(reached.load(), 100u);
}

TEST(HashJob, AFileThatCannotBeReadFailsWithTheSystemsCode) {
  fakes::FakeFileContents files;
  HashJob job(files, "C:\\w\\gone.bin", nullptr);
  ASSERT_TRUE(Eventually([&] { return job.Finished(); }));
  EXPECT_EQ(job.Result().status, HashStatus::Failed);
  EXPECT_EQ(job.Result().error, 2u);
}

namespace {

// Files whose every read waits until it is let go: a serial port with nothing on the line, a
// share that stopped answering. Reads the canceller reaches end at once; others wait for let go.
class HangingContents : public fakes::FakeFileContents {
 public:
  std::optional<FileHead> readHead(const std::string&, std::size_t, unsigned& error) override {
    Hang();
    error = 995;
    return std::nullopt;
  }
  HashResult hash(const std::string&, const std::atomic<bool>&, const Progress&) override {
    Hang();
    return HashResult{HashStatus::Cancelled, 0, {}};
  }
  std::function<void()> cancellerForThisThread() override {
    if (!cancellable) return {};
    return [this] { LetGo(); };
  }
  void LetGo() {
    std::lock_guard<std::mutex> lock(mutex_);
    free_ = true;
    wake_.notify_all();
  }
  bool cancellable = false;
  std::atomic<int> hanging{0}, returned{0};

 private:
  void Hang() {
    std::unique_lock<std::mutex> lock(mutex_);
    ++hanging;
    wake_.wait_for(lock, std::chrono::seconds(20), [&] { return free_; });
    ++returned;
  }
  std::mutex mutex_;
  std::condition_variable wake_;
  bool free_ = false;
};

template <class Make>
std::chrono::milliseconds TimeToDrop(Make make) {
  auto worker = make();
  const auto start = std::chrono::steady_clock::now();
  worker.reset();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

}  // namespace

TEST(Readers, TheWindowNeverWaitsOnAReadThatDoesNotEnd) {
  for (bool cancellable : {true, false}) {
    HangingContents files;
    files.cancellable = cancellable;
    files.set("C:\\x\\COM1", "");
    auto facts = [&] {
      auto reader = std::make_unique<FactsReader>(files, nullptr);
      reader->Ask("C:\\x\\COM1");
      EXPECT_TRUE(Eventually([&] { return files.hanging == 1; }));
      return reader;
    };
    auto hashing = [&] {
      auto job = std::make_unique<HashJob>(files, "C:\\x\\COM1", nullptr);
      EXPECT_TRUE(Eventually([&] { return files.hanging == 2; }));
      return job;
    };
    // A read the system cancels ends at once; one it cannot is left behind in time.
    EXPECT_LT(TimeToDrop(facts).count(), 2000) << cancellable;
    EXPECT_LT(TimeToDrop(hashing).count(), 2000) << cancellable;
    if (cancellable) EXPECT_EQ(files.returned, 2) << "joined, not left behind";
    // A thread left behind ends by itself once its read does, touching nothing that has gone.
    files.LetGo();
    EXPECT_TRUE(Eventually([&] { return files.returned == 2; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

TEST(TargetTip, ADeviceIsNotRead) {
  FactsAnswer device;
  device.error = kNotAFileError;
  EXPECT_EQ(TargetTipText("C:\\x\\COM1", &device, SystemText),
            "C:\\x\\COM1\r\nNot read: it is no file on a disk (a device, a pipe or the like)");
  for (const char* path : {R"(C:\x\COM1)", R"(C:\x\com9.txt)", R"(D:\nul)", R"(C:\x\AUX .bin)", R"(C:\x\lpt1.)",
                           R"(\\.\pipe\x)", R"(\\.\COM1)", R"(\\?\GLOBALROOT\Device\Null)", "CON", R"(C:\x\conout$)"})
    EXPECT_TRUE(paths::NamesDevice(path)) << path;
  for (const char* path : {R"(C:\x\COM10)", R"(C:\x\com.exe)", R"(C:\x\console.exe)", R"(\\?\C:\x\COM1)",
                           R"(\\?\UNC\srv\share\nul.bin)", R"(\\srv\share\a.exe)", R"(C:\nul\a.exe)", R"(C:\x\lpt0)"})
    EXPECT_FALSE(paths::NamesDevice(path)) << path;
}
