// The skin-tone stage: detection rules with an injected model (one colour
// cell is skin), the correction target, the hue rewrite and its replay,
// progress and failures, and the library's model through the exports on a
// synthetic portrait.
#include "testkit.h"

#include "alloc.h"
#include "module.h"
#include "skinmodel.h"
#include "skintone.h"

#include "lvxtest/testenv.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

using namespace lvx;
using namespace lvxtest;

namespace {

constexpr Rgb kSkin{200, 120, 80};

void Fill(TestImage& image, AdjustRect r, Rgb c)
{
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      image.Pixel(y, x)[0] = c.b, image.Pixel(y, x)[1] = c.g, image.Pixel(y, x)[2] = c.r;
}

TestImage Ground(int rows, int columns)
{
  TestImage image(rows, columns);
  Fill(image, WholeRect(rows, columns), Rgb{60, 60, 60});
  return image;
}

// A model file in which only kSkin's cell is skin, looked up by nearest
// cell, a fixed threshold and no majority filter: regions are exactly the
// kSkin pixels.
SkinSettings Injected()
{
  std::vector<char> table(4096, 0);
  table[kSkin.r >> 4 << 8 | kSkin.g >> 4 << 4 | kSkin.b >> 4] = 100;
  const std::string path = TempDir() + "/one-cell.bin";
  std::ofstream(path, std::ios::binary).write(table.data(), std::streamsize(table.size()));
  SkinSettings s = Module().skin;
  std::snprintf(s.modelPath, sizeof s.modelPath, "%s", path.c_str());
  s.interpolate = s.estimateThreshold = s.filterRadius = 0;
  s.likelihoodThreshold = 50;
  return s;
}

Rgb Detect(TestImage& image, SkinSettings s)
{
  Rgb measured{1, 1, 1};
  EXPECT_EQ(DetectSkinColour(image.Desc(), s, measured, NoProgress), 0);
  return measured;
}

// Where a pixel lies relative to a centred ellipse (1 on its edge).
struct Place {
  double dx, dy;
  double Distance() const { return std::sqrt(dx * dx + dy * dy); }
};
Place PlaceOf(const TestImage& image, int y, int x)
{
  return Place{(x - image.columns / 2.0) / (0.3 * image.columns), (y - image.rows / 2.0) / (0.4 * image.rows)};
}

// A soft-edged skin-coloured ellipse, shaded from top left to bottom right,
// on a neutral ground, so that the library's model rises gradually toward
// its middle.
TestImage Portrait(int rows, int columns, int pixelBytes = 3, int extraRowBytes = 0)
{
  TestImage image(rows, columns, pixelBytes, extraRowBytes);
  const double skin[3] = {140, 170, 220}; // B, G, R
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x) {
      const Place p = PlaceOf(image, y, x);
      const double d = p.Distance(), a = d < 0.7 ? 1 : (d > 1 ? 0 : (1 - d) / 0.3),
                   shade = 0.8 + 0.05 * (2 - p.dx - p.dy);
      for (int c = 0; c < 3; ++c)
        image.Pixel(y, x)[c] = uint8_t(140 * (1 - a) + skin[c] * shade * a + 0.5);
    }
  return image;
}

struct StageRun {
  int status;
  int16_t queued;
  int32_t workingValid;
  std::vector<uint8_t> after;
};
// The stage on a fresh image pair at working gamma 1 (null settings: the module's).
StageRun RunStage(TestImage image, SkinSettings* settings, AdjustRect rect, AdjustProgressProc cb)
{
  EngineControl control = Module().control;
  control.skin = settings;
  CorrectionImage pair = ImagePair(image, rect);
  StageRun run{SkinToneStage(pair, control, cb), control.queueCount, pair.workingValid, {}};
  if (EnsureColour(pair, NoProgress) == 0)
    run.after = image.bytes;
  FreeCorrectionImage(pair);
  return run;
}

std::vector<uint8_t> WithoutSkinStage(TestImage image)
{
  EngineControl control = Module().control;
  control.stages[kSlotSkin] = nullptr;
  EXPECT_EQ(RunPipeline(control, image.Desc(), WholeRect(image.rows, image.columns), NoProgress), 0);
  return image.bytes;
}

void HueTables(int skinSaturation, int skinHue, int targetHue)
{
  HueCorrection c;
  c.skinSaturation = skinSaturation, c.skinHue = skinHue, c.targetHue = targetHue;
  BuildHueTables(c);
}

} // namespace

TEST(SkinDetection, RegionSizesBordersAndNoSkin)
{
  const SkinSettings s = Injected();
  TestImage image = Ground(40, 50);
  Fill(image, AdjustRect{20, 15, 29, 26}, kSkin); // 9 x 11 = 99 pixels: dropped
  EXPECT_EQ(Detect(image, s), Rgb{});
  Fill(image, AdjustRect{20, 15, 30, 25}, kSkin); // now over 100: kept
  EXPECT_EQ(Detect(image, s), kSkin);
  // Regions covering over 40 % of the top row (20 of 50) or of the left
  // column (16 of 40 rows) refuse all skin, the middle block too.
  for (AdjustRect edge : {AdjustRect{2, 0, 23, 5}, AdjustRect{0, 10, 7, 27}}) {
    TestImage over = image, within = image;
    Fill(over, edge, kSkin);
    EXPECT_EQ(Detect(over, s), Rgb{}) << edge.right;
    Fill(within, AdjustRect{edge.left, edge.top, edge.right - (edge.top == 0), edge.bottom - (edge.left == 0)}, kSkin);
    EXPECT_EQ(Detect(within, s), kSkin) << edge.right;
  }
  // Every likelihood 0: the estimate finds no edge and writes back 255.
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
  // 36000 single skin pixels, every other row and column: more regions than
  // the labelling holds.
  SkinSettings s = Injected();
  TestImage image = Ground(360, 400);
  for (int y = 0; y < 360; y += 2)
    for (int x = 0; x < 400; x += 2)
      Fill(image, AdjustRect{x, y, x + 1, y + 1}, kSkin);
  const StageRun run = RunStage(image, &s, WholeRect(360, 400), NoProgress);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.queued, 0);
  EXPECT_EQ(run.after, image.bytes);
}

TEST(SkinCorrection, TargetWithinStrength)
{
  // The smallest strength that corrects is the rounded chroma distance d;
  // there w = 1 - d x 0.5 / d = 0.5: the hue of the point halfway between
  // the two chroma points. A black target never corrects.
  SkinSettings s = Module().skin;
  const Rgb measured{200, 140, 110};
  for (s.strength = 0; s.strength < 255 && CorrectionTarget(measured, s) == Rgb{}; ++s.strength) {
  }
  ASSERT_GT(s.strength, 3);
  const WorkingPixel m = RgbToWorking(measured),
                     t = RgbToWorking(Rgb{s.targetColour[0], s.targetColour[1], s.targetColour[2]});
  const double* cosine = CosTable();
  const double x = (m.S * cosine[m.H] + t.S * cosine[t.H]) / 2;
  const double y = (m.S * cosine[(m.H + 192) & 255] + t.S * cosine[(t.H + 192) & 255]) / 2;
  EXPECT_EQ(CorrectionTarget(measured, s),
            WorkingToRgb(WorkingPixel{t.L, uint8_t(Chroma(x, y)), uint8_t(HueAngle(x, y))}));
  s.targetColour[0] = s.targetColour[1] = s.targetColour[2] = 0;
  s.strength = 255;
  for (Rgb c : {measured, Rgb{1, 0, 0}, Rgb{0, 0, 0}, Rgb{255, 255, 255}})
    EXPECT_EQ(CorrectionTarget(c, s), Rgb{});
}

TEST(SkinCorrection, HueShiftRules)
{
  // Skin hue 245, target 250 (m = 5): hue 255 shifts 5 (1 - (10 / 21) 0.7)
  // = 3.33, moves 3 and wraps to 2.
  HueTables(128, 245, 250);
  EXPECT_EQ(CorrectedHue(128, 255), 2);
  // m = 20: hues 21 or more steps away stay, 20 away move 6.67 -> 7.
  // Saturations 100 away weigh 0.1 (20 x 0.1 -> 2), 101 away nothing.
  HueTables(128, 100, 120);
  for (int h = 70; h <= 130; ++h)
    EXPECT_EQ(CorrectedHue(128, uint8_t(h)) != h, std::abs(h - 100) < 21) << h;
  EXPECT_EQ(CorrectedHue(128, 120), 127);
  EXPECT_EQ(
      std::vector<int>({CorrectedHue(28, 100), CorrectedHue(228, 100), CorrectedHue(27, 100), CorrectedHue(229, 100)}),
      std::vector<int>({102, 102, 100, 100}));
  // Rounding cuts toward zero: +5 moves 5, -5 moves 4. Half a turn is -128
  // when the target lies 128 above, +128 when 128 below.
  const int cases[4][3] = {{100, 105, 105}, {100, 95, 96}, {0, 128, 129}, {128, 0, 0}};
  for (const auto& c : cases) {
    HueTables(128, c[0], c[1]);
    EXPECT_EQ(CorrectedHue(128, uint8_t(c[0])), c[2]) << c[0] << " -> " << c[1];
  }
}

TEST(SkinCorrection, CachedRewriteMatchesTheQueuedOperationAndWritesOnlyTheHue)
{
  // Every (saturation, hue) pair twice, the second from the cache. With skin
  // (50, 190) and target hue 200 the pair (0, 187) becomes (0, 192), both
  // sentinels, and must still come out right. The queued operation, which
  // the replay applies to the full image, gives the same element.
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
    uint8_t queued[4] = {before[i], before[i + 1], before[i + 2], before[i + 3]};
    SkinHueOp(queued);
    ASSERT_EQ(std::vector<uint8_t>(working.data + i, working.data + i + 4), std::vector<uint8_t>(queued, queued + 4));
    ASSERT_EQ(queued[3], CorrectedHue(before[i + 2], before[i + 3])) << i;
  }
  EXPECT_EQ(HueSelectiveCorrection(LightnessPlane(working), HuePlane(working), c, NoProgress), -200);
  FreeImage(working);
}

TEST(SkinToneStage, EmptyRectangleFindsNoSkin)
{
  TestImage image = Portrait(30, 40);
  ResetProgress();
  const StageRun run = RunStage(image, nullptr, AdjustRect{5, 5, 5, 20}, RecordProgress);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.queued, 0);
  EXPECT_EQ(run.after, image.bytes);
  EXPECT_EQ(Progress().calls, (std::vector<int>{-5, 0, 0, 0, -1}));
}

TEST(SkinToneStage, CancelsAndFailuresEndCleanly)
{
  // The portrait with the library's model: detection, estimate and rewrite run.
  const TestImage portrait = Portrait(48, 64);
  const AdjustRect whole = WholeRect(48, 64);
  ResetProgress();
  ASSERT_EQ(RunStage(portrait, nullptr, whole, RecordProgress).queued, 2); // converter and hue operation
  const int polls = Progress().polls;
  for (int k = 1; k <= polls; ++k) {
    ResetProgress(k);
    EXPECT_EQ(RunStage(portrait, nullptr, whole, RecordProgress).status, 1) << k;
    EXPECT_EQ(ProtocolError(Progress().calls), "") << k;
    EXPECT_EQ(LiveAllocations(), 0) << k;
    EXPECT_EQ(LoadedSkinModel().table, nullptr) << k;
  }
  ExpectEachAllocationFailureReported(
      [&](AdjustProgressProc cb) { return RunStage(portrait, nullptr, whole, cb).status; });
  // The last request is the rewrite's second cache: the working image must
  // then not count as current.
  RunStage(portrait, nullptr, whole, NoProgress);
  standin::FailAllocations(standin::AllocationRequests() - 1, 1);
  const StageRun failed = RunStage(portrait, nullptr, whole, NoProgress);
  EXPECT_EQ(failed.status, -108);
  EXPECT_EQ(failed.workingValid, 0);
}

TEST(SkinToneRealModel, PortraitHuesMoveTowardTheTargetBothWays)
{
  SetParams(nullptr);
  const uint8_t defaultSkin[3] = {181, 200, 233};
  const int target = RgbToWorking(Rgb{defaultSkin[2], defaultSkin[1], defaultSkin[0]}).H;
  for (int rows : {64, 480}) {
    TestImage image = Portrait(rows, rows * 4 / 3, 4, 3);
    SkinSettings s = Module().skin;
    Rgb measured;
    ASSERT_EQ(DetectSkinColour(image.Desc(), s, measured, NoProgress), 0);
    EXPECT_NE(measured, Rgb{});
    const std::vector<uint8_t> plain = WithoutSkinStage(image);
    ASSERT_EQ(DoAdjustments(image.bytes.data(), image.rows, image.columns, image.rowBytes, 4, nullptr, nullptr), 0);
    EXPECT_TRUE(image.CanariesIntact());
    // Most of the face turns toward the target hue; the odd step away is the
    // rounding of the display conversion.
    int face = 0, toward = 0, away = 0;
    for (int y = 0; y < image.rows; ++y)
      for (int x = 0; x < image.columns; ++x) {
        const uint8_t* p = image.Pixel(y, x);
        const uint8_t* q = plain.data() + (p - image.bytes.data());
        auto distance = [&](const uint8_t* c) {
          const int h = RgbToWorking(Rgb{c[2], c[1], c[0]}).H;
          return std::min((h - target) & 255, (target - h) & 255);
        };
        if (PlaceOf(image, y, x).Distance() < 0.7)
          ++face, toward += distance(p)<distance(q), away += distance(p)> distance(q);
      }
    EXPECT_GT(toward, face / 2) << rows;
    EXPECT_LT(away * 50, toward) << rows;
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
  auto correct = [](TestImage image) {
    EXPECT_EQ(DoAdjustments(image.bytes.data(), image.rows, image.columns, image.rowBytes, 3, nullptr, nullptr), 0);
    return image.bytes;
  };
  const std::vector<uint8_t> first = correct(Portrait(64, 85));
  const int16_t threshold = Module().skin.likelihoodThreshold;
  EXPECT_LT(threshold, 100);
  EXPECT_EQ(correct(cold), WithoutSkinStage(cold));
  EXPECT_EQ(Module().skin.likelihoodThreshold, 255);
  EXPECT_EQ(correct(Portrait(64, 85)), first);
  EXPECT_EQ(Module().skin.likelihoodThreshold, threshold);
}
