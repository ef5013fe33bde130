// RunCommand (see lvxtest/commandrun.h).
#include "lvxtest/commandrun.h"

#include <cstdio>
#include <sys/wait.h>

namespace lvxtest {

CommandRun RunCommand(const std::string& commandLine)
{
  CommandRun run;
  FILE* pipe = popen(commandLine.c_str(), "r");
  if (!pipe)
    return run;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

} // namespace lvxtest
