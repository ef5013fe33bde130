#pragma once
// Selection networks for the grey rank filter's small windows: a fixed list
// of min and max steps that leaves the m-th smallest value of a window on
// one wire. There is no branch and no table lookup, so the same list runs on
// a vector of pixels side by side, one pixel per lane.
//
// The window's columns arrive sorted: wire j * side + k holds the k-th
// smallest value of window column j. The network is built at compile time
// from Batcher's odd-even merge sort over a power-of-two number of wires,
// each column padded to a power of two by wires that stand for a value
// above every other:
//  1. The sort's first stages only sort within each column block, which is
//     sorted already; they are left out.
//  2. A comparator whose larger side holds padding never exchanges; one
//     whose smaller side holds padding and larger side a value always does,
//     and becomes a renaming of the two wires that costs nothing. What
//     remains are comparators between two values.
//  3. Working back from the wire that holds the rank, a comparator neither
//     of whose outputs is read later is dropped, and one of which only the
//     minimum (or only the maximum) is read keeps that half.
// The unit tests prove every network on all 0/1 inputs with sorted columns:
// a network of min and max steps that selects correctly on all of them
// selects correctly on every input with sorted columns, since min and max
// commute with every threshold.
#include <array>
#include <cstddef>
#include <cstdint>

namespace lvx {

// One step on the wires w: kBoth (w[a], w[b]) := (min, max); kMin w[a] :=
// min(w[a], w[b]); kMax w[b] := max(w[a], w[b]).
struct NetworkStep {
  enum Kind : uint8_t { kBoth, kMin, kMax };
  uint8_t a = 0, b = 0;
  Kind kind = kBoth;
};

enum : int {
  kMaxNetworkSide = 5,    // windows up to 5 x 5
  kMaxNetworkSteps = 560, // Batcher's sort of 64 wires has 543 comparators
};

struct SelectionNetwork {
  int side = 0, rank = 0;
  std::array<NetworkStep, kMaxNetworkSteps> steps{};
  int count = 0;
  int result = 0; // the wire that holds the rank after the last step
  // Vector operations: two for a whole comparator, one for a half.
  constexpr int Cost() const
  {
    int cost = 0;
    for (int i = 0; i < count; ++i)
      cost += steps[size_t(i)].kind == NetworkStep::kBoth ? 2 : 1;
    return cost;
  }
};

namespace network_detail {

constexpr int kMaxWires = 64;

constexpr int NextPowerOfTwo(int n)
{
  int p = 1;
  while (p < n)
    p *= 2;
  return p;
}

// The comparators between two values that the sort keeps, on the compact
// wires j * side + k, and where each rank ends up.
struct SortPlan {
  int side = 0;
  std::array<NetworkStep, kMaxNetworkSteps> steps{};
  int count = 0;
  std::array<uint8_t, kMaxWires> wireOfRank{}; // rank (0 .. side^2 - 1) -> compact wire
};

constexpr uint8_t kPadding = 0xFF;

constexpr SortPlan PlanSort(int side)
{
  SortPlan plan;
  plan.side = side;
  const int pitch = NextPowerOfTwo(side), wires = NextPowerOfTwo(pitch * side);
  // Position -> compact wire, or kPadding.
  uint8_t name[kMaxWires] = {};
  for (int i = 0; i < wires; ++i) {
    const int j = i / pitch, k = i % pitch;
    name[i] = j < side && k < side ? uint8_t(j * side + k) : kPadding;
  }
  // Batcher's odd-even merge sort in its iterative form, from the stage that
  // merges whole column blocks on.
  for (int p = pitch; p < wires; p *= 2)
    for (int k = p; k >= 1; k /= 2)
      for (int j = k % p; j + k < wires; j += 2 * k)
        for (int i = 0; i < k && i + j + k < wires; ++i) {
          const int lo = i + j, hi = i + j + k;
          if ((lo / (2 * p)) != (hi / (2 * p)) || name[hi] == kPadding)
            continue;
          if (name[lo] == kPadding) {
            name[lo] = name[hi];
            name[hi] = kPadding;
            continue;
          }
          plan.steps[size_t(plan.count++)] = NetworkStep{name[lo], name[hi], NetworkStep::kBoth};
        }
  // Sorted, the values fill the first side^2 positions.
  for (int r = 0; r < side * side; ++r)
    plan.wireOfRank[size_t(r)] = name[r];
  return plan;
}

constexpr SelectionNetwork Prune(const SortPlan& plan, int rank)
{
  SelectionNetwork net;
  net.side = plan.side;
  net.rank = rank;
  net.result = plan.wireOfRank[size_t(rank)];
  std::array<bool, kMaxWires> live{};
  live[size_t(net.result)] = true;
  std::array<NetworkStep, kMaxNetworkSteps> backwards{};
  int count = 0;
  for (int i = plan.count - 1; i >= 0; --i) {
    NetworkStep s = plan.steps[size_t(i)];
    const bool lo = live[size_t(s.a)], hi = live[size_t(s.b)];
    if (!lo && !hi)
      continue;
    s.kind = lo && hi ? NetworkStep::kBoth : (lo ? NetworkStep::kMin : NetworkStep::kMax);
    live[size_t(s.a)] = live[size_t(s.b)] = true;
    backwards[size_t(count++)] = s;
  }
  for (int i = 0; i < count; ++i)
    net.steps[size_t(i)] = backwards[size_t(count - 1 - i)];
  net.count = count;
  return net;
}

} // namespace network_detail

// The network for the rank-th smallest value of a side x side window (side
// 1 .. kMaxNetworkSide, rank 0 .. side^2 - 1).
constexpr SelectionNetwork BuildSelectionNetwork(int side, int rank)
{
  return network_detail::Prune(network_detail::PlanSort(side), rank);
}

// The same as a constant, with the sort planned once per side.
namespace network_detail {
template <int kSide>
inline constexpr SortPlan kPlan = PlanSort(kSide);
} // namespace network_detail
template <int kSide, int kRank>
inline constexpr SelectionNetwork kSelectionNetwork = network_detail::Prune(network_detail::kPlan<kSide>, kRank);

} // namespace lvx
