#include "platform/win32/forward_notice.h"

#include <windows.h>
#include <sddl.h>

namespace kest::win32 {

std::string ForwardNoticeName() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return "\\\\.\\mailslot\\KestComLine." + std::to_string(session);
}

ForwardSecurity::ForwardSecurity() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
  OwnedHandle owned(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::string user(size, '\0');
  char* sid = nullptr;
  if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size) ||
      !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid))
    return;
  const std::string sddl = std::string("D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;") + sid + ")S:(ML;;NW;;;ME)";
  LocalFree(sid);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) return;
  descriptor_ = descriptor;
  attributes_.nLength = sizeof(attributes_);
  attributes_.lpSecurityDescriptor = descriptor_;
  attributes_.bInheritHandle = FALSE;
}

ForwardSecurity::~ForwardSecurity() {
  if (descriptor_) LocalFree(descriptor_);
}

std::string ForwardSecurity::text() const {
  char* sddl = nullptr;
  if (!descriptor_ || !ConvertSecurityDescriptorToStringSecurityDescriptorA(
                          descriptor_, SDDL_REVISION_1, DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION, &sddl,
                          nullptr))
    return std::string();
  std::string text = sddl;
  LocalFree(sddl);
  return text;
}

void AcceptForwardsFromLowerRights(HWND window, unsigned message) {
  // Windows 7 and later; user32 is loaded, so it is only looked up.
  using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (auto filter = user32 ? reinterpret_cast<Filter>(reinterpret_cast<void*>(
                                 GetProcAddress(user32, "ChangeWindowMessageFilterEx")))
                           : nullptr)
    filter(window, message, kAllow, nullptr);
}

bool MailslotForwardNotice::listening() {
  if (!opened_) {
    opened_ = true;
    slot_ = OwnedFile(CreateFileA(ForwardNoticeName().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  return static_cast<bool>(slot_);
}

bool MailslotForwardNotice::post(AtomValue atom) {
  if (!listening()) return false;
  DWORD written = 0;
  return WriteFile(slot_.get(), &atom, sizeof(atom), &written, nullptr) && written == sizeof(atom);
}

}  // namespace kest::win32
