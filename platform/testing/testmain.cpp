#include "lvxtest/testenv.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace lvxtest {
namespace {

std::string g_tempDir;

void RemoveTempDir()
{
  if (!g_tempDir.empty() && !std::getenv("LVX_KEEP_TEMP")) {
    std::error_code ec;
    std::filesystem::remove_all(g_tempDir, ec);
  }
}

// Fails every test that leaves failures recorded by the Windows stand-in
// (a message loop that would block forever, runaway loops), when the process
// has the stand-in loaded at all.
class StandinFailures : public testing::EmptyTestEventListener {
  void OnTestEnd(const testing::TestInfo&) override
  {
    using Report = const char* (*)();
    const auto report = reinterpret_cast<Report>(dlsym(RTLD_DEFAULT, "LvxStandinFailureReport"));
    if (const char* text = report ? report() : nullptr)
      ADD_FAILURE() << "The Windows stand-in recorded failures:\n" << text;
  }
};

} // namespace

const std::string& TempDir() { return g_tempDir; }

std::string SourceDir() { return LVX_SOURCE_DIR; }

std::string BuildDir() { return LVX_BUILD_DIR; }

std::string Source(const std::string& relative) { return SourceDir() + "/" + relative; }

std::string FileContents(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> FolderEntries(const std::string& folder)
{
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    names.insert(entry.path().filename().string());
  return names;
}

} // namespace lvxtest

int main(int argc, char** argv)
{
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/lvxtest-XXXXXX";
  if (char* dir = mkdtemp(pattern.data())) {
    lvxtest::g_tempDir = dir;
    std::atexit(lvxtest::RemoveTempDir);
    // No test ever touches a person's own registry store.
    if (!std::getenv("LVX_TEST_SHARED_REGISTRY"))
      setenv("LUMIVEX_REGISTRY", (lvxtest::g_tempDir + "/registry").c_str(), 1);
  }
  // No test opens a browser or viewer on a person's desktop: tests of the
  // opener point LUMIVEX_OPENER at a recording program of their own.
  setenv("LUMIVEX_OPENER", "", 1);
  // No test shows windows on a person's desktop, and none needs a display:
  // the tests of the X11 presenter give the programs they start a display
  // of their own.
  setenv("LUMIVEX_HEADLESS", "1", 1);
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new lvxtest::StandinFailures);
  return RUN_ALL_TESTS();
}
