// The despeckle filter on small hand-made blemishes: what is repaired and
// what is left, the shape limits, the zoom rule, and safety at every border.
#include "filtertest.h"
#include "lumivexdespeckle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace filtertest;

namespace {

// With T = 37: near up to 28 from the background, far beyond 46.
constexpr uint8_t kBack = 100, kAtHigh = 146, kFar = 147, kDark = 53, kBetween = 130, kInk = 200;

// A w x h rectangle of `value` in one channel, or in all with -1.
struct Mark {
  int32_t x, y, w, h, value, channel = -1;
};
using Marks = std::vector<Mark>;

void Paint(QVImage& image, const Marks& marks)
{
  Fill(image, kBack);
  for (const Mark& m : marks)
    for (int32_t y = m.y; y < m.y + m.h; ++y)
      for (int32_t x = m.x; x < m.x + m.w; ++x)
        for (int32_t c = 0; c < image.bytesPerPixel; ++c)
          if (m.channel < 0 || m.channel == c)
            At(image, x, y)[c] = static_cast<uint8_t>(m.value);
}

// A speck at (10, 8) under `above` and over `below` rows of blemish, each
// side starting with a between row next to the speck and going on with far
// dots. Those far dots follow a between pixel 3 columns to their left, so
// their own rows never repair them.
Marks Stack(int32_t above, int32_t below)
{
  Marks marks{{10, 8, 1, 1, kInk}};
  auto side = [&](int32_t count, int32_t direction) {
    for (int32_t i = 1; i <= count; ++i) {
      const int32_t y = 8 + direction * i;
      marks.push_back({10, y, 1, 1, i == 1 ? kBetween : kInk});
      if (i > 1)
        marks.push_back({7, y, 1, 1, kBetween});
    }
  };
  side(above, -1);
  side(below, 1);
  return marks;
}

// Runs the filter on a picture where no pixel is repainted twice: the
// padding stays, the result counts the pixels changed, each now `colour`.
int32_t Despeckle(QVImage& image, LumivexDespeckle& filter, double zoom = 1.0, uint8_t colour = kBack)
{
  const Bytes before = All(image);
  const int32_t repainted = filter.Apply(&image, zoom);
  EXPECT_TRUE(PaddingIntact(image));
  int32_t changed = 0;
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x) {
      const uint8_t* p = At(image, x, y);
      if (!std::equal(p, p + image.bytesPerPixel, before.begin() + (p - image.pixels))) {
        ++changed;
        EXPECT_EQ(std::count(p, p + image.bytesPerPixel, colour), image.bytesPerPixel) << x << "," << y;
      }
    }
  EXPECT_EQ(repainted, changed);
  return repainted;
}

} // namespace

TEST(Despeckle, RepairsSmallBoundedBlemishesOnly)
{
  struct Case {
    const char* what;
    int32_t w, h, bpp;
    Marks marks;
    int32_t repainted;
    double zoom = 1.0;
    int32_t size = 7;
    uint8_t colour = kBack;
  };
  const Case cases[] = {
      {"dot beyond TH", 12, 8, 3, {{5, 3, 1, 1, kFar}}, 1},
      {"dark dot", 12, 8, 3, {{5, 3, 1, 1, kDark}}, 1},
      {"one channel beyond TH", 12, 8, 3, {{5, 3, 1, 1, kFar, 1}}, 1},
      {"dot at TH", 12, 8, 3, {{5, 3, 1, 1, kAtHigh}}, 0},
      {"line from the top row", 12, 8, 3, {{5, 0, 1, 3, kInk}}, 0},
      // Far core 2 or 3 pixels into the run of straying pixels.
      {"far core 2 in", 16, 8, 3, {{5, 3, 2, 1, kBetween}, {7, 3, 1, 1, kInk}}, 3},
      {"far core 3 in", 16, 8, 3, {{5, 3, 3, 1, kBetween}, {8, 3, 1, 1, kInk}}, 0},
      // S' = 7: horizontal and vertical runs of 7 and 8.
      {"scratch of S'", 20, 8, 3, {{5, 3, 7, 1, kInk}}, 7},
      {"scratch of S' + 1", 20, 8, 3, {{5, 3, 8, 1, kInk}}, 0},
      {"line of S'", 12, 12, 3, {{5, 1, 1, 7, kInk}}, 7},
      {"line of S' + 1", 12, 12, 3, {{5, 1, 1, 8, kInk}}, 0},
      // A between run in the row above spanning offsets -4..6 (11 = S' + 4
      // pixels) is bounded; one from -5 is not, and aborts the probe.
      {"run of S' + 4 above", 24, 9, 3, {{10, 4, 1, 1, kInk}, {6, 3, 11, 1, kBetween}}, 1},
      {"run of S' + 5 above", 24, 9, 3, {{10, 4, 1, 1, kInk}, {5, 3, 12, 1, kBetween}}, 0},
      // A between row above stays, one below is repainted with the speck.
      {"between row above", 24, 20, 3, Stack(1, 0), 1},
      {"between row below", 24, 20, 3, Stack(0, 1), 2},
      // Fringe rows from the clean row above to the clean row below: at
      // most F = 11.
      {"fringe of F", 24, 20, 3, Stack(5, 5), 2},
      {"fringe of F + 1", 24, 20, 3, Stack(6, 5), 0},
      {"fringe of F + 1 below", 24, 20, 3, Stack(5, 6), 0},
      // The probes reach 8 rows up and 7 down.
      {"clean row 8 above", 24, 20, 3, Stack(7, 3), 2},
      {"clean row 8 below", 24, 20, 3, Stack(0, 7), 0},
      // Zoom 0.5: S' = 3; zoom 2: S' = 14 (reach 16).
      {"line of 3 at zoom 0.5", 12, 12, 3, {{5, 1, 1, 3, kInk}}, 3, 0.5},
      {"line of 4 at zoom 0.5", 12, 12, 3, {{5, 1, 1, 4, kInk}}, 0, 0.5},
      {"scratch of 10 at zoom 1", 24, 8, 3, {{5, 3, 10, 1, kInk}}, 0, 1.0},
      {"scratch of 10 at zoom 2", 24, 8, 3, {{5, 3, 10, 1, kInk}}, 10, 2.0},
      {"scratch of 15 at zoom 2", 24, 8, 3, {{5, 3, 15, 1, kInk}}, 0, 2.0},
      // S' = 1 >> 1 = 0 repairs nothing.
      {"dot with S' of 0", 12, 8, 3, {{5, 3, 1, 1, kFar}}, 0, 0.5, 1},
      // A row of 100, 100, then 110: the reference halves its way toward
      // each near pixel, 105, 107, 108, 109, 109 ..., and paints with that.
      {"running reference", 12, 3, 1, {{2, 1, 10, 1, 110}, {8, 1, 1, 1, kInk}}, 1, 1.0, 7, 109},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QVImage image(c.w, c.h, c.bpp, nullptr);
    Paint(image, c.marks);
    LumivexDespeckle filter(c.size, 37);
    EXPECT_EQ(Despeckle(image, filter, c.zoom, c.colour), c.repainted);
  }
}

TEST(Despeckle, SpecksAnywhereOnSmallImagesStayInside)
{
  // A dot at every position of every size up to 9 x 9, grey and colour
  // (rows of every padding): writes stay inside the pixels (the sanitizers
  // watch). Only a dot bounded on all sides is repaired: columns 0..4 are
  // never examined (the steady count must exceed 4), nor the last column,
  // and the first and last rows have no clean row beyond them.
  LumivexDespeckle filter;
  for (int32_t bpp : {1, 3})
    for (int32_t w = 1; w <= 9; ++w)
      for (int32_t h = 1; h <= 9; ++h)
        for (int32_t y = 0; y < h; ++y)
          for (int32_t x = 0; x < w; ++x) {
            SCOPED_TRACE(testing::Message() << w << "x" << h << "x" << bpp << " at " << x << "," << y);
            QVImage image(w, h, bpp, nullptr);
            Paint(image, {{x, y, 1, 1, kInk}});
            EXPECT_EQ(Despeckle(image, filter), x >= 5 && x < w - 1 && y >= 1 && y < h - 1 ? 1 : 0);
          }
}

TEST(Despeckle, RunsAreIndependentAndZoomOneIsThePlugInFilter)
{
  // Mild noise with scattered specks, despeckled by one object again and
  // again: the same pixels and count each time, and zoom 1 (or a zoom that
  // is no zoom) is the plug-in's filter.
  QVImage noisy(40, 30, 3, nullptr);
  Fill(noisy, 0, 7);
  for (int32_t i = 0; i < noisy.height * noisy.rowBytes; ++i)
    noisy.pixels[i] = static_cast<uint8_t>(kBack + noisy.pixels[i] % 9 + (i % 97 == 0 ? 90 : 0));
  LumivexDespeckle filter;
  QVImage reference(&noisy);
  const int32_t count = filter.Apply(&reference);
  EXPECT_GT(count, 10);
  for (double zoom : {1.0, 0.0, -2.0, double{NAN}, double{INFINITY}}) {
    QVImage image(&noisy);
    EXPECT_EQ(filter.Apply(&image, zoom), count);
    EXPECT_EQ(All(image), All(reference));
  }
}

TEST(Despeckle, ParametersAndRefusals)
{
  // S is kept to 0..255 and T to 0..1023; S' saturates at 2^20.
  LumivexDespeckle filter(-5, 5000);
  EXPECT_EQ(std::pair(filter.Size(), filter.Threshold()), std::pair(0, 1023));
  filter.SetSize(300);
  EXPECT_EQ(filter.Size(), 255);
  EXPECT_EQ(LumivexDespeckle::DefectSize(255, 1.5), 382);
  EXPECT_EQ(LumivexDespeckle::DefectSize(255, 1e300), 1 << 20);
  QVImage blank;
  EXPECT_EQ(filter.Apply(&blank) + filter.Apply(nullptr), 0);
}
