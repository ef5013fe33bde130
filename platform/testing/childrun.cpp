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
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    const long figures[2] = {self.ru_maxrss - start, children.ru_maxrss};
    if (write(channel[1], figures, sizeof figures) != sizeof figures)
      _exit(255);
    _exit(result & 0xFF);
  }
  close(channel[1]);
  long figures[2] = {-1, -1};
  if (read(channel[0], figures, sizeof figures) == sizeof figures) {
    run.peakGrowthKb = figures[0];
    run.programsPeakKb = figures[1];
  }
  close(channel[0]);
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    run.exited = run.peakGrowthKb >= 0;
    run.result = WEXITSTATUS(status);
  }
  return run;
}

} // namespace lvxtest
