// QVHandle and QVPointer, the clamp table and the undo record.
#include "qvcommon/qvassert.h"
#include "qvcommon/qvmemory.h"
#include "qvcommon/qvpixelclamp.h"
#include "qvcommon/qvundo_item.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

TEST(QVHandle, ResizingKeepsContentsAndIsRefusedWhileLocked)
{
  QVHandle handle(16);
  EXPECT_EQ(handle.GetHandleSize(), 16);
  {
    QVPointer pointer(&handle);
    char* bytes = pointer;
    std::memcpy(bytes, "0123456789abcdef", 16);
    QVPointer second(&handle);
    EXPECT_EQ(handle.RefCount(), 2);
    EXPECT_EQ(static_cast<void*>(second), static_cast<void*>(bytes));
    EXPECT_EQ(second.GetPointerSize(), 16);

    QVResetAssertions();
    testing::internal::CaptureStderr();
    EXPECT_EQ(handle.SetHandleSize(32), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("m_RefCount == 0"), std::string::npos);
    EXPECT_EQ(QVAssertionCount(), 1);
    EXPECT_STREQ(QVLastAssertion(), "m_RefCount == 0");
    EXPECT_EQ(handle.GetHandleSize(), 16) << "nothing changed";
    EXPECT_EQ(static_cast<char*>(pointer), bytes);
  }
  EXPECT_EQ(handle.RefCount(), 0);
  EXPECT_EQ(handle.SetHandleSize(32), 0);
  EXPECT_EQ(handle.GetHandleSize(), 32);
  QVPointer pointer(&handle);
  EXPECT_EQ(std::memcmp(static_cast<char*>(pointer), "0123456789abcdef", 16), 0);
  int32_t* words = pointer;
  words[7] = -1; // the last four of 32 bytes are usable
  EXPECT_EQ(QVAssertionCount(), 1);
}

TEST(QVHandle, FailedAllocationsFreeWhatTheyHeld)
{
  const long before = standin::LiveBlocks();
  {
    standin::FailAllocations(0, 1);
    QVHandle never(64);
    EXPECT_EQ(never.GetHandleSize(), 0);
    EXPECT_EQ(static_cast<void*>(QVPointer(&never)), nullptr);
    EXPECT_EQ(never.SetHandleSize(8), 0) << "a later resize allocates afresh";
    EXPECT_EQ(standin::LiveBlocks(), before + 1);

    QVHandle handle(8);
    EXPECT_EQ(standin::LiveBlocks(), before + 2);
    standin::FailAllocations(0, 1);
    EXPECT_EQ(handle.SetHandleSize(1 << 20), -1);
    EXPECT_EQ(handle.GetHandleSize(), 0);
    EXPECT_EQ(static_cast<void*>(QVPointer(&handle)), nullptr) << "callers see the failure as null";
    EXPECT_EQ(standin::LiveBlocks(), before + 1) << "the old block was freed, not leaked";
    EXPECT_EQ(handle.SetHandleSize(-1), -1);
  }
  EXPECT_EQ(standin::LiveBlocks(), before);
  standin::ResetAllocationFaults();
}

// Read while this executable's globals are constructed.
const uint8_t g_clampSeenByAGlobal[2] = {QVPixelClamp::Global().Zero()[100], QVPixelClamp::Global().Zero()[300]};

TEST(QVPixelClamp, TableAndClampAgreeAndSaturate)
{
  const QVPixelClamp clamp;
  const uint8_t* zero = clamp.Zero();
  EXPECT_EQ(zero[-512], 0);
  EXPECT_EQ(zero[-1], 0);
  EXPECT_EQ(zero[0], 0);
  EXPECT_EQ(zero[128], 128);
  EXPECT_EQ(zero[255], 255);
  EXPECT_EQ(zero[256], 255);
  EXPECT_EQ(zero[1535], 255);
  for (int32_t v = -512; v <= 1535; ++v)
    ASSERT_EQ(QVPixelClamp::Clamp(v), zero[v]) << v;
  // Outside the table: saturation, sampled across the whole int32 range.
  for (int64_t v = INT32_MIN; v <= INT32_MAX; v += 65521)
    ASSERT_EQ(QVPixelClamp::Clamp(int32_t(v)), v < 0 ? 0 : (v > 255 ? 255 : v)) << v;
  EXPECT_EQ(QVPixelClamp::Clamp(INT32_MAX), 255);
  EXPECT_EQ(QVPixelClamp::Clamp(INT32_MIN), 0);
  EXPECT_EQ(std::memcmp(QVPixelClamp::Global().table, clamp.table, sizeof clamp.table), 0);
  // The framework's table is built on first use, so a global of another
  // module that reads it while globals are constructed finds it filled.
  EXPECT_EQ(g_clampSeenByAGlobal[0], 100);
  EXPECT_EQ(g_clampSeenByAGlobal[1], 255);
}

TEST(QVUndo_Item, FixedLayoutAndIndependentBlocks)
{
  unsigned char effect[256], save[256];
  for (int i = 0; i < 256; ++i) {
    effect[i] = static_cast<unsigned char>(i);
    save[i] = static_cast<unsigned char>(255 - i);
  }
  effect[0] = 3;
  effect[1] = effect[2] = effect[3] = 0;
  QVUndo_Item item(11, 2, 5, 77, 0, effect, save);
  // The record as bytes: little-endian int32 fields, then the two blocks.
  const unsigned char* raw = reinterpret_cast<const unsigned char*>(&item);
  EXPECT_EQ(raw[0], 11);
  EXPECT_EQ(raw[4], 2);
  EXPECT_EQ(raw[8], 5);
  EXPECT_EQ(raw[12], 77);
  EXPECT_EQ(std::memcmp(raw + 20, effect, 256), 0);
  EXPECT_EQ(std::memcmp(raw + 276, save, 256), 0);

  int32_t first = 0;
  std::memcpy(&first, item.GetEffectData(), 4);
  EXPECT_EQ(first, 3);
  item.GetEffectData()[0] = 9;
  EXPECT_EQ(item.GetSaveData()[0], 255) << "the blocks are independent";
  EXPECT_EQ(effect[0], 3) << "the caller's block was copied";

  item.SetCheckState(1);
  EXPECT_EQ(item.GetCheckState(), 1);
  EXPECT_EQ(item.GetDLLID(), 11);
  EXPECT_EQ(item.GetDLLInstance(), 2);
  EXPECT_EQ(item.GetEffectID(), 5);

  const QVUndo_Item copy(&item);
  EXPECT_EQ(std::memcmp(&copy, &item, sizeof item), 0) << "bytes past the used part too";

  // Null blocks read as zeros.
  QVUndo_Item empty(1, 1, 1, 0, 0, nullptr, nullptr);
  EXPECT_EQ(empty.GetSaveData()[255], 0);
  item.SetSaveData(nullptr);
  EXPECT_EQ(item.GetSaveData()[17], 0);
  item.SetEffectData(save);
  EXPECT_EQ(item.GetEffectData()[1], 254);
}
