#pragma once
// Runs a piece of work in a child process of its own and reports what it
// cost in memory, so that a test can tell a refusal made before a large
// allocation from one made after it.
#include <functional>

namespace lvxtest {

struct ChildRun {
  bool exited = false;      // the child ended by returning from the work
  int result = -1;          // what the work returned, 0..255 (254: it threw)
  long peakGrowthKb = -1;   // the child's peak resident set above its resident set at the start, in kB
  long programsPeakKb = -1; // the largest peak resident set of the processes the work ran and waited for, in kB
};

// Forks, runs `work` in the child and waits for it. With addressSpaceMb > 0
// the child's address space is also capped at its size at the start plus
// that many MB, so any allocation beyond fails in the child (not under
// AddressSanitizer, whose shadow memory needs the whole address space: there
// only the resident set tells).
ChildRun RunInChild(const std::function<int()>& work, long addressSpaceMb = 0);

// Whether this build runs under AddressSanitizer.
bool UnderAddressSanitizer();

} // namespace lvxtest
