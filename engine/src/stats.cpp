#include "stats.h"

#include "alloc.h"
#include "iterate.h"
#include "progress.h"
#include "status.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lvx {
namespace {

// The buffer slots of one gatherer call: fills empty slots from the
// allocator, zeroes every slot, and on failure releases what it allocated.
class Slots {
public:
  bool Prepare(uint32_t*& slot, size_t bins)
  {
    if (!slot) {
      slot = AllocateArray<uint32_t>(bins);
      if (!slot)
        return false;
      made_[madeCount_++] = &slot;
    }
    std::memset(slot, 0, bins * sizeof(uint32_t));
    return true;
  }
  // Passes `status` through, releasing this call's arrays when it is not 0.
  int Finish(int status)
  {
    if (status != kStatusOk) {
      for (int i = 0; i < madeCount_; ++i) {
        Release(*made_[i]);
        *made_[i] = nullptr;
      }
    }
    return status;
  }

private:
  uint32_t** made_[4] = {};
  int madeCount_ = 0;
};

int Clamp100(uint8_t v) { return v > 100 ? 100 : v; }

bool Opposite(int64_t a, int64_t b) { return (a > 0 && b < 0) || (a < 0 && b > 0); }

// Extrema scan of the padded work array w (w[0] and w[n + 1] empty) into
// at most `capacity` list entries; returns the count.
int32_t ScanExtrema(const int64_t* w, int32_t n, double* list, int32_t capacity)
{
  int32_t count = 0;
  int32_t i = 1;
  while (i <= n && w[i] == 0)
    ++i;
  if (i > n)
    return 0;
  int64_t slopeIn = w[i] - w[i - 1];
  while (i <= n) {
    int64_t slopeOut = w[i + 1] - w[i];
    int32_t at = -1;
    int32_t next = i + 1;
    if (slopeOut == 0) {
      int32_t last = i + 1;
      while (last <= n && w[last + 1] == w[last])
        ++last;
      if (last > n) // empty bins running into the top pad
        break;
      slopeOut = w[last + 1] - w[last];
      if (Opposite(slopeIn, slopeOut))
        at = (i + last) / 2;
      next = last + 1;
    } else if (Opposite(slopeIn, slopeOut)) {
      at = i;
    }
    if (at >= 0) {
      if (count == capacity)
        break;
      list[count++] = at - 1; // work index to bin number
    }
    slopeIn = slopeOut;
    i = next;
  }
  return count;
}

// Checks the valley between work-array peaks lo and hi; fills it (raising
// the inner bins to the lower end of the fitted chord) when it is not
// significant. Returns true when a bin changed.
bool SettleValley(int64_t* w, int32_t lo, int32_t hi, int32_t valley, double alpha, double beta, uint32_t areaScale,
                  uint32_t heightScale)
{
  // Chord fit: move the higher end inwards while an inner bin rises above
  // the chord between the ends.
  while (hi - lo > 1) {
    double g = double(w[lo]), f = double(w[hi]);
    bool above = false;
    for (int32_t l = lo + 1; l < hi && !above; ++l)
      above = double(w[l]) > g + (f - g) * (l - lo - 0.5) / (hi - lo - 1);
    if (!above)
      break;
    if (f < g)
      ++lo;
    else
      --hi;
  }
  double g = double(w[lo]), f = double(w[hi]);
  double inner = 0;
  for (int32_t l = lo + 1; l < hi; ++l)
    inner += double(w[l]);
  double chordArea = (g + f) * (hi - lo) / 2.0;
  double histArea = (g + f) / 2.0 + inner;
  int64_t low = std::min(w[lo], w[hi]);
  double areaFactor = areaScale == 0 ? 1.0 : 1.0 - std::exp(-chordArea / areaScale);
  double heightFactor = heightScale == 0 ? 1.0 : 1.0 - std::exp(-double(low) / heightScale);
  bool stands = chordArea * alpha * areaFactor >= histArea && double(low) * beta * heightFactor >= double(w[valley]);
  if (stands)
    return false;
  bool changed = false;
  for (int32_t l = lo + 1; l < hi; ++l) {
    if (w[l] < low) {
      w[l] = low;
      changed = true;
    }
  }
  return changed;
}

uint32_t g_levelCounts[101];
uint32_t g_levelRootSums[101];

} // namespace

int GatherColourHistograms(const ImageDesc& colour, uint32_t*& red, uint32_t*& green, uint32_t*& blue,
                           AdjustProgressProc cb)
{
  if (int s = CheckKind(colour, kKindColour))
    return s;
  Slots slots;
  if (!slots.Prepare(red, 256) || !slots.Prepare(green, 256) || !slots.Prepare(blue, 256))
    return slots.Finish(kStatusNoMemory);
  uint32_t *r = red, *g = green, *b = blue;
  return slots.Finish(ForEachPixel(
      colour,
      [&](const uint8_t* p) {
        ++r[p[2]];
        ++g[p[1]];
        ++b[p[0]];
      },
      cb));
}

int GatherBrightness(const ImageDesc& colour, uint32_t*& counts, uint32_t*& sumRed, uint32_t*& sumGreen,
                     uint32_t*& sumBlue, AdjustProgressProc cb)
{
  if (int s = CheckKind(colour, kKindColour))
    return s;
  Slots slots;
  if (!slots.Prepare(counts, kBrightnessBins) || !slots.Prepare(sumRed, kBrightnessBins) ||
      !slots.Prepare(sumGreen, kBrightnessBins) || !slots.Prepare(sumBlue, kBrightnessBins))
    return slots.Finish(kStatusNoMemory);
  uint32_t *n = counts, *r = sumRed, *g = sumGreen, *b = sumBlue;
  return slots.Finish(ForEachPixel(
      colour,
      [&](const uint8_t* p) {
        int bin = p[0] + p[1] + p[2];
        ++n[bin];
        r[bin] += p[2];
        g[bin] += p[1];
        b[bin] += p[0];
      },
      cb));
}

// Checks a plane of `kind` and the bin count n, and prepares the n bins:
// kStatusOk, or the status to return.
int PreparePlaneBins(const ImageDesc& plane, int32_t kind, Slots& slots, uint32_t*& bins, int32_t n)
{
  if (int s = CheckKind(plane, kind))
    return s;
  if (n < 0)
    return kStatusBadArgument;
  return slots.Prepare(bins, size_t(n)) ? kStatusOk : slots.Finish(kStatusNoMemory);
}

// n bins of a one-channel plane whose values `read` fetches.
template <class Read>
int GatherPlaneHistogram(const ImageDesc& plane, int32_t kind, uint32_t*& bins, int32_t n, AdjustProgressProc cb,
                         Read read)
{
  Slots slots;
  if (int s = PreparePlaneBins(plane, kind, slots, bins, n))
    return s;
  uint32_t* h = bins;
  return slots.Finish(ForEachPixel(
      plane,
      [&](const uint8_t* p) {
        uint32_t v = read(p);
        if (v < uint32_t(n))
          ++h[v];
      },
      cb));
}

int GatherPlane8Histogram(const ImageDesc& plane, uint32_t*& bins, int32_t n, AdjustProgressProc cb)
{
  Slots slots;
  if (int s = PreparePlaneBins(plane, kKindPlane8, slots, bins, n))
    return s;
  // Neighbouring pixels often share a value, and counting them into one bin
  // waits for each increment before the next; four banks, counted in turn
  // and added up at the end, keep four increments under way.
  uint32_t banks[4][256] = {};
  const int status = ForEachRow(
      plane,
      [&](uint8_t* row, int32_t columns, ptrdiff_t pixelStride) {
        WithPixelStride(pixelStride, [&](auto step) {
          int32_t x = 0;
          for (; x + 4 <= columns; x += 4) {
            ++banks[0][row[x * step]];
            ++banks[1][row[(x + 1) * step]];
            ++banks[2][row[(x + 2) * step]];
            ++banks[3][row[(x + 3) * step]];
          }
          for (; x < columns; ++x)
            ++banks[0][row[x * step]];
        });
      },
      cb);
  // Also after a cancel, the rows walked are counted, as the other gatherers do.
  for (int32_t v = 0; v < std::min(n, 256); ++v)
    bins[v] = banks[0][v] + banks[1][v] + banks[2][v] + banks[3][v];
  return slots.Finish(status);
}

int GatherPlane16Histogram(const ImageDesc& plane, uint32_t*& bins, int32_t n, AdjustProgressProc cb)
{
  return GatherPlaneHistogram(plane, kKindPlane16, bins, n, cb, [](const uint8_t* p) { return uint32_t(Load16(p)); });
}

int GatherSaturationBrightness(const ImageDesc& colour, uint32_t*& brightness, uint32_t*& saturation,
                               AdjustProgressProc cb)
{
  if (int s = CheckKind(colour, kKindColour))
    return s;
  Slots slots;
  if (!slots.Prepare(brightness, kBrightnessBins) || !slots.Prepare(saturation, 256))
    return slots.Finish(kStatusNoMemory);
  uint32_t *bright = brightness, *sat = saturation;
  return slots.Finish(ForEachPixel(
      colour,
      [&](const uint8_t* p) {
        ++bright[p[0] + p[1] + p[2]];
        int mx = std::max({p[0], p[1], p[2]}), mn = std::min({p[0], p[1], p[2]});
        ++sat[mx == 0 ? 0 : (mn == 0 ? 255 : 256 * (mx - mn) / mx)];
      },
      cb));
}

int GradientMap(const ImageDesc& plane, ImageDesc& out, int shift, AdjustProgressProc cb)
{
  bool made = false;
  if (int s = MakeLike(plane, out, kKindPlane8, kKindPlane8, &made))
    return s;
  int32_t rows = plane.rows, cols = plane.columns;
  Buffer<int32_t> across, down; // A = above + 2 this + below, D = above - below
  if (!across.Allocate(size_t(cols > 0 ? cols : 0) + 2) || !down.Allocate(size_t(cols > 0 ? cols : 0) + 2)) {
    FreeImageIf(out, true, made);
    return kStatusNoMemory;
  }
  shift = std::clamp(shift, 0, 15);
  Task task(cb, rows / 8);
  for (int32_t y = 0; y < rows; ++y) {
    const uint8_t* above = plane.Row(y > 0 ? y - 1 : 0);
    const uint8_t* here = plane.Row(y);
    const uint8_t* below = plane.Row(y + 1 < rows ? y + 1 : y);
    int32_t* A = across.data();
    int32_t* D = down.data();
    WithPixelStride(plane.pixelStride, [&](auto step) {
      for (int32_t x = 0; x < cols; ++x) {
        const int32_t a = above[x * step], h = here[x * step], b = below[x * step];
        A[x + 1] = a + 2 * h + b;
        D[x + 1] = a - b;
      }
    });
    A[0] = A[1];
    D[0] = D[1];
    A[cols + 1] = A[cols];
    D[cols + 1] = D[cols];
    uint8_t* target = out.Row(y);
    WithPixelStride(out.pixelStride, [&](auto step) {
      for (int32_t x = 0; x < cols; ++x) {
        int32_t sum = std::abs(A[x] - A[x + 2]) + std::abs(D[x] + 2 * D[x + 1] + D[x + 2]);
        sum >>= shift;
        target[x * step] = uint8_t(sum > 255 ? 255 : sum);
      }
    });
    if (y % 8 == 0 && task.Poll()) {
      FreeImageIf(out, true, made);
      return kStatusCancelled;
    }
  }
  return kStatusOk;
}

int32_t PercentileFromBottom(const uint32_t* h, int32_t n, uint64_t t, uint64_t* sum)
{
  uint64_t running = 0;
  int32_t i = 0;
  for (; i < n; ++i) {
    running += h[i];
    if (running > t)
      break;
  }
  if (sum)
    *sum = running;
  return i;
}

int32_t PercentileFromTop(const uint32_t* h, int32_t n, uint64_t t, uint64_t* sum)
{
  uint64_t running = 0;
  int32_t i = n - 1;
  for (; i >= 0; --i) {
    running += h[i];
    if (running > t)
      break;
  }
  if (sum)
    *sum = running;
  return i >= 0 ? i : n;
}

uint64_t RangeSum(const uint32_t* h, int32_t n, int32_t a, int32_t b)
{
  uint64_t total = 0;
  for (int32_t i = std::max(a, 0); i <= std::min(b, n - 1); ++i)
    total += h[i];
  return total;
}

int64_t IntegerMean(const uint32_t* h, int32_t n, int32_t a, int32_t b, uint64_t* remainder)
{
  int32_t last = std::min(b, n - 1);
  uint64_t weighted = 0, count = 0;
  for (int32_t i = std::max(a, 0); i <= last; ++i) {
    weighted += uint64_t(i) * h[i];
    count += h[i];
  }
  if (count == 0) {
    if (remainder)
      *remainder = 0;
    return (int64_t(a) + last) / 2;
  }
  if (remainder)
    *remainder = weighted % count;
  return int64_t(weighted / count);
}

double RealMean(const uint32_t* h, int32_t n, int32_t a, int32_t b)
{
  int32_t last = std::min(b, n - 1);
  double weighted = 0, count = 0;
  for (int32_t i = std::max(a, 0); i <= last; ++i) {
    weighted += double(i) * h[i];
    count += h[i];
  }
  return count == 0 ? (double(a) + last) * 0.5 : weighted / count;
}

void Rebin(const uint32_t* h, int32_t n, uint32_t* out, int32_t m)
{
  for (int32_t i = 0; i < n; ++i)
    out[int64_t(m) * i / n] += h[i];
}

int32_t Mode(const uint32_t* h, int32_t n)
{
  int32_t best = 0;
  for (int32_t i = 1; i < n; ++i)
    if (h[i] > h[best])
      best = i;
  return best;
}

int StrongestGradientLevel(const ImageDesc& plane, int16_t divisor, int16_t halfWidth, int16_t& level,
                           AdjustProgressProc cb)
{
  if (int s = CheckKind(plane, kKindPlane8))
    return s;
  level = 0;
  uint64_t minimum = uint64_t(plane.PixelCount()) / uint64_t(divisor < 1 ? 1 : divisor);
  Buffer<uint8_t> root;
  if (!root.Allocate(868))
    return kStatusNoMemory;
  for (int i = 0; i < 868; ++i)
    root[i] = uint8_t(std::sqrt(double(i)));
  std::memset(g_levelCounts, 0, sizeof g_levelCounts);
  std::memset(g_levelRootSums, 0, sizeof g_levelRootSums);

  Task task(cb, plane.rows);
  for (int32_t y = 2; y < plane.rows - 2; ++y) {
    for (int32_t x = 2; x < plane.columns - 2; ++x) {
      auto p = [&](int dy, int dx) { return Clamp100(*plane.At(y + dy, x + dx)); };
      // Differences across the centre, each weighted by 1 / (|dx| + |dy|);
      // S4 and S2 divide by flooring, S3 by truncation toward zero.
      int sx1 = p(0, 1) - p(0, -1);
      int sx2 = p(0, 2) - p(0, -2) + p(-1, 1) - p(-1, -1) + p(1, 1) - p(1, -1);
      int sx3 = p(-2, 1) - p(-2, -1) + p(2, 1) - p(2, -1) + p(-1, 2) - p(-1, -2) + p(1, 2) - p(1, -2);
      int sx4 = p(-2, 2) - p(-2, -2) + p(2, 2) - p(2, -2);
      int sy1 = p(1, 0) - p(-1, 0);
      int sy2 = p(2, 0) - p(-2, 0) + p(1, -1) - p(-1, -1) + p(1, 1) - p(-1, 1);
      int sy3 = p(1, -2) - p(-1, -2) + p(1, 2) - p(-1, 2) + p(2, -1) - p(-2, -1) + p(2, 1) - p(-2, 1);
      int sy4 = p(2, -2) - p(-2, -2) + p(2, 2) - p(-2, 2);
      int gx = (sx4 >> 2) + sx3 / 3 + (sx2 >> 1) + sx1;
      int gy = (sy4 >> 2) + sy3 / 3 + (sy2 >> 1) + sy1;
      int v = p(0, 0);
      ++g_levelCounts[v];
      g_levelRootSums[v] += root[std::abs(gx) + std::abs(gy)];
    }
    if (task.Poll())
      return kStatusCancelled;
  }
  for (int v = 0; v <= 100; ++v) {
    if (g_levelCounts[v] > 0)
      g_levelRootSums[v] = g_levelCounts[v] >= minimum ? g_levelRootSums[v] / g_levelCounts[v] : 0;
  }
  int w = halfWidth < 0 ? 0 : halfWidth;
  uint64_t best = 0;
  for (int j = w; j <= 89; ++j) {
    uint64_t sum = 0;
    for (int k = j - w; k <= j + w; ++k)
      if (k <= 100) // half-widths above 11 would reach past the levels
        sum += g_levelRootSums[k];
    if (sum > best) {
      best = sum;
      level = int16_t(j);
    }
  }
  return kStatusOk;
}

int HistogramPeakList(const uint32_t* h, int32_t n, double alpha, double beta, uint32_t areaScale, uint32_t heightScale,
                      double* list, int32_t capacity, uint16_t& count)
{
  if (n < 1 || n > 65535)
    return kStatusBadArgument;
  Buffer<int64_t> w;
  if (!w.Allocate(size_t(n) + 2))
    return kStatusPeakList;
  w[0] = 0;
  w[size_t(n) + 1] = 0;
  for (int32_t i = 0; i < n; ++i)
    w[size_t(i) + 1] = h[i];
  int32_t cap = capacity > 0 && capacity % 2 == 0 ? capacity - 1 : std::max(capacity, 0);

  int32_t found = ScanExtrema(w.data(), n, list, cap);
  // Each filling pass raises at least one bin, so the passes end; the cap
  // bounds them all the same.
  for (int32_t pass = 0; found >= 3 && pass < n; ++pass) {
    bool filled = false;
    for (int32_t j = 1; j <= (found - 1) / 2; ++j) {
      int32_t lo = int32_t(list[2 * j - 2]) + 1, valley = int32_t(list[2 * j - 1]) + 1, hi = int32_t(list[2 * j]) + 1;
      filled |= SettleValley(w.data(), lo, hi, valley, alpha, beta, areaScale, heightScale);
    }
    if (!filled)
      break;
    found = ScanExtrema(w.data(), n, list, cap);
  }
  count = uint16_t(found);
  return kStatusOk;
}

} // namespace lvx
