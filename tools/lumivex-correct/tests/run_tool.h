#pragma once
// Runs the lumivex-correct program as a child process and collects what it
// printed and how it ended.
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace lvxtest {

struct ToolResult {
  int exitCode = -1; // -1 when it did not exit normally
  std::string out;
  std::string err;
};

struct ToolRun {
  // Environment changes for the child; an empty value removes the variable.
  // LUMIVEX_ENGINE is removed unless given here.
  std::map<std::string, std::string> env;
  // Give the child a pseudo-terminal as stderr (what it writes there lands
  // in `err`).
  bool terminalStderr = false;
};

// Starts the tool; Finish waits for it.
class ToolProcess {
public:
  ToolProcess(const std::vector<std::string>& args, const ToolRun& run = {});
  ~ToolProcess();
  pid_t pid() const { return pid_; }
  ToolResult Finish();

private:
  pid_t pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
};

ToolResult RunTool(const std::vector<std::string>& args, const ToolRun& run = {});

// The path of the built tool, and of the fake engine libraries.
std::string ToolPath();
std::string FakeEnginePath();
std::string FakeEngineWithoutDoAllPath();

std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

} // namespace lvxtest
