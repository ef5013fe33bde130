// The file-backed registry: Win32 calls and codes, names, exact bytes,
// persistence between processes, the text format and corrupt files.
#include "lvxtest/testenv.h"
#include "win32/automation.h"
#include "win32/registry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Every registry test starts from its own empty store file.
class Registry : public ::testing::Test {
protected:
  void SetUp() override
  {
    static int counter = 0;
    folder = lvxtest::TempDir() + "/reg" + std::to_string(++counter);
    path = folder + "/nested/registry";
    setenv("LUMIVEX_REGISTRY", path.c_str(), 1);
    standin::RegistryReload();
  }
  HKEY Create(const char* subKey, HKEY root = HKEY_LOCAL_MACHINE)
  {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyA(root, subKey, &key), ERROR_SUCCESS) << subKey;
    return key;
  }
  std::string folder;
  std::string path;
};

// (name, type, data) of every value of a key, in enumeration order.
std::vector<std::tuple<std::string, DWORD, std::string>> Values(HKEY key)
{
  std::vector<std::tuple<std::string, DWORD, std::string>> values;
  for (DWORD i = 0;; ++i) {
    char name[256];
    unsigned char data[1024];
    DWORD nameLength = sizeof name, size = sizeof data, type = 0;
    const LONG result = RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size);
    if (result == ERROR_NO_MORE_ITEMS)
      break;
    EXPECT_EQ(result, ERROR_SUCCESS);
    values.emplace_back(std::string(name, nameLength), type, std::string(reinterpret_cast<char*>(data), size));
  }
  return values;
}

} // namespace

TEST_F(Registry, StoreLocationFollowsTheEnvironment)
{
  EXPECT_EQ(standin::RegistryPath(), path);
  unsetenv("LUMIVEX_REGISTRY");
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  standin::RegistryReload();
  EXPECT_EQ(standin::RegistryPath(), "/cfg/lumivex/registry");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", "/home/someone", 1);
  standin::RegistryReload();
  EXPECT_EQ(standin::RegistryPath(), "/home/someone/.config/lumivex/registry");
  setenv("LUMIVEX_REGISTRY", path.c_str(), 1);
  standin::RegistryReload();
}

TEST_F(Registry, OpenCreatesNothingAndReadHandlesRefuseWrites)
{
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(std::ifstream(path).good()) << "nothing was written";

  DWORD disposition = 0;
  HKEY created = nullptr;
  ASSERT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, "A\\B\\C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, &disposition),
      ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "a\\b", 0, KEY_READ, &key), ERROR_SUCCESS) << "intermediate keys";
  EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(key, "v"), ERROR_ACCESS_DENIED);
  HKEY sub = nullptr;
  EXPECT_EQ(RegCreateKeyExA(key, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "a\\B\\c", 0, nullptr, 0, KEY_READ, nullptr, &sub, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  for (HKEY h : {key, created, sub})
    EXPECT_EQ(RegCloseKey(h), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE) << "closed handles are stale";
  EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_SZ, nullptr, 0), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(Registry, ValuesKeepTheirBytesCaseAndPlace)
{
  HKEY key = Create("Software\\Test");
  const BYTE noTerminator[] = {'a', 'b', 'c'};
  ASSERT_EQ(RegSetValueExA(key, "Text", 0, REG_SZ, noTerminator, 3), ERROR_SUCCESS);
  const uint32_t number = 0x01020304;
  ASSERT_EQ(RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, reinterpret_cast<const BYTE*>("x\0y"), 3), ERROR_SUCCESS);
  // Overwriting under another spelling keeps the place and the first spelling.
  ASSERT_EQ(RegSetValueExA(key, "TEXT", 0, REG_SZ, reinterpret_cast<const BYTE*>("new\0"), 4), ERROR_SUCCESS);
  using V = std::tuple<std::string, DWORD, std::string>;
  EXPECT_EQ(Values(key), (std::vector<V>{V{"Text", REG_SZ, std::string("new\0", 4)}, V{"Number", REG_DWORD, "\4\3\2\1"},
                                         V{"Blob", REG_BINARY, std::string("x\0y", 3)}}));

  // Too-small buffers: ERROR_MORE_DATA, the size needed, the buffer untouched.
  char name[3];
  BYTE data[2] = {0xEE, 0xEE};
  DWORD nameLength = sizeof name, size = sizeof data;
  EXPECT_EQ(RegEnumValueA(key, 1, name, &nameLength, nullptr, nullptr, data, &size), ERROR_MORE_DATA);
  nameLength = 16;
  char longName[16];
  EXPECT_EQ(RegEnumValueA(key, 1, longName, &nameLength, nullptr, nullptr, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(data[0], 0xEE);
  DWORD type = 0;
  size = sizeof data;
  EXPECT_EQ(RegQueryValueExA(key, "number", nullptr, &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(RegQueryValueExA(key, "nUmBeR", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(RegQueryValueExA(key, "absent", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(RegDeleteValueA(key, "NUMBER"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "Number"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Values(key).size(), 2u);
  RegCloseKey(key);
}

TEST_F(Registry, ExactBytesAndOddNamesSurviveAReload)
{
  HKEY key = Create("Software\\Odd \"Names\"\\back\\slash");
  const std::string oddName = "quote\" back\\slash\nnewline\x01\xff";
  std::string allBytes;
  for (int b = 0; b < 256; ++b)
    allBytes += static_cast<char>(b);
  ASSERT_EQ(RegSetValueExA(key, oddName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(allBytes.data()), 256),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "", 0, 7, reinterpret_cast<const BYTE*>("\0\0"), 2), ERROR_SUCCESS);
  HKEY empty = Create("Software\\Empty Key");
  const auto before = Values(key);
  RegCloseKey(empty);

  // The store file reads as text, starts with its header, holds no raw
  // control bytes, and nothing else is left in its folder.
  const std::string text = lvxtest::FileContents(path);
  EXPECT_EQ(text.rfind("lumivex-registry 1\n", 0), 0u);
  EXPECT_NE(text.find("key \"HKEY_LOCAL_MACHINE\" \"Software\" \"Empty Key\"\n"), std::string::npos);
  EXPECT_NE(text.find("type:7 00 00"), std::string::npos);
  for (const char c : text)
    EXPECT_TRUE(c == '\n' || (c >= 0x20 && c <= 0x7E)) << int(c);
  EXPECT_EQ(lvxtest::FolderEntries(folder + "/nested"), (std::set<std::string>{"registry", "registry.lock"}))
      << "no temporary file remains";
  struct stat file;
  ASSERT_EQ(stat(path.c_str(), &file), 0);
  EXPECT_EQ(file.st_mode & 0777, 0600u) << "a user's private settings";
  struct stat st;
  ASSERT_EQ(stat((folder + "/nested").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // The open handle survives the reload and sees the same values in order.
  standin::RegistryReload();
  EXPECT_EQ(Values(key), before);
  HKEY reopened = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\empty key", 0, KEY_READ, &reopened), ERROR_SUCCESS);
  RegCloseKey(reopened);
  RegCloseKey(key);
  EXPECT_EQ(lvxtest::FileContents(path), text) << "reading does not rewrite";
}

TEST_F(Registry, ValuesPersistBetweenProcesses)
{
  // A child process writes; this process then reads the store file anew.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HKEY key = nullptr;
    const uint32_t value = 1234;
    const bool ok = RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Shared", &key) == ERROR_SUCCESS &&
                    RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4) == 0;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  standin::RegistryReload();
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Shared", 0, KEY_READ, &key), ERROR_SUCCESS);
  uint32_t value = 0;
  DWORD size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 1234u);
  RegCloseKey(key);
}

TEST_F(Registry, CorruptFileIsReportedOnceAndNeverOverwritten)
{
  mkdir(folder.c_str(), 0700);
  mkdir((folder + "/nested").c_str(), 0700);
  const std::string corrupt = "lumivex-registry 1\nkey \"HKEY_LOCAL_MACHINE\" \"Software\"\nvalue \"x\" sz \"open\n";
  std::ofstream(path, std::ios::binary) << corrupt;
  standin::RegistryReload();

  testing::internal::CaptureStderr();
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND)
      << "the process sees an empty store";
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\New", &key), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("a"), 1),
            ERROR_REGISTRY_CORRUPT);
  const std::string report = testing::internal::GetCapturedStderr();
  EXPECT_NE(report.find(path + ":3:"), std::string::npos) << report;
  EXPECT_EQ(report.find(path), report.rfind(path)) << "reported once";
  EXPECT_EQ(lvxtest::FileContents(path), corrupt);

  for (const char* bad : {"", "not a registry\n", "lumivex-registry 1\nvalue \"a\" sz \"b\"\n",
                          "lumivex-registry 1\nkey \"HKEY_NOWHERE\"\n",
                          "lumivex-registry 1\nkey \"HKEY_CURRENT_USER\"\nvalue \"a\" dword 0g\n",
                          "lumivex-registry 1\nkey \"HKEY_CURRENT_USER\" \"a\\q\"\n"}) {
    std::ofstream(path, std::ios::binary) << bad;
    standin::RegistryReload();
    testing::internal::CaptureStderr();
    EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "x", &key), ERROR_REGISTRY_CORRUPT) << bad;
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(lvxtest::FileContents(path), bad);
  }
}
