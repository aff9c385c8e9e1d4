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
  // Creates the key (and the keys above it) and sets its default value.
  virtual bool setClassesKeyDefault(const std::string& subKey, const std::string& value) = 0;
  // Deletes the key, which must have no sub-keys.
  virtual bool deleteClassesKey(const std::string& subKey) = 0;
};

}  // namespace kest
