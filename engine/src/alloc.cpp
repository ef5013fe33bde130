#include "alloc.h"

#include "win32/internal/faults.h"

#include <cstdlib>

namespace lvx {
namespace {
long g_live = 0;
} // namespace

void* Allocate(size_t bytes)
{
  if (standin::AllocationShouldFail())
    return nullptr;
  void* block = std::malloc(bytes ? bytes : 1);
  if (block)
    ++g_live;
  return block;
}

void* AllocateZeroed(size_t bytes)
{
  if (standin::AllocationShouldFail())
    return nullptr;
  // calloc takes a large block straight from the system's zeroed pages and
  // leaves them untouched, so pages that are never used cost nothing.
  void* block = std::calloc(bytes ? bytes : 1, 1);
  if (block)
    ++g_live;
  return block;
}

void Release(void* block)
{
  if (!block)
    return;
  --g_live;
  std::free(block);
}

long LiveAllocations() { return g_live; }

} // namespace lvx
