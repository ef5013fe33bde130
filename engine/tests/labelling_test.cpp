// Region labelling against a flood fill (4-connectivity, the same colour
// tolerance rule, regions numbered by their first pixel in scan order), the
// 32000-label bound with renumbering mid-scan, and the region statistics
// against direct sums.
#include "testkit.h"

#include "alloc.h"
#include "labelling.h"
#include "status.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <tuple>

using namespace lvx;
using namespace lvxtest;

namespace {

using Labels = std::vector<uint16_t>;

Labels FloodReference(TestPlane& mask, TestImage* colour, int tolerance)
{
  const int rows = mask.desc.rows, columns = mask.desc.columns;
  Labels out(size_t(rows) * columns, 0);
  uint16_t next = 1;
  for (int start = 0; start < rows * columns; ++start) {
    if (!mask.At(start / columns, start % columns) || out[start])
      continue;
    std::vector<int> stack{start};
    out[start] = next;
    while (!stack.empty()) {
      const int y = stack.back() / columns, x = stack.back() % columns;
      stack.pop_back();
      for (auto [v, u] : {std::pair{y - 1, x}, {y + 1, x}, {y, x - 1}, {y, x + 1}}) {
        bool joins = v >= 0 && u >= 0 && v < rows && u < columns && mask.At(v, u) && !out[v * columns + u];
        for (int c = 0; joins && colour && c < 3; ++c)
          joins = std::abs(colour->Pixel(y, x)[c] - colour->Pixel(v, u)[c]) <= tolerance;
        if (joins)
          out[v * columns + u] = next, stack.push_back(v * columns + u);
      }
    }
    ++next;
  }
  return out;
}

Labels Read(const ImageDesc& labels)
{
  Labels out(size_t(labels.PixelCount()));
  for (size_t i = 0; i < out.size(); ++i)
    std::memcpy(&out[i], labels.At(int64_t(i) / labels.columns, int64_t(i) % labels.columns), 2);
  return out;
}

// Labels the mask into a fresh plane: its contents (none on failure), the
// status and the count.
std::tuple<Labels, int, int32_t> Label(TestPlane& mask, TestImage* colour = nullptr, int tolerance = 0,
                                       AdjustProgressProc cb = NoProgress)
{
  ImageDesc plane;
  int32_t count = 0;
  const int status = LabelRegions(mask.desc, colour ? colour->Desc() : EmptyImage(), tolerance, plane, count, cb);
  EXPECT_EQ(status == 0, plane.Allocated() && count > 0);
  const Labels labels = Read(plane);
  FreeImage(plane);
  return {labels, status, count};
}

} // namespace

TEST(Labelling, PartitionAndNumberingEqualAFloodFill)
{
  std::mt19937 rng(7);
  for (int run = 0; run < 24; ++run) {
    const int32_t rows = 1 + int(rng() % 40), columns = 1 + int(rng() % 50);
    TestPlane mask(rows, columns, run % 3 ? TestPlane::kBottomUp : TestPlane::kChannel);
    mask.FillRandom(run, 2 + run % 4);                   // densities 1/2 .. 4/5
    TestImage colour(rows + run % 2, columns + 1, 4, 3); // may be larger than the mask
    for (uint8_t& b : colour.bytes)
      b = uint8_t(100 + rng() % (1 + 30 * (run % 4)));
    TestImage* withColour = run % 2 ? &colour : nullptr;
    const Labels expected = FloodReference(mask, withColour, 20);
    const auto [labels, status, count] = Label(mask, withColour, 20);
    EXPECT_EQ(labels, expected) << run;
    EXPECT_EQ(count, *std::max_element(expected.begin(), expected.end()) + 1) << run;
  }
}

TEST(Labelling, HandExamplesAndTheLabelBound)
{
  // Diagonal neighbours do not join: two regions, count 3. A U's arms start
  // two labels that its bottom row joins. A full mask is one region. Red
  // differing by 40 joins at tolerance 40, by 41 it does not.
  TestPlane diagonal(2, 2), u(3, 3), full(4, 5), pair(1, 2);
  diagonal.Set({1, 0, 0, 1});
  u.Set({1, 0, 1, 1, 0, 1, 1, 1, 1});
  full.Set(std::vector<uint8_t>(20, 9));
  pair.Set({1, 1});
  EXPECT_EQ(Label(diagonal), std::tuple(Labels{1, 0, 0, 2}, 0, 3));
  EXPECT_EQ(Label(u), std::tuple(Labels{1, 0, 1, 1, 0, 1, 1, 1, 1}, 0, 2));
  EXPECT_EQ(std::get<2>(Label(full)), 2);
  for (int step : {40, 41}) {
    TestImage colour(1, 2);
    colour.Pixel(0, 1)[2] = uint8_t(step);
    EXPECT_EQ(std::get<2>(Label(pair, &colour, 40)), step == 40 ? 2 : 3);
  }

  // Toothed rows over full rows, in bands: each band starts 1000 labels and
  // ends as one region, so 40 bands spend 40000 provisional labels
  // (renumbered once the 32000 are used up) on 40 regions.
  TestPlane bands(120, 2000);
  for (int b = 0; b < 40; ++b)
    for (int x = 0; x < 2000; ++x)
      bands.At(3 * b, x) = x % 2 == 0, bands.At(3 * b + 1, x) = 1;
  ResetProgress();
  EXPECT_EQ(Label(bands, nullptr, 0, RecordProgress), std::tuple(FloodReference(bands, nullptr, 0), 0, 41));
  EXPECT_EQ(ProtocolError(Progress().calls), "");
  // Isolated pixels of a checkerboard: 31999 regions fit, 32000 do not.
  for (int regions : {31999, 32000}) {
    TestPlane board(160, 400);
    for (int i = 0; i < regions; ++i)
      board.At(i / 200, 2 * (i % 200) + (i / 200) % 2) = 1;
    const auto [labels, status, count] = Label(board);
    EXPECT_EQ(status, regions == 32000 ? kStatusTooManyRegions : 0);
    EXPECT_EQ(count, regions == 32000 ? 0 : 32000);
  }
}

TEST(Labelling, ArgumentsCancelAndAllocationFailures)
{
  TestPlane mask(20, 6);
  mask.FillRandom(4, 2);
  TestImage colour(20, 6), shorter(19, 6);
  // A colour image smaller than the mask or of another kind; a mask of another kind.
  ImageDesc labels;
  int32_t count = 5;
  for (auto [m, c] : {std::pair{mask.desc, shorter.Desc()}, {mask.desc, mask.desc}, {colour.Desc(), EmptyImage()}})
    EXPECT_EQ(LabelRegions(m, c, 40, labels, count, NoProgress), kStatusBadArgument);
  EXPECT_FALSE(labels.Allocated());
  EXPECT_EQ(count, 0);
  // Cancel at the second poll (after row 8): count 0, the plane made here freed.
  ResetProgress(2);
  EXPECT_EQ(std::get<1>(Label(mask, &colour, 40, RecordProgress)), kStatusCancelled);
  EXPECT_EQ(ProtocolError(Progress().calls), "");
  ExpectEachAllocationFailureReported([&](AdjustProgressProc cb) { return std::get<1>(Label(mask, &colour, 40, cb)); });
}

TEST(RegionStatistics, EqualDirectSumsAndRefuseBadArguments)
{
  TestPlane mask(13, 17);
  mask.FillRandom(8, 3);
  TestImage colour(13, 17, 4, 1);
  colour.FillRandom(9);
  ImageDesc labels;
  int32_t n = 0;
  ASSERT_EQ(LabelRegions(mask.desc, EmptyImage(), 0, labels, n, NoProgress), 0);
  const Labels l = Read(labels);
  // The whole picture, and its first row alone (every labelled pixel in the
  // top row): count, mean red, green, blue; top, bottom, left, right.
  for (int32_t rows : {13, 1}) {
    const AdjustRect area{0, 0, 17, rows};
    RegionTable table;
    int32_t position = 0;
    ASSERT_EQ(
        RegionColourStatistics(RectView(colour.Desc(), area), RectView(labels, area), n, table, position, NoProgress),
        0);
    ASSERT_EQ(RegionBorderCounts(RectView(colour.Desc(), area), RectView(labels, area), n, table, position, NoProgress),
              0);
    EXPECT_EQ(position, 8);
    std::vector<std::vector<double>> sums(8, std::vector<double>(size_t(n), 0.0));
    for (int i = 0; i < rows * 17; ++i)
      if (const uint16_t k = l[i]) {
        const int y = i / 17, x = i % 17;
        sums[0][k] += 1;
        for (int c = 0; c < 3; ++c)
          sums[1 + c][k] += colour.Pixel(y, x)[2 - c] / double(std::count(l.begin(), l.begin() + rows * 17, k));
        const int side = y == 0 ? 0 : y == rows - 1 ? 1 : x == 0 ? 2 : x == 16 ? 3 : -1;
        if (side >= 0)
          sums[4 + side][k] += 1;
      }
    for (int s = 0; s < 8; ++s)
      for (int32_t k = 0; k < n; ++k)
        EXPECT_NEAR(table.slot[s][k], sums[s][k], 1e-9) << rows << " rows, slot " << s << ", label " << k;

    // Occupied slots, positions past 16, different sizes: -200. A count below
    // the labels present counts only the labels under it.
    int32_t at = 4;
    EXPECT_EQ(RegionBorderCounts(colour.Desc(), labels, n, table, at, NoProgress), kStatusBadArgument);
    at = 17;
    EXPECT_EQ(RegionColourStatistics(colour.Desc(), labels, n, table, at, NoProgress), kStatusBadArgument);
    at = 8;
    EXPECT_EQ(RegionColourStatistics(colour.Desc(), RectView(labels, {0, 0, 16, 13}), n, table, at, NoProgress),
              kStatusBadArgument);
    FreeRegionTable(table);
    at = 0;
    ASSERT_EQ(RegionColourStatistics(RectView(colour.Desc(), area), RectView(labels, area), 2, table, at, NoProgress),
              0);
    EXPECT_EQ(table.slot[0][1], sums[0][1]);
    // Cancel at the first poll frees the four arrays and keeps the position.
    ResetProgress(1);
    EXPECT_EQ(RegionColourStatistics(colour.Desc(), labels, n, table, at, RecordProgress), kStatusCancelled);
    EXPECT_EQ(ProtocolError(Progress().calls), "");
    EXPECT_EQ(at, 4);
    EXPECT_EQ(table.slot[4], nullptr);
    FreeRegionTable(table);
  }
  FreeImage(labels);
}
