// QVPref over the registry.
#include "lvxtest/testenv.h"
#include "qvcommon/qvpref.h"
#include "win32/automation.h"
#include "win32/registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

// The value names of a key, in order.
std::vector<std::string> Names(HKEY key)
{
  std::vector<std::string> names;
  char name[256];
  DWORD length = sizeof name;
  for (DWORD i = 0; RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == 0; ++i) {
    names.emplace_back(name, length);
    length = sizeof name;
  }
  return names;
}

} // namespace

TEST(QVPref, TypedCaseInsensitiveLookups)
{
  QVPref pref("App");
  HKEY base = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\TarnwellTest\\App", 0, KEY_READ, &base), ERROR_SUCCESS);
  // The null key stands for the store's base key: what is written through it
  // is read through the key opened here; an unknown holder stands for none.
  const HKEY real = pref.GetRealHkey(nullptr);
  ASSERT_NE(real, nullptr);
  ASSERT_EQ(RegSetValueExA(real, "ThroughBase", 0, REG_SZ, reinterpret_cast<const BYTE*>("b"), 1), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(base, "throughbase", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValueA(real, "ThroughBase"), ERROR_SUCCESS);
  int unknown = 0;
  EXPECT_EQ(pref.GetRealHkey(&unknown), nullptr);

  EXPECT_EQ(pref.SetKeyValue(nullptr, "MixedCase", uint32_t{5}), ERROR_SUCCESS);
  EXPECT_EQ(pref.SetKeyValue(nullptr, "MIXEDCASE", uint32_t{6}), ERROR_SUCCESS);
  EXPECT_EQ(pref.SetKeyValue(nullptr, "Label", "Warm"), ERROR_SUCCESS);
  EXPECT_EQ(Names(base), (std::vector<std::string>{"MixedCase", "Label"})) << "names keep their first case";

  uint32_t number = 0;
  EXPECT_EQ(pref.GetKeyValue(nullptr, "mixedcase", &number), 0);
  EXPECT_EQ(number, 6u);
  number = 99;
  EXPECT_EQ(pref.GetKeyValue(nullptr, "Label", &number), -1) << "a REG_SZ value is no number";
  EXPECT_EQ(number, 99u);
  EXPECT_EQ(pref.GetKeyValue(nullptr, "Absent", &number), -1);

  unsigned char text[8] = {};
  uint32_t size = sizeof text;
  EXPECT_EQ(pref.GetKeyValue(nullptr, "LABEL", text, size), 0);
  EXPECT_EQ(size, 4u) << "stored without terminator";
  EXPECT_EQ(std::memcmp(text, "Warm", 4), 0);
  unsigned char small[2] = {'x', 'x'};
  size = sizeof small;
  EXPECT_EQ(pref.GetKeyValue(nullptr, "Label", small, size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(small[0], 'x') << "data untouched";
  size = sizeof text;
  EXPECT_EQ(pref.GetKeyValue(nullptr, "MixedCase", text, size), -1) << "a number is no text";
  RegCloseKey(base);
}

TEST(QVPref, NullArgumentsAndForeignKeysWriteNothing)
{
  QVPref pref("Nulls");
  EXPECT_EQ(pref.SetKeyValue(nullptr, nullptr, "x"), -1);
  EXPECT_EQ(pref.SetKeyValue(nullptr, nullptr, uint32_t{1}), -1);
  EXPECT_EQ(pref.SetKeyValue(nullptr, "Name", static_cast<const char*>(nullptr)), -1);
  int foreign = 0;
  EXPECT_EQ(pref.GetRealHkey(&foreign), nullptr);
  EXPECT_EQ(pref.SetKeyValue(&foreign, "Name", uint32_t{1}), -1);
  EXPECT_EQ(pref.OpenSubKey(&foreign, "Sub"), nullptr);
  EXPECT_EQ(Names(pref.GetRealHkey(nullptr)).size(), 0u);
}

TEST(QVPref, SubKeyHoldersLiveAsLongAsTheStore)
{
  void* deeper = nullptr;
  {
    QVPref pref("Holders");
    void* sub = pref.OpenSubKey(nullptr, "Sub");
    ASSERT_NE(sub, nullptr);
    deeper = pref.OpenSubKey(sub, "Deeper");
    ASSERT_NE(deeper, nullptr);
    EXPECT_EQ(pref.SetKeyValue(deeper, "Depth", uint32_t{2}), ERROR_SUCCESS);
    uint32_t depth = 0;
    EXPECT_EQ(pref.GetKeyValue(deeper, "depth", &depth), 0);
    EXPECT_EQ(depth, 2u);
    EXPECT_EQ(pref.GetKeyValue(sub, "Depth", &depth), -1) << "values stay in their own key";
  }
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\tarnwelltest\\holders\\sub\\deeper", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(Names(key), (std::vector<std::string>{"Depth"}));
  RegCloseKey(key);
}

TEST(QVPref, ConstructorThrowsOnACorruptStore)
{
  const std::string path = lvxtest::TempDir() + "/corrupt-registry";
  std::ofstream(path) << "garbage\n";
  setenv("LUMIVEX_REGISTRY", path.c_str(), 1);
  standin::RegistryReload();
  testing::internal::CaptureStderr();
  int thrown = 0;
  try {
    QVPref pref("Any");
  } catch (int code) {
    thrown = code;
  }
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(thrown, -1);
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  EXPECT_EQ(text.str(), "garbage\n");
}
