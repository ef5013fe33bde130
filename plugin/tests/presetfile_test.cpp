// Preset files: reading only whole 64-byte records, and writing that never
// reports a failed write as a success nor leaves a cut file behind.
#include "apptest.h"
#include "presetfile.h"
#include "presetrecord.h"
#include "qvcommon/qvfilespec.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

bool Exists(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::vector<uint8_t> Record()
{
  PresetRecord r = PresetRecord::Defaults();
  r.red = -12;
  return r.Bytes();
}

} // namespace

TEST(PresetFileRead, OnlyAWholeRecordIsTaken)
{
  const std::vector<uint8_t> bytes = Record();
  const std::string good = Temp("good.cxp");
  apptest::WriteText(good, std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(presetfile::Read(QVFileSpec(good.c_str())), bytes);

  const struct {
    const char* name;
    size_t size;
  } bad[] = {{"empty.cxp", 0}, {"short.cxp", 63}, {"long.cxp", 65}, {"big.cxp", 4096}};
  for (const auto& b : bad) {
    apptest::WriteText(Temp(b.name), std::string(b.size, 'x'));
    EXPECT_TRUE(presetfile::Read(QVFileSpec(Temp(b.name).c_str())).empty()) << b.name;
  }
  EXPECT_TRUE(presetfile::Read(QVFileSpec(Temp("missing.cxp").c_str())).empty());
  EXPECT_TRUE(presetfile::Read(QVFileSpec(lvxtest::TempDir().c_str())).empty()) << "a folder";
}

TEST(PresetFileRead, AReadOnlyFileStillReads)
{
  const std::vector<uint8_t> bytes = Record();
  const std::string path = Temp("shipped.cxp");
  apptest::WriteText(path, std::string(bytes.begin(), bytes.end()));
  chmod(path.c_str(), 0444);
  EXPECT_EQ(presetfile::Read(QVFileSpec(path.c_str())), bytes);
}

TEST(PresetFileWrite, WritesTheBytesAsTheyAre)
{
  const std::string path = Temp("out.cxp");
  apptest::WriteText(path, std::string(500, 'o')); // an older, longer file is replaced
  EXPECT_TRUE(presetfile::Write(QVFileSpec(path.c_str()), Record()));
  const std::string text = apptest::ReadText(path);
  EXPECT_EQ(std::vector<uint8_t>(text.begin(), text.end()), Record());
}

TEST(PresetFileWrite, AFullDeviceFailsAndIsLeftAlone)
{
  struct stat before;
  ASSERT_EQ(stat("/dev/full", &before), 0);
  EXPECT_FALSE(presetfile::Write(QVFileSpec("/dev/full"), Record()));
  struct stat after;
  ASSERT_EQ(stat("/dev/full", &after), 0) << "not removed";
  EXPECT_TRUE(S_ISCHR(after.st_mode));
  EXPECT_EQ(after.st_rdev, before.st_rdev);
}

TEST(PresetFileWrite, AFileCutShortIsRemoved)
{
  // A child process whose files may not grow past 10 bytes: the write stops
  // part way (SIGXFSZ ignored, so it fails instead of killing the process).
  const std::string path = Temp("cut.cxp");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{10, 10};
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool written = presetfile::Write(QVFileSpec(path.c_str()), Record());
    _exit(written ? 1 : (Exists(path) ? 2 : 0));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: reported as written; 2: the cut file was left";
  EXPECT_FALSE(Exists(path));
}

TEST(PresetFileWrite, AReadOnlyFileIsNeitherChangedNorRemoved)
{
  if (geteuid() == 0)
    GTEST_SKIP() << "root may write any file";
  const std::string path = Temp("locked.cxp");
  apptest::WriteText(path, "keep me");
  chmod(path.c_str(), 0444);
  EXPECT_FALSE(presetfile::Write(QVFileSpec(path.c_str()), Record()));
  EXPECT_EQ(apptest::ReadText(path), "keep me");
}
