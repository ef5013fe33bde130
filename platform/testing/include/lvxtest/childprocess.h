#pragma once
// A program run by a test as a child process that the test can signal: its
// pid, its stderr, how it ended (an exit status or the signal that ended
// it), and the two things a test waits for before it sends a signal: the
// child reaching a gate (a FIFO it reads from) and the child's handler
// having taken a signal.
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace lvxtest {

struct ChildResult {
  int exitCode = -1; // -1 when a signal ended it
  int signal = 0;    // the signal that ended it, else 0
  std::string err;   // what it wrote on stderr
};

class ChildProcess {
public:
  // Starts `program` with `args`; `env` is added to this process's
  // environment (an empty value removes the variable). Stdout is discarded.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool Started() const { return pid_ > 0; }
  // Whether it still runs (false once it ended, even before Finish).
  bool Running();
  // Waits for the end and collects the result.
  ChildResult Finish();

private:
  pid_t pid_ = -1;
  std::string errPath_;
  bool reaped_ = false;
  int status_ = 0;
};

// This process's environment with `changes` made: a name given replaces the
// variable, or removes it when its value is empty. As "NAME=value" entries.
std::vector<std::string> ChildEnvironment(const std::map<std::string, std::string>& changes);

// Makes a FIFO at `path` (a child's gate). False when it cannot.
bool MakeGate(const std::string& path);
// Opens the gate for writing once `child` opened it for reading, which
// tells that the child has reached it. -1 when the child ended first or
// did not get there within a minute (the test then fails instead of
// hanging). Writing a byte and closing the descriptor lets the child on.
int OpenGate(const std::string& path, ChildProcess& child);
// Writes one byte to the gate and closes it (SIGPIPE is ignored from then
// on, so that a child that ended meanwhile does not end the test).
void ReleaseGate(int fd);

// Waits until `pid` no longer catches `signal`: a handler that put back the
// default action has run. False when the process ended first or a minute
// passed.
bool WaitUntilHandled(pid_t pid, int signal);

} // namespace lvxtest
