#include "gamma.h"

#include "alloc.h"
#include "iterate.h"
#include "module.h"
#include "progress.h"
#include "stats.h"
#include "status.h"
#include "tone.h"

#include <algorithm>
#include <cmath>

namespace lvx {
namespace {

uint8_t g_colourGamma[256];
uint8_t g_displayGamma[256];

} // namespace

double EstimateGamma(const uint32_t* brightness, const uint32_t* saturation, const GammaSettings& s)
{
  // An empty histogram answers "the number of bins" from both searches.
  const double n = double(RangeSum(brightness, kBrightnessBins, 0, kBrightnessBins - 1));
  const double b = PercentileFromTop(brightness, kBrightnessBins, uint64_t(std::floor(0.1 * n))) / 765.0;
  const double sat = PercentileFromTop(saturation, 256, uint64_t(std::floor(0.25 * n))) / 255.0;
  if (b * s.lowerRatio >= sat)
    return s.gammaLimit;
  if (b * s.upperRatio > sat)
    return s.neutralGamma + (s.gammaLimit - s.neutralGamma) *
                                (std::log(s.upperRatio) - std::log((sat + 0.01) / (b + 0.01))) /
                                std::log(s.upperRatio / s.lowerRatio);
  return s.neutralGamma;
}

void ColourGammaPixel(uint8_t* p, const uint8_t* table)
{
  // p[0] blue, p[1] green, p[2] red; ties are ordered as below.
  uint8_t *mx, *mid, *mn;
  if (p[0] >= p[2]) {
    if (p[0] < p[1])
      mx = &p[1], mid = &p[0], mn = &p[2];
    else if (p[2] >= p[1])
      mx = &p[0], mid = &p[2], mn = &p[1];
    else
      mx = &p[0], mid = &p[1], mn = &p[2];
  } else {
    if (p[2] < p[1])
      mx = &p[1], mid = &p[2], mn = &p[0];
    else if (p[1] >= p[0])
      mx = &p[2], mid = &p[1], mn = &p[0];
    else
      mx = &p[2], mid = &p[0], mn = &p[1];
  }
  const int top = *mx, low = *mn, middle = *mid;
  if (top == low)
    return;
  const int newLow = uint8_t((top * table[256 * low / top] + 128) >> 8);
  if (newLow == low)
    return;
  *mn = uint8_t(newLow);
  *mid = uint8_t(newLow + (top - newLow) * (middle - low) / (top - low));
}

int ApplyColourGamma(const ImageDesc& colour, double ratio, bool& changed, AdjustProgressProc cb)
{
  changed = false;
  if (int s = CheckKind(colour, kKindColour))
    return s;
  if (!(ratio > 0) || !std::isfinite(ratio))
    return kStatusBadArgument;
  if (!PowerTable(ratio, g_colourGamma))
    return kStatusOk;
  changed = true;
  return ForEachPixel(
      colour, [](uint8_t* px) { ColourGammaPixel(px, g_colourGamma); }, cb);
}

void ColourGammaOp(uint8_t* p) { ColourGammaPixel(p, g_colourGamma); }

void DisplayGammaOp(uint8_t* p)
{
  p[0] = g_displayGamma[p[0]];
  p[1] = g_displayGamma[p[1]];
  p[2] = g_displayGamma[p[2]];
}

int GammaStage(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb)
{
  const GammaSettings& settings = GammaSettingsOf(control);
  Task task(cb, 3);
  if (int s = EnsureColour(image, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;

  double estimate;
  {
    Buffer<uint32_t> run;
    if (!run.Allocate(kBrightnessBins + 256))
      return kStatusNoMemory;
    uint32_t* brightness = run.data();
    uint32_t* saturation = run.data() + kBrightnessBins;
    if (int s = GatherSaturationBrightness(RectView(image.colour, image.rect), brightness, saturation, cb))
      return s;
    estimate = EstimateGamma(brightness, saturation, settings);
  }
  if (task.Poll())
    return kStatusCancelled;

  // The working gamma is the lower of the two, raised so that the colour
  // gamma between them never exceeds the largest step.
  double low = std::min(estimate, settings.referenceGamma);
  const double high = std::max(estimate, settings.referenceGamma);
  if (low * settings.largestStep < high)
    low = high / settings.largestStep;
  const double ratio = high / low;
  if (ratio != 1.0) {
    bool changed = false;
    int s = ApplyColourGamma(image.colour, ratio, changed, cb);
    if (changed)
      s = FinishRewrite(image, control, s, ColourGammaOp, false);
    if (s != kStatusOk)
      return s;
  }
  // A working image converted with another gamma no longer matches the
  // picture, whatever the ratio.
  if (low != image.workingGamma)
    image.WorkingStale();
  if (task.Poll())
    return kStatusCancelled;
  image.workingGamma = control.workingGamma = low;
  return kStatusOk;
}

int DisplayGammaStep(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb)
{
  Task task(cb, 2);
  if (int s = EnsureColour(image, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  const double ratio = image.workingGamma / control.targetGamma;
  if (ratio != 1.0) {
    if (!(ratio > 0) || !std::isfinite(ratio))
      return kStatusBadArgument;
    if (PowerTable(ratio, g_displayGamma)) {
      const int s = ApplyColourTables(image.colour, g_displayGamma, g_displayGamma, g_displayGamma, cb);
      if (int q = FinishRewrite(image, control, s, DisplayGammaOp, false))
        return q;
    }
  }
  return task.Poll() ? kStatusCancelled : kStatusOk;
}

} // namespace lvx
