// The in-place rank filters against sorted windows of an unfiltered copy,
// on random planes of every layout, and hand examples.
#include "testkit.h"

#include "instructionset.h"
#include "rankfilter.h"
#include "selectionnetwork.h"
#include "status.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

using namespace lvx;
using namespace lvxtest;

namespace {

using Values = std::vector<uint8_t>;

// Each pixel: the m-th smallest of its clamped window, blended with its own
// value; with `binary`, of the window's non-zero map.
Values RankReference(const Values& v, int rows, int columns, int r, int p, int blend = 100, bool binary = false)
{
  const int m = RankIndex(r, p), w = int(std::floor(blend * 256 / 100.0));
  Values out(v.size());
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x) {
      Values window;
      for (int i = -r; i <= r; ++i)
        for (int j = -r; j <= r; ++j) {
          const uint8_t value = v[std::clamp(y + i, 0, rows - 1) * columns + std::clamp(x + j, 0, columns - 1)];
          window.push_back(binary ? value != 0 : value);
        }
      std::nth_element(window.begin(), window.begin() + m, window.end());
      const int rank = window[m], z = 256 * rank + (w - 256) * (rank - v[y * columns + x]);
      out[y * columns + x] = uint8_t(w == 256 ? rank : std::clamp(z, 0, 65535) >> 8);
    }
  return out;
}

} // namespace

TEST(RankFilters, HandExamples)
{
  // s = 9, 25, 49: medians 4, 12, 24; r = 1, p = 70: 8 - floor(30 x 8 / 100) = 6.
  for (auto [r, p, m] : {std::tuple{1, 50, 4}, {2, 50, 12}, {3, 50, 24}, {1, 70, 6}, {4, 0, 0}, {4, 100, 80}})
    EXPECT_EQ(RankIndex(r, p), m);
  // A corner's 3 x 3 window holds the corner 4 times: among five zeros it is
  // the rank-5 value (p = 60: 8 - floor(40 x 8 / 100) = 5); its neighbour's
  // window holds it only twice. A bright 250 amid 10s: blend 100 gives the
  // median 10, blend 50 (w = 128) (2560 - 128 (10 - 250)) >> 8 = 130.
  TestPlane corner(3, 3), dot(3, 3);
  corner.Set({200, 0, 0, 0, 0, 0, 0, 0, 0});
  ASSERT_EQ(GreyRankFilter(corner.desc, 1, 60, NoProgress), 0);
  EXPECT_EQ(corner.Values(), (Values{200, 0, 0, 0, 0, 0, 0, 0, 0}));
  for (int blend : {100, 50}) {
    dot.Set({10, 10, 10, 10, 250, 10, 10, 10, 10});
    ASSERT_EQ(GreyRankFilter(dot.desc, 1, 50, blend, NoProgress), 0);
    EXPECT_EQ(dot.At(1, 1), blend == 100 ? 10 : 130);
  }
  // The majority filter on 7 x 7, whose centre sees the whole plane: 25
  // ones of 49 make it 1, 24 leave it 0.
  for (int ones : {25, 24}) {
    TestPlane mask(7, 7);
    mask.Set(Values(size_t(ones), 1));
    ASSERT_EQ(RankFilter(mask.desc, 3, 50, NoProgress), 0);
    EXPECT_EQ(mask.At(3, 3), ones == 25);
  }
}

TEST(RankFilters, EveryFilterEqualsSortedWindowsOfTheUnfilteredPlane)
{
  const int percentages[] = {50, 0, 100, 70, 30, 93}, blends[] = {100, 50, 130, -20, 1};
  uint32_t run = 0;
  for (auto [rows, columns] : {std::pair{1, 1}, {1, 9}, {9, 1}, {2, 3}, {33, 21}})
    for (auto layout : {TestPlane::kContiguous, TestPlane::kBottomUp, TestPlane::kChannel})
      for (int r = 1; r <= kMaxWindowRadius; ++r, ++run) {
        const int p = percentages[run % 6], blend = blends[run % 5];
        TestPlane plane(rows, columns, layout);
        plane.FillRandom(run, run % 2 ? 256 : 6); // few levels: many ties
        Values expected = RankReference(plane.Values(), rows, columns, r, p, blend);
        ResetProgress();
        ASSERT_EQ(GreyRankFilter(plane.desc, r, p, blend, RecordProgress), 0);
        EXPECT_EQ(plane.Values(), expected) << r << " " << p << " " << blend;
        EXPECT_EQ(ProtocolError(Progress().calls), "");
        // The counting filters on planes of 0s and 1s, and of 0..3.
        plane.FillRandom(run, 2);
        expected = RankReference(plane.Values(), rows, columns, r, p);
        ASSERT_EQ(RankFilter(plane.desc, r, p, NoProgress), 0);
        EXPECT_EQ(plane.Values(), expected) << r << " " << p;
        plane.FillRandom(run, 4);
        expected = plane.Values();
        const Values keep = RankReference(expected, rows, columns, r, p, 100, true);
        for (size_t i = 0; i < expected.size(); ++i)
          expected[i] *= keep[i];
        ASSERT_EQ(MaskCleanupFilter(plane.desc, r, p, NoProgress), 0);
        EXPECT_EQ(plane.Values(), expected) << r << " " << p;
      }
}

TEST(RankFilters, ArgumentsCancelAndAllocationFailures)
{
  // 40 rows, radius 2: the third poll follows pass 16, when the grey filter
  // (2 rows behind) has written back rows 0..14 and the counting filters (3
  // behind) rows 0..13; the other rows keep their values.
  for (int counting : {0, 1}) {
    TestPlane plane(40, 11, TestPlane::kBottomUp);
    plane.FillRandom(5, counting ? 2 : 256);
    const Values before = plane.Values(), filtered = RankReference(before, 40, 11, 2, 50);
    auto filter = [&](int r, int p, AdjustProgressProc cb) {
      return counting ? RankFilter(plane.desc, r, p, cb) : GreyRankFilter(plane.desc, r, p, cb);
    };
    for (auto [r, p] : {std::pair{-1, 50}, {8, 50}, {1, -1}, {1, 101}, {0, 101}})
      EXPECT_EQ(filter(r, p, NoProgress), kStatusBadArgument) << r << " " << p;
    EXPECT_EQ(filter(0, 50, NoProgress), 0);
    EXPECT_EQ(GreyRankFilter(plane.desc, 2, 50, 0, NoProgress), 0);
    EXPECT_EQ(MaskCleanupFilter(RectView(plane.desc, {0, 0, 11, 0}), 2, 50, NoProgress), 0);
    EXPECT_EQ(MaskCleanupFilter(ChannelView(plane.desc, 0), 2, 50, NoProgress), kStatusBadArgument);
    EXPECT_EQ(plane.Values(), before);

    ResetProgress(3);
    ASSERT_EQ(filter(2, 50, RecordProgress), kStatusCancelled);
    EXPECT_EQ(ProtocolError(Progress().calls), "");
    EXPECT_EQ(Progress().calls.front(), -5); // 40 / 8
    Values expected = filtered;
    std::copy(before.begin() + (counting ? 14 : 15) * 11, before.end(), expected.begin() + (counting ? 14 : 15) * 11);
    EXPECT_EQ(plane.Values(), expected);

    ExpectEachAllocationFailureReported([&](AdjustProgressProc cb) {
      plane.Set(before);
      const int status = filter(2, 50, cb);
      EXPECT_EQ(plane.Values(), status ? before : filtered);
      return status;
    });
  }
}

TEST(RankFilters, EverySelectionNetworkIsRightOnEverySortedZeroOneWindow)
{
  // A network of min and max steps that selects the right value for every
  // window of 0s and 1s with sorted columns does so for every window with
  // sorted columns. Input n: digit j (base side + 1) is how many 0s column
  // j holds; the rank-th smallest value is 1 exactly when at most rank of
  // the values are 0.
  for (int side : {3, 5}) {
    int inputs = 1;
    for (int j = 0; j < side; ++j)
      inputs *= side + 1;
    for (int rank = 0; rank < side * side; ++rank) {
      const SelectionNetwork net = BuildSelectionNetwork(side, rank);
      ASSERT_LT(net.result, side * side);
      int wrong = 0;
      for (int n = 0; n < inputs; ++n) {
        uint8_t w[kMaxNetworkSide * kMaxNetworkSide];
        int zeros = 0;
        for (int j = 0, rest = n; j < side; ++j, rest /= side + 1) {
          zeros += rest % (side + 1);
          for (int k = 0; k < side; ++k)
            w[j * side + k] = k >= rest % (side + 1);
        }
        for (int i = 0; i < net.count; ++i) {
          const NetworkStep s = net.steps[size_t(i)];
          ASSERT_TRUE(s.a < side * side && s.b < side * side);
          const uint8_t lo = std::min(w[s.a], w[s.b]), hi = std::max(w[s.a], w[s.b]);
          if (s.kind != NetworkStep::kMax)
            w[s.a] = lo;
          if (s.kind != NetworkStep::kMin)
            w[s.b] = hi;
        }
        wrong += w[net.result] != (zeros <= rank);
      }
      EXPECT_EQ(wrong, 0) << side << " " << rank;
    }
  }
}

TEST(RankFilters, EveryRowMethodEqualsSortedWindowsAtEverySizeAndEdge)
{
  // The vector rows (in every instruction set the processor has, the
  // baseline's included) and the sliding histogram, on planes 1..7 pixels high and wide and wider ones
  // that end inside a vector, in every layout, with ties and blends.
  const int percentages[] = {50, 0, 100, 30, 70, 93}, blends[] = {100, 50, 130};
#if LVX_RANK_NETWORK
  EXPECT_NE(NetworkRankRow(2, 12), nullptr);
#endif
  EXPECT_EQ(NetworkRankRow(3, 24), nullptr);
  uint32_t run = 0;
  for (int method = 0; method < 4; ++method) {
    LimitInstructionSet(std::array{InstructionSet::kAvx512, InstructionSet::kAvx2, InstructionSet::kBaseline,
                                   InstructionSet::kAvx512}[method]);
    SetRankRowMethod(method == 3 ? RankRowMethod::kHistogram : RankRowMethod::kVectors);
    for (int rows = 1; rows <= 7; ++rows)
      for (int columns : {1, 2, 3, 4, 5, 6, 7, 15, 17, 33, 64, 95, 130})
        for (int r = 1; r <= 2; ++r, ++run) {
          const auto layout = std::array{TestPlane::kContiguous, TestPlane::kBottomUp, TestPlane::kChannel}[run % 3];
          const int p = percentages[run % 6], blend = blends[run % 3];
          TestPlane plane(rows, columns, layout);
          plane.FillRandom(run, run % 2 ? 256 : 5);
          const Values expected = RankReference(plane.Values(), rows, columns, r, p, blend);
          ASSERT_EQ(GreyRankFilter(plane.desc, r, p, blend, NoProgress), 0);
          EXPECT_EQ(plane.Values(), expected) << method << ": " << rows << "x" << columns << " r " << r;
        }
    // Every rank of both windows on a plane wider than two vectors.
    for (int r = 1; r <= 2; ++r)
      for (int p = 0; p <= 100; ++p) {
        TestPlane plane(9, 140, TestPlane::kContiguous);
        plane.FillRandom(uint32_t(p), 256);
        const Values expected = RankReference(plane.Values(), 9, 140, r, p);
        ASSERT_EQ(GreyRankFilter(plane.desc, r, p, NoProgress), 0);
        EXPECT_EQ(plane.Values(), expected) << method << ": r " << r << " p " << p;
      }
  }
  RestrictToBaseline(false);
  SetRankRowMethod(RankRowMethod::kVectors);
}
