// HKEY_CLASSES_ROOT through the real registry functions (a key of the test's own, so that the
// running test copy leaves the real commands alone).
#include <gtest/gtest.h>

#include "platform/win32/registry.h"

namespace kest {
namespace {

std::string DefaultValue(const std::string& subKey) {
  char value[512] = {};
  LONG size = sizeof value;
  if (RegQueryValueA(HKEY_CLASSES_ROOT, subKey.c_str(), value, &size) != ERROR_SUCCESS) return "<none>";
  return value;
}

TEST(Win32Registry, CreatesWritesAndDeletesAKeyTree) {
  win32::Win32Registry registry;
  const std::string verb = "KestWinTest\\shell\\Load into Kest";
  const std::string command = verb + "\\command";
  registry.deleteClassesKeyTree("KestWinTest");
  EXPECT_FALSE(registry.classesKeyExists(command));
  ASSERT_TRUE(registry.createClassesKey(command));  // with the keys above it
  EXPECT_TRUE(registry.classesKeyExists(verb));
  ASSERT_TRUE(registry.setClassesKeyDefault(command, "\"C:\\K\\Kest.exe\"%1\""));
  EXPECT_EQ(DefaultValue(command), "\"C:\\K\\Kest.exe\"%1\"");
  ASSERT_TRUE(registry.createClassesKey(command)) << "an existing key stays";
  EXPECT_EQ(DefaultValue(command), "\"C:\\K\\Kest.exe\"%1\"");
  EXPECT_TRUE(registry.deleteClassesKeyTree("KestWinTest"));
  EXPECT_FALSE(registry.classesKeyExists(verb));
  EXPECT_FALSE(registry.deleteClassesKeyTree("KestWinTest")) << "nothing left to delete";
  // Running as root under Wine counts as an administrator.
  EXPECT_TRUE(registry.isUserAdmin());
}

}  // namespace
}  // namespace kest
