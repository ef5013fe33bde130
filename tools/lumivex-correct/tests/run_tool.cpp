#include "run_tool.h"

#include "lvxtest/childprocess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lvxtest {

std::string ToolPath() { return LVX_TOOL_PATH; }
std::string FakeEnginePath() { return LVX_FAKE_ENGINE; }
std::string FakeEngineWithoutDoAllPath() { return LVX_FAKE_ENGINE_WITHOUT_DOALL; }

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool FileExists(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

ToolProcess::ToolProcess(const std::vector<std::string>& args, const ToolRun& run)
{
  std::map<std::string, std::string> env{{"LUMIVEX_ENGINE", ""}};
  for (const auto& [k, v] : run.env)
    env[k] = v;
  std::vector<std::string> envStrings = ChildEnvironment(env);

  int outPipe[2], errPipe[2] = {-1, -1};
  if (pipe2(outPipe, O_CLOEXEC) != 0)
    return;
  if (run.terminalStderr) {
    // errPipe[0] is the terminal's master side, errPipe[1] its slave side.
    errPipe[0] = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (errPipe[0] < 0 || grantpt(errPipe[0]) != 0 || unlockpt(errPipe[0]) != 0)
      return;
    errPipe[1] = open(ptsname(errPipe[0]), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (errPipe[1] < 0)
      return;
  } else if (pipe2(errPipe, O_CLOEXEC) != 0) {
    return;
  }

  const std::string tool = ToolPath();
  std::vector<char*> argv{const_cast<char*>(tool.c_str())};
  for (const auto& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : envStrings)
    envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_ = fork();
  if (pid_ == 0) {
    dup2(outPipe[1], STDOUT_FILENO);
    dup2(errPipe[1], STDERR_FILENO);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  outFd_ = outPipe[0];
  errFd_ = errPipe[0];
}

ToolProcess::~ToolProcess()
{
  if (pid_ > 0)
    Finish();
}

ToolResult ToolProcess::Finish()
{
  ToolResult result;
  if (pid_ <= 0) {
    ADD_FAILURE() << "the tool could not be started";
    return result;
  }
  // Drain both outputs until each reports its end (EOF on a pipe, EIO on a
  // terminal whose other side has closed).
  struct pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int remaining = 2;
  while (remaining > 0) {
    if (poll(fds, 2, 30000) <= 0)
      break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0)
        continue;
      char buf[4096];
      const ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --remaining;
      }
    }
  }
  for (auto& fd : fds)
    if (fd.fd >= 0)
      close(fd.fd);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

ToolResult RunTool(const std::vector<std::string>& args, const ToolRun& run) { return ToolProcess(args, run).Finish(); }

} // namespace lvxtest
