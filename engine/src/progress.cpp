#include "progress.h"

#include <climits>

namespace lvx {

int NoProgress(int) { return 0; }

int Progress(AdjustProgressProc cb, ProgressStep step, int64_t ticks)
{
  if (!cb)
    cb = NoProgress;
  switch (step) {
  case ProgressStep::Begin: {
    int64_t n = ticks < 2 ? 2 : ticks;
    if (n > INT_MAX)
      n = INT_MAX;
    return cb(static_cast<int>(-n));
  }
  case ProgressStep::Tick: return cb(0);
  case ProgressStep::End: return cb(-1);
  }
  return 0;
}

} // namespace lvx
