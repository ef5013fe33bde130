// Image descriptions, views, rectangles, iterators and table drivers.
#include "testkit.h"

#include "alloc.h"
#include "image.h"
#include "iterate.h"
#include "rect.h"
#include "status.h"

#include "win32/automation.h"

#include <gtest/gtest.h>

#include <random>

using namespace lvx;
using namespace lvxtest;

namespace {

// A 5 x 7 colour image whose pixel (y, x) holds y in byte 0 and x in byte 1.
struct Indexed {
  TestImage image{5, 7};
  Indexed()
  {
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x)
        image.Pixel(y, x)[0] = uint8_t(y), image.Pixel(y, x)[1] = uint8_t(x),
                       image.Pixel(y, x)[2] = uint8_t(10 * y + x);
  }
};

// Expects view(i, j) to be source pixel map(i, j) for every pixel of the view.
template <class Map>
void ExpectReads(const ImageDesc& view, Map map)
{
  for (int i = 0; i < view.rows; ++i)
    for (int j = 0; j < view.columns; ++j) {
      auto [y, x] = map(i, j);
      ASSERT_EQ(view.At(i, j)[0], y) << i << "," << j;
      ASSERT_EQ(view.At(i, j)[1], x) << i << "," << j;
    }
}

} // namespace

TEST(Views, RotationsChannelsRectanglesAndDecimationReadWhatIndexingNames)
{
  Indexed src;
  ImageDesc d = src.image.Desc();
  ImageDesc q = QuarterTurn(d);
  EXPECT_EQ(q.rows, 7);
  EXPECT_EQ(q.columns, 5);
  // View row i is source column i read from the bottom up.
  ExpectReads(q, [](int i, int j) { return std::pair{4 - j, i}; });
  ExpectReads(HalfTurn(d), [](int i, int j) { return std::pair{4 - i, 6 - j}; });
  ExpectReads(ThreeQuarterTurn(d), [](int i, int j) { return std::pair{j, 6 - i}; });
  ExpectReads(RectView(d, {2, 1, 6, 4}), [](int i, int j) { return std::pair{1 + i, 2 + j}; });
  ExpectReads(OffsetRectView(d, {0, 0, 2, 2}, 3, 2), [](int i, int j) { return std::pair{2 + i, 3 + j}; });
  // Step 2 over {0, 0, 6, 5}: aligned to 5 x 5 (k * 2 + 1), centred: columns 1..5.
  ImageDesc dec = DecimatedView(d, AdjustRect{0, 0, 6, 5}, 2);
  EXPECT_EQ(dec.rows, 3);
  EXPECT_EQ(dec.columns, 3);
  ExpectReads(dec, [](int i, int j) { return std::pair{2 * i, 1 + 2 * j}; });
  // Channel c: 0 red (byte 2), 1 green (byte 1), 2 blue (byte 0).
  EXPECT_EQ(*ChannelView(d, 0).At(3, 4), 34);
  EXPECT_EQ(*ChannelView(d, 1).At(3, 4), 4);
  EXPECT_EQ(*ChannelView(d, 2).At(3, 4), 3);
  EXPECT_EQ(ChannelView(d, 3).kind, kKindNone);
  EXPECT_EQ(ChannelView(ChannelView(d, 0), 0).data, nullptr);
  ImageDesc planar = PlanarView(d);
  EXPECT_EQ(*PlanarChannel(planar, 2).At(1, 1), 11);
  EXPECT_EQ(PlanarChannel(planar, 3).data, nullptr);
  EXPECT_EQ(PlanarViewOfPlane(ChannelView(d, 0)).channels, 1);
}

TEST(Views, BottomUpAndPaddedForms)
{
  uint8_t buffer[3 * 8] = {};
  for (int i = 0; i < 24; ++i)
    buffer[i] = uint8_t(i);
  // 3 rows of 5 bytes padded to 8: the bottom-up form starts at stored row 2.
  ImageDesc up = Plane8View(buffer, 3, 5, RowLayout::PaddedBottomUp);
  EXPECT_EQ(up.rowStride, -8);
  EXPECT_EQ(*up.At(0, 1), 17);
  EXPECT_EQ(*up.At(2, 4), 4);
  ImageDesc dib = DibColourView(buffer, -2, 3); // 6 bytes a row padded to 8
  EXPECT_EQ(*dib.At(0, 1), 19);
  EXPECT_EQ(DibColourView(buffer, 2, -1).kind, kKindNone);
  EXPECT_EQ(Plane16View(buffer, 2, 3, RowLayout::Padded).rowStride, 8);
  EXPECT_EQ(ColourView(buffer, 2, 5, RowLayout::Contiguous).rowStride, 15);
}

TEST(Views, OwningBottomUpDescriptionsFreeAtTheirLowestAddress)
{
  ImageDesc dib = AllocDibColour(-5, 3);
  ASSERT_TRUE(dib.Allocated());
  EXPECT_LT(dib.rowStride, 0);
  *dib.At(2, 4) = 1; // the lowest stored row
  FreeImage(dib);    // AddressSanitizer checks the address freed
  EXPECT_EQ(dib.data, nullptr);
  EXPECT_EQ(LiveAllocations(), 0);
  ImageDesc plane = AllocPlane8(2, 2);
  EXPECT_FALSE(QuarterTurn(plane).ownsBuffer);
  FreeImage(plane);
}

TEST(Views, MakeLikeAndKindChecks)
{
  TestImage image(4, 6);
  ImageDesc plane;
  bool made = false;
  EXPECT_EQ(MakeLike(image.Desc(), plane, kKindColour, kKindPlane8, &made), 0);
  EXPECT_TRUE(made);
  EXPECT_EQ(plane.rows, 4);
  EXPECT_EQ(plane.columns, 6);
  // An allocated destination must have the right kind and size.
  EXPECT_EQ(MakeLike(image.Desc(), plane, kKindColour, kKindPlane8, &made), 0);
  EXPECT_FALSE(made);
  EXPECT_EQ(MakeLike(image.Desc(), plane, kKindColour, kKindPlane16, &made), kStatusBadArgument);
  EXPECT_EQ(MakeLike(RectView(image.Desc(), {0, 0, 5, 4}), plane, kKindColour, kKindPlane8), kStatusBadArgument);
  EXPECT_EQ(MakeLike(plane, plane, kKindColour, kKindPlane8), kStatusBadArgument);
  FreeImage(plane);
  EXPECT_EQ(CheckKind(image.Desc(), kKindPlane8), kStatusBadArgument);
  EXPECT_EQ(LiveAllocations(), 0);
}

TEST(Rects, ArithmeticAndTiles)
{
  EXPECT_TRUE(RectIsEmpty({3, 0, 3, 5}));
  EXPECT_EQ(RectArea({3, 0, 3, 5}), 0);
  EXPECT_EQ(RectArea({1, 2, 4, 7}), 15);
  EXPECT_EQ(GrowRect({2, 2, 5, 5}, -2), EmptyRect());
  EXPECT_EQ(GrowRect({2, 2, 5, 5}, 1), (AdjustRect{1, 1, 6, 6}));
  EXPECT_EQ(ShrunkWholeRect(10, 20, 3), (AdjustRect{3, 3, 17, 7}));
  EXPECT_EQ(ShiftRect(EmptyRect(), 4, 4), EmptyRect());
  // Surplus 5 across: right moves in by 2.
  EXPECT_EQ(CentreRect({0, 0, 10, 10}, 5, 10), (AdjustRect{3, 0, 8, 10}));
  EXPECT_EQ(AlignRectToStep({0, 0, 10, 7}, 4), (AdjustRect{1, 2, 9, 6}));
  EXPECT_EQ(AlignRectToStepPlusOne({0, 0, 10, 7}, 4), (AdjustRect{1, 1, 10, 6}));
  EXPECT_EQ(ClipRect({-5, -5, 3, 100}, 10, 10), (AdjustRect{0, 0, 3, 10}));
  EXPECT_EQ(ClipRect({20, 0, 30, 5}, 10, 10), EmptyRect());

  std::mt19937 rng(3);
  for (int trial = 0; trial < 200; ++trial) {
    AdjustRect r{int32_t(rng() % 50), int32_t(rng() % 50), 0, 0};
    r.right = r.left + 1 + int32_t(rng() % 300);
    r.bottom = r.top + 1 + int32_t(rng() % 300);
    int n = 1 + int(rng() % 10), m = 1 + int(rng() % 10);
    int64_t area = 0, minW = INT64_MAX, maxW = 0;
    for (int j = 0; j < m; ++j)
      for (int i = 0; i < n; ++i) {
        AdjustRect t = TileRect(r, i, n, j, m);
        area += RectArea(t);
        if (j == 0) {
          minW = std::min(minW, RectWidth(t));
          maxW = std::max(maxW, RectWidth(t));
          AdjustRect next = TileRect(r, i + 1, n, 0, m);
          if (i + 1 < n && !RectIsEmpty(t) && !RectIsEmpty(next)) {
            EXPECT_EQ(t.right, next.left); // tiles meet
          }
        }
      }
    EXPECT_EQ(area, RectArea(r)) << "tiles cover the rectangle once";
    EXPECT_LE(maxW - minW, 1);
  }
}

TEST(Iterators, TickCountsAndBalanceForRows1To40)
{
  for (int16_t channels : {1, 3})
    for (int rows = 1; rows <= 40; ++rows) {
      ImageDesc image = AllocPlanes8(rows, 2, channels);
      int visited = 0;
      ResetProgress();
      ASSERT_EQ(ForEachRow(
                    image, [&](uint8_t*, int32_t, ptrdiff_t) { ++visited; }, RecordProgress),
                0);
      const std::vector<int>& calls = Progress().calls;
      int units = rows * channels;
      EXPECT_EQ(calls.front(), units > 15 ? -(units / 8) : -2) << rows;
      // One tick per 8 rows counted from the end of each channel.
      EXPECT_EQ(Progress().polls, channels * (rows / 8)) << rows;
      EXPECT_EQ(ProtocolError(calls), "") << rows;
      EXPECT_EQ(visited, units);
      FreeImage(image);
    }
}

TEST(Iterators, CancelStopsAfterTheCurrentRow)
{
  ImageDesc image = AllocPlane8(20, 3);
  int visited = 0;
  ResetProgress(1);
  // 20 rows: the first tick follows row 4, whose remaining-row count (row 4
  // included) is 16, so 5 rows are walked.
  EXPECT_EQ(ForEachPixel(
                image, [&](uint8_t*) { ++visited; }, RecordProgress),
            1);
  EXPECT_EQ(visited, 5 * 3);
  EXPECT_EQ(ProtocolError(Progress().calls), "");
  FreeImage(image);
  TestImage a(3, 3), b(3, 4);
  EXPECT_EQ(ForEachPixelPair(
                a.Desc(), b.Desc(), [](uint8_t*, uint8_t*) {}, NoProgress),
            kStatusBadArgument);
}

TEST(Tables, DriversAndSmallOperations)
{
  TestImage image(3, 4);
  image.FillRandom(9);
  const TestImage original = image;
  uint8_t red[256], green[256], blue[256];
  for (int i = 0; i < 256; ++i)
    red[i] = uint8_t(255 - i), green[i] = uint8_t(i / 2), blue[i] = uint8_t(i ^ 0x55);
  ASSERT_EQ(ApplyColourTables(image.Desc(), red, green, blue, NoProgress), 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const uint8_t* before = original.bytes.data() + size_t(y) * original.rowBytes + x * 3;
      EXPECT_EQ(image.Pixel(y, x)[2], red[before[2]]);
      EXPECT_EQ(image.Pixel(y, x)[1], green[before[1]]);
      EXPECT_EQ(image.Pixel(y, x)[0], blue[before[0]]);
    }
  EXPECT_EQ(ApplyTable8(image.Desc(), red, NoProgress), kStatusBadArgument);

  // Every pixel of 3- and 4-byte pictures with padded rows, and of planes in
  // every layout, each byte through its own table, the padding untouched;
  // one table may serve every channel.
  uint32_t seed = 20;
  for (const auto& [rows, columns] : {std::pair{1, 1}, std::pair{5, 7}, std::pair{17, 130}})
    for (int32_t pixelBytes : {3, 4}) {
      TestImage picture(rows, columns, pixelBytes, pixelBytes == 3 ? 2 : 0);
      picture.FillRandom(seed++);
      TestImage expected = picture;
      for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < columns; ++x) {
          uint8_t* p = expected.Pixel(y, x);
          p[0] = blue[p[0]], p[1] = green[p[1]], p[2] = red[p[2]];
        }
      ASSERT_EQ(ApplyColourTables(picture.Desc(), red, green, blue, NoProgress), 0);
      EXPECT_EQ(picture.bytes, expected.bytes) << rows << "x" << columns << " " << pixelBytes;
      ASSERT_EQ(ApplyColourTables(picture.Desc(), green, green, green, NoProgress), 0);
      for (int32_t y = 0; y < rows; ++y)
        for (int32_t x = 0; x < columns; ++x)
          for (int c = 0; c < 3; ++c)
            expected.Pixel(y, x)[c] = green[expected.Pixel(y, x)[c]];
      EXPECT_EQ(picture.bytes, expected.bytes) << rows << "x" << columns << " " << pixelBytes;
      EXPECT_TRUE(picture.CanariesIntact());
      for (TestPlane::Layout layout : {TestPlane::kContiguous, TestPlane::kBottomUp, TestPlane::kChannel}) {
        TestPlane plane(rows, columns, layout);
        plane.FillRandom(seed++);
        std::vector<uint8_t> values = plane.Values();
        for (uint8_t& v : values)
          v = blue[v];
        ASSERT_EQ(ApplyTable8(plane.desc, blue, NoProgress), 0);
        EXPECT_EQ(plane.Values(), values) << rows << "x" << columns << " layout " << layout;
      }
    }

  // The 16-bit driver limits its index to the table.
  uint16_t values[4] = {0, 3, 4, 65535};
  ImageDesc plane = Plane16View(reinterpret_cast<uint8_t*>(values), 1, 4, RowLayout::Contiguous);
  int16_t table[4] = {10, 11, 12, 13};
  ASSERT_EQ(ApplyTable16(plane, table, 4, NoProgress), 0);
  EXPECT_EQ(values[1], 13);
  EXPECT_EQ(values[2], 13);
  EXPECT_EQ(values[3], 13);
  EXPECT_EQ(values[0], 10);

  ImageDesc grey = ChannelView(image.Desc(), 0), colour, match;
  ASSERT_EQ(GreyToColour(grey, colour, NoProgress), 0);
  EXPECT_EQ(colour.At(2, 3)[0], image.Pixel(2, 3)[2]);
  EXPECT_EQ(colour.At(2, 3)[1], image.Pixel(2, 3)[2]);
  ASSERT_EQ(FillColour(image.Desc(), 1, 2, 3, NoProgress), 0);
  *image.Pixel(1, 1) = 9;
  ASSERT_EQ(ColourMatch(image.Desc(), match, 1, 2, 3, NoProgress), 0);
  EXPECT_EQ(*match.At(0, 0), 0);
  EXPECT_EQ(*match.At(1, 1), 1);
  ASSERT_EQ(SwapRedBlue(image.Desc(), NoProgress), 0);
  EXPECT_EQ(image.Pixel(0, 0)[0], 1);
  ImageDesc mask = AllocPlane8(3, 4), target = AllocPlane8(3, 4);
  ASSERT_EQ(FillPlane(mask, 0, NoProgress), 0);
  *mask.At(1, 2) = 7;
  ASSERT_EQ(FillPlane(target, 200, NoProgress), 0);
  ASSERT_EQ(ThresholdPlane(mask, 6, NoProgress), 0);
  ASSERT_EQ(MaskPlane(target, mask, NoProgress), 0);
  EXPECT_EQ(*target.At(1, 2), 200);
  EXPECT_EQ(*target.At(1, 1), 0);
  ASSERT_EQ(CopyImage(target, mask, NoProgress), 0);
  EXPECT_EQ(*mask.At(1, 2), 200);
  EXPECT_EQ(CopyImage(target, colour, NoProgress), kStatusBadArgument);
  for (ImageDesc* d : {&colour, &match, &mask, &target})
    FreeImage(*d);
  EXPECT_EQ(LiveAllocations(), 0);
}

TEST(Tables, PairCacheEqualsDirectEvaluationIncludingSentinelResults)
{
  // Every pair once, then every pair again: the second pass comes from the
  // cache except for pairs whose result equals both sentinels (0, 0).
  ImageDesc first = AllocPlane8(512, 256), second = AllocPlane8(512, 256);
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 256; ++x)
      *first.At(y, x) = uint8_t(y), *second.At(y, x) = uint8_t(x);
  auto f = [](uint8_t a, uint8_t b) { return std::pair<uint8_t, uint8_t>(uint8_t(a ^ b), uint8_t(a + b)); };
  int calls = 0;
  ASSERT_EQ(ApplyPairCached(
                first, second, 0, 0,
                [&](uint8_t& a, uint8_t& b) {
                  ++calls;
                  auto [x, y] = f(a, b);
                  a = x, b = y;
                },
                NoProgress),
            0);
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 256; ++x) {
      auto [a, b] = f(uint8_t(y), uint8_t(x));
      ASSERT_EQ(*first.At(y, x), a);
      ASSERT_EQ(*second.At(y, x), b);
    }
  // (a ^ b, a + b) = (0, 0) for (0, 0) and (128, 128) only.
  EXPECT_EQ(calls, 65536 + 2);
  FreeImage(first);
  FreeImage(second);
  ImageDesc small = AllocPlane8(1, 1);
  standin::ResetAllocationFaults();
  standin::FailAllocations(1, 1);
  EXPECT_EQ(ApplyPairCached(
                small, small, 0, 0, [](uint8_t&, uint8_t&) {}, NoProgress),
            kStatusNoMemory);
  standin::ResetAllocationFaults();
  FreeImage(small);
  EXPECT_EQ(LiveAllocations(), 0);
}
