// Every allocation request of a run fails in turn: each run must report the
// failure, keep the progress protocol balanced and leak nothing.
#include "testkit.h"

#include "alloc.h"
#include "rect.h"
#include "status.h"

#include "win32/automation.h"

#include <gtest/gtest.h>

using namespace lvx;
using namespace lvxtest;

namespace {

struct Road {
  const char* name;
  EngineControl control;
  AdjustRect rect;
};

std::vector<Road> Roads()
{
  // Every stub that allocates: histograms, the working image, the peak
  // list's work copy, luminance and gradient planes; on the reduced road
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

int RunOnce(const Road& road)
{
  TestImage image(30, 40, 4, 2);
  image.FillRandom(11);
  ResetProgress();
  int status = RunPipeline(road.control, image.Desc(), road.rect, RecordProgress);
  EXPECT_TRUE(image.CanariesIntact());
  return status;
}

} // namespace

TEST(FaultSweep, EveryAllocationFailureIsReportedBalancedAndLeakFree)
{
  for (const Road& road : Roads()) {
    standin::ResetAllocationFaults();
    ASSERT_EQ(RunOnce(road), 0) << road.name;
    const long requests = standin::AllocationRequests();
    ASSERT_GT(requests, 5) << road.name;
    int peakFailures = 0;
    for (long i = 0; i < requests; ++i) {
      standin::ResetAllocationFaults();
      standin::FailAllocations(i, 1);
      int status = RunOnce(road);
      EXPECT_TRUE(status == kStatusNoMemory || status == kStatusPeakList)
          << road.name << ", request " << i << ": status " << status;
      peakFailures += status == kStatusPeakList;
      EXPECT_EQ(ProtocolError(Progress().calls), "") << road.name << ", request " << i;
      EXPECT_EQ(LiveAllocations(), 0) << road.name << ", request " << i;
    }
    // The peak list reports its own failure as -1, once per run.
    EXPECT_EQ(peakFailures, 1) << road.name;
  }
  standin::ResetAllocationFaults();
}
