// Documents and addresses opened with the desktop's viewer, help files, and
// the removal of files. The viewer is started with an argument vector of its
// own name and the target, detached from this process (a double fork, so no
// zombie is left behind) and never waited for; a close-on-exec pipe tells
// whether the exec itself succeeded.
#include "win32/shell.h"
#include "handles.h"
#include "win32/automation.h"
#include "win32/files.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using standin::detail::Fail;

// What ShellExecuteA returns when the viewer started: any value above 32.
constexpr intptr_t kStarted = 42;

std::vector<standin::ShellRequest>& Requests()
{
  static auto* requests = new std::vector<standin::ShellRequest>;
  return *requests;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// "scheme://..." with a scheme of a letter followed by at least one letter,
// digit, '+', '-' or '.' (so "C://x" stays a drive path), or "mailto:...".
bool IsAddress(const std::string& text)
{
  if (text.size() >= 7 && strncasecmp(text.c_str(), "mailto:", 7) == 0)
    return true;
  if (text.empty() || !IsAsciiLetter(text[0]))
    return false;
  size_t i = 1;
  while (i < text.size() &&
         (IsAsciiLetter(text[i]) || IsAsciiDigit(text[i]) || text[i] == '+' || text[i] == '-' || text[i] == '.'))
    ++i;
  return i >= 2 && text.compare(i, 3, "://") == 0;
}

bool IsExecutableFile(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The first executable file `name` in the folders of PATH; empty when none.
std::string SearchPath(const std::string& name)
{
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos)
      end = folders.size();
    std::string folder = folders.substr(start, end - start);
    start = end + 1;
    if (folder.empty())
      folder = ".";
    const std::string candidate = folder + "/" + name;
    if (IsExecutableFile(candidate))
      return candidate;
  }
  return {};
}

// The viewer's path; empty when there is none.
std::string FindViewer()
{
  const char* opener = std::getenv("LUMIVEX_OPENER");
  if (!opener)
    return SearchPath("xdg-open");
  const std::string name = opener;
  if (name.empty())
    return {};
  // A name with a separator is a path, used as it is (a path that cannot be
  // executed fails at the exec and is reported then).
  if (name.find('/') != std::string::npos)
    return name;
  return SearchPath(name);
}

// The path `target` names, mapped and made absolute; false (with the
// Win32 error) when it cannot be mapped or does not exist.
bool ResolveTarget(const std::string& target, std::string& absolute, DWORD& error)
{
  std::string native;
  struct stat st;
  if (target.empty() || !standin::MapPath(target.c_str(), native) || stat(native.c_str(), &st) != 0) {
    error = ERROR_FILE_NOT_FOUND;
    return false;
  }
  if (native[0] != '/') {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) {
      error = ERROR_FILE_NOT_FOUND;
      return false;
    }
    native = std::string(cwd) + "/" + native;
  }
  absolute = native;
  return true;
}

// Writes the error number to the report pipe and ends the process. Only
// async-signal-safe calls: this runs between fork and exec.
[[noreturn]] void ReportAndExit(int fd, int error)
{
  ssize_t ignored = write(fd, &error, sizeof error);
  (void)ignored;
  _exit(127);
}

// Starts `viewer` with the argument `argument`, detached. True when the
// exec succeeded.
bool Launch(const std::string& viewer, const std::string& argument)
{
  // Everything the children need is made before forking.
  std::vector<char> viewerText(viewer.begin(), viewer.end());
  viewerText.push_back('\0');
  std::vector<char> argumentText(argument.begin(), argument.end());
  argumentText.push_back('\0');
  char* const argv[] = {viewerText.data(), argumentText.data(), nullptr};

  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0)
    return false;
  const pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (child == 0) {
    close(report[0]);
    const pid_t grandchild = fork();
    if (grandchild < 0)
      ReportAndExit(report[1], errno);
    if (grandchild > 0)
      _exit(0);
    // The viewer: default signal handling, nothing blocked, no terminal.
    for (int signal = 1; signal < NSIG; ++signal)
      if (signal != SIGKILL && signal != SIGSTOP)
        ::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    setsid();
    const int null = open("/dev/null", O_RDWR);
    if (null < 0)
      ReportAndExit(report[1], errno);
    dup2(null, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    if (null > STDERR_FILENO)
      close(null);
    // Nothing else of this process's goes with the viewer (files opened
    // without close-on-exec among them); the report pipe closes at the exec.
    if (report[1] > STDERR_FILENO + 1)
      close_range(STDERR_FILENO + 1, unsigned(report[1] - 1), 0);
    close_range(unsigned(report[1] + 1), ~0u, 0);
    execv(argv[0], argv);
    ReportAndExit(report[1], errno);
  }
  close(report[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  // The pipe reaches its end when the viewer's exec closed it; an error
  // number arrives when the exec (or the fork before it) failed.
  int error = 0;
  ssize_t got;
  do
    got = read(report[0], &error, sizeof error);
  while (got < 0 && errno == EINTR);
  close(report[0]);
  return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Opens the target with the viewer and fills in the request's target,
// viewer, argument and started fields. Returns the result code.
intptr_t Open(standin::ShellRequest& request)
{
  std::string argument;
  if (IsAddress(request.target)) {
    argument = request.target;
  } else {
    DWORD error = ERROR_SUCCESS;
    if (!ResolveTarget(request.target, argument, error))
      return Fail(error, static_cast<intptr_t>(error));
  }
  request.viewer = FindViewer();
  if (request.viewer.empty())
    return Fail(ERROR_FILE_NOT_FOUND, intptr_t{SE_ERR_NOASSOC});
  if (!Launch(request.viewer, argument))
    return Fail(ERROR_FILE_NOT_FOUND, intptr_t{SE_ERR_NOASSOC});
  request.argument = argument;
  request.started = true;
  SetLastError(ERROR_SUCCESS);
  return kStarted;
}

void Record(const standin::ShellRequest& request)
{
  if (!request.started && standin::EchoingDialogs())
    std::fprintf(stderr, "%s \"%s\": nothing opened (%s)\n", request.kind.c_str(), request.target.c_str(),
                 request.viewer.empty() ? "no viewer" : "the viewer could not be started");
  Requests().push_back(request);
}

std::string Text(const char* text) { return text ? text : ""; }

} // namespace

namespace standin {

const std::vector<ShellRequest>& ShellRequests() { return Requests(); }
void ClearShellRequests() { Requests().clear(); }

} // namespace standin

extern "C" {

HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, int show)
{
  standin::ShellRequest request;
  request.kind = "ShellExecute";
  request.owner = owner;
  request.verb = Text(verb);
  request.target = Text(file);
  request.parameters = Text(parameters);
  request.directory = Text(directory);
  request.show = show;
  if (verb && std::strcmp(verb, "open") != 0)
    request.result = Fail(ERROR_INVALID_PARAMETER, intptr_t{SE_ERR_NOASSOC});
  else
    request.result = Open(request);
  Record(request);
  return reinterpret_cast<HINSTANCE>(request.result);
}

BOOL WinHelpA(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR)
{
  standin::ShellRequest request;
  request.kind = "WinHelp";
  request.owner = owner;
  request.command = command;
  request.target = Text(helpFile);
  BOOL result = FALSE;
  if (command == HELP_CONTENTS)
    result = Open(request) > 32 ? TRUE : FALSE;
  else if (command == HELP_QUIT)
    result = TRUE;
  else
    SetLastError(ERROR_INVALID_PARAMETER);
  request.result = result;
  // Only an attempt to open something can have opened nothing.
  if (command == HELP_CONTENTS)
    Record(request);
  else
    Requests().push_back(request);
  return result;
}

BOOL DeleteFileA(LPCSTR path)
{
  std::string native;
  if (!standin::MapPath(path, native))
    return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  struct stat st;
  if (lstat(native.c_str(), &st) != 0)
    return Fail(errno == ENOENT || errno == ENOTDIR ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED, FALSE);
  if (!S_ISREG(st.st_mode))
    return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (unlink(native.c_str()) != 0)
    return Fail(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED, FALSE);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

} // extern "C"
