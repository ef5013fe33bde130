#pragma once
// Command-line handling shared by the benchmark programs.
#include <cstring>

namespace lvxbench {

// Removes every `flag` from the arguments (argc follows); true when one was
// there. The rest goes on to benchmark::Initialize.
inline bool TakeFlag(int& argc, char** argv, const char* flag)
{
  bool found = false;
  int kept = 0;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], flag) == 0)
      found = true;
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  return found;
}

} // namespace lvxbench
