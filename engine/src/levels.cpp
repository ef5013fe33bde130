#include "levels.h"

#include "alloc.h"
#include "image.h"
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

uint8_t g_levels[3][256];

} // namespace

LevelPoints EstimateLevelPoints(const LevelsHistograms& h, const LevelsSettings& s)
{
  LevelPoints points;
  const uint64_t n = RangeSum(h.channel[0], 256, 0, 255);
  if (n == 0)
    return points; // nothing measured: the dark and light colours would divide by 0
  const double N = double(n);
  const uint64_t darkCount = uint64_t(std::floor(N * s.darkFraction));
  const uint64_t lightCount = uint64_t(std::floor(N * s.lightFraction));

  // Clip points, and the channels' own means of their darkest and lightest shares.
  int lo[3], hi[3];
  uint8_t darkMean[3], lightMean[3];
  for (int c = 0; c < 3; ++c) {
    const uint32_t* hc = h.channel[c];
    const int32_t darkBin = PercentileFromBottom(hc, 256, darkCount);
    lo[c] = std::max(darkBin - 1, 0);
    hi[c] = std::min(PercentileFromBottom(hc, 256, uint64_t(std::floor((1.0 - s.lightFraction) * N))) + 1, 255);
    darkMean[c] = uint8_t(IntegerMean(hc, 256, 0, darkBin));
    lightMean[c] = uint8_t(IntegerMean(hc, 256, PercentileFromTop(hc, 256, lightCount), 255));
  }

  // The mean colours of the darkest and the lightest pixels by R + G + B.
  // With at least one pixel each running count is at least 1.
  uint64_t darkRun = 0, lightRun = 0;
  const int32_t darkTop = PercentileFromBottom(h.brightness, kBrightnessBins, darkCount, &darkRun);
  const int32_t lightBottom = PercentileFromTop(h.brightness, kBrightnessBins, lightCount, &lightRun);
  uint8_t dark[3], light[3];
  for (int c = 0; c < 3; ++c) {
    dark[c] = uint8_t(RangeSum(h.sums[c], kBrightnessBins, 0, darkTop) / std::max<uint64_t>(darkRun, 1));
    light[c] = uint8_t(RangeSum(h.sums[c], kBrightnessBins, lightBottom, kBrightnessBins - 1) /
                       std::max<uint64_t>(lightRun, 1));
  }
  const double darkDistance = ColourDistance(dark, darkMean);
  const double lightDistance = ColourDistance(light, lightMean);

  // How many pixels pile up at the dark colour's level (a sign of clipped
  // shadows), as a share of all pixels.
  uint64_t pile = 0;
  for (int c = 0; c < 3; ++c) {
    if (dark[c] > 0) {
      const uint64_t x = std::min(RangeSum(h.channel[c], 256, 1, dark[c]), RangeSum(h.channel[c], 256, 0, dark[c] - 1));
      pile = std::max(pile, x);
    }
  }
  const double k =
      Ramp(darkDistance, s.darkMatchLow, s.darkMatchHigh) * Ramp(double(pile) / N, s.darkPileUpLow, s.darkPileUpHigh);
  for (int c = 0; c < 3; ++c)
    lo[c] = int(dark[c] * k + (1 - k) * lo[c]);

  const int minLo = *std::min_element(lo, lo + 3), maxLo = *std::max_element(lo, lo + 3);
  const int minHi = *std::min_element(hi, hi + 3), maxHi = *std::max_element(hi, hi + 3);
  const int freeRange = minLo + 255 - maxHi;
  const int spread = (maxLo - minLo) + (maxHi - minHi);
  const double darkStretch = Ramp(freeRange, s.darkStretchLow, s.darkStretchHigh);
  const double lightStretch = Ramp(freeRange, s.lightStretchLow, s.lightStretchHigh);
  const double darkBalance =
      std::min(Ramp(spread, s.darkBalanceLow, s.darkBalanceHigh), Ramp(darkDistance, s.darkCastLow, s.darkCastHigh));
  const double lightBalance = std::min(Ramp(spread, s.lightBalanceLow, s.lightBalanceHigh),
                                       Ramp(lightDistance, s.lightCastLow, s.lightCastHigh));

  // The black points may be lifted as far as every channel has headroom.
  int lift = s.blackLiftLimit;
  const uint64_t headroomCount = uint64_t(std::floor(N * s.shadowHeadroom));
  for (int c = 0; c < 3; ++c)
    lift = std::min(lift, PercentileFromBottom(h.channel[c], 256, headroomCount) - lo[c]);
  lift = std::max(lift, 0);

  for (int c = 0; c < 3; ++c) {
    points.black[c] = int(minLo * darkStretch + (lo[c] - minLo) * darkBalance + lift);
    points.white[c] = 255 - int((255 - maxHi) * lightStretch + (maxHi - hi[c]) * lightBalance);
  }
  return points;
}

bool BuildLevelTables(const LevelPoints& p, uint8_t* red, uint8_t* green, uint8_t* blue)
{
  uint8_t* tables[3] = {red, green, blue};
  const bool meet = p.black[0] == p.white[0] || p.black[1] == p.white[1] || p.black[2] == p.white[2];
  bool changed = false;
  for (int c = 0; c < 3; ++c) {
    const int black = p.black[c], white = p.white[c];
    for (int i = 0; i < 256; ++i) {
      int v = i;
      if (!meet)
        v = i < black ? 0 : (i > white ? 255 : (i - black) * 255 / (white - black));
      tables[c][i] = uint8_t(v);
      changed |= v != i;
    }
  }
  return changed;
}

void LevelsLookupOp(uint8_t* p)
{
  p[2] = g_levels[0][p[2]];
  p[1] = g_levels[1][p[1]];
  p[0] = g_levels[2][p[0]];
}

const uint8_t* LevelsTable(int channel) { return g_levels[channel]; }

int LevelsStage(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb)
{
  const LevelsSettings& settings = LevelsSettingsOf(control);
  Task task(cb, 4);
  // The run data in one block: three channel histograms, the brightness
  // counts and their three channel sums.
  Buffer<uint32_t> run;
  if (!run.Allocate(3 * 256 + 4 * kBrightnessBins))
    return kStatusNoMemory;
  uint32_t* channel[3] = {run.data(), run.data() + 256, run.data() + 512};
  uint32_t* counts = run.data() + 768;
  uint32_t* sums[3] = {counts + kBrightnessBins, counts + 2 * kBrightnessBins, counts + 3 * kBrightnessBins};

  if (int s = EnsureColour(image, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  const ImageDesc area = RectView(image.colour, image.rect);
  if (int s = GatherColourHistograms(area, channel[0], channel[1], channel[2], cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  if (int s = GatherBrightness(area, counts, sums[0], sums[1], sums[2], cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;

  const LevelsHistograms measured{{channel[0], channel[1], channel[2]}, counts, {sums[0], sums[1], sums[2]}};
  const LevelPoints points = EstimateLevelPoints(measured, settings);
  int status = kStatusOk;
  if (BuildLevelTables(points, g_levels[0], g_levels[1], g_levels[2]))
    status = FinishRewrite(image, control, ApplyColourTables(image.colour, g_levels[0], g_levels[1], g_levels[2], cb),
                           LevelsLookupOp, false);
  // This poll also follows a failed application.
  if (task.Poll())
    status = kStatusCancelled;
  return status;
}

} // namespace lvx
