// The gamma stage and the final display-gamma step: the estimate, the
// colour gamma's channel rules over every colour, the working gamma and the
// working image it invalidates.
#include "testkit.h"

#include "alloc.h"
#include "colorspace.h"
#include "gamma.h"
#include "module.h"
#include "stats.h"
#include "tone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace lvx;
using namespace lvxtest;

namespace {

double EstimateOf(const ImageDesc& image)
{
  uint32_t *brightness = nullptr, *saturation = nullptr;
  EXPECT_EQ(GatherSaturationBrightness(image, brightness, saturation, NoProgress), 0);
  SetParams(nullptr);
  double e = EstimateGamma(brightness, saturation, Module().gamma);
  Release(brightness);
  Release(saturation);
  return e;
}

} // namespace

TEST(Gamma, Estimate)
{
  // Grey pictures have saturation 0, so b x 0.14 >= 0 always holds: the
  // limit of colour level 3.
  for (uint8_t v : {0, 40, 255}) {
    TestImage grey(8, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        grey.Pixel(y, x)[0] = grey.Pixel(y, x)[1] = grey.Pixel(y, x)[2] = v;
    EXPECT_EQ(EstimateOf(grey.Desc()), 1.733) << int(v);
  }
  // Dark and fully saturated, (5, 0, 0): b = 5 / 765, s = 1, and
  // b x 37 = 0.24 does not exceed s: neutral.
  TestImage red(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      red.Pixel(y, x)[2] = 5;
  EXPECT_EQ(EstimateOf(red.Desc()), 1.0);
  // An empty rectangle: both top-down searches answer the number of bins,
  // b = 766 / 765 and s = 256 / 255; b x 37 > s, so the blend applies.
  const double b = 766 / 765.0, s = 256 / 255.0;
  const double expected = 1.0 + 0.733 * (std::log(37.0) - std::log((s + 0.01) / (b + 0.01))) / std::log(37.0 / 0.14);
  EXPECT_DOUBLE_EQ(EstimateOf(RectView(red.Desc(), EmptyRect())), expected);
}

TEST(Gamma, ColourGammaKeepsTheBrightestChannelAndTheOrderForEveryColour)
{
#ifdef __SANITIZE_ADDRESS__
  const uint32_t stride = 7;
#else
  const uint32_t stride = 1;
#endif
  for (double ratio : {1.2, 1.05, 0.8}) {
    uint8_t table[256];
    ASSERT_TRUE(PowerTable(ratio, table));
    for (uint32_t c = 0; c < (1u << 24); c += stride) {
      const uint8_t in[3] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)};
      uint8_t out[3] = {in[0], in[1], in[2]};
      ColourGammaPixel(out, table);
      ASSERT_EQ(*std::max_element(out, out + 3), *std::max_element(in, in + 3)) << c;
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
          if (in[i] < in[j]) {
            ASSERT_LE(out[i], out[j]) << c;
          } else if (in[i] == in[j]) {
            ASSERT_EQ(out[i], out[j]) << c; // so greys never change
          }
        }
    }
  }
}

TEST(Gamma, Ties)
{
  // B = G > R orders max B, mid G, min R; R = G > B max R, mid G, min B:
  // the equal pair stays equal and the third channel moves.
  uint8_t table[256];
  PowerTable(1.2, table);
  uint8_t blueGreen[3] = {200, 200, 100}, redGreen[3] = {100, 200, 200};
  ColourGammaPixel(blueGreen, table);
  ColourGammaPixel(redGreen, table);
  const uint8_t newMin = uint8_t((200 * table[128] + 128) >> 8); // index 256 x 100 / 200
  EXPECT_EQ(std::vector<uint8_t>(blueGreen, blueGreen + 3), (std::vector<uint8_t>{200, 200, newMin}));
  EXPECT_EQ(std::vector<uint8_t>(redGreen, redGreen + 3), (std::vector<uint8_t>{newMin, 200, 200}));
}

TEST(Gamma, EstimateEqualToTheReferenceChangesNoPixelButStalesTheWorkingImage)
{
  TestImage image(24, 24);
  image.FillRandom(8);
  const TestImage original = image;
  GammaSettings settings = Module().gamma;
  settings.referenceGamma = EstimateOf(image.Desc());
  ASSERT_NE(settings.referenceGamma, 1.0);
  EngineControl control;
  control.gamma = &settings;
  CorrectionImage pair = ImagePair(image, WholeRect(24, 24));
  // A working image converted at the old gamma 1.0.
  ASSERT_EQ(EnsureWorking(pair, NoProgress), 0);
  ASSERT_EQ(GammaStage(pair, control, NoProgress), 0);
  EXPECT_EQ(image.bytes, original.bytes);
  EXPECT_EQ(control.queueCount, 0);
  EXPECT_EQ(pair.workingGamma, settings.referenceGamma);
  EXPECT_EQ(control.workingGamma, settings.referenceGamma);
  // The ratio is 1, yet the gamma changed: the working image must be made
  // again with the new gamma, never taken as current.
  ASSERT_EQ(pair.workingValid, 0);
  ASSERT_EQ(EnsureWorking(pair, NoProgress), 0);
  const uint8_t* p = image.Pixel(5, 7);
  EXPECT_EQ(LoadWorking(pair.working.At(5, 7)), ColourToWorking(Rgb{p[2], p[1], p[0]}, settings.referenceGamma));
  FreeCorrectionImage(pair);
}

TEST(Gamma, FinalStepAtTheTargetGammaChangesNothing)
{
  TestImage image(8, 8);
  image.FillRandom(9);
  const TestImage original = image;
  EngineControl control;
  CorrectionImage pair = ImagePair(image, WholeRect(8, 8));
  pair.workingGamma = control.targetGamma = 1.8;
  ASSERT_EQ(DisplayGammaStep(pair, control, NoProgress), 0);
  EXPECT_EQ(image.bytes, original.bytes);
  EXPECT_EQ(control.queueCount, 0);
}
