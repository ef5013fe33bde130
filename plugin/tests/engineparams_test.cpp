// The engine record and the pixel steps around the engine, over every
// pixel of their area and nothing else.
#include "engineparams.h"

#include "qvcommon/qvcolor.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvrect.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A 7 x 5 image (rows padded by 3 bytes) whose pixels all differ.
std::unique_ptr<QVImage> Pattern()
{
  QVColor grey(0, 0, 0);
  auto image = std::make_unique<QVImage>(7, 5, 3, &grey);
  for (int32_t y = 0; y < image->height; ++y)
    for (int32_t i = 0; i < image->rowBytes; ++i)
      image->pixels[y * image->rowBytes + i] = static_cast<uint8_t>(40 + 7 * y + 5 * i);
  return image;
}

const uint8_t* Pixel(const QVImage& image, int x, int y) { return image.pixels + y * image.rowBytes + 3 * x; }

// Whether every pixel inside the area passed `inside` and every byte outside
// it (padding included) is as it was.
template <typename Check>
void ExpectOnlyTheArea(const QVImage& before, const QVImage& after, const QVRect& area, Check inside)
{
  for (int32_t y = 0; y < before.height; ++y)
    for (int32_t i = 0; i < before.rowBytes; ++i) {
      const int32_t x = i / 3;
      const bool in =
          i < before.width * 3 && x >= area.Left() && x < area.Right() && y >= area.Top() && y < area.Bottom();
      if (!in)
        ASSERT_EQ(after.pixels[y * after.rowBytes + i], before.pixels[y * before.rowBytes + i]) << x << "," << y;
      else if (i % 3 == 0)
        inside(Pixel(before, x, y), Pixel(after, x, y), x, y);
    }
}

// The whole image, an inner area, and one reaching past the last row and
// column (held to the image).
const QVRect kAreas[] = {QVRect(0, 0, 7, 5), QVRect(2, 1, 5, 4), QVRect(4, 2, 99, 99)};

} // namespace

TEST(EngineRecord, HoldsTheLevelsAndConvertsTheNoiseSlider)
{
  struct Case {
    int16_t level, noise;
    int16_t engineLevel, engineNoise;
  };
  const Case cases[] = {{7, 20, 7, 7},    {1, 0, 1, 1},     {13, 40, 13, 13},       {0, 5, 1, 2},
                        {14, 35, 13, 11}, {-300, -5, 1, 1}, {32767, 32767, 13, 13}, {6, 10, 6, 4}};
  for (const Case& c : cases) {
    AdjustParams settings{};
    settings.contrastLevel = settings.colorLevel = settings.sharpenLevel = c.level;
    settings.noiseLevel = c.noise;
    settings.tonalGamma = 2.3;
    settings.skinColor[1] = 190;
    const AdjustParams r = engineparams::EngineRecord(settings);
    EXPECT_EQ(r.contrastLevel, c.engineLevel) << c.level;
    EXPECT_EQ(r.colorLevel, c.engineLevel);
    EXPECT_EQ(r.sharpenLevel, c.engineLevel);
    EXPECT_EQ(r.noiseLevel, c.engineNoise) << c.noise;
    EXPECT_EQ(r.tonalGamma, 2.3);
    EXPECT_EQ(r.skinColor[1], 190);
  }
  const AdjustParams prep = engineparams::PreparatoryRecord(AdjustParams{});
  EXPECT_EQ(prep.contrastLevel, 1);
  EXPECT_EQ(prep.noiseLevel, 1) << "no noise reduction is the engine's lowest level";
  EXPECT_EQ(prep.tonalGamma, 1.8);
}

TEST(PixelSteps, TheColourShiftClampsEachChannelInTheAreaOnly)
{
  for (const QVRect& area : kAreas) {
    const auto before = Pattern();
    auto image = Pattern();
    engineparams::ColorShift(image.get(), image.get(), area, 300, 10, -300);
    ExpectOnlyTheArea(*before, *image, area, [](const uint8_t* was, const uint8_t* now, int x, int y) {
      EXPECT_EQ(now[2], 255) << x << "," << y;
      EXPECT_EQ(now[1], std::min(was[1] + 10, 255));
      EXPECT_EQ(now[0], 0);
    });
  }
  // No shift: nothing happens.
  auto image = Pattern();
  const auto before = Pattern();
  engineparams::ColorShift(image.get(), image.get(), kAreas[0], 0, 0, 0);
  EXPECT_EQ(std::vector<uint8_t>(image->pixels, image->pixels + 5 * image->rowBytes),
            std::vector<uint8_t>(before->pixels, before->pixels + 5 * before->rowBytes));
}

TEST(PixelSteps, SaturationAndBrightnessAtTheirEdges)
{
  for (const QVRect& area : kAreas) {
    const auto before = Pattern();
    // Saturation -255 (and below): every pixel its luminance.
    for (int32_t s : {-255, -100000}) {
      auto image = Pattern();
      engineparams::SaturationBrightness(image.get(), image.get(), area, s, 0);
      ExpectOnlyTheArea(*before, *image, area, [](const uint8_t* was, const uint8_t* now, int, int) {
        const int L = (76 * was[2] + 150 * was[1] + 29 * was[0]) >> 8;
        EXPECT_EQ(now[0], L);
        EXPECT_EQ(now[1], L);
        EXPECT_EQ(now[2], L);
      });
    }
    // +1 changes nothing; brightness beyond the range saturates.
    auto image = Pattern();
    engineparams::SaturationBrightness(image.get(), image.get(), area, 1, 0);
    ExpectOnlyTheArea(*before, *image, area, [](const uint8_t* was, const uint8_t* now, int, int) {
      EXPECT_EQ(std::vector<uint8_t>(now, now + 3), std::vector<uint8_t>(was, was + 3));
    });
    engineparams::SaturationBrightness(image.get(), image.get(), area, 0, INT32_MAX);
    ExpectOnlyTheArea(*before, *image, area, [](const uint8_t*, const uint8_t* now, int, int) {
      EXPECT_EQ(std::vector<uint8_t>(now, now + 3), std::vector<uint8_t>(3, 255));
    });
  }
  // Full saturation: d = 128, and each channel is (2C x 255 / 128 + (sum of
  // the other two) x -127 / 128) / 2, every division truncated.
  QVColor colour(100, 120, 140);
  QVImage one(1, 1, 3, &colour);
  engineparams::SaturationBrightness(&one, &one, QVRect(0, 0, 1, 1), 255, 0);
  EXPECT_EQ(one.pixels[2], 70);  // red:   (398 - 257) / 2
  EXPECT_EQ(one.pixels[1], 120); // green: (478 - 238) / 2
  EXPECT_EQ(one.pixels[0], 169); // blue:  (557 - 218) / 2
}

TEST(PixelSteps, UnusableImagesAndAreasAreLeftAlone)
{
  auto image = Pattern();
  QVImage empty;
  QVColor c(1, 2, 3);
  QVImage other(3, 3, 3, &c);
  QVRect inside;
  EXPECT_FALSE(engineparams::UsableArea(image.get(), &empty, kAreas[0], &inside));
  EXPECT_FALSE(engineparams::UsableArea(image.get(), &other, kAreas[0], &inside)) << "layouts differ";
  // A stale offset puts the area beyond the image; an inverted one is empty.
  EXPECT_FALSE(engineparams::UsableArea(image.get(), image.get(), QVRect(2000, 1500, 2400, 1800), &inside));
  EXPECT_FALSE(engineparams::UsableArea(image.get(), image.get(), QVRect(3, 3, 1, 1), &inside));
}
