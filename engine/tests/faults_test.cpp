// Every allocation request of a run fails in turn: each run must report the
// failure, keep the progress protocol balanced and leak nothing. Runs with
// stub stages cover the driver; runs through the exports cover the real
// stages.
#include "testkit.h"

#include "alloc.h"
#include "module.h"
#include "rect.h"
#include "status.h"

#include "win32/automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace lvx;
using namespace lvxtest;

namespace {

struct Way {
  const char* name;
  EngineControl control;
  AdjustRect rect;
};

std::vector<Way> Ways()
{
  // Every stub that allocates: histograms, the working image, the peak
  // list's work copy, luminance and gradient planes; in the reduced-copy correction
  // also the copy, its index tables and the replay cache.
  EngineControl last = StubControl({LookupStage, WorkingStage, PeakStage, LookupStage, SharpenStage});
  last.borderPrePass = BorderStage;
  last.finalStep = FinalStage;
  EngineControl first = StubControl({SharpenStage, WorkingStage, PeakStage});
  first.borderPrePass = BorderStage;
  return {{"full", last, AdjustRect{3, 3, 12, 12}},
          {"reduced, sharpening last", last, WholeRect(30, 40)},
          {"reduced, sharpening first", first, WholeRect(30, 40)}};
}

int RunOnce(const Way& way)
{
  TestImage image(30, 40, 4, 2);
  image.FillRandom(11);
  ResetProgress();
  int status = RunPipeline(way.control, image.Desc(), way.rect, RecordProgress);
  EXPECT_TRUE(image.CanariesIntact());
  return status;
}

} // namespace

TEST(FaultSweep, EveryAllocationFailureIsReportedBalancedAndLeakFree)
{
  for (const Way& way : Ways()) {
    standin::ResetAllocationFaults();
    ASSERT_EQ(RunOnce(way), 0) << way.name;
    const long requests = standin::AllocationRequests();
    ASSERT_GT(requests, 5) << way.name;
    int peakFailures = 0;
    for (long i = 0; i < requests; ++i) {
      standin::ResetAllocationFaults();
      standin::FailAllocations(i, 1);
      int status = RunOnce(way);
      EXPECT_TRUE(status == kStatusNoMemory || status == kStatusPeakList)
          << way.name << ", request " << i << ": status " << status;
      peakFailures += status == kStatusPeakList;
      EXPECT_EQ(ProtocolError(Progress().calls), "") << way.name << ", request " << i;
      EXPECT_EQ(LiveAllocations(), 0) << way.name << ", request " << i;
    }
    // The peak list reports its own failure as -1, once per run.
    EXPECT_EQ(peakFailures, 1) << way.name;
  }
  standin::ResetAllocationFaults();
}

TEST(FaultSweep, RealStagesThroughTheExportsBothWays)
{
  SetParams(nullptr);
  // 64 x 64 is corrected at full resolution, 640 x 480 on a reduced copy.
  for (int32_t columns : {64, 640}) {
    const int32_t rows = columns == 64 ? 64 : 480;
    auto run = [&] {
      TestImage image = CastPicture(rows, columns, 13);
      ResetProgress();
      int status =
          DoAdjustments(image.bytes.data(), rows, columns, image.rowBytes, image.pixelBytes, nullptr, RecordProgress);
      EXPECT_TRUE(image.CanariesIntact());
      return status;
    };
    standin::ResetAllocationFaults();
    ASSERT_EQ(run(), 0) << columns;
    const long requests = standin::AllocationRequests();
    ASSERT_GT(requests, 8) << columns;
    int peakFailures = 0;
    for (long i = 0; i < requests; ++i) {
      standin::ResetAllocationFaults();
      standin::FailAllocations(i, 1);
      const int status = run();
      EXPECT_TRUE(status == kStatusNoMemory || status == kStatusPeakList)
          << columns << ", request " << i << ": " << status;
      peakFailures += status == kStatusPeakList;
      EXPECT_EQ(ProtocolError(Progress().calls), "") << columns << ", request " << i;
      EXPECT_EQ(LiveAllocations(), 0) << columns << ", request " << i;
    }
    // The sharpening's noise floor reports the peak list's failure as -1.
    EXPECT_EQ(peakFailures, 1) << columns;
  }
  standin::ResetAllocationFaults();
}

TEST(EngineAllocator, LargeBlocksFollowTheFaultPlanAndComeZeroedWhenAsked)
{
  // Planes and large tables take their own way through the allocator: the
  // fault plan still decides, and a zeroed block is zero even where a block
  // just released had left other bytes.
  const size_t bytes = (size_t(3) << 20) + 5;
  standin::ResetAllocationFaults();
  standin::FailAllocations(0, 2);
  EXPECT_EQ(Allocate(bytes), nullptr);
  EXPECT_EQ(AllocateZeroed(bytes), nullptr);
  standin::ResetAllocationFaults();
  for (int round = 0; round < 3; ++round) {
    auto* dirty = static_cast<uint8_t*>(Allocate(bytes));
    ASSERT_NE(dirty, nullptr);
    std::memset(dirty, 0xA5, bytes);
    Release(dirty);
    auto* zeroed = static_cast<uint8_t*>(AllocateZeroed(bytes));
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(std::count(zeroed, zeroed + bytes, 0), ptrdiff_t(bytes));
    Release(zeroed);
  }
  EXPECT_EQ(LiveAllocations(), 0);
}
