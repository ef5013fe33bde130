#include "rankfilter.h"

#include "iterate.h"

#include <algorithm>

namespace lvx {
namespace {

// The grey rank filter's output row y: a 256-bin histogram of the window at
// column 0, then slid one column at a time. `below` counts the window values
// smaller than the current output v, so v moves only as far as the changed
// counts require.
void RankRow(const WindowFrame& frame, int32_t y, int32_t columns, int r, int m, uint8_t* out)
{
  const int side = 2 * r + 1;
  const uint8_t* rows[2 * kMaxWindowRadius + 1];
  for (int i = 0; i < side; ++i)
    rows[i] = frame.Row(y - r + i);
  const ptrdiff_t* col = frame.Columns(); // entry j + r is column j

  uint16_t h[256] = {};
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j)
      ++h[rows[i][col[j]]];
  int v = 0, below = 0;
  while (below + h[v] <= m)
    below += h[v++];
  out[0] = uint8_t(v);

  for (int32_t x = 1; x < columns; ++x) {
    const ptrdiff_t leaving = col[x - 1], entering = col[x + 2 * r];
    for (int i = 0; i < side; ++i) {
      const uint8_t o = rows[i][leaving], n = rows[i][entering];
      --h[o];
      ++h[n];
      below += int(n < v) - int(o < v);
    }
    if (below > m) {
      do
        below -= h[--v];
      while (below > m);
    } else {
      while (below + h[v] <= m)
        below += h[v++];
    }
    out[x] = uint8_t(v);
  }
}

// floor(blend x 256 / 100), also for negative blends.
int64_t BlendWeight(int blend)
{
  const int64_t t = int64_t(blend) * 256;
  return t >= 0 ? t / 100 : -((-t + 99) / 100);
}

enum class Counting { Values, NonZero };

// The two counting filters: 8-bit column sums over the window rows, updated
// by one row in and one row out per output row, and a running window sum
// along the row. Clamped columns repeat the edge column, so their sums are
// copies of its sum.
template <Counting kCounting>
int CountingFilter(const ImageDesc& plane, int radius, int percentage, AdjustProgressProc cb)
{
  if (int s = CheckWindowArguments(plane, radius, percentage))
    return s;
  if (radius == 0 || plane.PixelCount() == 0)
    return kStatusOk;
  const int r = radius;
  const int32_t columns = plane.columns;
  const uint8_t threshold = uint8_t((2 * r + 1) * (2 * r + 1) - 1 - RankIndex(r, percentage));
  Task task(cb, std::max(plane.rows / 8, 2));
  auto count = [](uint8_t p) { return uint8_t(kCounting == Counting::Values ? p : p != 0); };
  return SlidingColumnSums<uint8_t>(plane, r, task, count, [&](int32_t y, const uint8_t* S, uint8_t* out, auto step) {
    const uint8_t* own = plane.Row(y);
    uint8_t w = 0;
    for (int j = -r; j <= r; ++j)
      w = uint8_t(w + S[j]);
    for (int32_t x = 0;;) {
      const uint8_t keep = kCounting == Counting::Values ? 1 : own[x * step];
      out[x] = w > threshold ? keep : 0;
      if (++x == columns)
        break;
      w = uint8_t(w + S[x + r] - S[x - r - 1]);
    }
  });
}

} // namespace

int RankIndex(int radius, int percentage)
{
  const int last = (2 * radius + 1) * (2 * radius + 1) - 1;
  return percentage <= 50 ? percentage * last / 100 : last - (100 - percentage) * last / 100;
}

int CheckWindowArguments(const ImageDesc& plane, int radius, int percentage)
{
  if (radius < 0 || radius > kMaxWindowRadius || percentage < 0 || percentage > 100)
    return kStatusBadArgument;
  return CheckKind(plane, kKindPlane8);
}

int GreyRankFilter(const ImageDesc& plane, int radius, int percentage, int blend, AdjustProgressProc cb)
{
  if (int s = CheckWindowArguments(plane, radius, percentage))
    return s;
  if (radius == 0 || plane.PixelCount() == 0 || blend == 0)
    return kStatusOk;
  const int r = radius, m = RankIndex(radius, percentage);
  const int64_t w = BlendWeight(blend);
  const int32_t columns = plane.columns;
  Task task(cb, std::max(plane.rows / 8, 2));
  WindowFrame frame;
  if (!frame.Prepare(plane, r, r + 1))
    return kStatusNoMemory;
  const NetworkRankRowFn networkRow = NetworkRankRow(r, m);
  Buffer<uint8_t> scratch;
  if (networkRow && !scratch.AllocateZeroed(NetworkRankScratchBytes(r, columns)))
    return kStatusNoMemory;
  auto compute = [&](int32_t y, uint8_t* out) {
    if (!networkRow)
      return RankRow(frame, y, columns, r, m, out);
    const uint8_t* rows[2 * kMaxWindowRadius + 1];
    for (int i = 0; i < 2 * r + 1; ++i)
      rows[i] = frame.Row(y - r + i);
    networkRow(rows, plane.pixelStride, columns, scratch.data(), out);
  };
  if (w == 256)
    return frame.Run(r, task, compute);
  return WithPixelStride(plane.pixelStride, [&](auto step) {
    return frame.Run(r, task, compute, [&](uint8_t* row, const uint8_t* out) {
      for (int32_t x = 0; x < columns; ++x) {
        const int v = out[x], o = row[x * step];
        const int64_t z = 256 * v + (w - 256) * (v - o);
        row[x * step] = uint8_t(z < 0 ? 0 : (z >= 65536 ? 255 : z >> 8));
      }
    });
  });
}

int RankFilter(const ImageDesc& plane, int radius, int percentage, AdjustProgressProc cb)
{
  return CountingFilter<Counting::Values>(plane, radius, percentage, cb);
}

int MaskCleanupFilter(const ImageDesc& plane, int radius, int percentage, AdjustProgressProc cb)
{
  return CountingFilter<Counting::NonZero>(plane, radius, percentage, cb);
}

} // namespace lvx
