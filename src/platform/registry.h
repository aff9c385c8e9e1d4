#pragma once
// The registry keys of the Explorer integration, under HKEY_CLASSES_ROOT, and the
// administrator test that tells whether they can be written.
#include <string>

namespace kest {

class Registry {
 public:
  virtual ~Registry() = default;
  // Whether the user belongs to the Administrators group.
  virtual bool isUserAdmin() = 0;
  // Whether the key opens for reading; it is never created here.
  virtual bool classesKeyExists(const std::string& subKey) = 0;
  // Creates the key and the keys above it; an existing key stays as it is.
  virtual bool createClassesKey(const std::string& subKey) = 0;
  // Creates the key if needed and sets its default value (REG_SZ).
  virtual bool setClassesKeyDefault(const std::string& subKey, const std::string& value) = 0;
  // Deletes the key with all its sub-keys, the sub-keys first.
  virtual bool deleteClassesKeyTree(const std::string& subKey) = 0;
};

}  // namespace kest
