#pragma once
// Neighbourhood rank filters that work in place on 8-bit planes, and the
// window frame they share (which the box mean of the sharpening analysis
// reuses).
//
// Window: (2r + 1) x (2r + 1) pixels centred on the pixel, r = 1..7; beyond
// the plane's edges the nearest edge pixel stands in. Each filter computes
// its output rows into a small ring and writes a row back only once no later
// window reads it, so every window sees unfiltered values although no second
// plane is made. Any view of kind 1 works: bottom-up, strided, a channel or a
// rectangle of a larger image.
//
// Statuses: 0, 1 (cancelled: rows already written back stay filtered, the
// others keep their old values), kStatusNoMemory, kStatusBadArgument (a plane of another kind, a
// radius outside 0..7 or a percentage outside 0..100; nothing is touched).
// A radius of 0 or a plane without pixels returns 0 untouched.
//
// Progress: one task of max(rows / 8, 2) ticks, polled after every pass
// whose index (from 0) is a multiple of 8; the grey rank filter makes
// rows + r passes, the counting filters rows + r + 1.
#include "alloc.h"
#include "image.h"
#include "iterate.h"
#include "progress.h"
#include "status.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lvx {

enum : int { kMaxWindowRadius = 7 };

// The rank (0-based, counted from the smallest) that percentage p selects in
// a window of radius r: floor(p (s - 1) / 100) for p <= 50, else
// (s - 1) - floor((100 - p) (s - 1) / 100), with s = (2r + 1)^2. So 0 is the
// minimum, 50 the median, 100 the maximum.
int RankIndex(int radius, int percentage);

// Each pixel becomes a blend of its window's RankIndex-th smallest value v
// and its own value o: with w = floor(256 blend / 100), v when w = 256, else
// (256 v + (w - 256)(v - o)) >> 8 clamped to 0..255. Blend 100 gives v, 50
// the mean of v and o (rounded down), above 100 goes beyond v away from o;
// blend 0 returns 0 untouched.
int GreyRankFilter(const ImageDesc& plane, int radius, int percentage, int blend, AdjustProgressProc cb);
inline int GreyRankFilter(const ImageDesc& plane, int radius, int percentage, AdjustProgressProc cb)
{
  return GreyRankFilter(plane, radius, percentage, 100, cb);
}

// For planes holding only 0 and 1: each pixel becomes its window's
// RankIndex-th smallest value, that is 1 when more than
// (2r + 1)^2 - 1 - RankIndex pixels of its window are 1. With percentage 50
// this is a majority filter (r = 3: 1 when at least 25 of 49 are 1). The
// window counts are 8-bit sums of the values, so other values give
// meaningless (but safe) results.
int RankFilter(const ImageDesc& plane, int radius, int percentage, AdjustProgressProc cb);

// A pixel keeps its value when more than (2r + 1)^2 - 1 - RankIndex pixels
// of its window are non-zero, else it becomes 0 (r = 1, percentage 70: kept
// when at least 3 of 9 are non-zero).
int MaskCleanupFilter(const ImageDesc& plane, int radius, int percentage, AdjustProgressProc cb);

// 0 when the filter arguments are acceptable, else kStatusBadArgument (see
// above).
int CheckWindowArguments(const ImageDesc& plane, int radius, int percentage);

// ---- Rows of 3 x 3 and 5 x 5 windows on vectors (rankfilter_network*) -----
// Built where the compiler has generic vector types (GCC and Clang), in the
// build's baseline instruction set and, on x86-64, also for AVX2, taken when
// the processor has it. The sliding histogram serves every other build and
// radius, and any test that asks for it.
#ifndef LVX_RANK_NETWORK
#if defined(__GNUC__)
#define LVX_RANK_NETWORK 1
#else
#define LVX_RANK_NETWORK 0
#endif
#endif

// Output row y into `out` (columns bytes), rows[i] being plane row y - r + i
// (clamped) with pixel stride `step`; `scratch` holds
// NetworkRankScratchBytes(r, columns) bytes, zeroed once before the first row.
using NetworkRankRowFn = void (*)(const uint8_t* const* rows, ptrdiff_t step, int32_t columns, uint8_t* scratch,
                                  uint8_t* out);

// Which way the grey rank filter computes its rows: on vectors where the
// build has them and the radius is 1 or 2 (AVX-512, AVX2 or baseline, see
// instructionset.h), or always by the sliding histogram, the portable
// scalar way, which tests force to check it.
enum class RankRowMethod { kVectors, kHistogram };
void SetRankRowMethod(RankRowMethod method);

// The row function the current method and instruction set give for radius 1
// or 2 and a rank of its window; null where the rows come from the sliding
// histogram (that method, another radius, or a build without vectors).
NetworkRankRowFn NetworkRankRow(int radius, int rank);
size_t NetworkRankScratchBytes(int radius, int32_t columns);

// Within the row functions: the widest vector they use, the pitch of their
// scratch rows, and the AVX2 and AVX-512 rows (rankfilter_network_avx2.cpp,
// rankfilter_network_avx512.cpp).
enum : int { kMaxNetworkLanes = 64 };
size_t NetworkSortedPitch(int radius, int32_t columns);
NetworkRankRowFn NetworkRankRowAvx2(int radius, int rank);
NetworkRankRowFn NetworkRankRowAvx512(int radius, int rank);

// ---- The in-place window frame ----------------------------------------------
// Clamped row and column tables for radius r and a ring of output rows. Use:
// Task task(cb, std::max(plane.rows / 8, 2)); WindowFrame frame; if
// (!frame.Prepare(plane, r, lag + 1)) return kStatusNoMemory; return
// frame.Run(lag, task, [&](int32_t y, uint8_t* out) { ... output row y ... });
class WindowFrame {
public:
  // False when a table or the ring cannot be allocated.
  bool Prepare(const ImageDesc& plane, int radius, int ringRows)
  {
    plane_ = plane;
    radius_ = radius;
    ringRows_ = ringRows;
    const int32_t rows = plane.rows, columns = plane.columns;
    if (!rowTable_.Allocate(size_t(rows) + 2 * radius) || !columnTable_.Allocate(size_t(columns) + 2 * radius) ||
        !ring_.Allocate(size_t(ringRows) * size_t(columns)))
      return false;
    for (int32_t i = -radius; i < rows + radius; ++i)
      rowTable_[i + radius] = plane.Row(i < 0 ? 0 : (i >= rows ? rows - 1 : i));
    for (int32_t j = -radius; j < columns + radius; ++j)
      columnTable_[j + radius] = ptrdiff_t(j < 0 ? 0 : (j >= columns ? columns - 1 : j)) * plane.pixelStride;
    return true;
  }

  // Plane row i (i = -r .. rows + r - 1), clamped.
  const uint8_t* Row(int32_t i) const { return rowTable_[i + radius_]; }
  // Byte offsets of columns -r .. columns + r - 1, clamped: entry j + r is
  // column j.
  const ptrdiff_t* Columns() const { return columnTable_.data(); }

  // Passes y = 0 .. rows + lag - 1: compute(y, ringRow) fills output row y
  // (y < rows) into its ring row, then output row y - lag (y >= lag) goes
  // back into the plane through write(planeRow, ringRow) (a plain copy by
  // default). Polls after every pass whose index is a multiple of 8.
  template <class Compute, class Write>
  int Run(int32_t lag, const Task& task, Compute&& compute, Write&& write)
  {
    const int32_t rows = plane_.rows;
    for (int32_t y = 0; y < rows + lag; ++y) {
      if (y < rows)
        compute(y, RingRow(y));
      if (y >= lag)
        write(plane_.Row(y - lag), static_cast<const uint8_t*>(RingRow(y - lag)));
      if (y % 8 == 0 && task.Poll())
        return kStatusCancelled;
    }
    return kStatusOk;
  }
  template <class Compute>
  int Run(int32_t lag, const Task& task, Compute&& compute)
  {
    const int32_t columns = plane_.columns;
    const ptrdiff_t step = plane_.pixelStride;
    return Run(lag, task, compute, [columns, step](uint8_t* row, const uint8_t* out) {
      if (step == 1)
        std::memcpy(row, out, size_t(columns));
      else
        for (int32_t x = 0; x < columns; ++x)
          row[x * step] = out[x];
    });
  }

private:
  uint8_t* RingRow(int32_t y) const { return ring_.data() + size_t(y % ringRows_) * size_t(plane_.columns); }

  ImageDesc plane_;
  int radius_ = 0;
  int ringRows_ = 1;
  Buffer<const uint8_t*> rowTable_;
  Buffer<ptrdiff_t> columnTable_;
  Buffer<uint8_t> ring_;
};

// The frame of the counting filters and the box mean: column sums S[c] of
// count(value) over the 2r + 1 window rows of output row y, held as Sum (c = -r
// .. columns + r - 1; the clamped columns hold copies of the edge columns'
// sums), built from scratch for row 0 and then updated by one row in and one
// row out. rowOut(y, S, out, step) makes output row y from them (S[c] for
// column c, step the plane's pixel stride). The ring holds r + 2 rows: the row
// leaving the sums is written back only after the pass that subtracts it, so it
// still holds its unfiltered values. kStatusNoMemory when the frame or the sums
// cannot be allocated.
template <class Sum, class Count, class RowOut>
int SlidingColumnSums(const ImageDesc& plane, int r, const Task& task, Count count, RowOut rowOut)
{
  const int32_t columns = plane.columns;
  WindowFrame frame;
  Buffer<Sum> sums;
  if (!frame.Prepare(plane, r, r + 2) || !sums.Allocate(size_t(columns) + 2 * size_t(r)))
    return kStatusNoMemory;
  Sum* S = sums.data() + r;
  return WithPixelStride(plane.pixelStride, [&](auto step) {
    return frame.Run(r + 1, task, [&](int32_t y, uint8_t* out) {
      if (y == 0) {
        std::fill(S, S + columns, Sum(0));
        for (int i = -r; i <= r; ++i) {
          const uint8_t* row = frame.Row(i);
          for (int32_t c = 0; c < columns; ++c)
            S[c] = Sum(S[c] + count(row[c * step]));
        }
      } else {
        const uint8_t* in = frame.Row(y + r);
        const uint8_t* gone = frame.Row(y - r - 1);
        for (int32_t c = 0; c < columns; ++c)
          S[c] = Sum(S[c] + count(in[c * step]) - count(gone[c * step]));
      }
      std::fill(S - r, S, S[0]);
      std::fill(S + columns, S + columns + r, S[columns - 1]);
      rowOut(y, static_cast<const Sum*>(S), out, step);
    });
  });
}

} // namespace lvx
