// The working colour space, luminance and hue angles.
#include "testkit.h"

#include "colorspace.h"
#include "status.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lvx;

namespace {

// The exhaustive passes visit every colour in a plain build; under the
// sanitizers (ten times slower) a stride coprime to 256 still reaches every
// value of every channel.
#if defined(__SANITIZE_ADDRESS__)
constexpr uint32_t kColourStride = 7;
#else
constexpr uint32_t kColourStride = 1;
#endif

Rgb Unpacked(uint32_t c) { return Rgb{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)}; }

} // namespace

TEST(WorkingSpace, ExamplesAndTies)
{
  EXPECT_EQ(RgbToWorking({255, 0, 0}), (WorkingPixel{1831, 255, 235}));
  EXPECT_EQ(RgbToWorking({0, 255, 0}), (WorkingPixel{3561, 255, 64}));
  EXPECT_EQ(RgbToWorking({0, 0, 255}), (WorkingPixel{722, 255, 149}));
  EXPECT_EQ(RgbToWorking({255, 255, 0}), (WorkingPixel{3974, 255, 22}));
  EXPECT_EQ(RgbToWorking({233, 200, 181}), (WorkingPixel{3563, 57, 250}));
  // R = B below G is case 0 (max G, mid R, min B): dMid = dMin, so the hue is
  // the case's base 65 XOR-flipped span 0 -> 65 + 255 = 64 (mod 256).
  EXPECT_EQ(RgbToWorking({100, 200, 100}).H, 64);
  for (int v : {0, 1, 77, 128, 254, 255}) {
    Rgb grey{uint8_t(v), uint8_t(v), uint8_t(v)};
    EXPECT_EQ(RgbToWorking(grey), (WorkingPixel{uint16_t(16 * v), 0, 0}));
    EXPECT_EQ(WorkingToRgb(RgbToWorking(grey)), grey);
  }
}

TEST(WorkingSpace, UnreachableLightnessComesBackAtFullBrightnessWithLessSaturation)
{
  // Lightness 4000 at full saturation in the blue sector cannot be shown.
  Rgb c = WorkingToRgb(WorkingPixel{4000, 255, 149});
  EXPECT_EQ(c.b, 255);
  EXPECT_GT(c.r, 0);
  // The plain round trip is lossy by design: pure blue does not come back.
  EXPECT_NE(WorkingToRgb(RgbToWorking({0, 0, 255})), (Rgb{0, 0, 255}));
}

TEST(WorkingSpace, ExhaustivePlainPass)
{
  int greysBack = 0;
  for (uint32_t code = 0; code < (1u << 24); code += kColourStride) {
    Rgb c = Unpacked(code);
    WorkingPixel w = RgbToWorking(c);
    ASSERT_LE(w.L, 4095) << code;
    Rgb back = WorkingToRgb(w);
    if (c.r == c.g && c.g == c.b) {
      ASSERT_EQ(back, c);
      ++greysBack;
    }
    (void)back;
  }
  EXPECT_GT(greysBack, 0);
}

TEST(WorkingSpace, ExhaustiveLinearisedPassAtSeveralGammas)
{
  for (double gamma : {1.2, 1.8, 2.2, 3.0}) {
    PrepareGammaTables(gamma);
    const uint16_t* lin = LinearisingTable();
    // Near-blacks linearise to max 1, min 0 from gamma 1.8 on (at 1.2 the
    // smallest non-zero value is 5).
    int guarded = 0;
    for (uint32_t code = 0; code < (1u << 24); code += kColourStride) {
      Rgb c = Unpacked(code);
      WorkingPixel w = RgbToWorkingLinear(c);
      ASSERT_LE(w.L, 4095);
      int mx = std::max({lin[c.r], lin[c.g], lin[c.b]}), mn = std::min({lin[c.r], lin[c.g], lin[c.b]});
      if (mx == 1 && mn == 0) {
        // Nothing is left in the lightness denominator of these near-blacks.
        ASSERT_EQ(w.L, 0) << code;
        ++guarded;
      }
      Rgb back = WorkingToRgbLinear(w);
      (void)back;
    }
    EXPECT_EQ(guarded > 0, gamma >= 1.8) << gamma;
  }
  // A linearised grey keeps its 12-bit value as lightness.
  PrepareGammaTables(2.2);
  EXPECT_EQ(RgbToWorkingLinear({200, 200, 200}).L, LinearisingTable()[200]);
}

TEST(WorkingSpace, GammaTables)
{
  PrepareGammaTables(2.0);
  // floor(4096 (128/256)^2 + 0.5) = 1024; 255 stays below the cap;
  // floor(256 (1024/4096)^(1/2) + 0.5) = 128; the top is capped at 255.
  EXPECT_EQ(LinearisingTable()[128], 1024);
  EXPECT_EQ(LinearisingTable()[255], 4064);
  EXPECT_EQ(DelinearisingTable()[1024], 128);
  EXPECT_EQ(DelinearisingTable()[4095], 255);
  PrepareGammaTables(1.0);
  EXPECT_EQ(LinearisingTable()[255], 4080);
  // Non-positive gammas leave the delinearising table as it was.
  PrepareDelinearising(0.0);
  EXPECT_EQ(DelinearisingTable()[4080], 255);
}

TEST(WorkingSpace, ImageDriversRoundTripGreys)
{
  lvxtest::TestImage image(5, 6, 4, 2);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x)
      std::fill(image.Pixel(y, x), image.Pixel(y, x) + 3, uint8_t(40 * y + x));
  const lvxtest::TestImage original = image;
  ImageDesc working;
  ASSERT_EQ(ColourToWorkingImage(image.Desc(), working, 1.0, NoProgress), 0);
  EXPECT_EQ(LoadWorking(working.At(2, 3)).L, 16 * 83);
  image.bytes = lvxtest::TestImage(5, 6, 4, 2).bytes;
  ASSERT_EQ(WorkingToColourImage(working, image.Desc(), 1.0, NoProgress), 0);
  EXPECT_EQ(image.bytes, original.bytes);
  EXPECT_EQ(WorkingToColourImage(image.Desc(), working, 1.0, NoProgress), kStatusBadArgument);
  FreeImage(working);
}

TEST(Luminance, ExtractAndMergeScaleInsteadOfClipping)
{
  lvxtest::TestImage image(1, 4);
  const uint8_t pixels[4][3] = {{50, 100, 200}, {10, 20, 30}, {0, 0, 0}, {0, 0, 0}}; // B, G, R
  for (int x = 0; x < 4; ++x)
    std::copy(pixels[x], pixels[x] + 3, image.Pixel(0, x));
  ImageDesc luma;
  ASSERT_EQ(ExtractLuminance(image.Desc(), luma, NoProgress), 0);
  // (57 * 200 + 181 * 100 + 18 * 50) >> 8 = 30400 >> 8 = 118.
  EXPECT_EQ(*luma.At(0, 0), 118);
  // Doubling 118 would push red to 400: the pixel is scaled so red is 255
  // (255 * c / 200), not clipped per channel.
  *luma.At(0, 0) = 236;
  // (57 * 30 + 181 * 20 + 18 * 10) >> 8 = 21; q = 256 * 42 / 21 = 512.
  *luma.At(0, 1) = 42;
  *luma.At(0, 2) = 9; // black with a target: grey 9
  *luma.At(0, 3) = 0; // black stays black
  ASSERT_EQ(MergeLuminance(image.Desc(), luma, NoProgress), 0);
  EXPECT_EQ(image.Pixel(0, 0)[2], 255);
  EXPECT_EQ(image.Pixel(0, 0)[1], 127);
  EXPECT_EQ(image.Pixel(0, 0)[0], 63);
  EXPECT_EQ(image.Pixel(0, 1)[2], 60);
  EXPECT_EQ(image.Pixel(0, 1)[0], 20);
  EXPECT_EQ(image.Pixel(0, 2)[1], 9);
  EXPECT_EQ(image.Pixel(0, 3)[1], 0);
  FreeImage(luma);
}

TEST(Colours, SingleColourFormsAndGammaAdjustment)
{
  Rgb skin{233, 200, 181};
  EXPECT_EQ(ColourToWorking(skin, 1.0), RgbToWorking(skin));
  EXPECT_EQ(WorkingToColour(ColourToWorking(skin, 1.0), 1.0), WorkingToRgb(RgbToWorking(skin)));
  PrepareGammaTables(1.5);
  EXPECT_EQ(ColourToWorking(skin, 1.5), RgbToWorkingLinear(skin));
  EXPECT_EQ(AdjustColourGamma(skin, 1.0), skin);
  // floor(255 (128/255)^2 + 0.5) = floor(64.25 + 0.5) = 64.
  EXPECT_EQ(AdjustColourGamma({128, 0, 255}, 2.0), (Rgb{64, 0, 255}));
}

TEST(HueAngle, WithinOneStepOfAtan2)
{
  BuildFixedTables();
  const double pi = std::acos(-1.0);
  for (int a = -300; a <= 300; a += 3)
    for (int b = -300; b <= 300; b += 3) {
      if (a == 0 && b == 0)
        continue;
      double exact = std::atan2(double(b), double(a)) / (2 * pi) * 256.0;
      int got = HueAngle(a, b);
      double diff = std::fmod(std::fabs(got - exact), 256.0);
      ASSERT_LE(std::min(diff, 256.0 - diff), 1.0) << a << "," << b;
    }
  EXPECT_EQ(HueAngle(5, 0), 0);
  EXPECT_EQ(HueAngle(0, 5), 64);
  EXPECT_EQ(HueAngle(-5, 0), 128);
  EXPECT_EQ(HueAngle(0, -5), 192);
  EXPECT_EQ(HueAngle(0, 0), 64);
  EXPECT_EQ(HueAngle(7, 7), 32);
  EXPECT_EQ(Chroma(3, 4), 5);
  EXPECT_EQ(Chroma(300, 0), 255);
  EXPECT_NEAR(CosTable()[64], 0.0, 1e-12);
  EXPECT_EQ(CosTable()[128], -1.0);
  EXPECT_NEAR(TanTable()[0], std::tan(pi / 256.0), 1e-15);
}
