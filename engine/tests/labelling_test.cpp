// Region labelling against a reference flood fill (4-connectivity, the same
// colour tolerance rule, regions numbered by their first pixel in scan
// order), the 32000-label bound with and without renumbering mid-scan, and
// the region statistics against direct sums.
#include "testkit.h"

#include "alloc.h"
#include "labelling.h"
#include "status.h"

#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace lvx;
using namespace lvxtest;

namespace {

using Labels = std::vector<uint16_t>;

// Flood fill from each unlabelled mask pixel in scan order.
Labels FloodReference(TestPlane& mask, TestImage* colour, int tolerance, int32_t& count)
{
  const int32_t rows = mask.desc.rows, columns = mask.desc.columns;
  Labels out(size_t(rows) * columns, 0);
  auto joins = [&](int y, int x, int v, int u) {
    if (!colour)
      return true;
    for (int c = 0; c < 3; ++c)
      if (std::abs(colour->Pixel(y, x)[c] - colour->Pixel(v, u)[c]) > tolerance)
        return false;
    return true;
  };
  count = 1;
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x) {
      if (!mask.At(y, x) || out[y * columns + x])
        continue;
      std::vector<std::pair<int, int>> stack{{y, x}};
      out[y * columns + x] = uint16_t(count);
      while (!stack.empty()) {
        auto [v, u] = stack.back();
        stack.pop_back();
        for (auto [dv, du] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
          int a = v + dv, b = u + du;
          if (a < 0 || b < 0 || a >= rows || b >= columns || !mask.At(a, b) || out[a * columns + b] ||
              !joins(v, u, a, b))
            continue;
          out[a * columns + b] = uint16_t(count);
          stack.push_back({a, b});
        }
      }
      ++count;
    }
  return out;
}

Labels Read(const ImageDesc& labels)
{
  Labels out;
  for (int32_t y = 0; y < labels.rows; ++y)
    for (int32_t x = 0; x < labels.columns; ++x) {
      uint16_t v;
      std::memcpy(&v, labels.At(y, x), 2);
      out.push_back(v);
    }
  return out;
}

// Labels the mask into a fresh plane; the plane's contents (empty on failure).
Labels Label(TestPlane& mask, TestImage* colour, int tolerance, int32_t& count, int& status,
             AdjustProgressProc cb = NoProgress)
{
  ImageDesc labels;
  status = LabelRegions(mask.desc, colour ? colour->Desc() : EmptyImage(), tolerance, labels, count, cb);
  EXPECT_EQ(status == 0, labels.Allocated());
  Labels out = Read(labels);
  FreeImage(labels);
  return out;
}

TestPlane MaskOf(int32_t rows, int32_t columns, const std::vector<int>& ones)
{
  TestPlane mask(rows, columns);
  for (int i : ones)
    mask.At(i / columns, i % columns) = 1;
  return mask;
}

} // namespace

TEST(Labelling, PartitionEqualsAFloodFillOnRandomMasks)
{
  std::mt19937 rng(7);
  for (int run = 0; run < 24; ++run) {
    const int32_t rows = 1 + int(rng() % 40), columns = 1 + int(rng() % 50);
    TestPlane mask(rows, columns, run % 3 == 0 ? TestPlane::kChannel : TestPlane::kBottomUp);
    mask.FillRandom(run, 2 + run % 4); // densities 1/2 .. 4/5
    TestImage colour(rows + run % 2, columns + 1, 4, 3);
    std::uniform_int_distribution<int> level(100, 100 + 30 * (run % 4));
    for (int32_t y = 0; y < colour.rows; ++y)
      for (int32_t x = 0; x < colour.columns; ++x)
        for (int c = 0; c < 3; ++c)
          colour.Pixel(y, x)[c] = uint8_t(level(rng));
    TestImage* withColour = run % 2 ? &colour : nullptr;
    int32_t expectedCount = 0, count = 0;
    int status = 0;
    const Labels expected = FloodReference(mask, withColour, 20, expectedCount);
    EXPECT_EQ(Label(mask, withColour, 20, count, status), expected) << run;
    EXPECT_EQ(status, 0);
    EXPECT_EQ(count, expectedCount) << run;
  }
}

TEST(Labelling, HandExamples)
{
  int32_t count = 0;
  int status = 0;
  // Two diagonal pixels do not join: two regions, count 3.
  TestPlane diagonal = MaskOf(2, 2, {0, 3});
  EXPECT_EQ(Label(diagonal, nullptr, 0, count, status), (Labels{1, 0, 0, 2}));
  EXPECT_EQ(count, 3);
  // A U: its arms start two labels that its bottom row joins into one.
  TestPlane u = MaskOf(3, 3, {0, 2, 3, 5, 6, 7, 8});
  EXPECT_EQ(Label(u, nullptr, 0, count, status), (Labels{1, 0, 1, 1, 0, 1, 1, 1, 1}));
  EXPECT_EQ(count, 2);
  // A full mask is one region.
  TestPlane full(4, 5);
  std::fill(full.bytes.begin(), full.bytes.end(), 9);
  Label(full, nullptr, 0, count, status);
  EXPECT_EQ(count, 2);
  // Red differing by 40 joins at tolerance 40, by 41 it does not.
  for (int step : {40, 41}) {
    TestPlane pair(1, 2);
    pair.At(0, 0) = pair.At(0, 1) = 1;
    TestImage colour(1, 2);
    colour.Pixel(0, 1)[2] = uint8_t(step);
    EXPECT_EQ(Label(pair, &colour, 40, count, status), (Labels{1, step == 40 ? uint16_t(1) : uint16_t(2)}));
  }
}

TEST(Labelling, TheLabelBoundWithRenumberingMidScan)
{
  // Bands of a toothed row over a full row, separated by empty rows: each
  // band starts 1000 labels and ends as one region, so 40 bands use 40000
  // provisional labels (renumbered once the 32000 are spent) for 40 regions.
  TestPlane bands(120, 2000);
  for (int b = 0; b < 40; ++b)
    for (int x = 0; x < 2000; ++x)
      bands.At(3 * b, x) = x % 2 == 0, bands.At(3 * b + 1, x) = 1;
  int32_t count = 0, expectedCount = 0;
  int status = 0;
  ResetProgress();
  EXPECT_EQ(Label(bands, nullptr, 0, count, status, RecordProgress), FloodReference(bands, nullptr, 0, expectedCount));
  EXPECT_EQ(count, 41);
  EXPECT_EQ(ProtocolError(Progress().calls), "");

  // Isolated pixels of a checkerboard: 31999 regions fit (count 32000),
  // 32000 do not.
  for (int regions : {31999, 32000}) {
    TestPlane board(160, 400);
    for (int i = 0; i < regions; ++i)
      board.At(i / 200, 2 * (i % 200) + (i / 200) % 2) = 1;
    const long live = LiveAllocations();
    Label(board, nullptr, 0, count, status);
    EXPECT_EQ(status, regions == 32000 ? kStatusTooManyRegions : 0);
    EXPECT_EQ(count, regions == 32000 ? 0 : 32000);
    EXPECT_EQ(LiveAllocations(), live);
  }
}

TEST(Labelling, ArgumentChecksCancelAndAllocationFailures)
{
  TestPlane mask(20, 6);
  mask.FillRandom(4, 2);
  TestImage colour(20, 6), small(19, 6);
  int32_t count = 5;
  ImageDesc labels;
  EXPECT_EQ(LabelRegions(mask.desc, small.Desc(), 40, labels, count, NoProgress), kStatusBadArgument);
  EXPECT_EQ(LabelRegions(mask.desc, mask.desc, 40, labels, count, NoProgress), kStatusBadArgument);
  EXPECT_EQ(LabelRegions(colour.Desc(), EmptyImage(), 40, labels, count, NoProgress), kStatusBadArgument);
  EXPECT_FALSE(labels.Allocated());
  EXPECT_EQ(count, 0);

  // Cancel at the second poll (after row 8): count 0, the plane made here freed.
  int status = 0;
  ResetProgress(2);
  EXPECT_TRUE(Label(mask, &colour, 40, count, status, RecordProgress).empty());
  EXPECT_EQ(status, kStatusCancelled);
  EXPECT_EQ(ProtocolError(Progress().calls), "");

  standin::ResetAllocationFaults();
  Label(mask, &colour, 40, count, status);
  const long requests = standin::AllocationRequests();
  for (long i = 0; i < requests; ++i) {
    standin::ResetAllocationFaults();
    standin::FailAllocations(i, 1);
    ResetProgress();
    EXPECT_TRUE(Label(mask, &colour, 40, count, status, RecordProgress).empty());
    EXPECT_EQ(status, kStatusNoMemory);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ProtocolError(Progress().calls), "");
    EXPECT_EQ(LiveAllocations(), 0);
  }
  standin::ResetAllocationFaults();
}

TEST(RegionStatistics, EqualDirectSumsAndRefuseBadSlots)
{
  TestPlane mask(13, 17);
  mask.FillRandom(8, 3);
  TestImage colour(13, 17, 4, 1);
  colour.FillRandom(9);
  ImageDesc labels;
  int32_t n = 0;
  ASSERT_EQ(LabelRegions(mask.desc, EmptyImage(), 0, labels, n, NoProgress), 0);
  const Labels l = Read(labels);

  RegionTable table;
  int32_t position = 0;
  ASSERT_EQ(RegionColourStatistics(colour.Desc(), labels, n, table, position, NoProgress), 0);
  ASSERT_EQ(RegionBorderCounts(colour.Desc(), labels, n, table, position, NoProgress), 0);
  EXPECT_EQ(position, 8);
  std::vector<std::vector<double>> sums(8, std::vector<double>(size_t(n), 0.0));
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 17; ++x) {
      const uint16_t k = l[y * 17 + x];
      if (k == 0)
        continue;
      sums[kRegionPixels][k] += 1;
      for (int c = 0; c < 3; ++c)
        sums[kRegionRed + c][k] += colour.Pixel(y, x)[2 - c];
      const int side = y == 0 ? kBorderTop : y == 12 ? kBorderBottom : x == 0 ? kBorderLeft : x == 16 ? kBorderRight : -1;
      if (side >= 0)
        sums[4 + side][k] += 1;
    }
  for (int32_t k = 1; k < n; ++k)
    for (int c = 1; c < 4; ++c)
      sums[c][k] /= sums[kRegionPixels][k];
  for (int s = 0; s < 8; ++s)
    for (int32_t k = 0; k < n; ++k)
      EXPECT_DOUBLE_EQ(table.slot[s][k], sums[s][k]) << "slot " << s << " label " << k;

  // Occupied slots, positions past 16, different sizes: -200, nothing changed.
  int32_t at = 4;
  EXPECT_EQ(RegionBorderCounts(colour.Desc(), labels, n, table, at, NoProgress), kStatusBadArgument);
  at = 17;
  EXPECT_EQ(RegionColourStatistics(colour.Desc(), labels, n, table, at, NoProgress), kStatusBadArgument);
  at = 8;
  EXPECT_EQ(RegionColourStatistics(colour.Desc(), RectView(labels, {0, 0, 16, 13}), n, table, at, NoProgress),
            kStatusBadArgument);
  EXPECT_EQ(at, 8);

  // Cancel at the first poll: the four arrays are freed, the position kept.
  ResetProgress(1);
  EXPECT_EQ(RegionColourStatistics(colour.Desc(), labels, n, table, at, RecordProgress), kStatusCancelled);
  EXPECT_EQ(at, 8);
  EXPECT_EQ(table.slot[8], nullptr);
  EXPECT_EQ(ProtocolError(Progress().calls), "");

  // One row: every labelled pixel counts in the top row only.
  at = 8;
  ImageDesc row = RectView(labels, {0, 0, 17, 1});
  ASSERT_EQ(RegionBorderCounts(RectView(colour.Desc(), {0, 0, 17, 1}), row, n, table, at, NoProgress), 0);
  double top = 0;
  for (int32_t k = 1; k < n; ++k) {
    top += table.slot[8][k];
    EXPECT_EQ(table.slot[9][k] + table.slot[10][k] + table.slot[11][k], 0.0);
  }
  EXPECT_EQ(top, double(std::count_if(l.begin(), l.begin() + 17, [](uint16_t v) { return v != 0; })));
  FreeRegionTable(table);
  FreeImage(labels);
}
