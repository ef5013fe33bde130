// The installed tone stages end to end: through the exports both ways
// (64 x 64 stays at full resolution, 640 x 480 is analysed on a reduced
// copy), and through the driver with the caller's callback handed to the
// stages.
#include "testkit.h"

#include "colorspace.h"
#include "contrast.h"
#include "gamma.h"
#include "levels.h"
#include "module.h"
#include "status.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace lvx;
using namespace lvxtest;

namespace {

struct Size {
  int rows, columns;
};
constexpr Size kFullSize{64, 64}, kReducedCopy{480, 640};

int Correct(TestImage& image, const AdjustRect* rect = nullptr, AdjustProgressProc cb = nullptr)
{
  return DoAdjustments(image.bytes.data(), image.rows, image.columns, image.rowBytes, image.pixelBytes, rect, cb);
}

AdjustParams Record(int16_t contrast, int16_t colour, double tonal, double target)
{
  AdjustParams p = DefaultParams();
  p.contrastLevel = contrast, p.colorLevel = colour, p.tonalGamma = tonal, p.targetGamma = target;
  return p;
}

TestImage Uniform(Size size, uint8_t red, uint8_t green, uint8_t blue)
{
  TestImage image(size.rows, size.columns);
  for (int y = 0; y < size.rows; ++y)
    for (int x = 0; x < size.columns; ++x)
      image.Pixel(y, x)[0] = blue, image.Pixel(y, x)[1] = green, image.Pixel(y, x)[2] = red;
  return image;
}

std::vector<uint8_t> CorrectWith(const AdjustParams& params, TestImage image)
{
  SetParams(&params);
  EXPECT_EQ(Correct(image), 0);
  return image.bytes;
}

// The module's control block with the caller's callback handed to stages.
EngineControl PassingControl()
{
  EngineControl control = Module().control;
  control.passCallback = 1;
  return control;
}

// "" when every task delivered exactly the ticks it announced.
std::string UndeliveredTicks(const std::vector<int>& calls)
{
  std::vector<std::pair<int, int>> open; // announced, delivered
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i] < -1) {
      open.push_back({-calls[i], 0});
    } else if (calls[i] == 0 && !open.empty()) {
      ++open.back().second;
    } else if (calls[i] == -1 && !open.empty()) {
      if (open.back().first != open.back().second)
        return "task ending at call " + std::to_string(i) + ": " + std::to_string(open.back().first) + " announced, " +
               std::to_string(open.back().second) + " delivered";
      open.pop_back();
    }
  }
  return "";
}

} // namespace

TEST(Correction, UniformPicturesBothWays)
{
  SetParams(nullptr);
  // A grey picture is measured at the gamma limit of colour level 3, 1.733;
  // 1.733 x 1.2 < 2.2, so the working gamma is 2.2 / 1.2 and the colour
  // gamma (ratio 1.2) leaves greys alone. Levels and contrast find nothing
  // to do, so the picture comes out as the display table from the working
  // gamma to the target 2.2: floor(255 (v / 255)^((2.2 / 1.2) / 2.2) + 0.5).
  // Black and white stay as they are.
  const double exponent = (2.2 / 1.2) / 2.2;
  for (int v : {0, 1, 40, 128, 254, 255}) {
    const uint8_t expected = uint8_t(std::floor(255 * std::pow(v / 255.0, exponent) + 0.5));
    for (Size size : {kFullSize, kReducedCopy}) {
      TestImage image = Uniform(size, uint8_t(v), uint8_t(v), uint8_t(v));
      ASSERT_EQ(Correct(image), 0);
      EXPECT_EQ(image.bytes, std::vector<uint8_t>(image.bytes.size(), expected)) << v << " at " << size.columns;
    }
  }
  // Uniform colours come out alike both ways.
  for (Rgb c : {Rgb{30, 120, 200}, Rgb{250, 10, 90}, Rgb{3, 2, 1}}) {
    TestImage full = Uniform(kFullSize, c.r, c.g, c.b), reduced = Uniform(kReducedCopy, c.r, c.g, c.b);
    ASSERT_EQ(Correct(full), 0);
    ASSERT_EQ(Correct(reduced), 0);
    EXPECT_TRUE(std::equal(full.Pixel(0, 0), full.Pixel(0, 0) + 3, reduced.Pixel(0, 0)));
    EXPECT_NE(full.Pixel(0, 0)[1], c.g);
  }
}

TEST(Correction, GreysStayGreyForAnySettings)
{
  const AdjustParams records[] = {Record(1, 1, 1.0, 1.0), Record(13, 13, 3.0, 2.8), Record(7, 3, 1.8, 2.2),
                                  Record(3, 13, 2.2, 0.5), Record(13, 1, 0.4, 4.0)};
  std::mt19937 rng(3);
  for (const AdjustParams& p : records)
    for (Size size : {kFullSize, kReducedCopy}) {
      if (size.rows == kReducedCopy.rows && &p != records)
        continue; // one record is enough for the slow way
      TestImage image(size.rows, size.columns);
      for (int y = 0; y < size.rows; ++y)
        for (int x = 0; x < size.columns; ++x)
          image.Pixel(y, x)[0] = image.Pixel(y, x)[1] = image.Pixel(y, x)[2] = uint8_t(rng() % 200 + y % 50);
      SetParams(&p);
      ASSERT_EQ(Correct(image), 0);
      for (int y = 0; y < size.rows; ++y)
        for (int x = 0; x < size.columns; ++x) {
          const uint8_t* px = image.Pixel(y, x);
          ASSERT_TRUE(px[0] == px[1] && px[1] == px[2]) << y << "," << x << " contrast " << p.contrastLevel;
        }
    }
  SetParams(nullptr);
}

TEST(Correction, PixelsOutsideTheRectangleAreCorrectedAlikeAndPaddingIsKept)
{
  SetParams(nullptr);
  // The rectangle covers the left part; every pixel to its right repeats one
  // inside it, and must come out the same.
  for (Size size : {kFullSize, kReducedCopy}) {
    const int inside = size.columns == 64 ? 32 : 440; // 440 x 480 > 200000: the reduced-copy correction
    TestImage image = CastPicture(size.rows, size.columns, 4);
    for (int y = 0; y < size.rows; ++y)
      for (int x = inside; x < size.columns; ++x)
        std::copy(image.Pixel(y, x - inside), image.Pixel(y, x - inside) + 3, image.Pixel(y, x));
    const TestImage original = image;
    AdjustRect rect{0, 0, inside, size.rows};
    ASSERT_EQ(Correct(image, &rect), 0);
    EXPECT_NE(image.bytes, original.bytes);
    EXPECT_TRUE(image.CanariesIntact());
    for (int y = 0; y < size.rows; ++y)
      for (int x = inside; x < size.columns; ++x)
        ASSERT_TRUE(std::equal(image.Pixel(y, x), image.Pixel(y, x) + 3, image.Pixel(y, x - inside))) << y << "," << x;
  }
}

TEST(Correction, RunsDependOnlyOnTheirPictureAndTheLastSetParams)
{
  // run(B) after run(A) equals run(B) after run(C): no table, gamma or
  // blend of an earlier run reaches a later one. Without a SetParams in
  // between, the settings stay.
  const AdjustParams a = Record(13, 1, 1.2, 1.0), b = Record(5, 9, 2.0, 2.2), c = Record(1, 13, 3.0, 1.6);
  for (Size size : {kFullSize, kReducedCopy}) {
    TestImage imageA(size.rows, size.columns), imageC = Uniform(size, 20, 200, 90);
    imageA.FillRandom(30);
    TestImage imageB = CastPicture(size.rows, size.columns, 31);
    CorrectWith(a, imageA);
    const std::vector<uint8_t> afterA = CorrectWith(b, imageB);
    CorrectWith(c, imageC);
    EXPECT_EQ(CorrectWith(b, imageB), afterA);
    TestImage again = imageB;
    ASSERT_EQ(Correct(again), 0);
    EXPECT_EQ(again.bytes, afterA);
    EXPECT_NE(CorrectWith(DefaultParams(), imageB), afterA);
  }
  SetParams(nullptr);
}

TEST(Correction, SmallPicturesFinish)
{
  // Tiles of fewer than 256 pixels are measured like any other.
  SetParams(nullptr);
  for (int n = 63; n >= 1; --n) {
    TestImage image(n, n);
    image.FillRandom(uint32_t(n));
    ASSERT_EQ(Correct(image), 0) << n;
  }
}

TEST(Correction, FinalStepAfterSharpeningGivesTheSamePicture)
{
  // With a sharpening stage last, the reduced-copy correction runs the final step on
  // the full image after it instead of replaying it; an identity
  // sharpening must then leave the same picture.
  SetParams(nullptr);
  const EngineControl plain = Module().control;
  EngineControl sharpened = plain;
  sharpened.stages[kSlotSharpen] = sharpened.sharpening = SharpenStage;
  TestImage a = CastPicture(kReducedCopy.rows, kReducedCopy.columns, 6), b = a;
  const AdjustRect whole = WholeRect(kReducedCopy.rows, kReducedCopy.columns);
  ASSERT_EQ(RunPipeline(plain, a.Desc(), whole, NoProgress), 0);
  Trace().clear();
  ASSERT_EQ(RunPipeline(sharpened, b.Desc(), whole, NoProgress), 0);
  ASSERT_EQ(Trace(), (std::vector<std::string>{"sharpen:480x640"}));
  EXPECT_EQ(a.bytes, b.bytes);
}

TEST(Progress, EveryStageTaskDeliversItsAnnouncedTicks)
{
  SetParams(nullptr);
  // Exact tick counts leave out the skin stage (its threshold estimate
  // announces a tick per row but polls only the inner rows, and the stage
  // ends early when it finds no skin to correct) and the sharpening (its
  // neighbourhood filters deliver more or fewer ticks than they announce;
  // its own tasks are checked with the stage).
  EngineControl exact = PassingControl();
  exact.stages[kSlotSkin] = nullptr;
  exact.stages[kSlotSharpen] = nullptr;
  TestImage image = CastPicture(kFullSize.rows, kFullSize.columns, 7), copy = image;
  ResetProgress();
  ASSERT_EQ(RunPipeline(exact, copy.Desc(), WholeRect(64, 64), RecordProgress), 0);
  EXPECT_EQ(UndeliveredTicks(Progress().calls), "");

  EngineControl control = PassingControl();
  control.stages[kSlotSharpen] = nullptr;
  ResetProgress();
  ASSERT_EQ(RunPipeline(control, image.Desc(), WholeRect(64, 64), RecordProgress), 0);
  const std::vector<int>& calls = Progress().calls;
  EXPECT_EQ(ProtocolError(calls), "");
  // The stages' own tasks, inside the driver's and the runner's: levels 4,
  // gamma 3, contrast 3, skin tone 5, the final step 2 (the border pre-pass
  // has none).
  std::vector<int> stageTasks;
  int depth = 0;
  for (int n : calls) {
    if (n < -1 && ++depth == 3)
      stageTasks.push_back(-n);
    depth -= n == -1;
  }
  EXPECT_EQ(stageTasks, (std::vector<int>{4, 3, 3, 5, 2}));
}

TEST(Progress, CancelInEachStageEndsItsTasksAndKeepsWhatItApplied)
{
  SetParams(nullptr);
  for (StageFn stage : {LevelsStage, GammaStage, ContrastStage, DisplayGammaStep}) {
    struct Result {
      int status;
      std::vector<uint8_t> colour, working;
      int16_t queued;
      double gamma;
    };
    auto run = [&](int cancelAt) {
      TestImage image = CastPicture(kFullSize.rows, kFullSize.columns, 9);
      EngineControl control = Module().control;
      CorrectionImage pair = ImagePair(image, WholeRect(64, 64));
      EXPECT_EQ(EnsureWorking(pair, NoProgress), 0);
      ResetProgress(cancelAt);
      Result r{stage(pair, control, RecordProgress), image.bytes, {}, control.queueCount, control.workingGamma};
      r.working.assign(pair.working.data, pair.working.data + 64 * 64 * 4);
      EXPECT_EQ(ProtocolError(Progress().calls), "");
      FreeCorrectionImage(pair);
      return r;
    };
    const Result clean = run(0);
    const int polls = Progress().polls;
    ASSERT_EQ(clean.status, 0);
    ASSERT_GE(clean.queued, 1) << "every stage corrects this picture";
    for (int k = 1; k < polls; ++k)
      EXPECT_EQ(run(k).status, 1);
    // The last poll follows the correction and its queueing: both stay.
    const Result last = run(polls);
    EXPECT_EQ(last.status, 1);
    EXPECT_EQ(last.colour, clean.colour);
    EXPECT_EQ(last.working, clean.working);
    EXPECT_EQ(last.queued, clean.queued);
    // The gamma stage stores its working gamma only when not cancelled.
    if (stage == GammaStage) {
      EXPECT_NE(clean.gamma, 1.0);
      EXPECT_EQ(last.gamma, 1.0);
    }
  }
}
