// Files that are never lost: the replacement file every writer uses (a
// temporary file beside the target, renamed into place), the bounded reader
// of text inputs, the interrupt flag, and the snapshots that write through
// them. Full disks are small tmpfs mounts; devices are made with mknod.
#include "lvxtest/testenv.h"
#include "lvxtest/tinyfs.h"
#include "win32/automation.h"
#include "win32/interrupts.h"
#include "win32/replacementfile.h"
#include "win32/textfile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using standin::ReplacementFile;

class SafeFiles : public ::testing::Test {
protected:
  void SetUp() override
  {
    static int counter = 0;
    folder = lvxtest::TempDir() + "/safe-" + std::to_string(++counter);
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  }
  void TearDown() override { standin::SetInterruptSignal(0); }

  std::string Path(const std::string& name) const { return folder + "/" + name; }
  void Put(const std::string& name, const std::string& text) const
  {
    std::ofstream(Path(name), std::ios::binary) << text;
  }
  std::set<std::string> Entries() const { return lvxtest::FolderEntries(folder); }

  std::string folder;
};

mode_t ModeOf(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

// A dead process's pid: a child that has ended and been reaped.
pid_t DeadPid()
{
  const pid_t child = fork();
  if (child == 0)
    _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

TEST_F(SafeFiles, ACommitReplacesTheTargetWholeAndLeavesNothingBeside)
{
  Put("old.txt", "an older and longer text");
  chmod(Path("old.txt").c_str(), 0640);
  ReplacementFile file(Path("old.txt"));
  std::string why;
  ASSERT_TRUE(file.Open(&why)) << why;
  EXPECT_EQ(file.TemporaryPath().rfind(Path("old.txt.tmp-") + std::to_string(getpid()) + "-", 0), 0u)
      << file.TemporaryPath();
  ASSERT_TRUE(file.Write("new"));
  EXPECT_EQ(lvxtest::FileContents(Path("old.txt")), "an older and longer text") << "untouched until the commit";
  ASSERT_TRUE(file.Commit(&why)) << why;
  EXPECT_EQ(lvxtest::FileContents(Path("old.txt")), "new");
  EXPECT_EQ(ModeOf(Path("old.txt")) & 07777, 0640u) << "a replaced file keeps its mode";
  EXPECT_EQ(Entries(), (std::set<std::string>{"old.txt"}));

  const mode_t mask = umask(022);
  ASSERT_TRUE(standin::WriteWholeFile(Path("new.txt"), "x", &why)) << why;
  umask(mask);
  EXPECT_EQ(ModeOf(Path("new.txt")) & 07777, 0644u) << "a new file: 0666 less the umask";
  ASSERT_TRUE(standin::WriteWholeFile(Path("private"), "x", &why, ReplacementFile::Options{false, 0600}));
  EXPECT_EQ(ModeOf(Path("private")) & 07777, 0600u);
}

TEST_F(SafeFiles, OnlyARegularFileIsEverReplaced)
{
  ASSERT_EQ(mkdir(Path("folder").c_str(), 0700), 0);
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  std::string why;
  EXPECT_FALSE(standin::WriteWholeFile(Path("folder"), "x", &why));
  EXPECT_EQ(why, "is a directory");
  EXPECT_FALSE(standin::WriteWholeFile(Path("folder") + "/", "x", &why));
  EXPECT_EQ(why, "is a directory");
  EXPECT_FALSE(standin::WriteWholeFile(Path("fifo"), "x", &why));
  EXPECT_EQ(why, "not a regular file");
  EXPECT_FALSE(standin::WriteWholeFile(Path("missing/file"), "x", &why));
  EXPECT_EQ(why, "No such file or directory") << "no folder is made";
  EXPECT_TRUE(S_ISDIR(ModeOf(Path("folder"))));
  EXPECT_TRUE(S_ISFIFO(ModeOf(Path("fifo"))));
  EXPECT_EQ(Entries(), (std::set<std::string>{"folder", "fifo"}));

  // As root a rename would replace a device node like any file.
  if (geteuid() != 0)
    GTEST_SKIP() << "mknod needs root";
  ASSERT_EQ(mknod(Path("full").c_str(), S_IFCHR | 0600, makedev(1, 7)), 0);
  EXPECT_FALSE(standin::WriteWholeFile(Path("full"), "x", &why));
  EXPECT_EQ(why, "not a regular file");
  struct stat st;
  ASSERT_EQ(stat(Path("full").c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(st.st_rdev, makedev(1, 7));
}

TEST_F(SafeFiles, AnInterruptStopsTheWriteAndKeepsTheOldFile)
{
  Put("out", "old");
  std::string why;
  {
    ReplacementFile file(Path("out"));
    ASSERT_TRUE(file.Open(&why));
    ASSERT_TRUE(file.Write("part"));
    standin::SetInterruptSignal(SIGINT);
    // A buffer's worth more reaches the write function, which refuses it.
    EXPECT_FALSE(file.Write(std::string(1 << 20, 'x')));
    EXPECT_FALSE(file.Commit(&why));
    EXPECT_EQ(why, "interrupted");
    EXPECT_TRUE(file.Interrupted());
  }
  EXPECT_EQ(lvxtest::FileContents(Path("out")), "old");
  EXPECT_EQ(Entries(), (std::set<std::string>{"out"}));

  // Written whole but interrupted before the rename: not committed either.
  standin::SetInterruptSignal(0);
  ReplacementFile late(Path("out"));
  ASSERT_TRUE(late.Open(&why) && late.Write("new") && late.Finish(&why));
  standin::SetInterruptSignal(SIGTERM);
  EXPECT_FALSE(late.Commit(&why));
  EXPECT_EQ(lvxtest::FileContents(Path("out")), "old");

  // The registry's kind of file finishes what it began.
  EXPECT_TRUE(standin::WriteWholeFile(Path("out"), "kept on", &why, ReplacementFile::Options{false, 0})) << why;
  EXPECT_EQ(lvxtest::FileContents(Path("out")), "kept on");
  EXPECT_EQ(Entries(), (std::set<std::string>{"out"}));
}

TEST_F(SafeFiles, AFullDiskFailsWithItsReasonAndKeepsTheOldFile)
{
  lvxtest::TinyFileSystem disk("disk-" + std::to_string(getpid()), 64);
  if (!disk.Mounted())
    GTEST_SKIP() << disk.Problem();
  std::string why;
  ASSERT_TRUE(standin::WriteWholeFile(disk.Path("keep"), "the old content", &why)) << why;
  ASSERT_TRUE(disk.Fill("filler"));
  EXPECT_FALSE(standin::WriteWholeFile(disk.Path("keep"), std::string(200000, 'n'), &why));
  EXPECT_EQ(why, "No space left on device");
  EXPECT_EQ(lvxtest::FileContents(disk.Path("keep")), "the old content");
  EXPECT_EQ(lvxtest::FolderEntries(disk.Folder()), (std::set<std::string>{"keep", "filler"}));
}

TEST_F(SafeFiles, TheNextWriteRemovesOnlyTheTemporaryFilesOfDeadProcesses)
{
  const std::string dead = std::to_string(DeadPid());
  const std::string alive = std::to_string(getppid());
  const std::string own = std::to_string(getpid());
  for (const std::string& name :
       {"out.png.tmp-" + dead + "-0", "out.png.tmp-" + dead + "-12", "out.png.tmp-" + alive + "-0",
        "out.png.tmp-" + own + "-99", "out.png.tmp-" + dead + "-x", "out.png.tmp-" + dead,
        "other.png.tmp-" + dead + "-0", std::string("out.png")})
    Put(name, "left behind");
  ASSERT_EQ(mkdir(Path("out.png.tmp-" + dead + "-3").c_str(), 0700), 0) << "not a regular file: kept";
  std::string why;
  ASSERT_TRUE(standin::WriteWholeFile(Path("out.png"), "new", &why)) << why;
  EXPECT_EQ(Entries(), (std::set<std::string>{"out.png", "out.png.tmp-" + alive + "-0", "out.png.tmp-" + own + "-99",
                                              "out.png.tmp-" + dead + "-x", "out.png.tmp-" + dead,
                                              "out.png.tmp-" + dead + "-3", "other.png.tmp-" + dead + "-0"}));
  // A write that fails cleans nothing.
  Put("out.png.tmp-" + dead + "-5", "left behind");
  standin::SetInterruptSignal(SIGINT);
  EXPECT_FALSE(standin::WriteWholeFile(Path("out.png"), "newer", &why));
  EXPECT_TRUE(Entries().count("out.png.tmp-" + dead + "-5"));
}

TEST_F(SafeFiles, TheTextReaderTakesOnlyBoundedRegularFiles)
{
  std::string text = "unchanged", why;
  Put("ok.txt", "abc");
  ASSERT_TRUE(standin::ReadTextFile(Path("ok.txt"), 3, &text, &why)) << why;
  EXPECT_EQ(text, "abc");

  text = "unchanged";
  EXPECT_FALSE(standin::ReadTextFile(folder, 1 << 20, &text, &why));
  EXPECT_EQ(why, "is a directory");
  EXPECT_FALSE(standin::ReadTextFile("/dev/zero", 1 << 20, &text, &why));
  EXPECT_EQ(why, "not a regular file");
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(standin::ReadTextFile(Path("fifo"), 1 << 20, &text, &why)) << "refused without waiting for a writer";
  EXPECT_EQ(why, "not a regular file");
  EXPECT_FALSE(standin::ReadTextFile(Path("ok.txt"), 2, &text, &why));
  EXPECT_EQ(why, "is larger than 2 bytes");
  EXPECT_FALSE(standin::ReadTextFile(Path("missing"), 1 << 20, &text, &why));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(why, "cannot be read: No such file or directory");

  // A sparse file one byte over the registry's 64 MB: refused before a byte is read.
  const int fd = open(Path("sparse").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(standin::kTextFileLimit) + 1), 0);
  close(fd);
  EXPECT_FALSE(standin::ReadTextFile(Path("sparse"), standin::kTextFileLimit, &text, &why));
  EXPECT_EQ(why, "is larger than 64 MB");
  EXPECT_EQ(errno, EFBIG);
  EXPECT_EQ(text, "unchanged");
}

// In a child: the first signal sets the flag, a second one ends the process.
TEST(Interrupts, TheFirstSignalSetsTheFlagAndASecondEndsTheProcess)
{
  for (const int first : {SIGINT, SIGTERM}) {
    const pid_t child = fork();
    if (child == 0) {
      standin::CatchInterrupts();
      if (standin::InterruptSignal() != 0)
        _exit(10);
      raise(first);
      if (standin::InterruptSignal() != first)
        _exit(11);
      raise(first == SIGINT ? SIGTERM : SIGINT); // either one ends it now
      _exit(12);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exited with " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), first == SIGINT ? SIGTERM : SIGINT);
  }
  EXPECT_EQ(standin::InterruptedExitStatus(SIGINT), 130);
  EXPECT_EQ(standin::InterruptedExitStatus(SIGTERM), 143);
}

TEST(Interrupts, ASignalStartedIgnoredStaysIgnored)
{
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGINT, SIG_IGN);
    standin::CatchInterrupts();
    raise(SIGINT);
    _exit(standin::InterruptSignal() == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

class Snapshots : public SafeFiles {
protected:
  void SetUp() override
  {
    SafeFiles::SetUp();
    window = standin::CreateSurfaceWindow(16, 8);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override
  {
    standin::DestroySurfaceWindow(window);
    SafeFiles::TearDown();
  }
  bool Snap(const std::string& path, std::string* why) { return standin::SnapshotPng(window, path.c_str(), why); }

  HWND window = nullptr;
};

TEST_F(Snapshots, ASnapshotNeverRemovesOrTruncatesWhatWasAtItsPath)
{
  std::string why;
  ASSERT_TRUE(Snap(Path("shot.png"), &why)) << why;
  const std::string first = lvxtest::FileContents(Path("shot.png"));
  EXPECT_EQ(first.substr(1, 3), "PNG");
  EXPECT_FALSE(Snap(Path("no/folder/shot.png"), &why));
  EXPECT_EQ(why, "No such file or directory");
  EXPECT_FALSE(Snap(folder, &why));
  EXPECT_EQ(why, "is a directory");
  EXPECT_EQ(Entries(), (std::set<std::string>{"shot.png"}));

  // The device node the snapshot once deleted, made here in the test's folder.
  if (geteuid() != 0)
    GTEST_SKIP() << "mknod needs root";
  ASSERT_EQ(mknod(Path("full").c_str(), S_IFCHR | 0600, makedev(1, 7)), 0);
  EXPECT_FALSE(Snap(Path("full"), &why));
  EXPECT_EQ(why, "not a regular file");
  struct stat st;
  ASSERT_EQ(stat(Path("full").c_str(), &st), 0) << "still there";
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(st.st_rdev, makedev(1, 7));
  EXPECT_EQ(Entries(), (std::set<std::string>{"shot.png", "full"}));
}

TEST_F(Snapshots, ASnapshotOnAFullDiskKeepsTheEarlierOne)
{
  lvxtest::TinyFileSystem disk("shots-" + std::to_string(getpid()), 64);
  if (!disk.Mounted())
    GTEST_SKIP() << disk.Problem();
  std::string why;
  ASSERT_TRUE(Snap(disk.Path("shot.png"), &why)) << why;
  const std::string before = lvxtest::FileContents(disk.Path("shot.png"));
  ASSERT_TRUE(disk.Fill("filler"));
  EXPECT_FALSE(Snap(disk.Path("shot.png"), &why));
  EXPECT_EQ(why, "No space left on device");
  EXPECT_EQ(lvxtest::FileContents(disk.Path("shot.png")), before);
  EXPECT_EQ(lvxtest::FolderEntries(disk.Folder()), (std::set<std::string>{"shot.png", "filler"}));
}

} // namespace
