// A file's first bytes and its hashes through the system's own calls (CNG), against the known
// vectors of MD5, SHA-1 and SHA-256.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/win32/file_contents.h"
#include "targets/hash_job.h"
#include "win/win_test_util.h"

namespace kest {
namespace {

struct Vectors {
  const char* md5;
  const char* sha1;
  const char* sha256;
};

void ExpectDigests(const HashResult& r, const Vectors& v) {
  ASSERT_EQ(r.status, HashStatus::Done);
  EXPECT_EQ(LowerHex(r.digests.md5), v.md5);
  EXPECT_EQ(LowerHex(r.digests.sha1), v.sha1);
  EXPECT_EQ(LowerHex(r.digests.sha256), v.sha256);
}

TEST(Win32FileContents, HashesMatchTheKnownVectorsAcrossBlocks) {
  wintest::ScratchDir dir("hashes");
  wintest::WriteText(dir + "empty", "");
  wintest::WriteText(dir + "abc", "abc");
  wintest::WriteText(dir + "million", std::string(1000000, 'a'));
  // Blocks of 64 KiB: the million bytes end part-way through the sixteenth.
  win32::Win32FileContents files(64 * 1024);
  std::atomic<bool> cancel{false};
  ExpectDigests(files.hash(dir + "empty", cancel, nullptr),
                {"d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709",
                 "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"});
  ExpectDigests(files.hash(dir + "abc", cancel, nullptr),
                {"900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d",
                 "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"});
  std::vector<std::uint64_t> seen;
  ExpectDigests(files.hash(dir + "million", cancel,
                           [&](std::uint64_t done, std::uint64_t total) {
                             EXPECT_EQ(total, 1000000u);
                             seen.push_back(done);
                           }),
                {"7707d6ae4e027c70eea2a935c2296f21", "34aa973cd4c4daa4f61eeb2bdbad27316534016f",
                 "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"});
  ASSERT_EQ(seen.size(), 17u);  // the start, then each of 16 blocks
  EXPECT_EQ(seen[1], 65536u);
  EXPECT_EQ(seen.back(), 1000000u);
}

TEST(Win32FileContents, ACancelStopsBeforeTheNextBlock) {
  wintest::ScratchDir dir("hash-cancel");
  wintest::WriteText(dir + "big", std::string(300000, 'x'));
  win32::Win32FileContents files(64 * 1024);
  std::atomic<bool> cancel{false};
  std::uint64_t last = 0;
  HashResult r = files.hash(dir + "big", cancel, [&](std::uint64_t done, std::uint64_t) {
    last = done;
    if (done >= 65536) cancel = true;
  });
  EXPECT_EQ(r.status, HashStatus::Cancelled);
  EXPECT_EQ(last, 65536u);
}

TEST(Win32FileContents, AFileThatCannotBeReadGivesTheSystemsText) {
  wintest::ScratchDir dir("hash-missing");
  win32::Win32FileContents files;
  std::atomic<bool> cancel{false};
  HashResult r = files.hash(dir + "missing.exe", cancel, nullptr);
  EXPECT_EQ(r.status, HashStatus::Failed);
  EXPECT_EQ(r.error, static_cast<unsigned>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(files.errorText(r.error).empty());
  // A directory is no file to hash.
  EXPECT_EQ(files.hash(dir.path(), cancel, nullptr).status, HashStatus::Failed);
  // Held by another program without sharing: refused, not hashed as empty.
  wintest::WriteText(dir + "held", "abc");
  HANDLE held = CreateFileA((dir + "held").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  r = files.hash(dir + "held", cancel, nullptr);
  EXPECT_EQ(r.status, HashStatus::Failed);
  EXPECT_EQ(r.error, static_cast<unsigned>(ERROR_SHARING_VIOLATION));
  CloseHandle(held);
}

TEST(Win32FileContents, ReadsTheHeadAndTheWholeSize) {
  wintest::ScratchDir dir("head");
  std::string bytes(100000, 'z');
  bytes.replace(0, 2, "MZ");
  wintest::WriteText(dir + "a.exe", bytes);
  win32::Win32FileContents files;
  unsigned error = 0;
  std::optional<FileHead> head = files.readHead(dir + "a.exe", 65536, error);
  ASSERT_TRUE(head.has_value());
  EXPECT_EQ(head->size, 100000u);
  EXPECT_EQ(head->bytes, bytes.substr(0, 65536));
  head = files.readHead(dir + "a.exe", 200000, error);
  ASSERT_TRUE(head.has_value());
  EXPECT_EQ(head->bytes, bytes);
  EXPECT_FALSE(files.readHead(dir + "none.exe", 65536, error).has_value());
  EXPECT_EQ(error, static_cast<unsigned>(ERROR_FILE_NOT_FOUND));
  std::optional<FileStamp> stamp = files.stamp(dir + "a.exe");
  ASSERT_TRUE(stamp.has_value());
  EXPECT_EQ(stamp->size, 100000u);
  EXPECT_FALSE(files.stamp(dir.path()).has_value());
}

}  // namespace
}  // namespace kest
