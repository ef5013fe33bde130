// The sharpening stage: the variants' edge cases, progress and cancel, and
// the stage through the exports both ways. Its measurements and passes:
// sharpen_measures_test.cpp.
#include "testkit.h"

#include "alloc.h"
#include "binomial.h"
#include "colorspace.h"
#include "module.h"
#include "rankfilter.h"
#include "sharpen.h"
#include "stats.h"
#include "status.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <vector>

using namespace lvx;
using lvxtest::ProtocolError;
using lvxtest::RecordProgress;
using lvxtest::ResetProgress;
using lvxtest::SoftEdges;
using lvxtest::TestImage;

namespace {

const SharpenAdaptiveSettings kDefaults;

} // namespace

// ---- The variants and the stage --------------------------------------------------

TEST(SharpenStage, PicturesThatAreNotSharpened)
{
  // A flat picture: nothing measured, amount 0.
  TestImage flat(40, 40, 4, 3);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      std::fill(flat.Pixel(y, x), flat.Pixel(y, x) + 3, uint8_t(120));
  const TestImage flatBefore = flat;
  SharpenMeasures m;
  ASSERT_EQ(AdaptiveSharpen(flat.Desc(), WholeRect(40, 40), kDefaults, m, NoProgress), 0);
  EXPECT_EQ(flat.bytes, flatBefore.bytes);
  EXPECT_EQ(m.edgeBlur, 0.0);
  EXPECT_EQ(m.amount, 0);

  // Soft edges are sharpened with the whole rectangle, but not with one of
  // 16 rows or columns (2 x profile steps: no pixel is measured), nor with
  // an empty one. (sharpenLevel 1 is checked through the exports.)
  const TestImage soft = SoftEdges(40, 96, 1.4, false, 1);
  TestImage whole = soft;
  ASSERT_EQ(AdaptiveSharpen(whole.Desc(), WholeRect(40, 96), kDefaults, m, NoProgress), 0);
  EXPECT_GT(m.edgeBlur, 1.0);
  EXPECT_NE(whole.bytes, soft.bytes);
  for (AdjustRect rect : {AdjustRect{0, 10, 96, 26}, AdjustRect{30, 0, 46, 40}, EmptyRect()}) {
    TestImage picture = soft;
    m = SharpenMeasures{};
    ASSERT_EQ(AdaptiveSharpen(picture.Desc(), rect, kDefaults, m, NoProgress), 0);
    EXPECT_EQ(m.edgeBlur, 0.0);
    EXPECT_EQ(picture.bytes, soft.bytes) << rect.left << "," << rect.top;
  }
}

TEST(SharpenStage, PlainVariantWithABlur)
{
  // A blur parameter the exports never set: the luminance unsharp-masked
  // with it and the plain amount, merged back.
  SharpenSettings plain;
  plain.variant = 0, plain.plainBlurParameter = 1.0, plain.plainAmount = 130;
  TestImage picture = SoftEdges(20, 50, 1.0, false, 3), expected = picture;
  ImageDesc Y;
  ASSERT_EQ(ExtractLuminance(expected.Desc(), Y, NoProgress), 0);
  ASSERT_EQ(UnsharpMask(Y, EmptyImage(), 1.0, 130, NoProgress), 0);
  ASSERT_EQ(MergeLuminance(expected.Desc(), Y, NoProgress), 0);
  FreeImage(Y);
  ASSERT_EQ(PlainSharpen(picture.Desc(), plain, NoProgress), 0);
  EXPECT_EQ(picture.bytes, expected.bytes);
  EXPECT_NE(picture.bytes, SoftEdges(20, 50, 1.0, false, 3).bytes);
  plain.plainBlurParameter = 6.5;
  EXPECT_EQ(PlainSharpen(picture.Desc(), plain, NoProgress), kStatusBadArgument);
}

TEST(SharpenStage, ProgressCancelAndFlags)
{
  // Edges blurred by 1.4 are pre-blurred and sharpened: every step runs and
  // the adaptive variant polls exactly the 12 ticks it announces.
  const TestImage soft = SoftEdges(40, 96, 1.4, false, 1);
  TestImage clean = soft, picture = soft;
  SharpenMeasures m;
  ResetProgress();
  ASSERT_EQ(AdaptiveSharpen(clean.Desc(), WholeRect(40, 96), kDefaults, m, RecordProgress), 0);
  ASSERT_GT(m.preBlur, 0.0);
  const std::vector<int> calls = lvxtest::Progress().calls;
  ASSERT_EQ(calls.front(), -12);
  int depth = 0, polls = 0;
  for (int n : calls) {
    depth += n < -1 ? 1 : (n == -1 ? -1 : 0);
    polls += n == 0 && depth == 1;
  }
  EXPECT_EQ(polls, 12);
  // A cancel at any poll ends the run with 1 and every task; at the first
  // the picture is untouched, at the last it is finished.
  const int total = lvxtest::Progress().polls;
  for (int k = 1; k <= total; k += k < 8 ? 1 : 37) {
    picture = soft;
    ResetProgress(k);
    EXPECT_EQ(AdaptiveSharpen(picture.Desc(), WholeRect(40, 96), kDefaults, m, RecordProgress), 1) << k;
    EXPECT_EQ(ProtocolError(lvxtest::Progress().calls), "") << k;
    EXPECT_TRUE(k > 1 || picture.bytes == soft.bytes);
    EXPECT_TRUE(k < total || picture.bytes == clean.bytes);
  }

  // The stage: a 2-tick task around the variant; the working image goes
  // stale on success, the colour image when the variant stops.
  EngineControl control = Module().control;
  picture = soft;
  CorrectionImage pair = lvxtest::ImagePair(picture, WholeRect(40, 96));
  pair.workingValid = 1;
  ResetProgress();
  ASSERT_EQ(SharpenStage(pair, control, RecordProgress), 0);
  EXPECT_EQ(lvxtest::Progress().calls.front(), -2);
  EXPECT_EQ(std::pair(pair.colourValid, pair.workingValid), std::pair(1, 0));
  EXPECT_EQ(picture.bytes, clean.bytes);
  ResetProgress(2); // in the variant's first pass
  EXPECT_EQ(SharpenStage(pair, control, RecordProgress), kStatusCancelled);
  EXPECT_EQ(pair.colourValid, 0);
}

TEST(SharpenStage, SettingsOutsideTheirRangesAreRefused)
{
  // Window radii outside 0..7 and profiles outside 1..25 (0 would read
  // beyond the rectangle) give -200 with the picture untouched.
  TestImage picture = SoftEdges(30, 40, 1.4);
  const TestImage before = picture;
  for (int i = 0; i < 5; ++i) {
    SharpenAdaptiveSettings s = kDefaults;
    int16_t* field[] = {&s.medianRadius, &s.cleanupRadius, &s.profileSteps, &s.profileSteps, &s.noiseBoxRadius};
    *field[i] = int16_t(std::array{-3, 8, 26, 0, 8}[size_t(i)]);
    SharpenMeasures m;
    EXPECT_EQ(AdaptiveSharpen(picture.Desc(), WholeRect(30, 40), s, m, NoProgress), kStatusBadArgument) << i;
  }
  EXPECT_EQ(picture.bytes, before.bytes);
}

// ---- Through the exports -----------------------------------------------------------

namespace {

// 64 x 96 is corrected at full resolution; 480 x 480 on a reduced copy.
struct Shape {
  int32_t rows, columns;
};
constexpr Shape kBothWays[] = {{64, 96}, {480, 480}};

AdjustParams Levels(int16_t sharpen, int16_t noise)
{
  AdjustParams p = DefaultParams();
  p.sharpenLevel = sharpen, p.noiseLevel = noise;
  return p;
}

std::vector<uint8_t> Corrected(const AdjustParams* params, TestImage image, const AdjustRect* rect = nullptr)
{
  if (params)
    SetParams(params);
  EXPECT_EQ(
      DoAdjustments(image.bytes.data(), image.rows, image.columns, image.rowBytes, image.pixelBytes, rect, nullptr), 0);
  EXPECT_TRUE(image.CanariesIntact());
  return image.bytes;
}

// The steepest step between neighbouring pixels of row y (green channel).
int Steepest(const std::vector<uint8_t>& bytes, const TestImage& layout, int y)
{
  int best = 0;
  for (int x = 1; x < layout.columns; ++x) {
    const size_t a = size_t(y) * layout.rowBytes + size_t(x) * layout.pixelBytes + 1;
    best = std::max(best, std::abs(int(bytes[a]) - int(bytes[a - size_t(layout.pixelBytes)])));
  }
  return best;
}

} // namespace

TEST(SharpenThroughExports, LevelsBothWays)
{
  for (Shape shape : kBothWays) {
    const TestImage soft = SoftEdges(shape.rows, shape.columns, 1.5, false, 2);
    const AdjustParams one = Levels(1, 3), oneNoisy = Levels(1, 13), six = Levels(6, 3);
    const std::vector<uint8_t> unsharpened = Corrected(&one, soft);
    // With sharpenLevel 1 the noise level changes nothing, and the run
    // equals one without the sharpening slot.
    EXPECT_EQ(Corrected(&oneNoisy, soft), unsharpened) << shape.columns;
    EngineControl without = Module().control;
    without.stages[kSlotSharpen] = nullptr;
    TestImage bare = soft;
    ASSERT_EQ(RunPipeline(without, bare.Desc(), WholeRect(shape.rows, shape.columns), NoProgress), 0);
    EXPECT_EQ(bare.bytes, unsharpened) << shape.columns;
    // Level 1 and then 6 equals 6 alone.
    SetParams(nullptr);
    const std::vector<uint8_t> sixAlone = Corrected(&six, soft);
    SetParams(&one);
    EXPECT_EQ(Corrected(&six, soft), sixAlone) << shape.columns;
    // The defaults make the blurred edges steeper.
    SetParams(nullptr);
    EXPECT_GT(Steepest(Corrected(nullptr, soft), soft, shape.rows / 2), Steepest(unsharpened, soft, shape.rows / 2) + 4)
        << shape.columns;
  }
  SetParams(nullptr);
}

TEST(SharpenThroughExports, GreysStayGrey)
{
  // The merge scales the three channels of a pixel alike.
  const AdjustParams strong = Levels(13, 1), none = Levels(1, 1);
  for (Shape shape : kBothWays) {
    const TestImage grey = SoftEdges(shape.rows, shape.columns, 1.5, true, 2);
    const std::vector<uint8_t> out = Corrected(&strong, grey);
    EXPECT_GT(Steepest(out, grey, 3), Steepest(Corrected(&none, grey), grey, 3));
    for (int y = 0; y < shape.rows; ++y)
      for (int x = 0; x < shape.columns; ++x) {
        const uint8_t* p = out.data() + size_t(y) * grey.rowBytes + size_t(x) * grey.pixelBytes;
        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << y << "," << x;
      }
  }
  SetParams(nullptr);
}

TEST(SharpenThroughExports, ProgressBothWays)
{
  SetParams(nullptr);
  // The reduced-copy correction calls the sharpening with the caller's callback: its
  // 2-tick task and the variant's 12 appear; the full-size correction with the
  // pass-callback flag 0 hands it the do-nothing callback.
  for (Shape shape : kBothWays) {
    TestImage picture = SoftEdges(shape.rows, shape.columns, 1.5, false, 2);
    ResetProgress();
    ASSERT_EQ(DoAdjustments(picture.bytes.data(), shape.rows, shape.columns, picture.rowBytes, picture.pixelBytes,
                            nullptr, RecordProgress),
              0);
    const std::vector<int>& calls = lvxtest::Progress().calls;
    EXPECT_EQ(ProtocolError(calls), "");
    const auto variant = std::find(calls.begin(), calls.end(), -12);
    if (shape.rows == 480) {
      ASSERT_GT(variant - calls.begin(), 2);
      ASSERT_NE(variant, calls.end());
      EXPECT_EQ(*std::prev(variant, 2), -2); // the stage's task and its first poll
      EXPECT_EQ(*std::prev(variant), 0);
    } else {
      EXPECT_EQ(variant, calls.end());
    }
  }
}

TEST(SharpenThroughExports, ThinPicturesAndCollapsedRectangles)
{
  // Each thin shape once each way (more than 200000 pixels takes the
  // reduced one): no profile fits, the status is 0 and every task ends.
  SetParams(nullptr);
  const Shape shapes[] = {{1, 40}, {40, 1}, {2, 40}, {1, 250000}, {250000, 1}, {2, 125000}};
  for (Shape shape : shapes) {
    TestImage picture(shape.rows, shape.columns);
    picture.FillRandom(uint32_t(shape.rows + shape.columns));
    ResetProgress();
    EXPECT_EQ(
        DoAdjustments(picture.bytes.data(), shape.rows, shape.columns, picture.rowBytes, 3, nullptr, RecordProgress), 0)
        << shape.rows << "x" << shape.columns;
    EXPECT_EQ(ProtocolError(lvxtest::Progress().calls), "");
  }
  // A rectangle without area (full-size correction), and one the border pre-pass
  // collapses in the reduced-copy correction, likewise.
  const TestImage soft = SoftEdges(480, 480, 1.5, false, 2);
  TestImage picture = soft;
  const AdjustRect line{10, 10, 400, 10};
  ResetProgress();
  EXPECT_EQ(DoAdjustments(picture.bytes.data(), 480, 480, picture.rowBytes, 4, &line, RecordProgress), 0);
  EXPECT_EQ(ProtocolError(lvxtest::Progress().calls), "");
  EngineControl collapsing = Module().control;
  collapsing.borderPrePass = [](CorrectionImage& image, EngineControl&, AdjustProgressProc) {
    image.rect = EmptyRect();
    return 0;
  };
  ResetProgress();
  EXPECT_EQ(RunPipeline(collapsing, picture.Desc(), WholeRect(480, 480), RecordProgress), 0);
  EXPECT_EQ(ProtocolError(lvxtest::Progress().calls), "");
}
