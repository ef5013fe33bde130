// SetParams and the module settings it derives.
#include "colorspace.h"
#include "module.h"
#include "settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using namespace lvx;

namespace {

std::vector<uint8_t> ModuleBytes(const AdjustParams* params)
{
  SetParams(params);
  const auto* p = reinterpret_cast<const uint8_t*>(&Module());
  return std::vector<uint8_t>(p, p + sizeof(EngineModule));
}
std::vector<uint8_t> ModuleBytes(const AdjustParams& params) { return ModuleBytes(&params); }

AdjustParams Record(int16_t contrast, int16_t colour, int16_t sharpen, int16_t noise, double tonal = 2.2,
                    double target = 2.2)
{
  AdjustParams p = DefaultParams();
  p.contrastLevel = contrast, p.colorLevel = colour, p.sharpenLevel = sharpen, p.noiseLevel = noise;
  p.tonalGamma = tonal, p.targetGamma = target;
  return p;
}

} // namespace

TEST(Interface, RecordLayout)
{
  static_assert(sizeof(AdjustParams) == 32);
  static_assert(offsetof(AdjustParams, colorLevel) == 2 && offsetof(AdjustParams, noiseLevel) == 6);
  static_assert(offsetof(AdjustParams, tonalGamma) == 8 && offsetof(AdjustParams, skinColor) == 24);
  static_assert(sizeof(AdjustRect) == 16);
  AdjustParams p = DefaultParams();
  const auto* bytes = reinterpret_cast<const uint8_t*>(&p);
  EXPECT_EQ(bytes[0], 3);
  EXPECT_EQ(bytes[24], 233);
  EXPECT_EQ(bytes[26], 181);
}

TEST(Interface, NullIsTheDefaultRecordAndPaddingNeverMatters)
{
  const std::vector<uint8_t> fromNull = ModuleBytes(nullptr);
  AdjustParams p = DefaultParams();
  std::memset(p.padding, 0xEE, sizeof p.padding);
  EXPECT_EQ(ModuleBytes(&p), fromNull);
  // The record is copied: changing it afterwards changes nothing.
  AdjustParams q = Record(7, 9, 11, 2);
  const std::vector<uint8_t> fromQ = ModuleBytes(&q);
  q.colorLevel = 1;
  const auto* now = reinterpret_cast<const uint8_t*>(&Module());
  EXPECT_EQ(std::vector<uint8_t>(now, now + sizeof(EngineModule)), fromQ);
  EXPECT_NE(fromQ, fromNull);
  SetParams(nullptr);
}

TEST(Interface, OutOfRangeFieldsActLikeTheNearestValidRecord)
{
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(ModuleBytes(Record(0, -5, 0, 14)), ModuleBytes(Record(1, 1, 1, 13)));
  EXPECT_EQ(ModuleBytes(Record(300, 13, 20, -1)), ModuleBytes(Record(13, 13, 13, 1)));
  for (double bad : {nan, inf, -inf, 0.0, -1.0}) {
    EXPECT_EQ(ModuleBytes(Record(3, 3, 3, 3, bad, 1.5)), ModuleBytes(Record(3, 3, 3, 3, 2.2, 1.5)));
    EXPECT_EQ(ModuleBytes(Record(3, 3, 3, 3, 1.5, bad)), ModuleBytes(Record(3, 3, 3, 3, 1.5, 2.2)));
  }
  // Other gammas are kept as given.
  AdjustParams odd = Record(3, 3, 3, 3, 0.01, 50.0);
  SetParams(&odd);
  EXPECT_EQ(Module().gamma.referenceGamma, 0.01);
  EXPECT_EQ(Module().control.targetGamma, 50.0);
  SetParams(nullptr);
}

TEST(Interface, SharpeningSettings)
{
  AdjustParams one = Record(3, 3, 1, 3), six = Record(3, 3, 6, 3);
  SetParams(&one);
  EXPECT_EQ(Module().sharpen.variant, 0);
  EXPECT_EQ(Module().sharpen.plainBlurParameter, 0.0);
  const std::vector<uint8_t> afterOneThenSix = ModuleBytes(&six);
  SetParams(nullptr);
  EXPECT_EQ(ModuleBytes(&six), afterOneThenSix);
  // With sharpenLevel 1 the noise level has no effect.
  SetParams(nullptr);
  EXPECT_EQ(ModuleBytes(Record(3, 3, 1, 13)), ModuleBytes(Record(3, 3, 1, 1)));
  // Rows and columns of the 13 x 13 tables: sharpen 13, noise 1 is the last
  // row's first entry; sharpen 2, noise 13 the second row's last.
  AdjustParams corner = Record(3, 3, 13, 1);
  SetParams(&corner);
  EXPECT_EQ(Module().sharpen.adaptive.combLowLimit, 4.0);
  EXPECT_EQ(Module().sharpen.adaptive.combHighLimit, 6.0);
  EXPECT_EQ(Module().sharpen.adaptive.amount, 300);
  EXPECT_EQ(Module().sharpen.adaptive.noisePeakLow, 5);
  AdjustParams other = Record(3, 3, 2, 13);
  SetParams(&other);
  EXPECT_EQ(Module().sharpen.adaptive.combLowLimit, 1.267);
  EXPECT_EQ(Module().sharpen.adaptive.combHighLimit, 1.9);
  EXPECT_EQ(Module().sharpen.adaptive.kneeHighFactor, 4.0);
  SetParams(nullptr);
}

TEST(Interface, DefaultRecordValues)
{
  SetParams(nullptr);
  const EngineModule& m = Module();
  EXPECT_EQ(m.control.targetGamma, 2.2);
  EXPECT_EQ(m.gamma.gammaLimit, 1.733); // the colour table's level 3, not a load-time 2.0
  EXPECT_EQ(m.levels.shadowHeadroom, 0.001333);
  EXPECT_EQ(m.levels.darkStretchLow, 53);
  EXPECT_EQ(m.levels.lightStretchHigh, 87);
  EXPECT_EQ(m.levels.darkBalanceHigh, 67);
  EXPECT_EQ(m.levels.darkCastLow, 16);
  EXPECT_EQ(m.levels.lightCastHigh, 15);
  EXPECT_EQ(m.contrast.lowerSlope, 0.767);
  EXPECT_EQ(m.contrast.blackLimitHigh, 7);
  EXPECT_EQ(m.sharpen.adaptive.combLowLimit, 2.011);
  EXPECT_EQ(m.sharpen.adaptive.combHighLimit, 3.011);
  EXPECT_EQ(m.skin.strength, 50);
  // The target skin colour through the 8-bit colour gamma 2.2:
  // floor(255 (c / 255)^2.2 + 0.5).
  for (int i = 0; i < 3; ++i) {
    const int c[3] = {233, 200, 181};
    EXPECT_EQ(m.skin.targetColour[i], int(std::floor(255.0 * std::pow(c[i] / 255.0, 2.2) + 0.5)));
  }
  // All five stages are installed, with the border pre-pass and the final step.
  EXPECT_NE(m.control.stages[kSlotLevels], nullptr);
  EXPECT_NE(m.control.stages[kSlotGamma], nullptr);
  EXPECT_NE(m.control.stages[kSlotContrast], nullptr);
  EXPECT_NE(m.control.stages[kSlotSkin], nullptr);
  EXPECT_NE(m.control.stages[kSlotSharpen], nullptr);
  EXPECT_EQ(m.control.sharpening, m.control.stages[kSlotSharpen]);
  EXPECT_NE(m.control.borderPrePass, nullptr);
  EXPECT_NE(m.control.finalStep, nullptr);
  EXPECT_EQ(m.control.borderFlag, 1);
  EXPECT_EQ(m.control.finalFlag, 1);
  EXPECT_NE(m.handle, nullptr);
}

TEST(Interface, RecordForASingleGamma)
{
  AdjustParams p = ParamsForGamma(1.8);
  EXPECT_EQ(p.tonalGamma, 1.8);
  EXPECT_EQ(p.targetGamma, 1.8);
  Rgb skin = AdjustColourGamma(Rgb{233, 200, 181}, 2.2 / 1.8);
  EXPECT_EQ(p.skinColor[0], skin.r);
  EXPECT_EQ(p.skinColor[2], skin.b);
  EXPECT_EQ(ParamsForGamma(0.5).tonalGamma, 1.0);
  EXPECT_EQ(ParamsForGamma(3.0).tonalGamma, 2.2);
  EXPECT_EQ(ParamsForGamma(2.2).skinColor[1], 200);
}
