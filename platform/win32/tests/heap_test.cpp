// Global blocks and the general heap: locking, reallocation, stale handles,
// injected failures and the live-block count.
#include "win32/automation.h"

#include "win32/memory.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(GlobalHeap, MovableBlockLocksReallocatesAndFrees)
{
  const long before = standin::LiveBlocks();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 8);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(standin::LiveBlocks(), before + 1);
  EXPECT_EQ(GlobalSize(h), 8u);

  auto* p = static_cast<unsigned char*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(p[i], 0) << i;
  std::memcpy(p, "abcdefgh", 8);
  EXPECT_EQ(GlobalLock(h), p) << "a second lock gives the same address";
  EXPECT_EQ(GlobalHandle(p), h);

  // Locked: the block cannot move.
  EXPECT_EQ(GlobalReAlloc(h, 64, GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(GlobalUnlock(h)) << "one lock remains";
  EXPECT_FALSE(GlobalUnlock(h));
  EXPECT_EQ(GetLastError(), NO_ERROR);
  EXPECT_FALSE(GlobalUnlock(h));
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);

  // Growth keeps the contents and is zero-filled under GMEM_ZEROINIT; the
  // handle of a movable block stays the same.
  ASSERT_EQ(GlobalReAlloc(h, 4096, GMEM_MOVEABLE | GMEM_ZEROINIT), h);
  p = static_cast<unsigned char*>(GlobalLock(h));
  EXPECT_EQ(std::memcmp(p, "abcdefgh", 8), 0);
  EXPECT_EQ(p[8], 0);
  EXPECT_EQ(p[4095], 0);
  GlobalUnlock(h);
  ASSERT_EQ(GlobalReAlloc(h, 3, GMEM_MOVEABLE), h);
  EXPECT_EQ(GlobalSize(h), 3u);

  EXPECT_EQ(GlobalFree(h), nullptr);
  EXPECT_EQ(standin::LiveBlocks(), before);
}

TEST(GlobalHeap, StaleForeignAndNullHandlesFailWithoutCrashing)
{
  HGLOBAL h = GlobalAlloc(GHND, 16);
  ASSERT_EQ(GlobalFree(h), nullptr);
  // A new block never gets the freed handle back.
  HGLOBAL other = GlobalAlloc(GHND, 16);
  EXPECT_NE(other, h);
  for (HGLOBAL bad : {h, HGLOBAL(nullptr), HGLOBAL(reinterpret_cast<void*>(0x1234))}) {
    SetLastError(0);
    EXPECT_EQ(GlobalLock(bad), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GlobalSize(bad), 0u);
    EXPECT_EQ(GlobalReAlloc(bad, 4, GMEM_MOVEABLE), nullptr);
    EXPECT_EQ(GlobalFree(bad), bad);
  }
  int onStack = 0;
  EXPECT_EQ(GlobalHandle(&onStack), nullptr);
  GlobalFree(other);
}

TEST(GlobalHeap, FixedAndEmptyBlocks)
{
  HGLOBAL fixed = GlobalAlloc(GPTR, 4);
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(GlobalLock(fixed), fixed) << "a fixed block's handle is its address";
  EXPECT_EQ(*static_cast<uint32_t*>(fixed), 0u);
  EXPECT_EQ(GlobalFree(fixed), nullptr);
  HGLOBAL empty = GlobalAlloc(GHND, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_NE(GlobalLock(empty), nullptr) << "an empty block still locks";
  GlobalUnlock(empty);
  GlobalFree(empty);
}

TEST(Heaps, InjectedFailuresReachEveryAllocatorAndLoseNothing)
{
  const long before = standin::LiveBlocks();
  standin::ResetAllocationFaults();
  standin::FailAllocations(0, 2);
  EXPECT_EQ(GlobalAlloc(GHND, 16), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(HeapAlloc(GetProcessHeap(), 0, 16), nullptr);
  EXPECT_EQ(standin::LiveBlocks(), before);

  // A failed reallocation leaves the old block whole.
  HGLOBAL h = GlobalAlloc(GHND, 4);
  std::memcpy(GlobalLock(h), "keep", 4);
  GlobalUnlock(h);
  void* p = HeapAlloc(GetProcessHeap(), 0, 4);
  std::memcpy(p, "heap", 4);
  standin::FailAllocations(0, 2);
  EXPECT_EQ(GlobalReAlloc(h, 1 << 20, GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(HeapReAlloc(GetProcessHeap(), 0, p, 1 << 20), nullptr);
  EXPECT_EQ(std::memcmp(GlobalLock(h), "keep", 4), 0);
  EXPECT_EQ(std::memcmp(p, "heap", 4), 0);
  EXPECT_EQ(standin::AllocationRequests(), 6);
  GlobalUnlock(h);
  GlobalFree(h);
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, p));
  EXPECT_EQ(standin::LiveBlocks(), before);
  standin::ResetAllocationFaults();
}

TEST(Heaps, GeneralHeapChecksItsBlocks)
{
  const HANDLE heap = GetProcessHeap();
  EXPECT_EQ(heap, GetProcessHeap());
  auto* p = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 10));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[9], 0);
  p[0] = 42;
  p = static_cast<unsigned char*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, p, 100));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 42);
  EXPECT_EQ(p[99], 0);
  EXPECT_TRUE(HeapFree(heap, 0, p));
  // Freed or foreign blocks are refused, not freed twice.
  EXPECT_FALSE(HeapFree(heap, 0, p));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  int onStack = 0;
  EXPECT_FALSE(HeapFree(heap, 0, &onStack));
  EXPECT_EQ(HeapReAlloc(heap, 0, &onStack, 8), nullptr);
  EXPECT_TRUE(HeapFree(heap, 0, nullptr));
}
