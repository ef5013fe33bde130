// RunInChild (see lvxtest/childrun.h).
#include "lvxtest/childrun.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define LVX_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LVX_UNDER_ASAN 1
#endif
#endif

namespace lvxtest {
namespace {

// A field of /proc/self/status in kB ("VmRSS", "VmSize"); -1 when absent.
long StatusKb(const char* field)
{
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(in, line))
    if (line.compare(0, prefix.size(), prefix) == 0)
      return std::stol(line.substr(prefix.size()));
  return -1;
}

} // namespace

bool UnderAddressSanitizer()
{
#ifdef LVX_UNDER_ASAN
  return true;
#else
  return false;
#endif
}

ChildRun RunInChild(const std::function<int()>& work, long addressSpaceMb)
{
  std::fflush(nullptr);
  int channel[2];
  ChildRun run;
  if (pipe(channel) != 0)
    return run;
  const pid_t pid = fork();
  if (pid < 0)
    return run;
  if (pid == 0) {
    close(channel[0]);
    // The peak resident set starts again from what the child holds now.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long start = StatusKb("VmRSS");
    if (addressSpaceMb > 0 && !UnderAddressSanitizer()) {
      const rlim_t cap = static_cast<rlim_t>(StatusKb("VmSize") + addressSpaceMb * 1024) * 1024;
      const rlimit limit{cap, cap};
      setrlimit(RLIMIT_AS, &limit);
    }
    // Nothing may leave the child but through _exit: an exception would
    // carry on running the test program there.
    int result = 254;
    try {
      result = work();
    } catch (...) {
      _exit(254);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long growth = usage.ru_maxrss - start;
    if (write(channel[1], &growth, sizeof growth) != sizeof growth)
      _exit(255);
    _exit(result & 0xFF);
  }
  close(channel[1]);
  long growth = -1;
  if (read(channel[0], &growth, sizeof growth) == sizeof growth)
    run.peakGrowthKb = growth;
  close(channel[0]);
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    run.exited = run.peakGrowthKb >= 0;
    run.result = WEXITSTATUS(status);
  }
  return run;
}

} // namespace lvxtest
