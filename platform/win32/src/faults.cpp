// The process-wide allocation fault plan shared by every allocator.
#include "win32/internal/faults.h"
#include "win32/automation.h"

namespace standin {
namespace {
long g_requests = 0;
long g_skip = 0;
long g_fail = 0;
} // namespace

bool AllocationShouldFail()
{
  ++g_requests;
  if (g_skip > 0) {
    --g_skip;
    return false;
  }
  if (g_fail > 0) {
    --g_fail;
    return true;
  }
  return false;
}

void FailAllocations(long skip, long count)
{
  g_skip = skip < 0 ? 0 : skip;
  g_fail = count < 0 ? 0 : count;
}

long AllocationRequests() { return g_requests; }

void ResetAllocationFaults()
{
  g_requests = 0;
  g_skip = 0;
  g_fail = 0;
}

} // namespace standin
