#include "alloc.h"

#include "win32/hugepages.h"
#include "win32/internal/faults.h"

#include <cstdlib>
#include <cstring>

namespace lvx {
namespace {
long g_live = 0;

// A block of at least this size is a plane or a table that a pass fills
// soon after: it is aligned to a huge page and the kernel is asked to back
// it with huge pages, so filling it faults once per 2 MB instead of once per
// 4 KB. Its size is not rounded up: the part past its last whole huge page
// takes small pages, which costs a few hundred faults but no memory the
// block does not use.
constexpr size_t kHugePageBytes = size_t(2) << 20;

void* AllocateLarge(size_t bytes)
{
  void* block = nullptr;
  if (posix_memalign(&block, kHugePageBytes, bytes) != 0)
    return nullptr;
  standin::AdviseHugePages(block, bytes);
  return block;
}

void* AllocateBlock(size_t bytes)
{
  return bytes >= kHugePageBytes ? AllocateLarge(bytes) : std::malloc(bytes ? bytes : 1);
}

} // namespace

void* Allocate(size_t bytes)
{
  if (standin::AllocationShouldFail())
    return nullptr;
  void* block = AllocateBlock(bytes);
  if (block)
    ++g_live;
  return block;
}

void* AllocateZeroed(size_t bytes)
{
  if (standin::AllocationShouldFail())
    return nullptr;
  void* block = nullptr;
  if (bytes >= kHugePageBytes) {
    // Zeroing the huge pages as they come is cheaper than the 4 KB faults
    // of untouched zero pages.
    block = AllocateLarge(bytes);
    if (block)
      std::memset(block, 0, bytes);
  } else {
    block = std::calloc(bytes ? bytes : 1, 1);
  }
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
