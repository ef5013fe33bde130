// The sharpening stage's measurements: edge blur, comb score and noise
// floor, and the parameters derived from them.
#include "sharpen.h"

#include "alloc.h"
#include "binomial.h"
#include "iterate.h"
#include "labelling.h"
#include "progress.h"
#include "rankfilter.h"
#include "rect.h"
#include "stats.h"
#include "status.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

namespace lvx {
namespace {

// An edge profile holds D[0 .. K], so K stays below this.
constexpr int kProfileLength = 26;
constexpr int kExtrema = 21;

// The histograms of the sharpness map and of the box-filtered gradient, and
// the peak list's extremum table: process-wide like the engine's other run
// buffers; each run overwrites them and nothing reads them afterwards.
uint32_t g_sharpnessHistogram[256];
uint32_t g_noiseHistogram[256];
double g_extrema[kExtrema];

// floor(v) as a count; 0 for negative values and NaN.
uint64_t FloorCount(double v) { return v > 0 ? uint64_t(std::floor(v)) : 0; }

// floor(d x factor) for every difference d a profile can hold, so the
// profile tests compare integers.
template <int kSize>
struct ShrinkTable {
  int32_t value[kSize];
  explicit ShrinkTable(double factor)
  {
    for (int d = 0; d < kSize; ++d)
      value[d] = int32_t(std::floor(d * factor));
  }
  int32_t operator[](int d) const { return value[d]; }
};

struct ProfileRules {
  ShrinkTable<256> drop;     // floor(D (1 - k1)): a span whose contrast falls below this is no edge
  ShrinkTable<511> bend;     // floor((D[k] + D[k - 2]) (1 - k1)): above 2 D[k - 1] the profile bends upward
  ShrinkTable<256> levelled; // floor(D (1 - k2)): the edge has levelled off when D[k / 4] exceeds it
  int K;
  int32_t minimumContrast;
  double rPi; // luminance blur parameter times pi
};

// The sharpness at pixel `p` (a pointer into the luminance view, at least K
// pixels inside it on every side), 0 when no measurable edge runs through.
int EdgeSharpness(const uint8_t* p, ptrdiff_t rowStride, ptrdiff_t pixelStride, const ProfileRules& rules)
{
  const int centre = p[0];
  const int right = p[pixelStride], left = p[-pixelStride], below = p[rowStride], above = p[-rowStride];
  const int gx = right - left, gy = below - above;
  // Scan across the edge: along the dominant gradient axis, diagonally when
  // neither dominates.
  ptrdiff_t step;
  if (std::abs(gx) > 2 * std::abs(gy))
    step = pixelStride;
  else if (std::abs(gy) > 2 * std::abs(gx))
    step = rowStride;
  else
    step = (gx > 0 ? pixelStride : -pixelStride) + (gy > 0 ? rowStride : -rowStride);

  int32_t D[kProfileLength];
  D[0] = 0;
  D[1] = std::abs(p[step] - p[-step]);
  int k = 1;
  while (k < rules.K) {
    ++k;
    D[k] = std::abs(p[k * step] - p[-k * step]);
    if (D[k] < rules.drop[D[k - 1]] || rules.bend[D[k] + D[k - 2]] > 2 * D[k - 1]) {
      D[k] = 0;
      break;
    }
    if (D[k / 4] > rules.levelled[D[k]])
      break;
  }
  const int32_t contrast = D[k];
  if (contrast == 0 || contrast < rules.minimumContrast)
    return 0;
  const int h = std::max(std::abs(right - centre), std::abs(left - centre));
  const int v = std::max(std::abs(below - centre), std::abs(above - centre));
  const double Q = double(h * h + v * v);
  const double den = std::max(double(contrast) * contrast - Q * rules.rPi, 1.0);
  const double value = std::floor(100.0 * std::sqrt(Q / den) + 0.5);
  return value > 255 ? 255 : int(value);
}

// One output row of the box mean from the column sums (entry c + R is
// column c); the division by a constant becomes a multiplication.
template <int R>
void BoxRow(const uint16_t* sums, int32_t columns, uint8_t* out)
{
  constexpr uint32_t kArea = (2 * R + 1) * (2 * R + 1);
  for (int32_t x = 0; x < columns; ++x) {
    uint32_t w = 0;
    for (int j = 0; j <= 2 * R; ++j)
      w += sums[x + j];
    out[x] = uint8_t(w / kArea);
  }
}

using BoxRowFn = void (*)(const uint16_t*, int32_t, uint8_t*);
constexpr BoxRowFn kBoxRows[kMaxWindowRadius + 1] = {nullptr,   BoxRow<1>, BoxRow<2>, BoxRow<3>,
                                                     BoxRow<4>, BoxRow<5>, BoxRow<6>, BoxRow<7>};

} // namespace

int RemoveSmallRegions(const ImageDesc& S, double fraction, AdjustProgressProc cb)
{
  if (!(fraction > 0))
    return kStatusOk;
  const uint64_t minimum = FloorCount(double(S.PixelCount()) * fraction);
  if (minimum < 2)
    return kStatusOk;
  ImageDesc labels;
  int32_t count = 0;
  int status = LabelRegions(S, EmptyImage(), 0, labels, count, cb);
  if (status != kStatusOk)
    return status;
  uint32_t* sizes = nullptr;
  status = GatherPlane16Histogram(labels, sizes, count, cb);
  if (status == kStatusOk)
    status = ForEachRowPair(
        S, labels,
        [&](uint8_t* s, uint8_t* l, int32_t n, ptrdiff_t ss, ptrdiff_t ls) {
          for (int32_t x = 0; x < n; ++x) {
            const uint16_t label = Load16(l + x * ls);
            if (label == 0 || sizes[label] < minimum)
              s[x * ss] = 0;
          }
        },
        cb);
  Release(sizes);
  FreeImage(labels);
  return status;
}

int32_t EdgeLevel(const uint32_t* h, uint64_t n)
{
  // The strongest edges: the level below which 0.999 of the gradients lie,
  // or 0.9995 when that is still level 0.
  double fraction = 0.999;
  int32_t q = PercentileFromBottom(h, 256, FloorCount(double(n) * fraction));
  if (q == 0) {
    fraction = (1 + fraction) / 2;
    q = PercentileFromBottom(h, 256, FloorCount(double(n) * fraction));
  }
  return q;
}

int EstimateEdgeBlur(const ImageDesc& Y, const ImageDesc& E, const AdjustRect& rect, const SharpenAdaptiveSettings& s,
                     uint32_t* gradientHistogram, double& edgeBlur, AdjustProgressProc cb)
{
  edgeBlur = 0.0;
  // Every window argument is checked before anything reads the planes:
  // the histogram's margin follows the median radius.
  if (int st = CheckWindowArguments(Y, s.medianRadius, 50))
    return st;
  if (int st = CheckWindowArguments(E, s.cleanupRadius, s.cleanupPercentage))
    return st;
  if (s.profileSteps < 1 || s.profileSteps >= kProfileLength)
    return kStatusBadArgument;
  const ImageDesc Yr = RectView(Y, rect), Er = RectView(E, rect);

  uint32_t* h = gradientHistogram;
  const AdjustRect inner = ShrunkWholeRect(Yr.rows, Yr.columns, s.medianRadius + 1);
  if (int st = GatherPlane8Histogram(RectView(Er, inner), h, 256, cb))
    return st;
  const uint64_t n = RangeSum(h, 256, 0, 255);
  int32_t p = PercentileFromBottom(h, 256, FloorCount(double(n) * s.noisePercentile));
  if (p == 0)
    p = 1;
  const int32_t q = EdgeLevel(h, n);

  // Soft edges get the luminance blur (none with a factor of 0) and the
  // median, fully from the median strength high on.
  double r = 0.0;
  if (q <= s.blurEdgeLow)
    r = s.luminanceBlurFactor;
  else if (q < s.blurEdgeHigh)
    r = s.luminanceBlurFactor * (1.0 / q - 1.0 / s.blurEdgeHigh) / (1.0 / s.blurEdgeLow - 1.0 / s.blurEdgeHigh);
  int blend = 100;
  if (q >= s.medianStrengthHigh) {
    blend = 100;
  } else if (q <= s.medianStrengthLow) {
    blend = 0;
  } else {
    // A lower limit of 0 makes 1 / low infinite; the ratio's limit is then 1.
    const double ratio =
        (1.0 / s.medianStrengthLow - 1.0 / q) / (1.0 / s.medianStrengthLow - 1.0 / s.medianStrengthHigh);
    blend = std::isfinite(ratio) ? int(std::clamp(std::floor(100.0 * ratio + 0.5), -1e6, 1e6)) : 100;
  }
  if (int st = GreyRankFilter(Yr, s.medianRadius, 50, blend, cb))
    return st;
  if (int st = BlurInPlace(Yr, r, cb))
    return st;

  ImageDesc S;
  int status = SharpnessMap(Yr, Er, p, r, s, S, cb);
  if (status == kStatusOk)
    status = RemoveSmallRegions(S, s.minimumRegionFraction, cb);
  if (status == kStatusOk)
    status = MaskCleanupFilter(S, s.cleanupRadius, s.cleanupPercentage, cb);
  uint32_t* hs = g_sharpnessHistogram;
  if (status == kStatusOk)
    status = GatherPlane8Histogram(S, hs, 256, cb);
  FreeImage(S);
  if (status == kStatusOk)
    edgeBlur = EdgeBlurFromSharpness(g_sharpnessHistogram, s);
  return status;
}

int SharpnessMap(const ImageDesc& Yr, const ImageDesc& Er, int32_t p, double r, const SharpenAdaptiveSettings& s,
                 ImageDesc& S, AdjustProgressProc cb)
{
  S = EmptyImage();
  const int K = s.profileSteps;
  if (K < 1 || K >= kProfileLength)
    return kStatusBadArgument;
  if (Yr.kind != kKindPlane8 || Er.kind != kKindPlane8 || !SameSize(Yr, Er))
    return kStatusBadArgument;
  S = AllocPlane8(Yr.rows, Yr.columns);
  if (!S.Allocated())
    return kStatusNoMemory;

  const ProfileRules rules{ShrinkTable<256>(1 - s.profileTolerance),        ShrinkTable<511>(1 - s.profileTolerance),
                           ShrinkTable<256>(1 - s.saturationTolerance),     K,
                           std::max<int32_t>(s.minimumEdgeContrast, p / 2), r * std::numbers::pi};
  // The profile reads up to K pixels away: only pixels K inside the view
  // are measured.
  const AdjustRect inner = ShrunkWholeRect(Yr.rows, Yr.columns, K);
  // Every byte of the fresh plane is written once, the margin with 0.
  const size_t columns = size_t(S.columns);
  for (int32_t y = 0; y < std::min(inner.top, S.rows); ++y)
    std::memset(S.Row(y), 0, columns);
  Task task(cb, Yr.rows);
  for (int32_t y = inner.top; y < inner.bottom; ++y) {
    const uint8_t* e = Er.Row(y);
    const uint8_t* lum = Yr.Row(y);
    uint8_t* out = S.Row(y);
    std::memset(out, 0, size_t(inner.left));
    for (int32_t x = inner.left; x < inner.right; ++x)
      out[x] = e[x * Er.pixelStride] >= p
                   ? uint8_t(EdgeSharpness(lum + x * Yr.pixelStride, Yr.rowStride, Yr.pixelStride, rules))
                   : 0;
    std::memset(out + inner.right, 0, columns - size_t(inner.right));
    if (task.Poll()) {
      FreeImage(S);
      return kStatusCancelled;
    }
  }
  for (int32_t y = std::max(inner.bottom, inner.top); y < S.rows; ++y)
    std::memset(S.Row(y), 0, columns);
  return kStatusOk;
}

double EdgeBlurFromSharpness(const uint32_t* h, const SharpenAdaptiveSettings& s)
{
  // A map without pixels (an empty analysis rectangle) measures nothing.
  const uint64_t total = RangeSum(h, 256, 0, 255);
  if (total == 0)
    return 0.0;
  const uint64_t nonZero = total - h[0];
  const int32_t q = PercentileFromTop(h, 256, FloorCount((1.0 - s.topFraction) * double(nonZero)));
  if (q < std::max<int>(s.minimumSharpness, 1))
    return 0.0;
  // A step edge blurred by a Gaussian of width sigma has its steepest
  // one-pixel step at 1 / (sigma sqrt(2 pi)) of its contrast.
  return 100.0 / (q * std::sqrt(2.0 * std::numbers::pi));
}

double CombScore(const uint32_t* h, const SharpenAdaptiveSettings& s)
{
  // From level 1 (or 2), odd levels dip below and even levels rise above
  // the mean of their neighbours as long as the comb lasts.
  int i = h[2] < h[0] ? 2 : 1;
  double cOdd = 0, mOdd = 0, cEven = 0, mEven = 0;
  for (; i <= 254; ++i) {
    const double c = h[i], m = (double(h[i - 1]) + double(h[i + 1])) / 2;
    if (i % 2 == 1) {
      if (!(c < m))
        break;
      cOdd += c, mOdd += m;
    } else {
      if (!(c > m))
        break;
      cEven += c, mEven += m;
    }
  }
  const int span = i - 1;
  double depth = 0;
  if (mOdd != 0)
    depth += (mOdd - cOdd) / (2 * mOdd);
  if (cEven != 0)
    depth += (cEven - mEven) / (2 * cEven);
  return s.combWeight * depth + s.combSpanWeight * span;
}

int BoxMean(const ImageDesc& plane, int radius, AdjustProgressProc cb)
{
  if (int s = CheckWindowArguments(plane, radius, 0))
    return s;
  if (radius == 0 || plane.PixelCount() == 0)
    return kStatusOk;
  const int32_t columns = plane.columns;
  Task task(cb, std::max(plane.rows / 8, 2));
  const BoxRowFn boxRow = kBoxRows[radius];
  return SlidingColumnSums<uint16_t>(
      plane, radius, task, [](uint8_t p) { return p; },
      [&](int32_t, const uint16_t* S, uint8_t* out, auto) { boxRow(S - radius, columns, out); });
}

int EstimateNoiseFloor(const ImageDesc& E, const AdjustRect& rect, const SharpenAdaptiveSettings& s, double& noiseFloor,
                       AdjustProgressProc cb)
{
  noiseFloor = 0.0;
  const int b = s.noiseBoxRadius;
  if (int st = BoxMean(E, b, cb))
    return st;
  uint32_t* h = g_noiseHistogram;
  if (int st = GatherPlane8Histogram(RectView(E, GrowRect(rect, -(b + 1))), h, 256, cb))
    return st;
  return NoiseFloorFromHistogram(g_noiseHistogram, s, noiseFloor);
}

int NoiseFloorFromHistogram(const uint32_t* h, const SharpenAdaptiveSettings& s, double& noiseFloor)
{
  noiseFloor = 0.0;
  const uint64_t total = RangeSum(h, 256, 0, 255);
  if (total == 0)
    return kStatusOk;
  auto scale = [&](double fraction) {
    return uint32_t(std::min<uint64_t>(FloorCount(double(total) * fraction), UINT32_MAX));
  };
  uint16_t count = 0;
  if (int st = HistogramPeakList(h, 255, s.valleyAreaFactor, s.valleyDepthFactor, scale(s.valleyAreaScale),
                                 scale(s.valleyHeightScale), g_extrema, kExtrema, count))
    return st;
  // Peaks at low gradient levels are noise: fully up to noise peak low,
  // fading out towards noise peak high.
  const double low = s.noisePeakLow, high = s.noisePeakHigh;
  for (int i = 0; i < count; i += 2) {
    const double x = g_extrema[i];
    const double value = x <= low ? x : (x <= high ? (high - x) * low / (high - low) : 0.0);
    noiseFloor = std::max(noiseFloor, value);
  }
  return kStatusOk;
}

void DeriveSharpenParameters(const SharpenAdaptiveSettings& s, SharpenMeasures& m)
{
  // A blur parameter is 2 sigma^2 of the Gaussian it stands for: the mask
  // works at sigma factor times the edge blur, widened by the pre-blur
  // when one is applied; both stay below the blur's limit.
  const double sigma = m.edgeBlur, g = s.sigmaFactor;
  m.preBlur = 0.0;
  if (sigma * g > 0) {
    double width = sigma * g;
    if (sigma > s.preBlurThreshold) {
      const double f = std::min(sigma / 2, sigma - s.preBlurThreshold);
      width = g * std::sqrt(f * f + sigma * sigma);
      m.preBlur = std::min(2 * f * f, 6.0);
    }
    m.sharpenBlur = std::min(2 * width * width, 6.0);
    m.amount = s.amount;
    if (m.sharpenBlur < s.minimumBlurParameter)
      m.sharpenBlur = 0.0;
  } else {
    m.sharpenBlur = 0.0;
    m.amount = 0;
  }
  // A combed histogram (a stretched or resampled picture) takes the amount
  // down linearly between the two limits.
  if (m.combScore >= s.combHighLimit)
    m.amount = 0;
  else if (s.combLowLimit < m.combScore)
    m.amount = int16_t(std::trunc(m.amount * (m.combScore - s.combHighLimit) / (s.combLowLimit - s.combHighLimit)));

  const double base = m.noiseFloor + 1;
  int kneeLow = int(std::floor(base * s.kneeLowFactor + 0.5));
  int kneeHigh = int(std::floor(base * s.kneeHighFactor + 0.5));
  kneeHigh = std::min(kneeHigh, 255);
  if (kneeLow >= kneeHigh)
    kneeLow = kneeHigh - 1;
  m.kneeLow = int16_t(kneeLow);
  m.kneeHigh = int16_t(kneeHigh);
  m.topKneeLow = 255;
  m.topKneeHigh = 256;
}

void BuildStrengthCurve(const SharpenMeasures& m, uint8_t* curve)
{
  const double low = m.kneeLow, high = m.kneeHigh, topLow = m.topKneeLow, topHigh = m.topKneeHigh;
  for (int i = 0; i < 256; ++i) {
    const double rise = 1.0 / (1.0 + std::exp(-4.0 * (i - (low + high) / 2) / (high - low)));
    const double fall = 1.0 / (1.0 + std::exp(-4.0 * ((topLow + topHigh) / 2 - i) / (topHigh - topLow)));
    curve[i] = uint8_t(std::floor(255.0 * rise * fall + 0.5));
  }
}

} // namespace lvx
