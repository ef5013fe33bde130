// The skin-tone stage: detection rules on pictures with an injected model
// (one colour cell is skin), the correction target, the hue rewrite and its
// queued replay, progress and failures of the stage, and the real model
// through the exports on a synthetic portrait.
#include "testkit.h"

#include "alloc.h"
#include "colorspace.h"
#include "module.h"
#include "skinmodel.h"
#include "skintone.h"
#include "status.h"

#include "lvxtest/testenv.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

using namespace lvx;
using namespace lvxtest;

namespace {

constexpr Rgb kSkin{200, 120, 80}, kGround{60, 60, 60};

void Fill(TestImage& image, AdjustRect r, Rgb c)
{
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      image.Pixel(y, x)[0] = c.b, image.Pixel(y, x)[1] = c.g, image.Pixel(y, x)[2] = c.r;
}

TestImage Ground(int rows, int columns)
{
  TestImage image(rows, columns);
  Fill(image, WholeRect(rows, columns), kGround);
  return image;
}

// Settings with a model file in which only the cell of kSkin is skin (100),
// looked up by nearest cell, a fixed threshold and no majority filter, so
// that regions are exactly the kSkin pixels.
SkinSettings Injected()
{
  std::vector<char> table(4096, 0);
  table[kSkin.r >> 4 << 8 | kSkin.g >> 4 << 4 | kSkin.b >> 4] = 100;
  const std::string path = TempDir() + "/one-cell.bin";
  std::ofstream(path, std::ios::binary).write(table.data(), std::streamsize(table.size()));
  SkinSettings s = Module().skin;
  std::snprintf(s.modelPath, sizeof s.modelPath, "%s", path.c_str());
  s.interpolate = 0;
  s.estimateThreshold = 0;
  s.likelihoodThreshold = 50;
  s.filterRadius = 0;
  return s;
}

Rgb Detect(TestImage& image, SkinSettings s)
{
  Rgb measured{1, 1, 1};
  EXPECT_EQ(DetectSkinColour(image.Desc(), s, measured, NoProgress), 0);
  return measured;
}

// A soft-edged, shaded skin-coloured ellipse on a neutral ground, so that
// the real model's likelihood rises gradually toward its middle.
TestImage Portrait(int rows, int columns, int pixelBytes = 3, int extraRowBytes = 0)
{
  TestImage image(rows, columns, pixelBytes, extraRowBytes);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x) {
      const double dx = (x - columns / 2.0) / (0.3 * columns), dy = (y - rows / 2.0) / (0.4 * rows);
      const double d = std::sqrt(dx * dx + dy * dy);
      const double a = d < 0.7 ? 1 : (d > 1 ? 0 : (1 - d) / 0.3), shade = 0.8 + 0.05 * (2 - dx - dy);
      uint8_t* p = image.Pixel(y, x);
      const double skin[3] = {140, 170, 220}; // B, G, R
      for (int c = 0; c < 3; ++c)
        p[c] = uint8_t(140 * (1 - a) + skin[c] * shade * a + 0.5);
    }
  return image;
}
bool InFace(const TestImage& image, int y, int x)
{
  const double dx = (x - image.columns / 2.0) / (0.3 * image.columns), dy = (y - image.rows / 2.0) / (0.4 * image.rows);
  return dx * dx + dy * dy < 0.49;
}

// Runs the stage on a fresh image pair with the given settings.
struct StageRun {
  int status;
  int16_t queued;
  int32_t workingValid;
};
StageRun RunStage(TestImage image, SkinSettings* settings, AdjustRect rect, AdjustProgressProc cb,
                  std::vector<uint8_t>* out = nullptr)
{
  EngineControl control = Module().control;
  control.skin = settings;
  CorrectionImage pair = ImagePair(image, rect);
  const StageRun run{SkinToneStage(pair, control, cb), control.queueCount, pair.workingValid};
  if (out && EnsureColour(pair, NoProgress) == 0)
    *out = image.bytes;
  FreeCorrectionImage(pair);
  return run;
}

int Hue(const uint8_t* p) { return RgbToWorking(Rgb{p[2], p[1], p[0]}).H; }
int HueDistance(int a, int b) { return std::min((a - b) & 255, (b - a) & 255); }

} // namespace

TEST(SkinDetection, RegionSizesAndBorders)
{
  const SkinSettings s = Injected();
  TestImage image = Ground(40, 50);
  Fill(image, AdjustRect{20, 15, 29, 26}, kSkin); // 9 x 11 = 99 pixels: dropped
  EXPECT_EQ(Detect(image, s), Rgb{});
  Fill(image, AdjustRect{20, 15, 30, 25}, kSkin); // now 100 more: kept
  EXPECT_EQ(Detect(image, s), kSkin);

  // Regions together over 40 % of the top row (20 of 50 pixels) or of the
  // left column (16 of the 40 rows) refuse all skin, the middle block too.
  for (AdjustRect edge : {AdjustRect{2, 0, 23, 5}, AdjustRect{0, 10, 7, 27}}) {
    TestImage bordered = image;
    Fill(bordered, edge, kSkin);
    EXPECT_EQ(Detect(bordered, s), Rgb{}) << edge.right << " x " << edge.bottom;
    TestImage within = image;
    Fill(within, AdjustRect{edge.left, edge.top, edge.right - (edge.top == 0), edge.bottom - (edge.left == 0)}, kSkin);
    EXPECT_EQ(Detect(within, s), kSkin) << edge.right << " x " << edge.bottom;
  }

  // No skin-coloured pixel: every likelihood is 0, the estimate finds no
  // edge, and the threshold it writes back becomes 255.
  SkinSettings estimating = s;
  estimating.estimateThreshold = 1;
  TestImage none = Ground(40, 50);
  Rgb measured{1, 1, 1};
  EXPECT_EQ(DetectSkinColour(none.Desc(), estimating, measured, NoProgress), 0);
  EXPECT_EQ(measured, Rgb{});
  EXPECT_EQ(estimating.likelihoodThreshold, 255);
}

TEST(SkinDetection, TooManyRegionsMeanNoSkinAndTheRunGoesOn)
{
  // 36000 single skin pixels on a grid, every other row and column: more
  // regions than the labelling holds. The stage finds no skin.
  SkinSettings s = Injected();
  TestImage image = Ground(360, 400);
  for (int y = 0; y < 360; y += 2)
    for (int x = 0; x < 400; x += 2)
      Fill(image, AdjustRect{x, y, x + 1, y + 1}, kSkin);
  std::vector<uint8_t> after;
  const StageRun run = RunStage(image, &s, WholeRect(360, 400), NoProgress, &after);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.queued, 0);
  EXPECT_EQ(after, image.bytes);
}

TEST(SkinCorrection, TargetWithinStrength)
{
  // The smallest strength that corrects is the rounded chroma distance d;
  // there w = 1 - d x 0.5 / d = 0.5, so the result has the hue of the point
  // halfway between the two chroma points.
  SkinSettings s = Module().skin;
  const Rgb measured{200, 140, 110};
  int d = 0;
  for (s.strength = 0; s.strength < 256 && CorrectionTarget(measured, s) == Rgb{}; ++s.strength)
    d = s.strength + 1;
  ASSERT_GT(d, 3);
  ASSERT_LT(d, 256);
  const WorkingPixel m = RgbToWorking(measured), t = RgbToWorking(Rgb{s.targetColour[0], s.targetColour[1], s.targetColour[2]});
  const double* cosine = CosTable();
  const double x = (m.S * cosine[m.H] + t.S * cosine[t.H]) / 2;
  const double y = (m.S * cosine[(m.H + 192) & 255] + t.S * cosine[(t.H + 192) & 255]) / 2;
  EXPECT_EQ(CorrectionTarget(measured, s), WorkingToRgb(WorkingPixel{t.L, uint8_t(Chroma(x, y)), uint8_t(HueAngle(x, y))}));
  s.strength = int16_t(d + 40);
  EXPECT_NE(CorrectionTarget(measured, s), Rgb{});

  // A black target never corrects.
  s.targetColour[0] = s.targetColour[1] = s.targetColour[2] = 0;
  s.strength = 255;
  for (Rgb c : {Rgb{200, 140, 110}, Rgb{1, 0, 0}, Rgb{0, 0, 0}, Rgb{255, 255, 255}})
    EXPECT_EQ(CorrectionTarget(c, s), Rgb{});
}

TEST(SkinCorrection, HueShiftRules)
{
  auto build = [](int sm, int hm, int ht) {
    HueCorrection c;
    c.skinSaturation = sm, c.skinHue = hm, c.targetHue = ht;
    BuildHueTables(c);
  };
  // Skin hue 245, target 250 (m = 5): hue 255 shifts 5 (1 - (10 / 21) 0.7)
  // = 3.33, moves 3 and wraps to 2.
  build(128, 245, 250);
  EXPECT_EQ(CorrectedHue(128, 255), 2);
  // m = 20: hues 21 or more steps away stay; 20 away still move (6.67 -> 7).
  // Saturations 100 away weigh 0.1 (20 x 0.1 -> 2), 101 away nothing.
  build(128, 100, 120);
  for (int h = 70; h <= 130; ++h)
    EXPECT_EQ(CorrectedHue(128, uint8_t(h)) != h, std::abs(h - 100) < 21) << h;
  EXPECT_EQ(CorrectedHue(128, 120), 127);
  for (int s : {28, 228})
    EXPECT_EQ(CorrectedHue(uint8_t(s), 100), 102) << s;
  for (int s : {27, 229})
    EXPECT_EQ(CorrectedHue(uint8_t(s), 100), 100) << s;
  // Rounding cuts toward zero: +5 moves 5, -5 moves 4.
  build(128, 100, 105);
  EXPECT_EQ(CorrectedHue(128, 100), 105);
  build(128, 100, 95);
  EXPECT_EQ(CorrectedHue(128, 100), 96);
  // Half a turn: -128 when the target lies 128 above, +128 when 128 below.
  build(128, 0, 128);
  EXPECT_EQ(CorrectedHue(128, 0), 129);
  build(128, 128, 0);
  EXPECT_EQ(CorrectedHue(128, 128), 0);
}

TEST(SkinCorrection, CachedRewriteMatchesTheFormulaAndWritesOnlyTheHue)
{
  // Every (saturation, hue) pair twice, so the second meets the cache. With
  // skin (50, 190) and target hue 200 the pair (0, 187) becomes (0, 192),
  // both sentinels, and must still come out right.
  ImageDesc working = AllocWorking(512, 256);
  std::mt19937 rng(8);
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 256; ++x)
      StoreWorking(working.At(y, x), WorkingPixel{uint16_t(rng() % 4096), uint8_t(y), uint8_t(x)});
  const std::vector<uint8_t> before(working.data, working.data + 512 * 256 * 4);
  HueCorrection c;
  c.skinSaturation = 50, c.skinHue = 190, c.targetHue = 200;
  ASSERT_EQ(HueSelectiveCorrection(SaturationPlane(working), HuePlane(working), c, NoProgress), 0);
  EXPECT_EQ(CorrectedHue(0, 187), 192);
  for (size_t i = 0; i < before.size(); i += 4) {
    ASSERT_EQ(std::vector<uint8_t>(working.data + i, working.data + i + 3),
              std::vector<uint8_t>(before.begin() + long(i), before.begin() + long(i) + 3));
    ASSERT_EQ(working.data[i + 3], CorrectedHue(before[i + 2], before[i + 3])) << i / 4;
  }
  EXPECT_EQ(HueSelectiveCorrection(LightnessPlane(working), HuePlane(working), c, NoProgress), -200);
  FreeImage(working);
}

TEST(SkinCorrection, ReplayEqualsTheDirectRewrite)
{
  TestImage direct(40, 50);
  direct.FillRandom(4);
  const TestImage original = direct;
  TestImage replayed = direct;
  HueCorrection c;
  c.skinSaturation = 90, c.skinHue = 20, c.targetHue = 30;
  ImageDesc working;
  ASSERT_EQ(ColourToWorkingImage(direct.Desc(), working, 1.8, NoProgress), 0);
  ASSERT_EQ(HueSelectiveCorrection(SaturationPlane(working), HuePlane(working), c, NoProgress), 0);
  ASSERT_EQ(WorkingToColourImage(working, direct.Desc(), 1.8, NoProgress), 0);
  FreeImage(working);

  EngineControl control = StubControl({});
  control.workingGamma = 1.8;
  ASSERT_EQ(QueueStep(control, SkinHueOp, true, true), 0);
  CorrectionImage full = ImagePair(replayed, WholeRect(40, 50));
  ASSERT_EQ(Replay(full, control, NoProgress), 0);
  EXPECT_EQ(replayed.bytes, direct.bytes);
  EXPECT_NE(replayed.bytes, original.bytes);
}

TEST(SkinToneStage, EmptyRectangleFindsNoSkin)
{
  TestImage image = Portrait(30, 40);
  ResetProgress();
  std::vector<uint8_t> after;
  const StageRun run = RunStage(image, nullptr, AdjustRect{5, 5, 5, 20}, RecordProgress, &after);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.queued, 0);
  EXPECT_EQ(after, image.bytes);
  EXPECT_EQ(Progress().calls, (std::vector<int>{-5, 0, 0, 0, -1}));
}

TEST(SkinToneStage, CancelsAndFailuresEndCleanly)
{
  // The portrait with the library's model: detection, estimate and the hue
  // rewrite all run.
  const TestImage portrait = Portrait(48, 64);
  const AdjustRect whole = WholeRect(48, 64);
  ResetProgress();
  const StageRun clean = RunStage(portrait, nullptr, whole, RecordProgress);
  ASSERT_EQ(clean.status, 0);
  ASSERT_EQ(clean.queued, 2); // converter and hue operation
  const int polls = Progress().polls;
  for (int k = 1; k <= polls; ++k) {
    ResetProgress(k);
    EXPECT_EQ(RunStage(portrait, nullptr, whole, RecordProgress).status, 1) << k;
    EXPECT_EQ(ProtocolError(Progress().calls), "") << k;
    EXPECT_EQ(LiveAllocations(), 0) << k;
    EXPECT_EQ(LoadedSkinModel().table, nullptr) << k;
  }

  ExpectEachAllocationFailureReported([&](AdjustProgressProc cb) { return RunStage(portrait, nullptr, whole, cb).status; });
  // The last request is the rewrite's second cache: the working image, not
  // rewritten, must not count as current.
  standin::ResetAllocationFaults();
  RunStage(portrait, nullptr, whole, NoProgress);
  standin::FailAllocations(standin::AllocationRequests() - 1, 1);
  const StageRun failed = RunStage(portrait, nullptr, whole, NoProgress);
  standin::ResetAllocationFaults();
  EXPECT_EQ(failed.status, -108);
  EXPECT_EQ(failed.workingValid, 0);
}

TEST(SkinToneRealModel, PortraitHuesMoveTowardTheTargetOnBothRoads)
{
  SetParams(nullptr);
  const int target = Hue(std::vector<uint8_t>{181, 200, 233}.data()); // the default skin colour
  for (int rows : {64, 480}) {
    TestImage image = Portrait(rows, rows * 4 / 3, 4, 3);
    Rgb measured;
    SkinSettings s = Module().skin;
    ASSERT_EQ(DetectSkinColour(image.Desc(), s, measured, NoProgress), 0);
    EXPECT_NE(measured, Rgb{});
    TestImage plain = image;
    EngineControl withoutSkin = Module().control;
    withoutSkin.stages[kSlotSkin] = nullptr;
    ASSERT_EQ(RunPipeline(withoutSkin, plain.Desc(), WholeRect(image.rows, image.columns), NoProgress), 0);
    ASSERT_EQ(DoAdjustments(image.bytes.data(), image.rows, image.columns, image.rowBytes, 4, nullptr, nullptr), 0);
    EXPECT_TRUE(image.CanariesIntact());
    int toward = 0, away = 0, face = 0;
    long sumBefore = 0, sumAfter = 0;
    for (int y = 0; y < image.rows; ++y)
      for (int x = 0; x < image.columns; ++x) {
        if (!InFace(image, y, x))
          continue;
        const int before = HueDistance(Hue(plain.Pixel(y, x)), target), after = HueDistance(Hue(image.Pixel(y, x)), target);
        ++face;
        sumBefore += before;
        sumAfter += after;
        toward += after < before;
        away += after > before;
      }
    // Most of the face turns toward the target; the odd step away is the
    // rounding of the display conversion.
    EXPECT_GT(toward, face / 2) << rows;
    EXPECT_LT(away * 50, toward) << rows;
    EXPECT_LT(sumAfter * 2, sumBefore) << rows;
  }
}

TEST(SkinToneRealModel, PicturesWithoutSkinAreLeftAloneAndRunsDoNotCarryOver)
{
  // Saturated blues and greens have likelihood 0: the threshold becomes 255
  // and the picture comes out as without the skin stage.
  SetParams(nullptr);
  TestImage cold(50, 60);
  std::mt19937 rng(2);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 60; ++x)
      cold.Pixel(y, x)[rng() % 2] = uint8_t(128 + rng() % 128);
  TestImage reference = cold;
  EngineControl withoutSkin = Module().control;
  withoutSkin.stages[kSlotSkin] = nullptr;
  ASSERT_EQ(RunPipeline(withoutSkin, reference.Desc(), WholeRect(50, 60), NoProgress), 0);

  auto correct = [](TestImage image) {
    EXPECT_EQ(DoAdjustments(image.bytes.data(), image.rows, image.columns, image.rowBytes, 3, nullptr, nullptr), 0);
    return image.bytes;
  };
  const std::vector<uint8_t> first = correct(Portrait(64, 85));
  const int16_t portraitThreshold = Module().skin.likelihoodThreshold;
  EXPECT_LT(portraitThreshold, 100);
  EXPECT_EQ(correct(cold), reference.bytes);
  EXPECT_EQ(Module().skin.likelihoodThreshold, 255);
  EXPECT_EQ(correct(Portrait(64, 85)), first);
  EXPECT_EQ(Module().skin.likelihoodThreshold, portraitThreshold);
}
