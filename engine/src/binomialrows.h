#pragma once
// The separable binomial filter of binomial.h one row at a time, for the
// whole-plane filters there and for passes that stream rows through several
// steps at once (the sharpening's corrections).
//
// Vertical(t) sums source rows t - n .. t + n (clamped to the picture) with
// the kernel's weights into a ring of n + 1 accumulator rows; once row t + n
// has had its vertical pass, Horizontal(t) sums the accumulator row
// horizontally (edge samples repeated) into B, the unnormalised blur, which
// an output rule (BlurRowOut, SharpenRowOut) turns into pixels. C interleaved
// channels (1 for a plane, 3 for a colour image) are filtered side by side,
// each on its own.
#include "alloc.h"
#include "binomial.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace lvx {

// Calls f(i, offset) for every sample of a row: sample i = C x + c is
// channel c of pixel x, at byte offset x step + c. Rows whose samples lie
// next to each other run as one plain loop the compiler can vectorise.
template <int C, class Step, class F>
inline void ForSamples(int32_t columns, Step step, F&& f)
{
  if constexpr (C == 1) {
    for (int32_t x = 0; x < columns; ++x)
      f(x, x * step);
  } else if constexpr (std::is_same_v<Step, std::integral_constant<ptrdiff_t, C>>) {
    for (int32_t i = 0; i < C * columns; ++i)
      f(i, ptrdiff_t(i));
  } else {
    for (int32_t x = 0; x < columns; ++x)
      for (int c = 0; c < C; ++c)
        f(x * C + c, x * step + c);
  }
}

template <int C>
class BinomialRows {
public:
  // Rows of `columns` pixels; false when the accumulators cannot be
  // allocated. The kernel must outlive the filter.
  bool Prepare(const HalfKernel& kernel, int32_t columns)
  {
    kernel_ = &kernel;
    n_ = kernel.n;
    samples_ = C * columns;
    span_ = size_t(samples_) + 2 * size_t(C) * size_t(n_);
    // The accumulator ring and one row of horizontal sums, in one block.
    if (!block_.Allocate(span_ * size_t(n_ + 1) + size_t(samples_)))
      return false;
    B_ = reinterpret_cast<uint32_t*>(block_.data() + span_ * size_t(n_ + 1));
    return true;
  }

  // The vertical pass of source row t of a picture of `rows` rows; row(i)
  // gives source row i, its pixels `step` bytes apart.
  template <class RowOf, class Step>
  void Vertical(int32_t t, int32_t rows, RowOf&& row, Step step)
  {
    const uint16_t* w = kernel_->w;
    int32_t* a = Accumulator(t);
    const uint8_t* centre = row(t);
    const int32_t w0 = w[0];
    ForSamples<C>(samples_ / C, step, [&](int32_t i, ptrdiff_t o) { a[i] = w0 * centre[o]; });
    for (int k = 1; k <= n_; ++k) {
      const uint8_t* up = row(std::max(t - k, 0));
      const uint8_t* down = row(std::min(t + k, rows - 1));
      const int32_t wk = w[k];
      ForSamples<C>(samples_ / C, step, [&](int32_t i, ptrdiff_t o) { a[i] += wk * (up[o] + down[o]); });
    }
  }

  // The horizontal pass of row y: B, the unnormalised blur of each of its
  // samples (valid until the next call).
  const uint32_t* Horizontal(int32_t y)
  {
    const uint16_t* w = kernel_->w;
    const int32_t samples = samples_;
    int32_t* a = Accumulator(y);
    for (int k = 1; k <= n_; ++k)
      for (int c = 0; c < C; ++c) {
        a[c - C * k] = a[c];
        a[samples - C + c + C * k] = a[samples - C + c];
      }
    uint32_t* B = B_;
    for (int32_t i = 0; i < samples; ++i)
      B[i] = uint32_t(w[0]) * uint32_t(a[i]);
    for (int k = 1; k <= n_; ++k) {
      const uint32_t wk = w[k];
      for (int32_t i = 0; i < samples; ++i)
        B[i] += wk * uint32_t(a[i - C * k] + a[i + C * k]);
    }
    return B;
  }

private:
  int32_t* Accumulator(int32_t sourceRow) const
  {
    return block_.data() + span_ * size_t(sourceRow % (n_ + 1)) + C * n_;
  }

  const HalfKernel* kernel_ = nullptr;
  int n_ = 0;
  int32_t samples_ = 0;
  size_t span_ = 0;
  Buffer<int32_t> block_;
  uint32_t* B_ = nullptr;
};

// The rounded blur (B + 2^(s - 1)) >> s of every sample into `row`, s the
// kernel's 2-D shift.
template <int C, class Step>
void BlurRowOut(uint8_t* row, Step step, const uint32_t* B, int32_t columns, int s)
{
  const uint32_t round = s > 0 ? uint32_t(1) << (s - 1) : 0;
  ForSamples<C>(columns, step, [&](int32_t i, ptrdiff_t o) { row[o] = uint8_t((B[i] + round) >> s); });
}

// The unsharp rule (binomial.h) for one row, in place: A the amount in
// 256ths, m the strength row (null: none) with its pixel step, s the
// kernel's 2-D shift. Int is the type the sharpening product needs: 32 bits
// unless the amount is so large that it could overflow them.
template <class Int, bool kStrength, class Step, class StrengthStep>
void SharpenRow(uint8_t* row, Step step, const uint8_t* m, StrengthStep mStep, const uint32_t* B, int32_t columns,
                int32_t A, int lo, int hi)
{
  const Int round = Int(1) << (hi + 7);
  for (int32_t x = 0; x < columns; ++x) {
    const Int a = kStrength ? Int((A * int32_t(m[x * mStep])) >> 8) : Int(A);
    const Int v = Int(row[x * step]) << hi;
    const Int b = Int(B[x] >> lo);
    const Int p = ((v << 8) + a * (v - b) + round) >> (hi + 8);
    row[x * step] = uint8_t(p < 0 ? 0 : (p > 255 ? 255 : p));
  }
}

// Whether every product a (v - b) of the rule fits 32 bits: |v - b| is at
// most 255 << 8 and |a| at most |A|, so with |A| <= 32000 the sum stays
// below 2^31.
inline bool Fits32(int32_t A) { return A >= -32000 && A <= 32000; }

template <class Step>
void SharpenRowOut(uint8_t* row, Step step, const uint8_t* m, ptrdiff_t mStep, const uint32_t* B, int32_t columns,
                   int32_t A, int s)
{
  const int lo = std::max(s - 8, 0), hi = std::min(s, 8);
  if (!m) {
    if (Fits32(A))
      SharpenRow<int32_t, false>(row, step, nullptr, 0, B, columns, A, lo, hi);
    else
      SharpenRow<int64_t, false>(row, step, nullptr, 0, B, columns, A, lo, hi);
    return;
  }
  auto withStrength = [&](auto ms) {
    if (Fits32(A))
      SharpenRow<int32_t, true>(row, step, m, ms, B, columns, A, lo, hi);
    else
      SharpenRow<int64_t, true>(row, step, m, ms, B, columns, A, lo, hi);
  };
  if (mStep == 1)
    withStrength(std::integral_constant<ptrdiff_t, 1>{});
  else
    withStrength(mStep);
}

} // namespace lvx
