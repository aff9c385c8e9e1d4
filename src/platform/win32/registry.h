#pragma once
// The Explorer integration's keys under HKEY_CLASSES_ROOT, in Explorer's view of the registry.
#include "platform/registry.h"

namespace kest::win32 {

class Win32Registry final : public Registry {
 public:
  bool isUserAdmin() override;
  bool classesKeyExists(const std::string& subKey) override;
  bool createClassesKey(const std::string& subKey) override;
  bool setClassesKeyDefault(const std::string& subKey, const std::string& value) override;
  bool deleteClassesKeyTree(const std::string& subKey) override;
};

}  // namespace kest::win32
