// Child processes a test signals (see lvxtest/childprocess.h).
#include "lvxtest/childprocess.h"

#include "lvxtest/testenv.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace lvxtest {
namespace {

// Guards against a test that would wait forever; no test measures time.
constexpr auto kPatience = std::chrono::seconds(60);

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

// The process's mask of caught signals, from /proc; 0 when it is gone.
unsigned long long CaughtSignals(pid_t pid)
{
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("SigCgt:", 0) == 0)
      return std::strtoull(line.c_str() + 7, nullptr, 16);
  return 0;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env)
{
  static int counter = 0;
  errPath_ = TempDir() + "/child-" + std::to_string(++counter) + ".err";
  std::vector<std::string> environment = ChildEnvironment(env);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& e : environment)
    envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_ = fork();
  if (pid_ == 0) {
    const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    // The child starts with the default actions, whatever the test runner set.
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
}

ChildProcess::~ChildProcess()
{
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool ChildProcess::Running()
{
  if (pid_ <= 0 || reaped_)
    return false;
  if (waitpid(pid_, &status_, WNOHANG) == pid_)
    reaped_ = true;
  return !reaped_;
}

ChildResult ChildProcess::Finish()
{
  ChildResult result;
  if (pid_ <= 0)
    return result;
  if (!reaped_) {
    while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
  }
  if (WIFEXITED(status_))
    result.exitCode = WEXITSTATUS(status_);
  else if (WIFSIGNALED(status_))
    result.signal = WTERMSIG(status_);
  result.err = FileContents(errPath_);
  return result;
}

std::vector<std::string> ChildEnvironment(const std::map<std::string, std::string>& changes)
{
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (!changes.count(entry.substr(0, entry.find('='))))
      environment.push_back(entry);
  }
  for (const auto& [name, value] : changes)
    if (!value.empty())
      environment.push_back(name + "=" + value);
  return environment;
}

bool MakeGate(const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }

int OpenGate(const std::string& path, ChildProcess& child)
{
  // Without a reader a non-blocking open fails with ENXIO: the child is
  // not there yet.
  const auto end = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < end && child.Running()) {
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0)
      return fd;
    if (errno != ENXIO)
      return -1;
    Pause();
  }
  return -1;
}

void ReleaseGate(int fd)
{
  // A child that a signal ended has no reader left: the write then fails
  // instead of ending the test with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);
  const char byte = 1;
  const ssize_t written = write(fd, &byte, 1);
  static_cast<void>(written);
  close(fd);
}

bool WaitUntilHandled(pid_t pid, int signal)
{
  const unsigned long long bit = 1ull << (signal - 1);
  const auto end = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < end) {
    if (kill(pid, 0) != 0)
      return false;
    if ((CaughtSignals(pid) & bit) == 0)
      return true;
    Pause();
  }
  return false;
}

} // namespace lvxtest
