#pragma once
// The grey rank filter's rows for 3 x 3 and 5 x 5 windows on vectors of
// pixels: each window column sorted once per output row, then a selection
// network (selectionnetwork.h) per output pixel, one pixel per vector lane.
// `Bytes` is one of GCC's generic vector types of bytes; the compiler maps
// it to the instruction set the including file is compiled for.
//
// Only rankfilter_network.cpp (the build's baseline instruction set),
// rankfilter_network_avx2.cpp and rankfilter_network_avx512.cpp include
// this. Everything here lies in an unnamed namespace, so each of them
// compiles its own copy and the linker can never take the AVX2 copy of a
// function for the baseline's; for the
// same reason nothing here instantiates a template or inline function of
// another header, which an unoptimised build would emit as a shared copy.
#include "rankfilter.h"
#include "selectionnetwork.h"

#include <array>
#include <cstring>
#include <iterator>
#include <utility>

namespace lvx {
namespace {

template <class Bytes>
inline Bytes Load(const uint8_t* p)
{
  Bytes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <class Bytes>
inline void Store(uint8_t* p, const Bytes& v)
{
  std::memcpy(p, &v, sizeof v);
}

template <int kA, int kB, NetworkStep::Kind kKind, class Bytes>
inline void Apply(Bytes* w)
{
  Bytes& a = w[kA];
  Bytes& b = w[kB];
  if constexpr (kKind == NetworkStep::kBoth) {
    const Bytes lo = a < b ? a : b;
    b = a < b ? b : a;
    a = lo;
  } else if constexpr (kKind == NetworkStep::kMin) {
    a = a < b ? a : b;
  } else {
    b = a < b ? b : a;
  }
}

// Every step of kSteps, an array of NetworkStep, unrolled.
template <const auto& kSteps, class Bytes, size_t... I>
inline void ApplyAll(Bytes* w, std::index_sequence<I...>)
{
  (Apply<kSteps[I].a, kSteps[I].b, kSteps[I].kind>(w), ...);
}
template <const auto& kSteps, class Bytes>
inline void ApplyAll(Bytes* w)
{
  ApplyAll<kSteps>(w, std::make_index_sequence<std::size(kSteps)>());
}

// The steps of a selection network in an array of their own size.
template <int kSide, int kRank>
constexpr auto SelectionSteps()
{
  constexpr const SelectionNetwork& net = kSelectionNetwork<kSide, kRank>;
  std::array<NetworkStep, size_t(net.count)> steps{};
  for (size_t i = 0; i < steps.size(); ++i)
    steps[i] = net.steps[i];
  return steps;
}
template <int kSide, int kRank>
inline constexpr auto kSelectionSteps = SelectionSteps<kSide, kRank>();

// Sorting networks for one window column: 3 comparators for 3 values, 9 for
// 5 (the fewest possible).
constexpr NetworkStep kSort3[] = {{0, 1}, {1, 2}, {0, 1}};
constexpr NetworkStep kSort5[] = {{0, 1}, {3, 4}, {2, 4}, {2, 3}, {0, 3}, {0, 2}, {1, 4}, {1, 3}, {1, 2}};

// Whether a column network sorts all 2^n inputs of 0s and 1s (and so every
// input).
template <size_t kCount>
constexpr bool SortsEveryInput(const NetworkStep (&net)[kCount], int n)
{
  for (int bits = 0; bits < (1 << n); ++bits) {
    int v[kMaxNetworkSide] = {};
    for (int i = 0; i < n; ++i)
      v[i] = (bits >> i) & 1;
    for (const NetworkStep& s : net)
      if (v[s.a] > v[s.b])
        std::swap(v[s.a], v[s.b]);
    for (int i = 1; i < n; ++i)
      if (v[i - 1] > v[i])
        return false;
  }
  return true;
}
static_assert(SortsEveryInput(kSort3, 3) && SortsEveryInput(kSort5, 5));

// The sorted window columns of one output row, rows[i] being plane row
// y - r + i (clamped): row k of `sorted` (NetworkSortedPitch bytes), entry
// c + r, holds the k-th smallest value of column c's window column.
template <class Bytes, int kSide, bool kContiguous>
void SortColumns(const uint8_t* const* rows, ptrdiff_t step, int32_t columns, uint8_t* sorted)
{
  constexpr int r = kSide / 2, kLanes = int(sizeof(Bytes));
  static_assert(kLanes <= kMaxNetworkLanes);
  const size_t pitch = NetworkSortedPitch(r, columns);
  for (int32_t c = 0; c < columns; c += kLanes) {
    Bytes v[kSide];
    if (kContiguous && c + kLanes <= columns) {
      for (int i = 0; i < kSide; ++i)
        v[i] = Load<Bytes>(rows[i] + c);
    } else {
      // The row's end (its last column repeated) or a strided row.
      alignas(Bytes) uint8_t lanes[kSide][kLanes];
      for (int i = 0; i < kSide; ++i) {
        for (int l = 0; l < kLanes; ++l)
          lanes[i][l] = rows[i][ptrdiff_t(c + l < columns ? c + l : columns - 1) * step];
        v[i] = Load<Bytes>(lanes[i]);
      }
    }
    if constexpr (kSide == 3)
      ApplyAll<kSort3>(v);
    else
      ApplyAll<kSort5>(v);
    for (int k = 0; k < kSide; ++k)
      Store(sorted + size_t(k) * pitch + r + c, v[k]);
  }
  // Columns beyond the edges repeat the edge columns.
  for (int k = 0; k < kSide; ++k) {
    uint8_t* s = sorted + size_t(k) * pitch;
    std::memset(s, s[r], r);
    std::memset(s + r + columns, s[r + columns - 1], r);
  }
}

// The output row from the sorted columns: the rank-kRank value of each
// window.
template <class Bytes, int kSide, int kRank>
void SelectRow(int32_t columns, const uint8_t* sorted, uint8_t* out)
{
  constexpr int kLanes = int(sizeof(Bytes));
  constexpr int kResult = kSelectionNetwork<kSide, kRank>.result;
  const size_t pitch = NetworkSortedPitch(kSide / 2, columns);
  for (int32_t x = 0; x < columns; x += kLanes) {
    Bytes w[kSide * kSide];
    for (int j = 0; j < kSide; ++j)
      for (int k = 0; k < kSide; ++k)
        w[j * kSide + k] = Load<Bytes>(sorted + size_t(k) * pitch + size_t(x + j));
    ApplyAll<kSelectionSteps<kSide, kRank>>(w);
    if (x + kLanes <= columns) {
      Store(out + x, w[kResult]);
    } else {
      uint8_t last[kLanes];
      Store(last, w[kResult]);
      std::memcpy(out + x, last, size_t(columns - x));
    }
  }
}

template <class Bytes, int kSide, int kRank>
void NetworkRow(const uint8_t* const* rows, ptrdiff_t step, int32_t columns, uint8_t* sorted, uint8_t* out)
{
  if (step == 1)
    SortColumns<Bytes, kSide, true>(rows, 1, columns, sorted);
  else
    SortColumns<Bytes, kSide, false>(rows, step, columns, sorted);
  SelectRow<Bytes, kSide, kRank>(columns, sorted, out);
}

// The row function of one side and rank (a plain array, so that no library
// function is instantiated here).
template <class Bytes, int kSide, size_t... kRanks>
NetworkRankRowFn PickNetworkRow(int rank, std::index_sequence<kRanks...>)
{
  static constexpr NetworkRankRowFn kRows[] = {&NetworkRow<Bytes, kSide, int(kRanks)>...};
  return kRows[rank];
}

// The row function for radius 1 or 2 and a rank of its window, else null.
template <class Bytes>
NetworkRankRowFn NetworkRowFor(int radius, int rank)
{
  if (radius == 1 && rank >= 0 && rank < 9)
    return PickNetworkRow<Bytes, 3>(rank, std::make_index_sequence<9>());
  if (radius == 2 && rank >= 0 && rank < 25)
    return PickNetworkRow<Bytes, 5>(rank, std::make_index_sequence<25>());
  return nullptr;
}

} // namespace
} // namespace lvx
