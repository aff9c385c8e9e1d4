#include "platform/win32/registry.h"

#include <windows.h>

#include <vector>

#include "platform/win32/handles.h"

namespace kest::win32 {

bool Win32Registry::isUserAdmin() {
  // A plain call through advapi32's delay-load thunk, like every other advapi32 call: every
  // Windows Kest runs on (7 and later) has CheckTokenMembership, so nothing is looked up first.
  bool member = false;
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                               &admins)) {
    BOOL is = FALSE;
    member = CheckTokenMembership(nullptr, admins, &is) && is;
    FreeSid(admins);
  }
  return member;
}

namespace {

// Explorer is a 64-bit program wherever Windows is: its view of the registry is the one the
// commands go to, from a 32-bit Kest too (32-bit Windows ignores the flag).
constexpr REGSAM kExplorersView = KEY_WOW64_64KEY;

// Null when the key cannot be opened.
OwnedKey OpenKey(HKEY root, const std::string& subKey, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, access | kExplorersView, &key) != ERROR_SUCCESS) return OwnedKey();
  return OwnedKey(key);
}

// Opens the key, making it (and the keys above it) first where it is missing; null on failure.
OwnedKey CreateClassesKey(const std::string& subKey) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS | kExplorersView, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return OwnedKey();
  return OwnedKey(key);
}

}  // namespace

bool Win32Registry::classesKeyExists(const std::string& subKey) {
  return static_cast<bool>(OpenKey(HKEY_CLASSES_ROOT, subKey, KEY_READ));
}

bool Win32Registry::createClassesKey(const std::string& subKey) { return static_cast<bool>(CreateClassesKey(subKey)); }

bool Win32Registry::setClassesKeyDefault(const std::string& subKey, const std::string& value) {
  OwnedKey key = CreateClassesKey(subKey);
  if (!key) return false;
  // Stored with its terminating zero.
  return RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

namespace {

// Sub-keys first; the depth is bounded, so that no key tree can keep it going for ever.
bool DeleteKeyTree(HKEY root, const std::string& subKey, int depth) {
  if (depth > 32) return false;
  if (OwnedKey key = OpenKey(root, subKey, KEY_ALL_ACCESS)) {
    std::vector<std::string> children;
    DWORD count = 0, longest = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) == ERROR_SUCCESS) {
      std::vector<char> name(longest + 2);
      for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExA(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
          children.emplace_back(name.data(), length);
      }
    }
    // Closed before the children go, as the enumeration is all it was opened for.
    key.reset();
    for (const std::string& child : children) DeleteKeyTree(root, subKey + "\\" + child, depth + 1);
  }
  return RegDeleteKeyExA(root, subKey.c_str(), kExplorersView, 0) == ERROR_SUCCESS;
}

}  // namespace

bool Win32Registry::deleteClassesKeyTree(const std::string& subKey) {
  return DeleteKeyTree(HKEY_CLASSES_ROOT, subKey, 0);
}

}  // namespace kest::win32
