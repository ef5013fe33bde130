// The pipeline driver run with stub stages: full size or reduced copy,
// call sequences, cancel, converters, replay, reduce and rectangle mapping.
#include "testkit.h"

#include "alloc.h"
#include "colorspace.h"
#include "progress.h"
#include "rect.h"
#include "status.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace lvx;
using namespace lvxtest;

namespace {

int RunDriver(const EngineControl& control, TestImage& image, AdjustRect rect, int cancelAtPoll = 0)
{
  ResetProgress(cancelAtPoll);
  Trace().clear();
  return RunPipeline(control, image.Desc(), rect, RecordProgress);
}

// Sets the run's working gamma the way the gamma stage does.
int GammaStage(CorrectionImage& image, EngineControl& control, AdjustProgressProc)
{
  Traced("gamma", image);
  image.workingGamma = control.workingGamma = 1.8;
  image.WorkingStale();
  return kStatusOk;
}

// The queued chain applied directly to one pixel.
void Evaluate(const std::vector<PixelOp>& chain, uint8_t* px)
{
  uint8_t p[4] = {px[0], px[1], px[2], 0};
  for (PixelOp op : chain)
    op(p);
  px[0] = p[0], px[1] = p[1], px[2] = p[2];
}

} // namespace

TEST(Driver, ReducedCopyTakenAboveTwiceTheBudgetByTheRectangleArea)
{
  // Budget 50: analysis areas up to 100 stay at full resolution, whatever
  // the size of the image (600 pixels here).
  EngineControl control = StubControl({LookupStage});
  TestImage image(20, 200);
  EXPECT_EQ(RunDriver(control, image, AdjustRect{0, 0, 10, 10}), 0);
  EXPECT_EQ(Trace(), (std::vector<std::string>{"lookup:20x200"}));
  // 101 pixels: d = sqrt(101 / 50), a 1 x 71 reduced copy.
  EXPECT_EQ(RunDriver(control, image, AdjustRect{0, 0, 101, 1}), 0);
  EXPECT_EQ(Trace(), (std::vector<std::string>{"lookup:1x71"}));
}

TEST(Driver, FullSizeCallSequenceAndCancelAtEveryPoll)
{
  EngineControl control = StubControl({LookupStage, WorkingStage});
  AdjustRect rect{0, 0, 10, 10};
  TestImage image(20, 30);
  image.FillRandom(1);
  ASSERT_EQ(RunDriver(control, image, rect), 0);
  // Driver task of 2; runner task of 6 with a tick per slot and one for the
  // final step (stages get the do-nothing callback); the working stage left
  // the colour image stale, so the driver converts it back with a row walk
  // of 20 rows (2 ticks, after rows 4 and 12).
  const std::vector<int> clean{-2, -6, 0, 0, 0, 0, 0, 0, -1, 0, -2, 0, 0, -1, 0, -1};
  ASSERT_EQ(Progress().calls, clean);
  const int polls = Progress().polls;
  ASSERT_EQ(polls, 10);

  for (int k = 1; k <= polls; ++k) {
    TestImage fresh(20, 30);
    fresh.FillRandom(1);
    ASSERT_EQ(RunDriver(control, fresh, rect, k), 1) << "cancel at poll " << k;
    const std::vector<int>& calls = Progress().calls;
    EXPECT_EQ(ProtocolError(calls), "") << "cancel at poll " << k;
    // The calls up to the cancelling poll are those of the clean run; after
    // it only the open tasks end.
    size_t upTo = 0;
    for (int seen = 0; seen < k; ++upTo)
      seen += clean[upTo] == 0;
    ASSERT_LE(upTo, calls.size());
    EXPECT_TRUE(std::equal(calls.begin(), calls.begin() + upTo, clean.begin()));
    for (size_t i = upTo; i < calls.size(); ++i)
      EXPECT_EQ(calls[i], -1);
  }
}

TEST(Driver, FirstCancelAfterLevelsKeepsItInTheFullSizeCorrectionOnly)
{
  EngineControl control = StubControl({LookupStage, WorkingStage});
  TestImage image(20, 30), original(20, 30);
  image.FillRandom(2);
  original.FillRandom(2);
  // Full-size correction: the first slot's correction is already in the buffer.
  EXPECT_EQ(RunDriver(control, image, AdjustRect{0, 0, 10, 10}, 1), 1);
  EXPECT_EQ(image.Pixel(7, 9)[1], StubLut(original.Pixel(7, 9)[1]));
  // Reduced-copy correction: only the replay writes the full image.
  TestImage untouched = original;
  for (int k = 1; k <= 6; ++k) {
    TestImage fresh = original;
    EXPECT_EQ(RunDriver(control, fresh, WholeRect(20, 30), k), 1);
    EXPECT_EQ(ProtocolError(Progress().calls), "");
    EXPECT_EQ(fresh.bytes, untouched.bytes) << "cancel at poll " << k;
  }
}

TEST(Driver, ReducedCopyCancelAtEveryPollStaysBalanced)
{
  EngineControl control = StubControl({LookupStage, WorkingStage, nullptr, nullptr, SharpenStage});
  control.borderFlag = 1;
  control.borderPrePass = BorderStage;
  control.finalStep = FinalStage;
  TestImage image(40, 30);
  image.FillRandom(3);
  ASSERT_EQ(RunDriver(control, image, WholeRect(40, 30)), 0);
  int polls = Progress().polls;
  for (int k = 1; k <= polls; ++k) {
    TestImage fresh(40, 30);
    fresh.FillRandom(3);
    EXPECT_EQ(RunDriver(control, fresh, WholeRect(40, 30), k), 1);
    EXPECT_EQ(ProtocolError(Progress().calls), "") << "cancel at poll " << k;
  }
}

TEST(Driver, StageStatusStopsTheRun)
{
  FailingStatus() = kStatusBadArgument;
  EngineControl control = StubControl({LookupStage, FailingStage, PollingStage});
  TestImage image(20, 30);
  EXPECT_EQ(RunDriver(control, image, AdjustRect{0, 0, 5, 5}), kStatusBadArgument);
  EXPECT_EQ(Trace(), (std::vector<std::string>{"lookup:20x30", "failing:20x30"}));
  EXPECT_EQ(ProtocolError(Progress().calls), "");
  FailingStatus() = kStatusNoMemory;
}

TEST(Driver, PassCallbackFlagHandsTheCallerCallbackToStages)
{
  EngineControl control = StubControl({PollingStage});
  TestImage image(8, 8);
  RunDriver(control, image, WholeRect(8, 8));
  EXPECT_EQ(Progress().polls, 6 + 2);
  control.passCallback = 1;
  RunDriver(control, image, WholeRect(8, 8));
  EXPECT_EQ(Progress().polls, 6 + 2 + 3);
  EXPECT_EQ(ProtocolError(Progress().calls), "");
}

TEST(Driver, NoFilledSlotWithAReducedCopyReturnsAtOnce)
{
  EngineControl control = StubControl({});
  control.borderPrePass = BorderStage;
  control.finalStep = FinalStage;
  TestImage image(20, 30);
  EXPECT_EQ(RunDriver(control, image, WholeRect(20, 30)), 0);
  EXPECT_TRUE(Progress().calls.empty());
  // In the full-size correction absent stages are skipped but their ticks remain.
  EXPECT_EQ(RunDriver(control, image, AdjustRect{0, 0, 2, 2}), 0);
  EXPECT_EQ(Trace(), (std::vector<std::string>{"border:20x30", "final:20x30"}));
  EXPECT_EQ(Progress().calls, (std::vector<int>{-2, -6, 0, 0, 0, 0, 0, 0, -1, 0, 0, -1}));
}

TEST(Driver, WrongImageKindIsRefusedUntouched)
{
  EngineControl control = StubControl({LookupStage});
  TestImage image(4, 4);
  ImageDesc plane = ChannelView(image.Desc(), 0);
  ResetProgress();
  EXPECT_EQ(RunPipeline(control, plane, WholeRect(4, 4), RecordProgress), kStatusBadArgument);
  EXPECT_TRUE(Progress().calls.empty());
}

TEST(Driver, SharpeningPositionsRunInOrder)
{
  TestImage image(40, 50);
  image.FillRandom(4);
  const AdjustRect whole = WholeRect(40, 50);

  // Middle: everything at full resolution.
  EngineControl middle = StubControl({LookupStage, SharpenStage, LookupStage});
  EXPECT_EQ(RunDriver(middle, image, whole), 0);
  EXPECT_EQ(Trace(), (std::vector<std::string>{"lookup:40x50", "sharpen:40x50", "lookup:40x50"}));

  // Budget 50 over 2000 pixels: d = sqrt(40), a 6 x 8 reduced copy.
  // First: border on the reduced copy, sharpening on the full image with the
  // mapped rectangle, then the other stages on the copy.
  EngineControl first = StubControl({SharpenStage, LookupStage});
  first.borderPrePass = BorderStage;
  first.finalStep = FinalStage;
  EXPECT_EQ(RunDriver(first, image, whole), 0);
  EXPECT_EQ(Trace(), (std::vector<std::string>{"border:6x8", "sharpen:40x50", "lookup:6x8", "final:6x8"}));
  // {1, 1, 7, 5} inside {0, 0, 8, 6} maps to 50 x 40 as left 0 + q(2 * 50, 8) = 12,
  // right 50 - q(2 * 50, 8) = 38, top q(2 * 40, 6) = 13, bottom 40 - 13 = 27.
  EXPECT_EQ(SharpenRect(), (AdjustRect{12, 13, 38, 27}));

  // Last (also the only stage): the others on the copy, sharpening and the
  // final step on the full image afterwards.
  EngineControl last = StubControl({LookupStage, nullptr, nullptr, nullptr, SharpenStage});
  last.borderPrePass = BorderStage;
  last.finalStep = FinalStage;
  EXPECT_EQ(RunDriver(last, image, whole), 0);
  EXPECT_EQ(Trace(), (std::vector<std::string>{"border:6x8", "lookup:6x8", "sharpen:40x50", "final:40x50"}));
  EXPECT_EQ(SharpenRect(), (AdjustRect{12, 13, 38, 27}));
  EngineControl only = StubControl({nullptr, nullptr, nullptr, nullptr, SharpenStage});
  EXPECT_EQ(RunDriver(only, image, whole), 0);
  EXPECT_EQ(Trace(), (std::vector<std::string>{"sharpen:40x50"}));
}

TEST(Driver, ReplayEqualsTheChainOnEveryPixelIncludingCacheCollisions)
{
  // Colours 128 apart in a channel share a cache slot and evict each other.
  TestImage image(48, 64, 4, 5);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      uint8_t* p = image.Pixel(y, x);
      p[0] = uint8_t(7 + 32 * (x % 8));
      p[1] = uint8_t(9 + 32 * (y % 8));
      p[2] = uint8_t(11 + 32 * ((x + y) % 3) + (x / 32));
    }
  const TestImage original = image;
  // Lookup, (converter), hue turn, (converter), lookup.
  EngineControl control = StubControl({LookupStage, WorkingStage, LookupStage});
  ASSERT_EQ(RunDriver(control, image, WholeRect(48, 64)), 0);
  std::vector<PixelOp> chain{LookupOp, ColourToWorkingPlainOp, HueOp, WorkingToColourPlainOp, LookupOp};
  TestImage expected = original;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      Evaluate(chain, expected.Pixel(y, x));
  EXPECT_EQ(image.bytes, expected.bytes);
  EXPECT_TRUE(image.CanariesIntact());
}

TEST(Driver, ConvertersFollowTheWorkingGammaAndATrailingWorkingStepIsConvertedBack)
{
  TestImage image(30, 40);
  image.FillRandom(5);
  const TestImage original = image;
  EngineControl control = StubControl({LookupStage, GammaStage, WorkingStage});
  ASSERT_EQ(RunDriver(control, image, WholeRect(30, 40)), 0);
  PrepareGammaTables(1.8);
  std::vector<PixelOp> chain{LookupOp, ColourToWorkingGammaOp, HueOp, WorkingToColourGammaOp};
  TestImage expected = original;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      Evaluate(chain, expected.Pixel(y, x));
  EXPECT_EQ(image.bytes, expected.bytes);
}

TEST(Queue, InsertsConvertersAndRefusesOverflow)
{
  EngineControl control;
  ASSERT_EQ(QueueStep(control, HueOp, true, true), 0);
  ASSERT_EQ(QueueStep(control, LookupOp, false, false), 0);
  ASSERT_EQ(control.queueCount, 4);
  EXPECT_EQ(control.queue[0].op, &ColourToWorkingPlainOp);
  EXPECT_EQ(control.queue[1].op, &HueOp);
  EXPECT_EQ(control.queue[2].op, &WorkingToColourPlainOp);
  control.workingGamma = 2.0;
  ASSERT_EQ(QueueStep(control, HueOp, true, false), 0);
  EXPECT_EQ(control.queue[4].op, &ColourToWorkingGammaOp);
  ASSERT_EQ(QueueStep(control, HueOp, true, true), 0);
  EXPECT_EQ(control.queue[6].op, &ColourToWorkingGammaOp);
  // 8 entries: 12 more same-space steps fill the queue, the 21st is refused.
  for (int i = 0; i < 12; ++i)
    ASSERT_EQ(QueueStep(control, HueOp, true, true), 0);
  EXPECT_EQ(QueueStep(control, HueOp, true, true), kStatusBadArgument);
  EXPECT_EQ(control.queueCount, kQueueCapacity);
  // A step needing a converter is refused whole when only one entry is free.
  control.queueCount = 19;
  EXPECT_EQ(QueueStep(control, LookupOp, false, false), kStatusBadArgument);
  EXPECT_EQ(control.queueCount, 19);
}

TEST(Driver, PaddingIsNeverWrittenAndPixelsOutsideTheRectangleAreCorrected)
{
  for (AdjustRect rect : {AdjustRect{2, 2, 6, 6}, AdjustRect{0, 0, 33, 21}}) {
    TestImage image(21, 33, 4, 3);
    image.FillRandom(6);
    const TestImage original = image;
    EngineControl control = StubControl({LookupStage, WorkingStage, nullptr, LookupStage, SharpenStage});
    ASSERT_EQ(RunDriver(control, image, rect), 0);
    EXPECT_TRUE(image.CanariesIntact());
    // The corrections reach the far corner, outside the rectangle.
    size_t corner = size_t(image.Pixel(20, 32) - image.bytes.data());
    EXPECT_NE(std::memcmp(&image.bytes[corner], &original.bytes[corner], 3), 0);
  }
}

TEST(Driver, BottomUpBuffersAreCorrectedInPlace)
{
  TestImage image(12, 9);
  image.FillRandom(7);
  const TestImage original = image;
  // The first row as seen is the last stored row.
  ImageDesc desc = CallerImage(image.Pixel(11, 0), 12, 9, -image.rowBytes, 3);
  ResetProgress();
  ASSERT_EQ(RunPipeline(StubControl({LookupStage}), desc, WholeRect(12, 9), RecordProgress), 0);
  for (size_t i = 0; i < image.bytes.size(); ++i)
    ASSERT_EQ(image.bytes[i], StubLut(original.bytes[i]));
}

TEST(Reduce, CentredGridForOrdinaryThinAndTallImages)
{
  struct Case {
    int32_t rows, columns;
    int64_t budget;
  };
  for (Case c : {Case{40, 50, 50}, Case{5000, 2, 100}, Case{1, 3000, 100}, Case{7, 7, 0}, Case{9, 11, 1000}}) {
    TestImage image(c.rows, c.columns);
    for (int32_t y = 0; y < c.rows; ++y)
      for (int32_t x = 0; x < c.columns; ++x) {
        image.Pixel(y, x)[0] = uint8_t(y), image.Pixel(y, x)[1] = uint8_t(y >> 8), image.Pixel(y, x)[2] = uint8_t(x);
      }
    ImageDesc out;
    ASSERT_EQ(Reduce(image.Desc(), c.budget, out, RecordProgress), 0);
    const int64_t H = c.rows, W = c.columns;
    double d = std::max(1.0, std::sqrt(double(H * W) / double(c.budget > 0 ? c.budget : 1)));
    int64_t h = std::max<int64_t>(1, int64_t(H / d + 0.5)), w = std::max<int64_t>(1, int64_t(W / d + 0.5));
    ASSERT_EQ(out.rows, h);
    ASSERT_EQ(out.columns, w);
    for (int64_t i = 0; i < h; ++i)
      for (int64_t j = 0; j < w; ++j) {
        int64_t sy = ((H - H * (h - 1) / h - 1) >> 1) + H * i / h;
        int64_t sx = ((W - W * (w - 1) / w - 1) >> 1) + W * j / w;
        const uint8_t* p = out.At(i, j);
        ASSERT_EQ(p[0] | p[1] << 8, sy) << c.rows << "x" << c.columns;
        ASSERT_EQ(p[2], uint8_t(sx));
      }
    FreeImage(out);
  }
  ImageDesc out;
  EXPECT_EQ(Reduce(EmptyImage(), 100, out, RecordProgress), kStatusBadArgument);
  TestImage none(1, 1);
  ImageDesc empty = RectView(none.Desc(), EmptyRect());
  EXPECT_EQ(Reduce(empty, 100, out, RecordProgress), 0);
  EXPECT_FALSE(out.Allocated());
  EXPECT_EQ(LiveAllocations(), 0);
}

TEST(Reduce, CancelFreesTheCopyAndSameSizeViewOption)
{
  TestImage image(64, 64);
  ImageDesc out;
  ResetProgress(1);
  EXPECT_EQ(Reduce(image.Desc(), 1000, out, RecordProgress), 1);
  EXPECT_FALSE(out.Allocated());
  EXPECT_EQ(ProtocolError(Progress().calls), "");
  EXPECT_EQ(LiveAllocations(), 0);
  EXPECT_EQ(Reduce(image.Desc(), 100000, out, NoProgress, true), 0);
  EXPECT_EQ(out.data, image.bytes.data());
  EXPECT_FALSE(out.ownsBuffer);
}

TEST(Rect, MappingShrinksByQ)
{
  // q(a, b) = ceil(a / b) - 1. Unchanged inner rectangle, exact multiple:
  // q(20, 10) = 1, so every side moves in by one.
  EXPECT_EQ(MapRect({0, 0, 10, 10}, {0, 0, 10, 10}, {0, 0, 20, 20}), (AdjustRect{1, 1, 19, 19}));
  // q(25, 10) = 2.
  EXPECT_EQ(MapRect({0, 0, 10, 10}, {0, 0, 10, 10}, {5, 5, 30, 30}), (AdjustRect{7, 7, 28, 28}));
  // Same size: q(1, 1) = 0, no change; inner narrowed by 2 on top: q(3, 1) = 2.
  EXPECT_EQ(MapRect({0, 0, 4, 4}, {0, 2, 4, 4}, {0, 0, 4, 4}), (AdjustRect{0, 2, 4, 4}));
  EXPECT_EQ(MapRect({0, 0, 4, 4}, EmptyRect(), {0, 0, 4, 4}), EmptyRect());
  EXPECT_EQ(MapRect({0, 0, 4, 4}, {0, 0, 4, 4}, EmptyRect()), EmptyRect());
  // A 1-pixel reduced copy of a 3-pixel target collapses: q(3, 1) = 2 from both ends.
  EXPECT_EQ(MapRect({0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 3, 3}), EmptyRect());
}
