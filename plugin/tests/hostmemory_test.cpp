// The plug-in's own handles, pointers, rectangles and command line.
#include "hostmemory.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace hostif;

TEST(HostMemory, HandlesKeepTheirDataThroughResizeAndCopy)
{
  const long blocks = standin::LiveBlocks();
  Handle empty = NewHandle(0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(GetHandleSize(empty), 0);
  EXPECT_EQ(MemError(), noErr);

  Handle h = NewHandle(12);
  ASSERT_NE(h, nullptr);
  const auto* master = reinterpret_cast<const MasterBlock*>(h);
  EXPECT_EQ(master->tag, kHandleTag);
  EXPECT_EQ(GetHandleSize(h), 12);
  EXPECT_EQ(std::count(*h, *h + 12, 0), 12); // zero-filled
  std::memcpy(*h, "abcdefghijkl", 12);

  ASSERT_EQ(SetHandleSize(h, 20), noErr);
  EXPECT_EQ(GetHandleSize(h), 20);
  EXPECT_EQ(std::string(*h, 20), std::string("abcdefghijkl\0\0\0\0\0\0\0\0", 20));
  ASSERT_EQ(SetHandleSize(h, 3), noErr);
  Handle copy = DuplicateHandle(h);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(std::string(*copy, static_cast<size_t>(GetHandleSize(copy))), "abc");
  EXPECT_NE(*copy, *h);

  DisposeHandle(copy);
  DisposeHandle(h);
  DisposeHandle(empty);
  EXPECT_EQ(standin::LiveBlocks(), blocks);
  // A disposed handle is no longer ours: a second dispose is refused.
  DisposeHandle(h);
  EXPECT_EQ(MemError(), nilHandleErr);
}

TEST(HostMemory, FailuresReportTheirCodeAndKeepWhatWasThere)
{
  const long blocks = standin::LiveBlocks();
  // The data block fails after the master block was taken: both go.
  standin::FailAllocations(1, 1);
  EXPECT_EQ(NewHandle(8), nullptr);
  EXPECT_EQ(MemError(), memFullErr);
  EXPECT_EQ(standin::LiveBlocks(), blocks);

  Handle h = NewHandle(4);
  ASSERT_NE(h, nullptr);
  std::memcpy(*h, "wxyz", 4);
  Ptr before = *h;
  standin::FailAllocations(0, 1);
  EXPECT_EQ(SetHandleSize(h, 4096), memFullErr);
  standin::ResetAllocationFaults();
  EXPECT_EQ(MemError(), memFullErr);
  EXPECT_EQ(*h, before); // still there, still locked in place
  EXPECT_EQ(std::string(*h, 4), "wxyz");
  EXPECT_EQ(GetHandleSize(h), 4);
  EXPECT_EQ(SetHandleSize(h, 8), noErr); // and resizable again
  DisposeHandle(h);

  EXPECT_EQ(SetHandleSize(nullptr, 4), nilHandleResizeErr);
  EXPECT_EQ(GetHandleSize(nullptr), 0);
  EXPECT_EQ(MemError(), nilHandleErr);
  DisposeHandle(nullptr);
  EXPECT_EQ(MemError(), nilHandleErr);
  EXPECT_EQ(NewPtr(-1), nullptr);
  EXPECT_EQ(MemError(), memFullErr);
  EXPECT_EQ(standin::LiveBlocks(), blocks);
}

TEST(HostMemory, ForeignHandlesAreNeverTouched)
{
  // A host's handle: the same shape, other memory.
  char data[8] = "host";
  Ptr pointer = data;
  Handle foreign = &pointer;
  EXPECT_EQ(GetHandleSize(foreign), 0);
  EXPECT_EQ(MemError(), nilHandleErr);
  EXPECT_EQ(SetHandleSize(foreign, 100), nilHandleErr);
  DisposeHandle(foreign);
  EXPECT_EQ(MemError(), nilHandleErr);
  EXPECT_EQ(DuplicateHandle(foreign), nullptr);
  EXPECT_EQ(pointer, data);
  EXPECT_STREQ(data, "host");
}

TEST(HostMemory, PointersAndBlocks)
{
  Ptr p = NewPtr(10);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(GetPtrSize(p), 10);
  HGLOBAL block = RecoverHandle(p);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(LockHandleBlock(block), p);
  EXPECT_TRUE(UnlockHandleBlock(block)); // NewPtr's own lock remains
  DisposePtr(p);
  EXPECT_EQ(MemError(), noErr);
  EXPECT_EQ(GetPtrSize(p), 0);
  EXPECT_EQ(MemError(), nilHandleErr);
}

TEST(HostMemory, RectanglesAndPoints)
{
  Rect16 r{};
  ASSERT_TRUE(SetRect(&r, 10, 20, 30, 40)); // left, top, right, bottom
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.bottom, 40);
  EXPECT_EQ(r.right, 30);
  // Left and top edges inside, right and bottom outside.
  EXPECT_TRUE(PtInRect(Point16{20, 10}, &r));
  EXPECT_FALSE(PtInRect(Point16{20, 30}, &r));
  EXPECT_FALSE(PtInRect(Point16{40, 10}, &r));
  EXPECT_TRUE(PtInRect(Point16{39, 29}, &r));
  ASSERT_TRUE(OffsetRect(&r, 5, -5));
  EXPECT_EQ((std::vector<int>{r.top, r.left, r.bottom, r.right}), (std::vector<int>{15, 15, 35, 35}));
  ASSERT_TRUE(InsetRect(&r, 2, 3));
  EXPECT_EQ((std::vector<int>{r.top, r.left, r.bottom, r.right}), (std::vector<int>{18, 17, 32, 33}));
  EXPECT_FALSE(OffsetRect(nullptr, 1, 1));
  EXPECT_FALSE(PtInRect(Point16{0, 0}, nullptr));
}

TEST(HostMemory, CommandLineSplitsLikeTheStartUpCode)
{
  standin::SetCommandLine("\"C:\\Program Files\\host.exe\" one\t\"two three\"  four \"open");
  ASSERT_EQ(SplitCommandLine(), 5);
  EXPECT_STREQ(CommandLineEntry(0), "C:\\Program Files\\host.exe");
  EXPECT_STREQ(CommandLineEntry(1), "one");
  EXPECT_STREQ(CommandLineEntry(2), "two three");
  EXPECT_STREQ(CommandLineEntry(3), "four");
  EXPECT_STREQ(CommandLineEntry(4), "open"); // an argument's quote may stay open
  EXPECT_EQ(CommandLineEntry(5), nullptr);

  standin::SetCommandLine("\"unclosed program name");
  EXPECT_EQ(SplitCommandLine(), 0);
  EXPECT_EQ(CommandLineEntry(0), nullptr);

  std::string many = "prog";
  for (int i = 0; i < 200; ++i)
    many += " a";
  standin::SetCommandLine(many.c_str());
  EXPECT_EQ(SplitCommandLine(), 128);
  standin::SetCommandLine(nullptr);
  EXPECT_GE(SplitCommandLine(), 1); // the test's own arguments

  // Sixtieths through the window layer's clock: 17 ms a tick.
  const int32_t first = TickCount();
  standin::AdvanceClock(170);
  EXPECT_EQ(TickCount() - first, 10);
}
