#include "lvxtest/testenv.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
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

} // namespace

const std::string& TempDir() { return g_tempDir; }

std::string SourceDir() { return LVX_SOURCE_DIR; }

std::string BuildDir() { return LVX_BUILD_DIR; }

std::string Source(const std::string& relative) { return SourceDir() + "/" + relative; }

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
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
