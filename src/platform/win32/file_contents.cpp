#include "platform/win32/file_contents.h"

#include <windows.h>
#include <bcrypt.h>

#include <memory>
#include <vector>

#include "platform/paths.h"
#include "platform/win32/file_system.h"
#include "platform/win32/handles.h"
#include "platform/win32/processes.h"
#include "platform/win32/system_view.h"

namespace kest::win32 {

namespace {

// Others may go on writing, renaming or deleting the sample meanwhile: Kest only reads. A
// device or a pipe is not read at all, since a read of it may wait for ever: one named as such
// is not even opened, and anything else that turns out not to be a file on a disk is closed
// unread. Nothing, with the reason in error, for either or a failed open.
OwnedHandle OpenToRead(const std::string& path, unsigned& error) {
  if (paths::NamesDevice(path)) {
    error = kNotAFileError;
    return OwnedHandle();
  }
  OwnedHandle file = OwnedFile(CreateFileA(ForSystem(path).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    error = GetLastError();
  } else if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    error = kNotAFileError;
    file.reset();
  }
  return file;
}

// One running hash of the system's provider.
class SystemHash {
 public:
  explicit SystemHash(const wchar_t* algorithm) {
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&provider_, algorithm, nullptr, 0))) {
      provider_ = nullptr;
      return;
    }
    // The provider keeps the hash object's memory itself (Windows 7 and later).
    if (!BCRYPT_SUCCESS(BCryptCreateHash(provider_, &hash_, nullptr, 0, nullptr, 0, 0))) hash_ = nullptr;
  }
  ~SystemHash() {
    if (hash_) BCryptDestroyHash(hash_);
    if (provider_) BCryptCloseAlgorithmProvider(provider_, 0);
  }
  SystemHash(const SystemHash&) = delete;
  SystemHash& operator=(const SystemHash&) = delete;

  bool ready() const { return hash_ != nullptr; }
  bool add(const char* bytes, ULONG count) {
    return BCRYPT_SUCCESS(BCryptHashData(hash_, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes)), count, 0));
  }
  bool finish(std::string& digest, ULONG length) {
    digest.assign(length, '\0');
    return BCRYPT_SUCCESS(BCryptFinishHash(hash_, reinterpret_cast<PUCHAR>(digest.data()), length, 0));
  }

 private:
  BCRYPT_ALG_HANDLE provider_ = nullptr;
  BCRYPT_HASH_HANDLE hash_ = nullptr;
};

HashResult Failure(unsigned error) { return HashResult{HashStatus::Failed, error, {}}; }

// Hashing is work in the background: the calling thread gives way to the windows meanwhile.
class BelowNormalPriority {
 public:
  BelowNormalPriority() : before_(GetThreadPriority(GetCurrentThread())) {
    if (before_ != THREAD_PRIORITY_ERROR_RETURN && before_ > THREAD_PRIORITY_BELOW_NORMAL)
      SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  }
  ~BelowNormalPriority() {
    if (before_ != THREAD_PRIORITY_ERROR_RETURN) SetThreadPriority(GetCurrentThread(), before_);
  }
  BelowNormalPriority(const BelowNormalPriority&) = delete;
  BelowNormalPriority& operator=(const BelowNormalPriority&) = delete;

 private:
  int before_;
};

}  // namespace

std::optional<FileStamp> Win32FileContents::stamp(const std::string& path) {
  if (paths::NamesDevice(path)) return std::nullopt;
  return StampOf(path);
}

std::optional<FileHead> Win32FileContents::readHead(const std::string& path, std::size_t maxBytes, unsigned& error) {
  OwnedHandle file = OpenToRead(path, error);
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) {
    error = GetLastError();
    return std::nullopt;
  }
  FileHead head;
  head.size = static_cast<std::uint64_t>(size.QuadPart);
  head.bytes.resize(maxBytes);
  std::size_t got = 0;
  while (got < maxBytes) {
    DWORD n = 0;
    if (!ReadFile(file.get(), head.bytes.data() + got, static_cast<DWORD>(maxBytes - got), &n, nullptr)) {
      error = GetLastError();
      return std::nullopt;
    }
    if (n == 0) break;
    got += n;
  }
  head.bytes.resize(got);
  return head;
}

HashResult Win32FileContents::hash(const std::string& path, const std::atomic<bool>& cancel,
                                   const Progress& progress) {
  BelowNormalPriority background;
  unsigned error = 0;
  OwnedHandle file = OpenToRead(path, error);
  if (!file) return Failure(error);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return Failure(GetLastError());
  SystemHash md5(BCRYPT_MD5_ALGORITHM), sha1(BCRYPT_SHA1_ALGORITHM), sha256(BCRYPT_SHA256_ALGORITHM);
  if (!md5.ready() || !sha1.ready() || !sha256.ready()) return Failure(ERROR_NOT_SUPPORTED);
  const std::uint64_t total = static_cast<std::uint64_t>(size.QuadPart);
  std::uint64_t done = 0;
  if (progress) progress(0, total);
  // A block at a time: a file of any size costs one block of memory.
  std::vector<char> block(blockBytes_);
  for (;;) {
    if (cancel) return HashResult{HashStatus::Cancelled, 0, {}};
    DWORD got = 0;
    if (!ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr)) return Failure(GetLastError());
    if (got == 0) break;
    if (!md5.add(block.data(), got) || !sha1.add(block.data(), got) || !sha256.add(block.data(), got))
      return Failure(ERROR_NOT_SUPPORTED);
    done += got;
    // A file that grows meanwhile is read to its end.
    if (progress) progress(done, done > total ? done : total);
  }
  HashResult result{HashStatus::Done, 0, {}};
  if (!md5.finish(result.digests.md5, 16) || !sha1.finish(result.digests.sha1, 20) ||
      !sha256.finish(result.digests.sha256, 32))
    return Failure(ERROR_NOT_SUPPORTED);
  return result;
}

std::string Win32FileContents::errorText(unsigned code) {
  if (code == kNotAFileError) return "It is no file on a disk (a device, a pipe or the like), and Kest does not read it.";
  return SystemErrorText(code);
}

std::function<void()> Win32FileContents::cancellerForThisThread() {
  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, THREAD_TERMINATE, FALSE, 0))
    return {};
  // Whatever open or read the thread waits in (a share that stopped answering); Wine cancels
  // no read of a serial port, so the caller also gives up waiting after a while.
  auto thread = std::make_shared<OwnedHandle>(self);
  return [thread] { CancelSynchronousIo(thread->get()); };
}

}  // namespace kest::win32
