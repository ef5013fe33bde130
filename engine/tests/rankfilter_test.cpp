// The in-place rank filters against a sort-based reference computed from an
// unfiltered copy, on random planes of every layout; the counting filters
// against the grey rank filter on 0/1 planes; hand examples, argument
// checks, cancel and allocation failures.
#include "testkit.h"

#include "alloc.h"
#include "rankfilter.h"
#include "status.h"

#include "win32/automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace lvx;
using namespace lvxtest;

namespace {

using Values = std::vector<uint8_t>;

// Each pixel: the m-th smallest of its clamped window, blended with its own value.
Values RankReference(const Values& v, int rows, int columns, int r, int percentage, int blend)
{
  const int m = RankIndex(r, percentage);
  const int w = int(std::floor(blend * 256 / 100.0));
  Values out(v.size());
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x) {
      Values window;
      for (int i = -r; i <= r; ++i)
        for (int j = -r; j <= r; ++j)
          window.push_back(v[std::clamp(y + i, 0, rows - 1) * columns + std::clamp(x + j, 0, columns - 1)]);
      std::nth_element(window.begin(), window.begin() + m, window.end());
      const int med = window[m], own = v[y * columns + x];
      const int z = 256 * med + (w - 256) * (med - own);
      out[y * columns + x] = uint8_t(w == 256 ? med : std::clamp(z, 0, 65535) >> 8);
    }
  return out;
}

Values Binary(Values v)
{
  for (uint8_t& b : v)
    b = b != 0;
  return v;
}

struct Shape {
  int32_t rows, columns;
};
const Shape kShapes[] = {{1, 1}, {1, 9}, {9, 1}, {2, 3}, {7, 13}, {33, 21}};
const TestPlane::Layout kLayouts[] = {TestPlane::kContiguous, TestPlane::kBottomUp, TestPlane::kChannel};

// Runs `check(plane, r, percentage, blend, seed)` over every shape, layout
// and radius 1..7, with percentages and blends varied along the way.
template <class Check>
void ForEachCase(Check check)
{
  const int percentages[] = {50, 0, 100, 70, 30, 93};
  const int blends[] = {100, 50, 130, -20, 1};
  uint32_t run = 0;
  for (const Shape& shape : kShapes)
    for (TestPlane::Layout layout : kLayouts)
      for (int r = 1; r <= kMaxWindowRadius; ++r, ++run) {
        TestPlane plane(shape.rows, shape.columns, layout);
        check(plane, r, percentages[run % 6], blends[run % 5], run);
        EXPECT_TRUE(plane.CanariesIntact());
      }
}

} // namespace

TEST(RankFilters, RankIndicesAndHandExamples)
{
  // s = 9, 25, 49: the medians are 4, 12, 24; r = 1, p = 70: 8 - floor(30 x 8 / 100) = 6.
  EXPECT_EQ(RankIndex(1, 50), 4);
  EXPECT_EQ(RankIndex(2, 50), 12);
  EXPECT_EQ(RankIndex(3, 50), 24);
  EXPECT_EQ(RankIndex(1, 70), 6);
  EXPECT_EQ(RankIndex(4, 0), 0);
  EXPECT_EQ(RankIndex(4, 100), 80);

  // A corner pixel's 3 x 3 window holds it 4 times: with five zeros it is
  // the rank-5 value (p = 60: 8 - floor(40 x 8 / 100) = 5), while its
  // neighbour's window holds it only twice.
  TestPlane corner(5, 5);
  corner.At(0, 0) = 200;
  ASSERT_EQ(GreyRankFilter(corner.desc, 1, 60, NoProgress), 0);
  EXPECT_EQ(corner.At(0, 0), 200);
  EXPECT_EQ(corner.At(0, 1), 0);

  // A bright pixel 250 amid 10s: the median 10 removes it at blend 100; at
  // blend 50 (w = 128) z = 2560 + (-128)(10 - 250) = 33280, so 130.
  for (int blend : {100, 50}) {
    TestPlane dot(3, 3);
    dot.Set(Values{10, 10, 10, 10, 250, 10, 10, 10, 10});
    ASSERT_EQ(GreyRankFilter(dot.desc, 1, 50, blend, NoProgress), 0);
    EXPECT_EQ(dot.At(1, 1), blend == 100 ? 10 : 130);
  }

  // The majority filter (r = 3, p = 50) on a 7 x 7 plane: the centre's
  // window is the whole plane; 25 ones of 49 make it 1, 24 leave it 0.
  for (int ones : {25, 24}) {
    TestPlane mask(7, 7);
    for (int i = 0; i < ones; ++i)
      mask.At(i / 7, i % 7) = 1;
    ASSERT_EQ(RankFilter(mask.desc, 3, 50, NoProgress), 0);
    EXPECT_EQ(mask.At(3, 3), ones == 25 ? 1 : 0);
  }
}

TEST(RankFilters, GreyRankFilterEqualsSortedWindowsOfTheUnfilteredPlane)
{
  ForEachCase([](TestPlane& plane, int r, int percentage, int blend, uint32_t seed) {
    plane.FillRandom(seed, seed % 2 ? 256 : 6); // few levels: many ties
    const Values expected = RankReference(plane.Values(), plane.desc.rows, plane.desc.columns, r, percentage, blend);
    ResetProgress();
    ASSERT_EQ(GreyRankFilter(plane.desc, r, percentage, blend, RecordProgress), 0);
    EXPECT_EQ(plane.Values(), expected) << "r " << r << " p " << percentage << " blend " << blend;
    EXPECT_EQ(ProtocolError(Progress().calls), "");
  });
}

TEST(RankFilters, CountingFiltersEqualTheGreyRankFilterOnBinaryPlanes)
{
  ForEachCase([](TestPlane& plane, int r, int percentage, int, uint32_t seed) {
    // Rank filter: 0/1 planes of varying density give the grey result.
    plane.FillRandom(seed, 2 + int(seed % 3));
    const Values binary = Binary(plane.Values());
    const int32_t rows = plane.desc.rows, columns = plane.desc.columns;
    plane.Set(binary);
    ASSERT_EQ(RankFilter(plane.desc, r, percentage, NoProgress), 0);
    EXPECT_EQ(plane.Values(), RankReference(binary, rows, columns, r, percentage, 100)) << r << " " << percentage;

    // Mask cleanup: a pixel keeps its value where the grey filter of the
    // non-zero map gives 1.
    plane.FillRandom(seed + 1000, 4);
    Values expected = plane.Values();
    const Values keep = RankReference(Binary(expected), rows, columns, r, percentage, 100);
    for (size_t i = 0; i < expected.size(); ++i)
      expected[i] = keep[i] ? expected[i] : 0;
    ASSERT_EQ(MaskCleanupFilter(plane.desc, r, percentage, NoProgress), 0);
    EXPECT_EQ(plane.Values(), expected) << r << " " << percentage;
  });
}

TEST(RankFilters, ArgumentsThatChangeNothing)
{
  TestPlane plane(6, 6);
  plane.FillRandom(3);
  const Values before = plane.Values();
  using Filter = int (*)(const ImageDesc&, int, int, AdjustProgressProc);
  const Filter filters[] = {[](const ImageDesc& d, int r, int p, AdjustProgressProc cb) {
                              return GreyRankFilter(d, r, p, 100, cb);
                            },
                            RankFilter, MaskCleanupFilter};
  ImageDesc wrongKind = plane.desc;
  wrongKind.kind = kKindPlane16;
  ImageDesc empty = plane.desc;
  empty.rows = 0;
  for (Filter filter : filters) {
    for (auto [r, p] : {std::pair{-1, 50}, {8, 50}, {1, -1}, {1, 101}, {0, 101}})
      EXPECT_EQ(filter(plane.desc, r, p, NoProgress), kStatusBadArgument) << r << " " << p;
    EXPECT_EQ(filter(wrongKind, 1, 50, NoProgress), kStatusBadArgument);
    EXPECT_EQ(filter(plane.desc, 0, 50, NoProgress), 0);
    EXPECT_EQ(filter(empty, 2, 50, NoProgress), 0);
  }
  EXPECT_EQ(GreyRankFilter(plane.desc, 2, 50, 0, NoProgress), 0);
  EXPECT_EQ(plane.Values(), before);
}

TEST(RankFilters, CancelAndAllocationFailureLeaveUnwrittenRowsAlone)
{
  // 40 rows, radius 2: the third poll follows pass 16, by which the grey
  // filter (2 rows behind) has written rows 0..14 back and the counting
  // filters (3 rows behind) rows 0..13.
  for (int counting : {0, 1}) {
    TestPlane plane(40, 11, TestPlane::kBottomUp);
    plane.FillRandom(5, counting ? 2 : 256);
    const Values before = plane.Values();
    const Values filtered = RankReference(before, 40, 11, 2, 50, 100);
    auto run = [&](AdjustProgressProc cb) {
      return counting ? RankFilter(plane.desc, 2, 50, cb) : GreyRankFilter(plane.desc, 2, 50, cb);
    };
    ResetProgress(3);
    ASSERT_EQ(run(RecordProgress), kStatusCancelled);
    EXPECT_EQ(ProtocolError(Progress().calls), "");
    EXPECT_EQ(Progress().calls.front(), -5); // 40 / 8
    const size_t written = size_t(counting ? 14 : 15) * 11;
    const Values after = plane.Values();
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + written, filtered.begin()));
    EXPECT_TRUE(std::equal(after.begin() + written, after.end(), before.begin() + written));

    plane.Set(before);
    standin::ResetAllocationFaults();
    ASSERT_EQ(run(NoProgress), 0);
    const long requests = standin::AllocationRequests();
    for (long i = 0; i < requests; ++i) {
      plane.Set(before);
      standin::ResetAllocationFaults();
      standin::FailAllocations(i, 1);
      ResetProgress();
      EXPECT_EQ(run(RecordProgress), kStatusNoMemory);
      EXPECT_EQ(ProtocolError(Progress().calls), "");
      EXPECT_EQ(plane.Values(), before);
      EXPECT_EQ(LiveAllocations(), 0);
    }
    standin::ResetAllocationFaults();
  }
}
