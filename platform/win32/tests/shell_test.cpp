// Opening documents and addresses with the desktop's viewer, help files and
// file removal. The viewer is a recording script of the test's own that
// writes its arguments into a FIFO, which the test reads with a bounded wait.
#include "lvxtest/testenv.h"
#include "win32/automation.h"
#include "win32/files.h"
#include "win32/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// How long a test waits at most for the viewer's report.
constexpr int kReportWaitMs = 10000;

bool Exists(const std::string& path)
{
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

void WriteFile(const std::string& path, const std::string& text, mode_t mode)
{
  std::ofstream(path, std::ios::binary) << text;
  chmod(path.c_str(), mode);
}

// True when this process has no child left, running or unreaped.
bool NoChildren()
{
  int status = 0;
  return waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

class Opener : public ::testing::Test {
protected:
  void SetUp() override
  {
    dir = lvxtest::TempDir() + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    mkdir(dir.c_str(), 0755);
    fifo = dir + "/report";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    recorder = dir + "/recorder";
    WriteRecorder(recorder);
    const char* path = std::getenv("PATH");
    savedPath = path ? path : "";
    setenv("LUMIVEX_OPENER", recorder.c_str(), 1);
    standin::ClearShellRequests();
  }
  void TearDown() override
  {
    if (reader >= 0)
      close(reader);
    setenv("LUMIVEX_OPENER", "", 1);
    setenv("PATH", savedPath.c_str(), 1);
  }

  // A viewer that writes the number of its arguments and then each
  // argument, every one followed by a NUL byte, into the FIFO.
  void WriteRecorder(const std::string& path)
  {
    WriteFile(path,
              "#!/bin/sh\n"
              "printf '%s\\0' \"$#\" \"$@\" > '" +
                  fifo + "'\n",
              0755);
  }

  // Opens the FIFO's reading end; done before the viewer starts, so its
  // writer never blocks.
  void Listen()
  {
    if (reader >= 0)
      close(reader);
    reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
  }

  // What the viewer reported: its argument count, then its arguments.
  // Empty when nothing arrived within the wait.
  std::vector<std::string> Report()
  {
    std::string bytes;
    for (;;) {
      pollfd p{reader, POLLIN, 0};
      if (poll(&p, 1, kReportWaitMs) <= 0)
        break;
      char buffer[512];
      const ssize_t n = read(reader, buffer, sizeof buffer);
      if (n < 0 && errno == EAGAIN)
        continue;
      if (n <= 0)
        break; // the viewer closed its end
      bytes.append(buffer, static_cast<size_t>(n));
    }
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
      fields.push_back(bytes.substr(start, end - start));
    return fields;
  }

  static intptr_t Open(const char* target, const char* verb = "open")
  {
    return reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, verb, target, "", "", SW_SHOW));
  }

  std::string dir, fifo, recorder, savedPath;
  int reader = -1;
};

using OpenerWithoutViewer = Opener;
using Help = Opener;

} // namespace

TEST_F(Opener, AnAwkwardPathArrivesAsOneAbsoluteArgument)
{
  // Quotes, a command substitution, a separator and a leading '-' that a
  // shell or the viewer's option parser would act on.
  // The substitution would run in the viewer's folder, the test's own.
  const std::string name = "-n 'q' \"d\" ; $(touch ran) `touch ran2`.txt";
  WriteFile(dir + "/" + name, "x", 0644);
  char cwd[4096];
  ASSERT_TRUE(getcwd(cwd, sizeof cwd));
  ASSERT_EQ(chdir(dir.c_str()), 0);
  Listen();
  const intptr_t result = Open(name.c_str());
  ASSERT_EQ(chdir(cwd), 0);

  EXPECT_GT(result, 32);
  EXPECT_EQ(Report(), (std::vector<std::string>{"1", dir + "/" + name}));
  EXPECT_FALSE(Exists(dir + "/ran")) << "nothing was run through a shell";
  EXPECT_FALSE(Exists(dir + "/ran2"));
  ASSERT_EQ(standin::ShellRequests().size(), 1u);
  const standin::ShellRequest& r = standin::ShellRequests()[0];
  EXPECT_EQ(r.target, name) << "the log keeps the target as given";
  EXPECT_EQ(r.argument, dir + "/" + name);
  EXPECT_EQ(r.viewer, recorder);
  EXPECT_TRUE(r.started);
  EXPECT_EQ(r.result, result);
}

TEST_F(Opener, TheViewerGetsNoneOfTheCallersFiles)
{
  // A file the caller holds open without close-on-exec, as fopen leaves it.
  const std::string held = dir + "/held.txt";
  WriteFile(held, "x", 0644);
  const int fd = open(held.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  // A viewer that reports what its descriptors lead to.
  WriteFile(recorder,
            "#!/bin/sh\n"
            "for f in /proc/$$/fd/*; do readlink \"$f\"; done | tr '\\n' '\\0' > '" +
                fifo + "'\n",
            0755);
  Listen();
  EXPECT_GT(Open("https://www.example.org/"), 32);
  const std::vector<std::string> open = Report();
  close(fd);
  EXPECT_FALSE(open.empty());
  EXPECT_EQ(std::count(open.begin(), open.end(), held), 0) << "the viewer holds " << held;
}

TEST_F(Opener, AnAddressPassesUnchanged)
{
  const std::string address = "https://www.example.org/a b?q='x'&r=\"y\";$(touch " + dir + "/ran)";
  Listen();
  EXPECT_GT(Open(address.c_str()), 32);
  EXPECT_EQ(Report(), (std::vector<std::string>{"1", address}));
  EXPECT_FALSE(Exists(dir + "/ran"));

  // mailto: has no slashes, and a scheme may hold '+', '-' and '.'.
  for (const char* other : {"mailto:someone@example.org", "svn+ssh://host/x", "x-y.z://a"}) {
    Listen();
    EXPECT_GT(Open(other), 32) << other;
    EXPECT_EQ(Report(), (std::vector<std::string>{"1", other}));
  }
  // One letter and "://" is a drive path, which must exist.
  EXPECT_EQ(Open("C://no-such-file-here"), ERROR_FILE_NOT_FOUND);
}

TEST_F(Opener, XdgOpenOnThePathIsTheViewerWhenTheVariableIsUnset)
{
  const std::string bin = dir + "/bin";
  mkdir(bin.c_str(), 0755);
  WriteRecorder(bin + "/xdg-open");
  unsetenv("LUMIVEX_OPENER");
  setenv("PATH", (bin + ":" + savedPath).c_str(), 1);
  Listen();
  EXPECT_GT(Open("https://www.example.org/"), 32);
  EXPECT_EQ(Report(), (std::vector<std::string>{"1", "https://www.example.org/"}));
  EXPECT_EQ(standin::ShellRequests().back().viewer, bin + "/xdg-open");

  // A bare name in the variable is searched on PATH as well.
  WriteRecorder(bin + "/my-viewer");
  setenv("LUMIVEX_OPENER", "my-viewer", 1);
  Listen();
  EXPECT_GT(Open("https://www.example.org/"), 32);
  EXPECT_EQ(Report().size(), 2u);
  EXPECT_EQ(standin::ShellRequests().back().viewer, bin + "/my-viewer");
}

TEST_F(OpenerWithoutViewer, ReturnsAtOnceStartsNothingAndLeavesNoChild)
{
  const std::string empty = dir + "/empty";
  mkdir(empty.c_str(), 0755);
  struct Case {
    const char* what;
    bool unset;
    std::string opener;
  } cases[] = {{"variable empty", false, ""},
               {"unset, no xdg-open on PATH", true, ""},
               {"a name found nowhere on PATH", false, "no-such-viewer"}};
  for (const Case& c : cases) {
    if (c.unset)
      unsetenv("LUMIVEX_OPENER");
    else
      setenv("LUMIVEX_OPENER", c.opener.c_str(), 1);
    setenv("PATH", empty.c_str(), 1);
    standin::ClearShellRequests();
    EXPECT_EQ(Open("https://www.example.org/"), SE_ERR_NOASSOC) << c.what;
    ASSERT_EQ(standin::ShellRequests().size(), 1u);
    EXPECT_FALSE(standin::ShellRequests()[0].started) << c.what;
    EXPECT_EQ(standin::ShellRequests()[0].argument, "") << c.what;
    EXPECT_EQ(standin::ShellRequests()[0].viewer, "") << c.what;
    EXPECT_TRUE(NoChildren()) << c.what;
  }
}

TEST_F(OpenerWithoutViewer, AViewerThatCannotBeExecutedIsAnErrorAndLeavesNoChild)
{
  const std::string plain = dir + "/not-executable";
  WriteFile(plain, "#!/bin/sh\nexit 0\n", 0644);
  for (const std::string& viewer : {plain, dir + "/missing", dir}) {
    setenv("LUMIVEX_OPENER", viewer.c_str(), 1);
    standin::ClearShellRequests();
    EXPECT_EQ(Open("https://www.example.org/"), SE_ERR_NOASSOC) << viewer;
    EXPECT_FALSE(standin::ShellRequests().back().started) << viewer;
    EXPECT_EQ(standin::ShellRequests().back().viewer, viewer) << "it was tried";
    EXPECT_TRUE(NoChildren()) << viewer;
  }
}

TEST_F(Opener, MissingFilesOtherVerbsAndDrivePaths)
{
  EXPECT_EQ(Open((dir + "/missing.txt").c_str()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(""), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(nullptr), ERROR_FILE_NOT_FOUND);
  WriteFile(dir + "/Doc.txt", "x", 0644);
  EXPECT_EQ(Open((dir + "/Doc.txt").c_str(), "print"), SE_ERR_NOASSOC);
  EXPECT_EQ(Open((dir + "/Doc.txt").c_str(), "edit"), SE_ERR_NOASSOC);
  for (const standin::ShellRequest& r : standin::ShellRequests())
    EXPECT_FALSE(r.started);
  EXPECT_TRUE(NoChildren());

  // A drive path is mapped (and its name resolved without regard to case);
  // a null verb means "open".
  standin::SetDrive('D', dir.c_str(), DRIVE_FIXED);
  Listen();
  EXPECT_GT(Open("D:\\doc.TXT", nullptr), 32);
  standin::SetDrive('D', nullptr, DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(Report(), (std::vector<std::string>{"1", dir + "/Doc.txt"}));
}

TEST_F(Opener, EveryRequestIsLoggedWithWhatItWasGiven)
{
  HWND owner = reinterpret_cast<HWND>(uintptr_t{0x77});
  Listen();
  const intptr_t result =
      reinterpret_cast<intptr_t>(ShellExecuteA(owner, "open", "https://www.example.org/", "-x", "C:\\Work", 3));
  Report();
  ASSERT_EQ(standin::ShellRequests().size(), 1u);
  const standin::ShellRequest& r = standin::ShellRequests()[0];
  EXPECT_EQ(r.kind, "ShellExecute");
  EXPECT_EQ(r.owner, owner);
  EXPECT_EQ(r.verb, "open");
  EXPECT_EQ(r.parameters, "-x") << "logged, never passed on";
  EXPECT_EQ(r.directory, "C:\\Work");
  EXPECT_EQ(r.show, 3);
  EXPECT_EQ(r.result, result);
  standin::ClearShellRequests();
  EXPECT_TRUE(standin::ShellRequests().empty());
}

TEST_F(OpenerWithoutViewer, EchoTellsOfRequestsThatOpenedNothing)
{
  standin::EchoDialogs(true);
  Listen();
  ::testing::internal::CaptureStderr();
  Open("https://www.example.org/");
  Report();
  const std::string quiet = ::testing::internal::GetCapturedStderr();
  setenv("LUMIVEX_OPENER", "", 1);
  ::testing::internal::CaptureStderr();
  Open("https://www.example.org/");
  const std::string told = ::testing::internal::GetCapturedStderr();
  standin::EchoDialogs(false);
  EXPECT_EQ(quiet, "") << "a viewer started: nothing to tell";
  EXPECT_NE(told.find("https://www.example.org/"), std::string::npos) << told;
  EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1);
}

TEST_F(Help, ContentsOpensTheFileQuitDoesNothingOthersFail)
{
  WriteFile(dir + "/Guide.hlp", "help", 0644);
  HWND owner = reinterpret_cast<HWND>(uintptr_t{0x99});
  Listen();
  EXPECT_EQ(WinHelpA(owner, (dir + "/Guide.hlp").c_str(), HELP_CONTENTS, 0), TRUE);
  EXPECT_EQ(Report(), (std::vector<std::string>{"1", dir + "/Guide.hlp"}));
  EXPECT_EQ(WinHelpA(owner, (dir + "/Guide.hlp").c_str(), HELP_QUIT, 0), TRUE);
  EXPECT_EQ(WinHelpA(owner, (dir + "/Guide.hlp").c_str(), 1, 0), FALSE);
  EXPECT_EQ(WinHelpA(owner, (dir + "/missing.hlp").c_str(), HELP_CONTENTS, 0), FALSE);
  setenv("LUMIVEX_OPENER", "", 1);
  EXPECT_EQ(WinHelpA(owner, (dir + "/Guide.hlp").c_str(), HELP_CONTENTS, 0), FALSE);

  const auto& log = standin::ShellRequests();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].kind, "WinHelp");
  EXPECT_EQ(log[0].owner, owner);
  EXPECT_EQ(log[0].command, UINT(HELP_CONTENTS));
  EXPECT_TRUE(log[0].started);
  for (size_t i = 1; i < log.size(); ++i)
    EXPECT_FALSE(log[i].started) << i;
  EXPECT_EQ(log[1].command, UINT(HELP_QUIT));
  EXPECT_TRUE(NoChildren());
}

TEST(DeleteFile, RemovesRegularFilesOnly)
{
  const std::string dir = lvxtest::TempDir() + "/delete";
  mkdir(dir.c_str(), 0755);
  WriteFile(dir + "/Old.cxp", "x", 0644);
  standin::SetDrive('D', dir.c_str(), DRIVE_FIXED);
  EXPECT_EQ(DeleteFileA("D:\\old.cxp"), TRUE) << "mapped like CreateFileA";
  standin::SetDrive('D', nullptr, DRIVE_NO_ROOT_DIR);
  EXPECT_FALSE(Exists(dir + "/Old.cxp"));

  EXPECT_EQ(DeleteFileA((dir + "/Old.cxp").c_str()), FALSE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  const std::string folder = dir + "/folder";
  mkdir(folder.c_str(), 0755);
  EXPECT_EQ(DeleteFileA(folder.c_str()), FALSE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(Exists(folder));

  // A device is never removed, even where permissions would allow it.
  EXPECT_EQ(DeleteFileA("/dev/null"), FALSE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(Exists("/dev/null"));

  const std::string link = dir + "/link";
  ASSERT_EQ(symlink(folder.c_str(), link.c_str()), 0);
  EXPECT_EQ(DeleteFileA(link.c_str()), FALSE) << "a link is not a regular file";
  EXPECT_TRUE(Exists(link));
}
