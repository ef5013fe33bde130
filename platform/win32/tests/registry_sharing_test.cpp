// The registry store under hostile files and shared use: Windows' limits,
// damaged files that must not crash or be overwritten, saves that stay linear,
// and processes (forked from the test, each its own stand-in) that write,
// read and die at once.
#include "lvxtest/childrun.h"
#include "lvxtest/testenv.h"
#include "win32/automation.h"
#include "win32/registry.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <set>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

off_t SizeOf(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

bool SetDword(HKEY key, const std::string& name, uint32_t value)
{
  return RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4) == ERROR_SUCCESS;
}

bool GetDword(HKEY key, const std::string& name, uint32_t* value)
{
  DWORD size = sizeof *value;
  return RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS;
}

// Runs `body` in a forked child, which ends with status 0 when body returns
// true. The child leaves through _exit, so none of this process's exit work
// (the test folder's removal) runs twice.
template <class Body>
pid_t Spawn(Body body)
{
  const pid_t child = fork();
  if (child == 0)
    _exit(body() ? 0 : 1);
  return child;
}

bool Succeeded(pid_t child)
{
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class RegistrySharing : public ::testing::Test {
protected:
  void SetUp() override
  {
    folder = lvxtest::TempDir() + "/store";
    path = folder + "/registry";
    mkdir(folder.c_str(), 0700);
    setenv("LUMIVEX_REGISTRY", path.c_str(), 1);
    standin::RegistryReload();
  }
  void TearDown() override { standin::SetRegistryLockTimeout(-1); }

  // Writes `text` as the store file and has the next call read it.
  void PutStore(const std::string& text)
  {
    std::ofstream(path, std::ios::binary) << text;
    standin::RegistryReload();
  }
  HKEY Create(const std::string& subKey)
  {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, subKey.c_str(), &key), ERROR_SUCCESS) << subKey.substr(0, 40);
    return key;
  }

  std::string folder;
  std::string path;
};

// A key line naming `depth` nested keys, as one line of the file.
std::string NestedKeyFile(int depth)
{
  std::string text = "lumivex-registry 1\nkey \"HKEY_CURRENT_USER\"";
  for (int i = 0; i < depth; ++i)
    text += " \"k\"";
  return text + "\n";
}

} // namespace

TEST_F(RegistrySharing, FilesBeyondTheLimitsAreDamagedNotFatal)
{
  const std::string tooLongName = "lumivex-registry 1\nkey \"HKEY_CURRENT_USER\" \"" + std::string(238, 'n') + "\"\n";
  const std::string longValueName =
      "lumivex-registry 1\nkey \"HKEY_CURRENT_USER\"\nvalue \"" + std::string(16384, 'v') + "\" sz \"\"\n";
  const struct {
    std::string text;
    const char* why;
  } cases[] = {
      {NestedKeyFile(100000), "deeper than 512 levels"},
      {NestedKeyFile(513), "deeper than 512 levels"},
      {tooLongName, "longer than 255 characters"},
      {longValueName, "longer than 16383 characters"},
  };
  for (const auto& c : cases) {
    PutStore(c.text);
    testing::internal::CaptureStderr();
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Setting", &key), ERROR_REGISTRY_CORRUPT) << c.why;
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("a"), 1),
              ERROR_REGISTRY_CORRUPT);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find(c.why), std::string::npos) << report;
    EXPECT_EQ(report.find(path), report.rfind(path)) << "reported once";
    EXPECT_EQ(lvxtest::FileContents(path), c.text) << "never overwritten";
  }

  // The largest names the limits allow still read.
  const std::string atLimit = "lumivex-registry 1\nkey \"HKEY_CURRENT_USER\" \"" + std::string(237, 'n') +
                              "\"\nvalue \"" + std::string(16383, 'v') + "\" sz \"x\"\n";
  PutStore(atLimit);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, std::string(237, 'N').c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);

  // A file over 64 MB is refused without being read (a sparse file here).
  ASSERT_EQ(truncate(path.c_str(), (off_t(64) << 20) + 1), 0);
  standin::RegistryReload();
  testing::internal::CaptureStderr();
  EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("a"), 1),
            ERROR_REGISTRY_CORRUPT);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("larger than 64 MB"), std::string::npos);
  EXPECT_EQ(SizeOf(path), (off_t(64) << 20) + 1);
}

TEST_F(RegistrySharing, CallsRefuseKeysAndNamesBeyondTheLimits)
{
  // 17 characters of root, a backslash, and the rest of the 255.
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, std::string(238, 'a').c_str(), &key), ERROR_INVALID_PARAMETER);
  std::string deep;
  for (int i = 0; i < 513; ++i)
    deep += "k\\";
  DWORD disposition = 0;
  EXPECT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, deep.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
      ERROR_INVALID_PARAMETER);
  EXPECT_EQ(SizeOf(path), -1) << "nothing was written";

  // Relative to an open key, the whole path still counts.
  HKEY parent = Create("Software");
  EXPECT_EQ(RegCreateKeyA(parent, std::string(229, 'a').c_str(), &key), ERROR_INVALID_PARAMETER);
  ASSERT_EQ(RegCreateKeyA(parent, std::string(228, 'a').c_str(), &key), ERROR_SUCCESS);
  RegCloseKey(key);

  EXPECT_EQ(RegSetValueExA(parent, std::string(16384, 'v').c_str(), 0, REG_SZ, nullptr, 0), ERROR_INVALID_PARAMETER);
  ASSERT_EQ(RegSetValueExA(parent, std::string(16383, 'v').c_str(), 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
  RegCloseKey(parent);

  // What the calls accept, the next process reads.
  standin::RegistryReload();
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ("Software\\" + std::string(228, 'a')).c_str(), 0, KEY_READ, &key),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(RegistrySharing, SavesStayLinearInTheStoresSize)
{
  // The deepest chain of one-letter keys the name limit allows.
  std::string chain;
  for (int level = 0; level < 118; ++level)
    chain += "k\\";
  chain += "k";
  HKEY deepest = Create(chain);
  ASSERT_NE(deepest, nullptr);
  ASSERT_TRUE(SetDword(deepest, "v0000", 0));
  const off_t first = SizeOf(path);
  // One value line: value "vNNNN" dword 00 00 00 00
  const off_t line = static_cast<off_t>(std::string("value \"v0000\" dword 00 00 00 00\n").size());
  EXPECT_LT(first, 40000) << "bounded key lines";
  for (int n = 1; n < 1000; ++n) {
    char name[8];
    std::snprintf(name, sizeof name, "v%04d", n);
    ASSERT_TRUE(SetDword(deepest, name, static_cast<uint32_t>(n)));
    ASSERT_EQ(SizeOf(path), first + n * line) << "save " << n;
  }
  RegCloseKey(deepest);
}

TEST_F(RegistrySharing, ALargeValueLoadsInAboutTwiceTheStoresSize)
{
  // 20 MB of random bytes as one binary value: a store of 60 MB, under the
  // 64 MB cap, written as the store writes it.
  std::string bytes(20 << 20, '\0');
  std::mt19937 rng(11);
  for (char& c : bytes)
    c = static_cast<char>(rng());
  static const char kHex[] = "0123456789abcdef";
  std::string text = "lumivex-registry 1\nkey \"HKEY_LOCAL_MACHINE\"\nkey \"HKEY_CURRENT_USER\"\n"
                     "key \"HKEY_CURRENT_USER\" \"Software\"\nvalue \"Big\" binary";
  text.reserve(text.size() + 3 * bytes.size() + 1);
  for (const char c : bytes) {
    const unsigned char u = static_cast<unsigned char>(c);
    text += ' ';
    text += kHex[u >> 4];
    text += kHex[u & 15];
  }
  text += '\n';
  ASSERT_LT(text.size(), size_t{64} << 20);
  PutStore(text);

  // In a child: the load, the value read back exactly, and the memory all
  // of it took (the file's text, the tree and the 20 MB read back).
  const lvxtest::ChildRun run = lvxtest::RunInChild([&] {
    standin::RegistryReload();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) != ERROR_SUCCESS)
      return 1;
    std::string back(bytes.size() + 1, '\0');
    DWORD type = 0, size = static_cast<DWORD>(back.size());
    if (RegQueryValueExA(key, "big", nullptr, &type, reinterpret_cast<BYTE*>(back.data()), &size) != ERROR_SUCCESS ||
        type != REG_BINARY)
      return 2;
    back.resize(size);
    return back == bytes ? 0 : 3;
  });
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.result, 0) << "1: no key, 2: no value, 3: other bytes";
  EXPECT_LT(run.peakGrowthKb, static_cast<long>(2 * text.size() / 1024 + 20 * 1024))
      << "twice the store, and the copy read back";

  // Saving it again writes the same text.
  HKEY key = Create("Software");
  ASSERT_EQ(RegDeleteValueA(key, "none"), ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(SetDword(key, "Small", 7));
  ASSERT_EQ(RegDeleteValueA(key, "Small"), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(lvxtest::FileContents(path), text);
  // The tests after this one share the store's folder.
  unlink(path.c_str());
  standin::RegistryReload();
}

TEST_F(RegistrySharing, ReadsSeeWhatAnotherProcessSaved)
{
  HKEY key = Create("Software\\Shared");
  ASSERT_TRUE(SetDword(key, "Count", 1));
  ASSERT_TRUE(Succeeded(Spawn([] {
    HKEY mine = nullptr;
    return RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Shared", &mine) == ERROR_SUCCESS && SetDword(mine, "Count", 2) &&
           SetDword(mine, "Other", 3);
  })));
  // No reload: the open handle sees the other process's values.
  uint32_t count = 0, other = 0;
  EXPECT_TRUE(GetDword(key, "Count", &count));
  EXPECT_EQ(count, 2u);
  EXPECT_TRUE(GetDword(key, "Other", &other));
  EXPECT_EQ(other, 3u);
  // A change of this process keeps the other's value.
  ASSERT_TRUE(SetDword(key, "Mine", 4));
  standin::RegistryReload();
  EXPECT_TRUE(GetDword(key, "Other", &other));
  EXPECT_EQ(other, 3u);
  RegCloseKey(key);
}

TEST_F(RegistrySharing, TwoWritersAtOnceKeepEachOthersValues)
{
  HKEY key = Create("Software\\Both");
  RegCloseKey(key);
  auto writer = [](char who) {
    return [who] {
      HKEY mine = nullptr;
      if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Both", &mine) != ERROR_SUCCESS)
        return false;
      for (int i = 0; i < 500; ++i)
        if (!SetDword(mine, who + std::to_string(i), static_cast<uint32_t>(i)))
          return false;
      return true;
    };
  };
  const pid_t first = Spawn(writer('a'));
  const pid_t second = Spawn(writer('b'));
  EXPECT_TRUE(Succeeded(first));
  EXPECT_TRUE(Succeeded(second));
  // A third process reads all 1,000 back.
  EXPECT_TRUE(Succeeded(Spawn([] {
    HKEY reader = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Both", 0, KEY_READ, &reader) != ERROR_SUCCESS)
      return false;
    for (const char who : {'a', 'b'})
      for (int i = 0; i < 500; ++i) {
        uint32_t value = 0;
        if (!GetDword(reader, who + std::to_string(i), &value) || value != static_cast<uint32_t>(i))
          return false;
      }
    return true;
  })));
}

TEST_F(RegistrySharing, KilledWritersLoseNothingAndBlockNobody)
{
  HKEY key = Create("Software\\Survivor");
  ASSERT_TRUE(SetDword(key, "Kept", 7));
  standin::SetRegistryLockTimeout(5000);
  std::mt19937 random(14);
  for (int round = 0; round < 50; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = Spawn([&] {
      close(ready[0]);
      HKEY mine = nullptr;
      if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Survivor", &mine) != ERROR_SUCCESS)
        return false;
      for (uint32_t i = 0;; ++i) {
        SetDword(mine, "Busy" + std::to_string(i % 20), i);
        if (write(ready[1], "s", 1) != 1)
          return false;
      }
    });
    close(ready[1]);
    // Kill the writer after a random number of saves and a random spin, so
    // that death lands at a different point of a save each round.
    char saved;
    for (int wait = std::uniform_int_distribution<int>(1, 4)(random); wait > 0; --wait)
      ASSERT_EQ(read(ready[0], &saved, 1), 1);
    volatile int spin = std::uniform_int_distribution<int>(0, 200000)(random);
    while (spin > 0)
      spin = spin - 1;
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);

    // At most the killed writer's own temporary file, which the next save removes.
    for (const std::string& name : lvxtest::FolderEntries(folder))
      EXPECT_TRUE(name == "registry" || name == "registry.lock" ||
                  name.rfind("registry.tmp-" + std::to_string(child) + "-", 0) == 0)
          << name;
    EXPECT_EQ(lvxtest::FileContents(path).rfind("lumivex-registry 1\n", 0), 0u) << "the store is always a whole file";
    uint32_t kept = 0;
    ASSERT_TRUE(GetDword(key, "Kept", &kept));
    EXPECT_EQ(kept, 7u);
    ASSERT_TRUE(SetDword(key, "Round", static_cast<uint32_t>(round))) << "the next writer is not blocked";
  }
  EXPECT_LE(lvxtest::FolderEntries(folder).size(), 3u);
  RegCloseKey(key);
}

TEST_F(RegistrySharing, ALockHeldTooLongFailsTheChangeAndChangesNothing)
{
  HKEY key = Create("Software\\Locked");
  ASSERT_TRUE(SetDword(key, "Before", 1));
  const std::string before = lvxtest::FileContents(path);
  const int holder = open((folder + "/registry.lock").c_str(), O_RDWR);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  standin::SetRegistryLockTimeout(20);
  EXPECT_EQ(RegSetValueExA(key, "During", 0, REG_SZ, nullptr, 0), ERROR_WRITE_FAULT);
  EXPECT_EQ(lvxtest::FileContents(path), before);
  uint32_t value = 0;
  EXPECT_EQ(RegQueryValueExA(key, "During", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(GetDword(key, "Before", &value)) << "reads need no lock";
  close(holder);
  EXPECT_TRUE(SetDword(key, "After", 2));
  RegCloseKey(key);
}

TEST_F(RegistrySharing, ASaveThatFailsKeepsNeitherTheChangeNorATemporaryFile)
{
  HKEY key = Create("Software\\Unsaved");
  ASSERT_TRUE(SetDword(key, "Kept", 1));
  const std::string before = lvxtest::FileContents(path);
  // A child whose files may not grow past the store's size: its save fails
  // part way (SIGXFSZ ignored, so the write fails instead of killing it).
  const pid_t child = Spawn([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlim_t size = static_cast<rlim_t>(before.size());
    rlimit limit{size, size};
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::string name(200, 'x');
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ, nullptr, 0) == ERROR_WRITE_FAULT &&
           RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_FILE_NOT_FOUND;
  });
  EXPECT_TRUE(Succeeded(child)) << "the save failed and the process did not keep what it could not save";
  EXPECT_EQ(lvxtest::FileContents(path), before);
  EXPECT_EQ(lvxtest::FolderEntries(folder), (std::set<std::string>{"registry", "registry.lock"}));
  EXPECT_TRUE(SetDword(key, "Saved", 2));
  uint32_t kept = 0;
  EXPECT_TRUE(GetDword(key, "Kept", &kept));
  EXPECT_EQ(lvxtest::FolderEntries(folder), (std::set<std::string>{"registry", "registry.lock"}));
  RegCloseKey(key);
}
