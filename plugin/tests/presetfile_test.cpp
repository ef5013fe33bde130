// Preset files: reading only whole 64-byte records, and writing that never
// reports a failed write as a success, leaves a cut file behind or loses the
// file that was there.
#include "apptest.h"
#include "lvxtest/tinyfs.h"
#include "presetfile.h"
#include "presetrecord.h"
#include "qvcommon/qvfilespec.h"

#include <csignal>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using apptest::TempPath;

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
  const std::string good = TempPath("good.cxp");
  apptest::WriteText(good, std::string(bytes.begin(), bytes.end()));
  EXPECT_EQ(presetfile::Read(QVFileSpec(good.c_str())), bytes);

  const struct {
    const char* name;
    size_t size;
  } bad[] = {{"empty.cxp", 0}, {"short.cxp", 63}, {"long.cxp", 65}, {"big.cxp", 4096}};
  for (const auto& b : bad) {
    apptest::WriteText(TempPath(b.name), std::string(b.size, 'x'));
    EXPECT_TRUE(presetfile::Read(QVFileSpec(TempPath(b.name).c_str())).empty()) << b.name;
  }
  EXPECT_TRUE(presetfile::Read(QVFileSpec(TempPath("missing.cxp").c_str())).empty());
  EXPECT_TRUE(presetfile::Read(QVFileSpec(lvxtest::TempDir().c_str())).empty()) << "a folder";
}

TEST(PresetFileRead, AReadOnlyFileStillReads)
{
  const std::vector<uint8_t> bytes = Record();
  const std::string path = TempPath("shipped.cxp");
  apptest::WriteText(path, std::string(bytes.begin(), bytes.end()));
  chmod(path.c_str(), 0444);
  EXPECT_EQ(presetfile::Read(QVFileSpec(path.c_str())), bytes);
}

TEST(PresetFileWrite, WritesTheBytesAsTheyAre)
{
  const std::string path = TempPath("out.cxp");
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

TEST(PresetFileWrite, AnExportCutShortKeepsTheEarlierFile)
{
  // A child process whose files may not grow past 10 bytes: the write stops
  // part way (SIGXFSZ ignored, so it fails instead of killing the process).
  // This works as root too, where a read-only folder would not stop it.
  const std::string folder = TempPath("cut");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string path = folder + "/cut.cxp";
  apptest::WriteText(path, "the earlier preset");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{10, 10};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(presetfile::Write(QVFileSpec(path.c_str()), Record()) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "reported as written";
  EXPECT_EQ(apptest::ReadText(path), "the earlier preset");
  EXPECT_EQ(lvxtest::FolderEntries(folder), (std::set<std::string>{"cut.cxp"})) << "no temporary file left";
}

TEST(PresetFileWrite, AnExportToAFullDiskKeepsTheEarlierFile)
{
  lvxtest::TinyFileSystem disk("presets", 16);
  if (!disk.Mounted())
    GTEST_SKIP() << disk.Problem();
  const std::string path = disk.Path("warm.cxp");
  apptest::WriteText(path, "the earlier preset");
  ASSERT_TRUE(disk.Fill("filler"));
  EXPECT_FALSE(presetfile::Write(QVFileSpec(path.c_str()), Record()));
  EXPECT_EQ(apptest::ReadText(path), "the earlier preset");
  EXPECT_EQ(lvxtest::FolderEntries(disk.Folder()), (std::set<std::string>{"warm.cxp", "filler"}));
}

TEST(PresetFileWrite, AReadOnlyFileIsNeitherChangedNorRemoved)
{
  lvxtest::TinyFileSystem disk("locked", 16);
  const std::string path = disk.Path("locked.cxp");
  apptest::WriteText(path, "keep me");
  ASSERT_TRUE(disk.MakeReadOnly("locked.cxp"));
  EXPECT_FALSE(presetfile::Write(QVFileSpec(path.c_str()), Record()));
  EXPECT_EQ(apptest::ReadText(path), "keep me");
}
