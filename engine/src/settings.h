#pragma once
// Per-stage module settings. Default member initialisers hold the values set
// at library load; the fields SetParams writes are marked "by contrast", "by
// colour", "by sharpen", "by noise" (the AdjustParams level that selects the
// table row) and hold the default record's values. Field order is the
// records' fixed order; stages read them through the control block's
// settings pointers (module.h).
#include "lumivex.h"

#include <cstdint>

namespace lvx {

struct LevelsSettings {
  double lightFraction = 0.001;     // share of pixels clipped to white; also the share of brightest pixels averaged
  double darkFraction = 0.001;      // the same for black and the darkest pixels
  double shadowHeadroom = 0.001333; // by contrast
  int16_t blackLiftLimit = 10;
  int16_t darkMatchLow = 20, darkMatchHigh = 40;
  double darkPileUpLow = 0.03, darkPileUpHigh = 0.04;
  int16_t darkStretchLow = 53, darkStretchHigh = 87;   // by contrast
  int16_t lightStretchLow = 53, lightStretchHigh = 87; // by contrast
  int16_t darkBalanceLow = 20, darkBalanceHigh = 67;   // by colour
  int16_t darkCastLow = 16, darkCastHigh = 27;         // by colour
  int16_t lightBalanceLow = 20, lightBalanceHigh = 67; // by colour
  int16_t lightCastLow = 10, lightCastHigh = 15;       // by colour
};

struct GammaSettings {
  double lowerRatio = 0.14;
  double upperRatio = 37.0;
  double referenceGamma = 2.2; // tonalGamma
  double gammaLimit = 1.733;   // by colour (the load applies the default record)
  double neutralGamma = 1.0;
  double largestStep = 1.2;
  double unused[2] = {0.0, 0.0};
};

struct ContrastSettings {
  int16_t tilesAcross = 4;
  int16_t tilesDown = 4;
  double globalStepDivisor = 3.0;
  double tileStepDivisor = 0.4;
  double tileAcceptance = 1.1;
  int16_t tileQuotaDivisor = 8;
  double darkBinFraction = 0.06;
  double darkBinClipWeight = 0.95; // by contrast
  double flatnessLow = 1.0;
  double flatnessHigh = 1.5;
  double lowerSlope = 0.767;    // by contrast
  double upperSlope = 1.233;    // by contrast
  int16_t blackLimitLow = 4;    // by contrast (8-bit levels)
  int16_t blackLimitHigh = 7;   // by contrast
  int16_t blendPercentage = -1; // written by each measurement
  double topFraction = 0.02;
  double bottomFraction = 0.001;
};

// The part of the sharpening settings the adaptive variant receives.
struct SharpenAdaptiveSettings {
  double profileTolerance = 0.05;
  double saturationTolerance = 0.05;
  int16_t medianRadius = 2;
  int16_t luminanceBlurFactor = 0;
  int16_t blurEdgeLow = 150;
  int16_t blurEdgeHigh = 200;
  int16_t medianStrengthLow = 0;
  int16_t medianStrengthHigh = 1;
  double noisePercentile = 0.95;
  int16_t profileSteps = 8; // must stay below 26
  int16_t minimumEdgeContrast = 50;
  double minimumRegionFraction = 0.0;
  int16_t cleanupRadius = 1;
  int16_t cleanupPercentage = 70;
  double topFraction = 0.99;
  int16_t minimumSharpness = 10;
  int16_t noiseBoxRadius = 4;
  double valleyAreaFactor = 0.95;
  double valleyDepthFactor = 0.9;
  double valleyAreaScale = 0.007;
  double valleyHeightScale = 0.0015;
  double reserved = 0.5;
  int16_t noisePeakLow = 8;   // by noise
  int16_t noisePeakHigh = 16; // by noise
  double combWeight = 2.5;
  double combSpanWeight = 0.05;
  double sigmaFactor = 1.5;
  int16_t amount = 133;              // by sharpen
  double minimumBlurParameter = 0.7; // by sharpen
  double preBlurThreshold = 0.867;   // by noise
  double kneeLowFactor = 0.833;      // by noise
  double kneeHighFactor = 1.667;     // by noise
  double combLowLimit = 2.011;       // by sharpen and noise
  double combHighLimit = 3.011;      // by sharpen and noise
};

struct SharpenSettings {
  int32_t variant = 1;             // 0 plain, else adaptive; by sharpen
  double plainBlurParameter = 1.0; // by sharpen
  int16_t plainAmount = 130;
  SharpenAdaptiveSettings adaptive;
};

struct SkinSettings {
  int32_t pixelBudget = 150000;
  char modelPath[260] = {}; // empty: the library's own model resource
  int32_t interpolate = 1;
  int32_t estimateThreshold = 1;    // 1: estimate the likelihood threshold on every run
  int16_t likelihoodThreshold = 15; // overwritten by each estimate
  int16_t populationDivisor = 2000;
  int16_t halfWindow = 3;
  int16_t lowestEstimate = 5;
  int16_t colourTolerance = 40;
  int32_t minimumRegionArea = 100;
  int16_t filterRadius = 3;
  double borderFraction = 0.4;
  uint8_t targetColour[3] = {0, 0, 0}; // red, green, blue; skinColor through targetGamma
  int16_t strength = 50;               // by colour
  double blendReduction = 0.5;
  int16_t hueWindow = 60;
  int16_t hueEdgeWeight = 30;
  uint8_t saturationHalfWidth = 100;
  int16_t saturationEdgeWeight = 10;
};

struct BorderSettings {
  int16_t blockSize = 1;
  int16_t bandJumpThreshold = 24;
  int16_t meanStepThreshold = 5;
  int16_t largestStepThreshold = 9;
  int16_t searchExtentPercent = 5;
};

struct EngineControl; // pipeline.h

// The default record: levels 3, gammas 2.2, skin colour 233, 200, 181.
AdjustParams DefaultParams();
// A record for a single gamma g: levels 3, tonalGamma g limited to 1.0..2.2,
// targetGamma g, the default skin colour through the colour gamma 2.2 / g.
AdjustParams ParamsForGamma(double g);
// The record the setters see: each level limited to 1..13 (the size of the
// tables they index), each gamma that is not finite or not positive
// replaced by 2.2.
AdjustParams SanitiseParams(const AdjustParams& params);

// The six setters, run in this order by SetParams and at load.
void SetControlParams(AdjustParams params, EngineControl& control);
void SetGammaParams(AdjustParams params, GammaSettings& settings);
void SetLevelsParams(AdjustParams params, LevelsSettings& settings);
void SetContrastParams(AdjustParams params, ContrastSettings& settings);
void SetSharpenParams(AdjustParams params, SharpenSettings& settings);
void SetSkinParams(AdjustParams params, SkinSettings& settings);

} // namespace lvx
