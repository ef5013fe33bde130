#pragma once
// Runs a command line through the shell and collects what it printed on
// stdout, for the tests of the build-time tools.
#include <string>

namespace lvxtest {

struct CommandRun {
  int status = -1;    // the exit status; -1 when the command could not run or a signal ended it
  std::string output; // what it wrote on stdout (add " 2>&1" to the line to take stderr too)
};

// Runs `commandLine` with popen and waits for it.
CommandRun RunCommand(const std::string& commandLine);

} // namespace lvxtest
