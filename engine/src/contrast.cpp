#include "contrast.h"

#include "alloc.h"
#include "iterate.h"
#include "module.h"
#include "progress.h"
#include "rect.h"
#include "stats.h"
#include "status.h"
#include "tone.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace lvx {
namespace {

enum : int { kTileBins = 4097, kLevelBins = 257 }; // bins, then the pixel count

int16_t g_contrastTable[kContrastTableSize];

} // namespace

double Flatness(const uint32_t* h, uint64_t total, double divisor)
{
  if (total == 0)
    return 100.0;
  const int64_t mean = int64_t(total / 256);
  const double step = double(mean) / divisor;
  double sum = 0;
  for (int i = 0; i < 256; ++i) {
    const double diff = double(std::llabs(mean - int64_t(h[i])));
    sum += step > 0 ? step * std::floor(diff / step) : diff;
  }
  return sum / double(total);
}

int ChooseTiles(double* flatness, int tiles, double limit, int quota, bool* chosen)
{
  int count = 0;
  for (int t = 0; t < tiles; ++t) {
    chosen[t] = flatness[t] <= limit;
    count += chosen[t];
  }
  if (count >= quota)
    return count;
  std::fill(chosen, chosen + tiles, false);
  for (count = 0; count < quota; ++count) {
    int best = -1;
    for (int t = 0; t < tiles; ++t)
      if (flatness[t] < 1000.0 && (best < 0 || flatness[t] < flatness[best]))
        best = t;
    if (best < 0)
      break;
    chosen[best] = true;
    flatness[best] = 1000.0;
  }
  return count;
}

int BlendPercentage(double g, const ContrastSettings& s)
{
  if (g >= s.flatnessHigh)
    return 0;
  if (g <= s.flatnessLow)
    return 100;
  return int((s.flatnessHigh - g) / (s.flatnessHigh - s.flatnessLow) * 100);
}

int MeasureContrast(const ImageDesc& working, const AdjustRect& rect, ContrastSettings& s, uint32_t* global,
                    uint32_t* selected, AdjustProgressProc cb)
{
  Task task(cb, 4);
  const int across = std::clamp<int>(s.tilesAcross, 1, kMaxContrastTiles);
  const int down = std::clamp<int>(s.tilesDown, 1, kMaxContrastTiles);
  const int tiles = across * down;
  // Per tile: its 4096 lightness bins with the pixel count, then the same
  // rebinned to 256 levels with the count.
  Buffer<uint32_t> tileData;
  if (!tileData.Allocate(size_t(tiles) * (kTileBins + kLevelBins)))
    return kStatusNoMemory;
  auto fine = [&](int t) { return tileData.data() + size_t(t) * kTileBins; };
  auto coarse = [&](int t) { return tileData.data() + size_t(tiles) * kTileBins + size_t(t) * kLevelBins; };

  const ImageDesc lightness = LightnessPlane(working);
  for (int j = 0; j < down; ++j)
    for (int i = 0; i < across; ++i) {
      uint32_t* h = fine(j * across + i);
      if (int st = GatherPlane16Histogram(RectView(lightness, TileRect(rect, i, across, j, down)), h, kTileBins, cb))
        return st;
      h[4096] = uint32_t(RangeSum(h, 4096, 0, 4095));
    }

  Buffer<uint32_t> combined;
  if (!combined.AllocateZeroed(kTileBins))
    return kStatusNoMemory;
  for (int t = 0; t < tiles; ++t)
    for (int b = 0; b < kTileBins; ++b)
      combined[b] += fine(t)[b];
  if (task.Poll())
    return kStatusCancelled;
  std::memset(global, 0, kLevelBins * sizeof(uint32_t));
  Rebin(combined.data(), 4096, global, 256);
  global[256] = combined[4096];
  const double globalFlatness = Flatness(global, global[256], s.globalStepDivisor);

  double flatness[kMaxContrastTiles * kMaxContrastTiles];
  for (int t = 0; t < tiles; ++t) {
    uint32_t* h = coarse(t);
    std::memset(h, 0, kLevelBins * sizeof(uint32_t));
    Rebin(fine(t), 4096, h, 256);
    h[256] = fine(t)[4096];
    flatness[t] = h[256] == 0 ? 100.0 : Flatness(h, h[256], s.tileStepDivisor);
  }

  if (task.Poll())
    return kStatusCancelled;
  bool chosen[kMaxContrastTiles * kMaxContrastTiles];
  ChooseTiles(flatness, tiles, globalFlatness * s.tileAcceptance, tiles / std::max<int>(s.tileQuotaDivisor, 1) + 1,
              chosen);
  if (task.Poll())
    return kStatusCancelled;
  std::memset(selected, 0, kLevelBins * sizeof(uint32_t));
  for (int t = 0; t < tiles; ++t)
    if (chosen[t])
      for (int b = 0; b < kLevelBins; ++b)
        selected[b] += coarse(t)[b];

  // Clip the darkest bins that stand out above the mean.
  const uint32_t mean = selected[256] >> 8;
  const int darkBins = int(std::floor(s.darkBinFraction * 255));
  for (int k = 0; k < darkBins && k < 256; ++k) {
    if (selected[k] > mean) {
      const uint32_t cut = uint32_t(std::floor((selected[k] - mean) * s.darkBinClipWeight));
      selected[k] -= cut;
      selected[256] -= cut;
    }
  }
  if (task.Poll())
    return kStatusCancelled;
  s.blendPercentage = int16_t(BlendPercentage(globalFlatness, s));
  return kStatusOk;
}

int MiddleCurve(const uint32_t* h, int n, int span, int percent, double lowerSlope, double upperSlope, float* out)
{
  if (n < 0 || span < 0)
    return kStatusBadArgument;
  if (n == 0) {
    if (span != 0)
      return kStatusBadArgument;
    out[0] = 0;
    return kStatusOk;
  }
  if (span == 0)
    return kStatusBadArgument;
  const double R = span;
  // The trapezoid mass of the slice.
  uint64_t mass = (uint64_t(h[0]) + h[n]) >> 1;
  for (int k = 1; k < n; ++k)
    mass += h[k];
  if (mass == 0) {
    for (int k = 0; k <= n; ++k)
      out[k] = float(R * k / n);
    return kStatusOk;
  }
  // Limit the share of equalisation so that no step of the curve is flatter
  // or steeper than the slope factors allow.
  const double T = double(mass);
  const double flattest = n * lowerSlope / R, steepest = n * upperSlope / R;
  double w = percent / 100.0;
  for (int k = 0; k < n; ++k) {
    const double v = double((uint64_t(n) * (uint64_t(h[k]) + h[k + 1])) >> 1);
    if (v < T)
      w = std::min(w, (1 - flattest) * T / (T - v));
    else if (v > T)
      w = std::min(w, (steepest - 1) * T / (v - T));
  }
  w = std::clamp(w, 0.0, 1.0);
  out[0] = 0;
  uint64_t running = 0;
  for (int k = 1; k < n; ++k) {
    running += (uint64_t(h[k - 1]) + h[k]) >> 1;
    out[k] = float(double(running) * R * w / T + k * R * (1 - w) / n);
  }
  out[n] = float(R);
  return kStatusOk;
}

int BuildContrastCurve(const uint32_t* global, uint32_t* selected, const ContrastSettings& s, float* curve,
                       ContrastCurveInfo* info)
{
  if (selected[1] < selected[0])
    selected[0] = selected[1];
  if (selected[254] < selected[255])
    selected[255] = selected[254];
  const double total = global[256];
  const int low = PercentileFromBottom(global, 256, uint64_t(std::floor(total * s.bottomFraction)));
  const int high = PercentileFromTop(global, 256, uint64_t(std::floor(total * s.topFraction)));
  if (low > 255 || high > 255 || high < low)
    return kStatusBadArgument; // no pixel counted
  int black = low;
  if (high != low)
    black = int((1 - Ramp(low, s.blackLimitLow, s.blackLimitHigh)) * low);
  for (int l = 0; l < low; ++l)
    curve[l] = float(double(l) * black / low);
  for (int l = high + 1; l < 256; ++l)
    curve[l] = float(l);
  if (int st = MiddleCurve(selected + low, high - low, high - black, s.blendPercentage, s.lowerSlope, s.upperSlope,
                           curve + low))
    return st;
  for (int l = low; l <= high; ++l)
    curve[l] += float(black);
  if (info)
    *info = ContrastCurveInfo{low, high, black};
  return kStatusOk;
}

bool CurveTable(const float* curve, int16_t* table)
{
  bool changed = false;
  for (int m = 0; m < kContrastTableSize; ++m) {
    const double x = m * 255.0 / 4095.0;
    const int i = int(x), j = std::min(i + 1, 255);
    const double t = x - i;
    const double v = std::floor(4095.0 * ((1 - t) * curve[i] + t * curve[j]) / 255.0 + 0.5);
    table[m] = int16_t(std::clamp(v, 0.0, 4095.0));
    changed |= std::abs(table[m] - m) > 16;
  }
  return changed;
}

void ContrastOp(uint8_t* p) { Store16(p, uint16_t(g_contrastTable[std::min<int>(Load16(p), kContrastTableSize - 1)])); }

const int16_t* ContrastTable() { return g_contrastTable; }

int ContrastStage(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb)
{
  ContrastSettings& settings = ContrastSettingsOf(control);
  Task task(cb, 3);
  Buffer<uint32_t> histograms;
  if (!histograms.Allocate(2 * kLevelBins))
    return kStatusNoMemory;
  uint32_t* global = histograms.data();
  uint32_t* selected = histograms.data() + kLevelBins;
  if (int s = EnsureWorking(image, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  if (int s = MeasureContrast(image.working, image.rect, settings, global, selected, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;

  // Without a measured pixel there is nothing to shape.
  if (global[256] > 0) {
    float curve[256];
    if (int s = BuildContrastCurve(global, selected, settings, curve))
      return s;
    if (CurveTable(curve, g_contrastTable)) {
      const int s = ApplyTable16(LightnessPlane(image.working), g_contrastTable, kContrastTableSize, cb);
      if (int q = FinishRewrite(image, control, s, ContrastOp, true))
        return q;
    }
  }
  return task.Poll() ? kStatusCancelled : kStatusOk;
}

} // namespace lvx
