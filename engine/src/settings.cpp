#include "settings.h"

#include "colorspace.h"
#include "pipeline.h"

#include <cmath>

namespace lvx {
namespace {

// Every table has one entry per level 1..13.
constexpr int kLevels = 13;

constexpr double kGammaLimit[kLevels] = {1.6, 1.667, 1.733, 1.8, 1.867, 1.933, 2.0, 2.0, 2.0, 2.0, 2.0, 2.0, 2.0};

// Levels, by contrast.
constexpr double kShadowHeadroom[kLevels] = {0.001, 0.001167, 0.001333, 0.0015, 0.001667, 0.001833, 0.002,
                                             0.004, 0.007,    0.01,     0.02,   0.03,     0.04};
constexpr int16_t kStretchLow[kLevels] = {40, 47, 53, 60, 67, 73, 80, 93, 107, 120, 133, 147, 160};
constexpr int16_t kStretchHigh[kLevels] = {60, 73, 87, 100, 113, 127, 140, 150, 160, 170, 180, 190, 200};
// Levels, by colour.
constexpr int16_t kBalanceLow[kLevels] = {10, 15, 20, 25, 30, 35, 40, 60, 80, 100, 120, 140, 160};
constexpr int16_t kBalanceHigh[kLevels] = {50, 58, 67, 75, 83, 92, 100, 117, 133, 150, 167, 183, 200};
constexpr int16_t kDarkCastLow[kLevels] = {15, 15, 16, 17, 18, 19, 20, 23, 26, 30, 45, 60, 80};
constexpr int16_t kDarkCastHigh[kLevels] = {20, 23, 27, 30, 33, 37, 40, 46, 52, 60, 70, 85, 100};
constexpr int16_t kLightCastLow[kLevels] = {10, 10, 10, 10, 10, 10, 10, 13, 16, 20, 35, 55, 80};
constexpr int16_t kLightCastHigh[kLevels] = {15, 15, 15, 15, 16, 18, 20, 26, 32, 40, 60, 80, 100};

// Contrast, by contrast.
constexpr double kDarkBinClipWeight[kLevels] = {1.0, 0.975, 0.95, 0.925, 0.9,  0.875, 0.85,
                                                0.8, 0.75,  0.7,  0.64,  0.58, 0.5};
constexpr double kLowerSlope[kLevels] = {0.9,   0.833, 0.767, 0.7,   0.633, 0.567, 0.5,
                                         0.467, 0.433, 0.4,   0.367, 0.333, 0.3};
constexpr double kUpperSlope[kLevels] = {1.1,   1.167, 1.233, 1.3,   1.367, 1.433, 1.5,
                                         1.667, 1.833, 2.0,   2.167, 2.333, 2.5};
constexpr int16_t kBlackLimitLow[kLevels] = {3, 3, 4, 4, 4, 5, 5, 5, 6, 7, 8, 9, 10};
constexpr int16_t kBlackLimitHigh[kLevels] = {6, 6, 7, 7, 7, 8, 8, 9, 10, 11, 12, 13, 15};

// Sharpening: comb limits by [sharpen][noise]; row 1 (no sharpening) is
// never selected.
constexpr double kCombLow[kLevels][kLevels] = {
    {2.0, 1.933, 1.867, 1.8, 1.733, 1.667, 1.6, 1.533, 1.467, 1.4, 1.333, 1.267, 1.2},
    {2.083, 2.011, 1.939, 1.867, 1.8, 1.733, 1.667, 1.6, 1.533, 1.467, 1.4, 1.333, 1.267},
    {2.167, 2.089, 2.011, 1.933, 1.867, 1.8, 1.733, 1.667, 1.6, 1.533, 1.467, 1.4, 1.333},
    {2.25, 2.167, 2.083, 2.0, 1.933, 1.867, 1.8, 1.733, 1.667, 1.6, 1.533, 1.467, 1.4},
    {2.333, 2.25, 2.167, 2.083, 2.011, 1.939, 1.867, 1.8, 1.733, 1.667, 1.6, 1.533, 1.467},
    {2.417, 2.333, 2.25, 2.167, 2.089, 2.011, 1.933, 1.867, 1.8, 1.733, 1.667, 1.6, 1.533},
    {2.5, 2.417, 2.333, 2.25, 2.167, 2.083, 2.0, 1.933, 1.867, 1.8, 1.733, 1.667, 1.6},
    {2.667, 2.556, 2.444, 2.333, 2.25, 2.167, 2.083, 2.011, 1.939, 1.867, 1.8, 1.733, 1.667},
    {2.833, 2.694, 2.556, 2.417, 2.333, 2.25, 2.167, 2.089, 2.011, 1.933, 1.867, 1.8, 1.733},
    {3.0, 2.833, 2.667, 2.5, 2.417, 2.333, 2.25, 2.167, 2.083, 2.0, 1.933, 1.867, 1.8},
    {3.333, 3.111, 2.889, 2.667, 2.556, 2.444, 2.333, 2.25, 2.167, 2.083, 2.011, 1.939, 1.867},
    {3.667, 3.389, 3.111, 2.833, 2.694, 2.556, 2.417, 2.333, 2.25, 2.167, 2.089, 2.011, 1.933},
    {4.0, 3.667, 3.333, 3.0, 2.833, 2.667, 2.5, 2.417, 2.333, 2.25, 2.167, 2.083, 2.0},
};
constexpr double kCombHigh[kLevels][kLevels] = {
    {3.0, 2.9, 2.8, 2.7, 2.6, 2.5, 2.4, 2.3, 2.2, 2.1, 2.0, 1.9, 1.8},
    {3.117, 3.011, 2.906, 2.8, 2.7, 2.6, 2.5, 2.4, 2.3, 2.2, 2.1, 2.0, 1.9},
    {3.233, 3.122, 3.011, 2.9, 2.8, 2.7, 2.6, 2.5, 2.4, 2.3, 2.2, 2.1, 2.0},
    {3.35, 3.233, 3.117, 3.0, 2.9, 2.8, 2.7, 2.6, 2.5, 2.4, 2.3, 2.2, 2.1},
    {3.483, 3.361, 3.239, 3.117, 3.011, 2.906, 2.8, 2.7, 2.6, 2.5, 2.4, 2.3, 2.2},
    {3.617, 3.489, 3.361, 3.233, 3.122, 3.011, 2.9, 2.8, 2.7, 2.6, 2.5, 2.4, 2.3},
    {3.75, 3.617, 3.483, 3.35, 3.233, 3.117, 3.0, 2.9, 2.8, 2.7, 2.6, 2.5, 2.4},
    {4.0, 3.828, 3.656, 3.483, 3.361, 3.239, 3.117, 3.011, 2.906, 2.8, 2.7, 2.6, 2.5},
    {4.25, 4.039, 3.828, 3.617, 3.489, 3.361, 3.233, 3.122, 3.011, 2.9, 2.8, 2.7, 2.6},
    {4.5, 4.25, 4.0, 3.75, 3.617, 3.483, 3.35, 3.233, 3.117, 3.0, 2.9, 2.8, 2.7},
    {5.0, 4.667, 4.333, 4.0, 3.828, 3.656, 3.483, 3.361, 3.239, 3.117, 3.011, 2.906, 2.8},
    {5.5, 5.083, 4.667, 4.25, 4.039, 3.828, 3.617, 3.489, 3.361, 3.233, 3.122, 3.011, 2.9},
    {6.0, 5.5, 5.0, 4.5, 4.25, 4.0, 3.75, 3.617, 3.483, 3.35, 3.233, 3.117, 3.0},
};
// By sharpen.
constexpr int16_t kAmount[kLevels] = {100, 117, 133, 150, 167, 183, 200, 217, 233, 250, 267, 283, 300};
constexpr double kMinimumBlur[kLevels] = {1.0, 0.85, 0.7, 0.6, 0.533, 0.467, 0.4, 0.333, 0.267, 0.2, 0.133, 0.067, 0.0};
// By noise.
constexpr int16_t kNoisePeakLow[kLevels] = {5, 6, 8, 10, 13, 17, 20, 23, 27, 30, 33, 37, 40};
constexpr int16_t kNoisePeakHigh[kLevels] = {10, 12, 16, 20, 27, 33, 40, 42, 43, 45, 50, 55, 60};
constexpr double kPreBlurThreshold[kLevels] = {1.0,   0.933, 0.867, 0.8,   0.733, 0.667, 0.6,
                                               0.567, 0.533, 0.5,   0.467, 0.433, 0.4};
constexpr double kKneeLow[kLevels] = {0.5, 0.667, 0.833, 1.0, 1.167, 1.333, 1.5, 1.667, 1.833, 2.0, 2.167, 2.333, 2.5};
constexpr double kKneeHigh[kLevels] = {1.0, 1.333, 1.667, 2.0, 2.333, 2.667, 3.0, 3.167, 3.333, 3.5, 3.667, 3.833, 4.0};

// Skin, by colour.
constexpr int16_t kSkinStrength[kLevels] = {30, 40, 50, 60, 70, 85, 100, 117, 133, 150, 167, 183, 200};

constexpr uint8_t kDefaultSkin[3] = {233, 200, 181};

// Table row of a level already limited to 1..13.
int Row(int16_t level) { return level - 1; }

int16_t LimitLevel(int16_t level) { return level < 1 ? 1 : (level > kLevels ? kLevels : level); }

double SaneGamma(double g) { return std::isfinite(g) && g > 0 ? g : 2.2; }

} // namespace

AdjustParams DefaultParams()
{
  AdjustParams p{};
  p.contrastLevel = p.colorLevel = p.sharpenLevel = p.noiseLevel = 3;
  p.tonalGamma = p.targetGamma = 2.2;
  for (int i = 0; i < 3; ++i)
    p.skinColor[i] = kDefaultSkin[i];
  return p;
}

AdjustParams ParamsForGamma(double g)
{
  AdjustParams p = DefaultParams();
  p.tonalGamma = g < 1.0 ? 1.0 : (g > 2.2 ? 2.2 : g);
  p.targetGamma = g;
  Rgb skin = AdjustColourGamma(Rgb{kDefaultSkin[0], kDefaultSkin[1], kDefaultSkin[2]}, 2.2 / g);
  p.skinColor[0] = skin.r;
  p.skinColor[1] = skin.g;
  p.skinColor[2] = skin.b;
  return p;
}

AdjustParams SanitiseParams(const AdjustParams& params)
{
  AdjustParams p = params;
  p.contrastLevel = LimitLevel(p.contrastLevel);
  p.colorLevel = LimitLevel(p.colorLevel);
  p.sharpenLevel = LimitLevel(p.sharpenLevel);
  p.noiseLevel = LimitLevel(p.noiseLevel);
  p.tonalGamma = SaneGamma(p.tonalGamma);
  p.targetGamma = SaneGamma(p.targetGamma);
  return p;
}

void SetControlParams(AdjustParams params, EngineControl& control) { control.targetGamma = params.targetGamma; }

void SetGammaParams(AdjustParams params, GammaSettings& s)
{
  s.referenceGamma = params.tonalGamma;
  s.gammaLimit = kGammaLimit[Row(params.colorLevel)];
}

void SetLevelsParams(AdjustParams params, LevelsSettings& s)
{
  int c = Row(params.contrastLevel), k = Row(params.colorLevel);
  s.lightFraction = 0.001;
  s.darkFraction = 0.001;
  s.shadowHeadroom = kShadowHeadroom[c];
  s.darkStretchLow = s.lightStretchLow = kStretchLow[c];
  s.darkStretchHigh = s.lightStretchHigh = kStretchHigh[c];
  s.darkBalanceLow = s.lightBalanceLow = kBalanceLow[k];
  s.darkBalanceHigh = s.lightBalanceHigh = kBalanceHigh[k];
  s.darkCastLow = kDarkCastLow[k];
  s.darkCastHigh = kDarkCastHigh[k];
  s.lightCastLow = kLightCastLow[k];
  s.lightCastHigh = kLightCastHigh[k];
}

void SetContrastParams(AdjustParams params, ContrastSettings& s)
{
  int c = Row(params.contrastLevel);
  s.darkBinClipWeight = kDarkBinClipWeight[c];
  s.lowerSlope = kLowerSlope[c];
  s.upperSlope = kUpperSlope[c];
  s.blackLimitLow = kBlackLimitLow[c];
  s.blackLimitHigh = kBlackLimitHigh[c];
}

void SetSharpenParams(AdjustParams params, SharpenSettings& s)
{
  if (params.sharpenLevel == 1) {
    // No sharpening: the plain variant with a zero blur changes nothing.
    s.variant = 0;
    s.plainBlurParameter = 0.0;
    return;
  }
  int sh = Row(params.sharpenLevel), n = Row(params.noiseLevel);
  s.variant = 1;
  s.plainBlurParameter = 1.0;
  SharpenAdaptiveSettings& a = s.adaptive;
  a.combLowLimit = kCombLow[sh][n];
  a.combHighLimit = kCombHigh[sh][n];
  a.amount = kAmount[sh];
  a.minimumBlurParameter = kMinimumBlur[sh];
  a.noisePeakLow = kNoisePeakLow[n];
  a.noisePeakHigh = kNoisePeakHigh[n];
  a.preBlurThreshold = kPreBlurThreshold[n];
  a.kneeLowFactor = kKneeLow[n];
  a.kneeHighFactor = kKneeHigh[n];
}

void SetSkinParams(AdjustParams params, SkinSettings& s)
{
  s.strength = kSkinStrength[Row(params.colorLevel)];
  // The target is compared with colours measured in the run's gamma, so it
  // is raised to the target gamma with the 8-bit colour gamma adjustment.
  Rgb target =
      AdjustColourGamma(Rgb{params.skinColor[0], params.skinColor[1], params.skinColor[2]}, params.targetGamma);
  s.targetColour[0] = target.r;
  s.targetColour[1] = target.g;
  s.targetColour[2] = target.b;
}

} // namespace lvx
