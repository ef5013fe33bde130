// QVImage's pixel operations: properties over many sizes (padding, images
// without pixels, allocation failures, extreme amounts), the effects'
// rules, blurs against a slow reference, search, copies, polygons, mixing.
#include "qvcommon/qvassert.h"
#include "qvcommon/qvimage.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Op = std::function<void(QVImage&)>;
constexpr uint8_t kPad = 0xA5;

// Random pixels, and kPad in the padding bytes.
void Scramble(QVImage& image, uint32_t seed = 1)
{
  std::mt19937 rng(seed);
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t i = 0; i < image.rowBytes; ++i)
      image.pixels[y * image.rowBytes + i] = i < image.width * image.bytesPerPixel ? static_cast<uint8_t>(rng()) : kPad;
}

Bytes All(const QVImage& image) { return Bytes(image.pixels, image.pixels + image.height * image.rowBytes); }
uint8_t* At(const QVImage& image, int32_t x, int32_t y)
{
  return image.pixels + y * image.rowBytes + x * image.bytesPerPixel;
}

// The box of radius r around every pixel, edges repeated or wrapped, then
// the fixed-point weight of 2^shift / window area (rounded or not), and
// for a negative radius the sharpening 2 * pixel - blurred.
Bytes ReferenceBox(const QVImage& image, int32_t radius, int32_t shift, bool round, bool wrap)
{
  const int32_t r = std::min(std::abs(radius), 24), n = 2 * r + 1, bpp = image.bytesPerPixel;
  const int64_t weight = (int64_t{1} << shift) / (n * n), bias = round ? int64_t{1} << (shift - 1) : 0;
  auto index = [&](int32_t v, int32_t size) { return wrap ? ((v % size) + size) % size : std::clamp(v, 0, size - 1); };
  Bytes out = All(image);
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x)
      for (int32_t c = 0; c < bpp; ++c) {
        int64_t sum = 0;
        for (int32_t dy = -r; dy <= r; ++dy)
          for (int32_t dx = -r; dx <= r; ++dx)
            sum += At(image, index(x + dx, image.width), index(y + dy, image.height))[c];
        int64_t v = std::min<int64_t>((sum * weight + bias) >> shift, 255);
        if (radius < 0)
          v = std::clamp<int64_t>(2 * At(image, x, y)[c] - v, 0, 255);
        out[y * image.rowBytes + x * bpp + c] = static_cast<uint8_t>(v);
      }
  return out;
}

QVPoint* Pt(int32_t x, int32_t y) { return new QVPoint(x, y); }

void Polygon(QVImage& image, std::vector<QVPoint*> points, uint32_t colour)
{
  image.PolygonFill(points.data(), static_cast<int32_t>(points.size()), colour);
  for (QVPoint* p : points)
    delete p;
}

// Every operation, with ordinary and extreme (+-10^6) arguments.
std::vector<Op> EveryOperation()
{
  const int32_t big = 1000000;
  std::vector<Op> ops;
  for (int32_t a : {-big, -40, 40, big}) {
    ops.push_back([a](QVImage& i) { i.ImageSaturate(a); });
    ops.push_back([a](QVImage& i) { i.ImageHueAdjust(a); });
    ops.push_back([a](QVImage& i) { i.ImageNoise(a); });
    ops.push_back([a](QVImage& i) { i.ImageGrain(std::abs(a), a, -a); });
    ops.push_back([a](QVImage& i) { i.ImageBrightness(a); });
    ops.push_back([a](QVImage& i) { i.ImageContrast(a); });
    ops.push_back([a](QVImage& i) { i.Blur(a); });
    ops.push_back([a](QVImage& i) { i.wrap = true, i.Blur(a); });
    ops.push_back([a](QVImage& i) { i.SquareBlur(a); });
  }
  ops.push_back([](QVImage& i) { i.AntiAlias(); });
  ops.push_back([](QVImage& i) { i.Invert(); });
  ops.push_back([](QVImage& i) { i.Fill(QVColor(1, 2, 3)); });
  ops.push_back([](QVImage& i) { i.Extents(100, big); });
  ops.push_back([](QVImage& i) { Polygon(i, {Pt(-9, -9), Pt(99, 0), Pt(50, 99), Pt(0, 9)}, 0x123456); });
  ops.push_back([](QVImage& i) {
    QVImage other(&i), mask(i.width, i.height, 1, nullptr);
    mask.Fill(static_cast<unsigned char>(7));
    other.Invert();
    i.Merge(&other, &mask);
  });
  ops.push_back([](QVImage& i) {
    const QVImage src(&i);
    const QVRect rect(-2, 1, 99, 99);
    i.CopyToRect(&src, &rect);
    i.FastCopy(&src, &rect);
  });
  return ops;
}

TEST(QVImagePixelOps, PaddingIsNeverWrittenAndEmptyImagesAreLeftAlone)
{
  const std::vector<Op> ops = EveryOperation();
  for (int32_t bpp : {1, 3})
    for (auto [w, h] : std::vector<std::pair<int32_t, int32_t>>{{1, 1}, {1, 6}, {6, 1}, {5, 3}, {9, 10}, {13, 7}}) {
      for (size_t k = 0; k < ops.size(); ++k) {
        QVImage image(w, h, bpp, nullptr);
        Scramble(image, static_cast<uint32_t>(k));
        ops[k](image);
        for (int32_t y = 0; y < h; ++y)
          for (int32_t i = w * bpp; i < image.rowBytes; ++i)
            ASSERT_EQ(image.pixels[y * image.rowBytes + i], kPad) << "op " << k << " " << w << "x" << h << "x" << bpp;
      }
    }
  // Sizes but no pixels: nothing is read or written (a null buffer would
  // crash).
  for (const Op& op : ops) {
    QVImage empty;
    empty.width = empty.height = 4;
    empty.bytesPerPixel = 3;
    empty.rowBytes = 12;
    op(empty);
  }
}

TEST(QVImagePixelOps, FailedTemporaryBlocksLeaveTheImageByteIdentical)
{
  const long blocks = standin::LiveBlocks();
  const std::vector<Op> needMemory = {[](QVImage& i) { i.Blur(3); },
                                      [](QVImage& i) { i.wrap = true, i.Blur(-2); },
                                      [](QVImage& i) { i.SquareBlur(2); },
                                      [](QVImage& i) { i.ImageGrain(20, 10, 10); },
                                      [](QVImage& i) {
                                        Polygon(i, {Pt(0, 0), Pt(8, 1), Pt(3, 6)}, 0xFFFFFF);
                                      },
                                      [](QVImage& i) { i.Convert24To8(); }};
  for (const Op& op : needMemory) {
    QVImage image(9, 7, 3, nullptr);
    Scramble(image);
    const Bytes before = All(image);
    standin::FailAllocations(0, 1);
    op(image);
    standin::ResetAllocationFaults();
    EXPECT_EQ(All(image), before);
    EXPECT_EQ(image.bytesPerPixel, 3);
  }
  EXPECT_EQ(standin::LiveBlocks(), blocks);
}

TEST(QVImagePixelOps, SaturationFollowsTheOrderOfTheBytes)
{
  QVImage image(1, 1, 3, nullptr);
  int32_t order[3];
  // Ties: byte 0 beats 1 and 2; between equal middle candidates the later.
  for (auto [pixel, expected] : std::vector<std::pair<Bytes, Bytes>>{
           {{7, 7, 7}, {0, 1, 2}}, {{5, 9, 9}, {1, 2, 0}}, {{9, 5, 9}, {0, 2, 1}}, {{1, 2, 3}, {2, 1, 0}}}) {
    image.GetOrder(order, pixel.data());
    EXPECT_EQ(Bytes(order, order + 3), expected);
  }
  auto saturate = [&](Bytes pixel, int32_t amount) {
    image.PixelSaturate(pixel.data(), amount);
    return pixel;
  };
  EXPECT_EQ(saturate({200, 100, 50}, -30), (Bytes{170, 100, 50}));   // max 200 -> 170, rest 0
  EXPECT_EQ(saturate({200, 100, 50}, -150), (Bytes{100, 100, 100})); // max to mid (100), rest 50 lifts min
  EXPECT_EQ(saturate({250, 100, 50}, 20), (Bytes{255, 85, 50}));     // t = 5, rest 15 lowers mid
  // t = 5, u = 50 (mid to min), v = min(2 * 50, 245): both lose 50.
  EXPECT_EQ(saturate({250, 100, 50}, 300), (Bytes{255, 0, 0}));

  // Grey images are not read three bytes at a time.
  QVImage grey(5, 2, 1, nullptr);
  Scramble(grey);
  const Bytes before = All(grey);
  grey.ImageSaturate(50);
  grey.ImageHueAdjust(50);
  EXPECT_EQ(All(grey), before);
}

TEST(QVImagePixelOps, HueWeightsStayInsideOneTurn)
{
  QVImage image(1, 1, 3, nullptr);
  auto rotate = [&](Bytes pixel, int32_t amount) {
    image.PixelHueAdjust(pixel.data(), amount);
    return pixel;
  };
  // p0' = p0 w0 + p1 w1 + p2 w2, p1' = p1 w0 + p2 w1 + p0 w2,
  // p2' = p2 w0 + p0 w1 + p1 w2: (100, 0, 0) gives (100 w0, 100 w2, 100 w1).
  // 60 -> h 16: w2 = 16/33, w0 = 17/33: (51.5, 48.5, 0).
  EXPECT_EQ(rotate({100, 0, 0}, 60), (Bytes{51, 48, 0}));
  // 180 -> h 50: w1 = 17/33, w2 = 16/33: (0, 48.5, 51.5); -180 gives the same h.
  EXPECT_EQ(rotate({100, 0, 0}, 180), (Bytes{0, 48, 51}));
  EXPECT_EQ(rotate({100, 0, 0}, -180), (Bytes{0, 48, 51}));
  // 300 -> h 83: w0 = 17/33, w1 = 16/33: (51.5, 0, 48.5).
  EXPECT_EQ(rotate({100, 0, 0}, 300), (Bytes{51, 0, 48}));
  // 1 -> h 0, and whole turns, change nothing.
  for (int32_t amount : {1, 360, -360, 720, -720})
    EXPECT_EQ(rotate({10, 20, 30}, amount), (Bytes{10, 20, 30})) << amount;
  // Every amount mixes with weights in 0..1 summing to 1: (255, 0, 0) keeps
  // its total up to the truncation of each byte.
  for (int32_t amount = -720; amount <= 720; ++amount) {
    const Bytes p = rotate({255, 0, 0}, amount);
    EXPECT_GE(p[0] + p[1] + p[2], 253) << amount;
    EXPECT_LE(p[0] + p[1] + p[2], 255) << amount;
  }
}

TEST(QVImagePixelOps, ContrastNoiseAndBrightnessStayInTheirRanges)
{
  QVImage ramp(256, 1, 1, nullptr);
  for (int32_t v = 0; v < 256; ++v)
    ramp.pixels[v] = static_cast<uint8_t>(v);
  for (int32_t amount : {-50, -200, -1000000}) {
    QVImage c(&ramp);
    c.ImageContrast(amount);
    for (int32_t v = 0; v < 256; ++v)
      EXPECT_TRUE(v < 128 ? c.pixels[v] >= v && c.pixels[v] <= 127 : c.pixels[v] <= v && c.pixels[v] >= 127) << v;
    EXPECT_TRUE(amount != -50 || (c.pixels[100] == 127 && c.pixels[200] == 150)) << "100 + 50 is held at 127";
  }

  // d = ((rand() & 255) - 128) * 50 / 100 lies in -64..63, the same for the
  // three bytes of a pixel.
  const QVColor mid(128, 128, 128);
  QVImage noisy(40, 30, 3, &mid);
  noisy.ImageNoise(50);
  for (int32_t y = 0; y < 30; ++y)
    for (int32_t x = 0; x < 40; ++x) {
      const uint8_t* p = At(noisy, x, y);
      EXPECT_TRUE(p[0] == p[1] && p[1] == p[2] && p[0] >= 64 && p[0] <= 191);
    }
}

TEST(QVImagePixelOps, GrainComparesTheDiagonalAndSparesTheFarEdges)
{
  // Uniform 100, amount 8: reach 2; where the diagonal has pixels, N = P
  // and the change is -5 - n / 4 = -5. The last row and column have no
  // diagonal and stay.
  const QVColor level(100, 100, 100);
  QVImage flat(6, 4, 3, &level);
  flat.ImageGrain(8, 100, 100);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 6; ++x)
      EXPECT_EQ(At(flat, x, y)[1], (x == 5 || y == 3) ? 100 : 95) << x << "," << y;

  // Reach 1 from (0, 0) over a 100 background, low = high = 100:
  // P 200 > N + 1: hi = 100 + 50 + 1, change = (100 >> 3) - 5 + (151 - 200) = -42.
  // P 20 < N - 1: lo = 100 - 50 - 2, change = -((80 >> 3) - 5 + (20 - 48)) = 23.
  for (auto [own, expected] : std::vector<std::pair<uint8_t, uint8_t>>{{200, 158}, {20, 43}}) {
    QVImage grain(3, 3, 1, &level);
    grain.pixels[0] = own;
    grain.ImageGrain(4, 100, 100);
    EXPECT_EQ(grain.pixels[0], expected);
  }
}

TEST(QVImagePixelOps, BlursMatchASlowBoxReference)
{
  // Every size the descreen filters may meet, radii beyond the image, both
  // edge rules and sharpening.
  for (auto [w, h] : std::vector<std::pair<int32_t, int32_t>>{{1, 1}, {1, 9}, {9, 1}, {7, 5}, {12, 11}})
    for (int32_t bpp : {1, 3})
      for (int32_t radius : {1, 2, 5, -3, 30}) {
        QVImage src(w, h, bpp, nullptr);
        Scramble(src, static_cast<uint32_t>(w * 100 + radius));
        QVImage image(&src);
        image.SquareBlur(radius);
        EXPECT_EQ(All(image), ReferenceBox(src, radius, 16, false, false)) << w << "x" << h << " r " << radius;
        for (bool wrap : {false, true}) {
          QVImage blurred(&src);
          blurred.wrap = wrap;
          blurred.Blur(radius);
          EXPECT_EQ(All(blurred), ReferenceBox(src, radius, 23, true, wrap))
              << w << "x" << h << "x" << bpp << " r " << radius << " wrap " << wrap;
        }
      }
  // A uniform 100: the truncated 65536 / 9 gives 99, the rounded weight 100.
  const QVColor level(100, 100, 100);
  QVImage square(5, 4, 3, &level), box(5, 4, 3, &level);
  square.SquareBlur(1);
  box.Blur(1);
  EXPECT_EQ(At(square, 0, 0)[0], 99);
  EXPECT_EQ(At(square, 4, 3)[2], 99);
  EXPECT_EQ(All(box), All(QVImage(5, 4, 3, &level)));
}

TEST(QVImagePixelOps, GreyConversion)
{
  // (B, G, R) = (20, 10, 7): 2 + 6 + 2.1 = 10.1 -> 10; white stays 255.
  const QVColor colour(7, 10, 20);
  QVImage image(5, 2, 3, &colour);
  At(image, 4, 1)[0] = At(image, 4, 1)[1] = At(image, 4, 1)[2] = 255;
  image.Convert24To8();
  EXPECT_FALSE(image.error);
  EXPECT_EQ(image.bytesPerPixel * 10 + image.rowPad, 13) << "1 byte, rows of 5 padded to 8";
  EXPECT_EQ(All(image), (Bytes{10, 10, 10, 10, 10, 0, 0, 0, 10, 10, 10, 10, 255, 0, 0, 0}));
  // Already grey: the error flag, pixels kept.
  const Bytes before = All(image);
  image.Convert24To8();
  EXPECT_TRUE(image.error);
  EXPECT_EQ(All(image), before);
}

TEST(QVImagePixelOps, AntiAliasRampsADiagonalStep)
{
  // Row y is light from column y + 3 on. At the step, the first light pixel
  // and the last dark one both have an upper neighbour that is light and a
  // lower one that is dark, so n = 1, s = 85: 255 -> 170, 0 -> 85.
  QVImage image(12, 6, 1, nullptr);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = y + 3; x < 12; ++x)
      image.pixels[y * image.rowBytes + x] = 255;
  QVImage colour(12, 6, 3, nullptr);
  Scramble(colour);
  const Bytes colourBefore = All(colour);
  image.AntiAlias();
  colour.AntiAlias();
  EXPECT_EQ(All(colour), colourBefore);
  for (int32_t y = 1; y <= 4; ++y) {
    const uint8_t* row = image.pixels + y * image.rowBytes;
    EXPECT_EQ(Bytes(row + y + 1, row + y + 5), (Bytes{0, 85, 170, 255})) << y;
  }
  EXPECT_EQ(image.pixels[3], 255) << "the first row is left as it is";
}

TEST(QVImagePixelOps, MeasurementAndSearch)
{
  QVImage image(7, 9, 1, nullptr);
  image.pixels[5 * image.rowBytes] = 200;
  image.Extents(128, 0);
  EXPECT_TRUE(image.extents.IsSame(QVRect(0, 0, 0, 0))) << "largest x is 0";
  At(image, 2, 3)[0] = At(image, 4, 6)[0] = 200;
  image.Extents(128, 1); // x 0..4, y 3..6
  EXPECT_TRUE(image.extents.IsSame(QVRect(0, 2, 5, 7)));
  image.Extents(128, 1000);
  EXPECT_TRUE(image.extents.IsSame(QVRect(0, 0, 7, 9)));

  QVRect box;
  image.CalculateBoundingRect(box, QVColor(0, 0, 200)); // grey compares with B
  EXPECT_TRUE(box.IsSame(QVRect(0, 3, 4, 6)));
  image.CalculateBoundingRect(box, QVColor(1, 1, 1));
  EXPECT_TRUE(box.IsSame(QVRect(7, 9, 0, 0)));

  // Rings: one to the right is radius 1; from (1, 1), (0, 4) lies on the
  // ring of radius 3, whose left column is outside, reached through the
  // clipped bottom row. Step 0 counts as 1 and ends.
  const unsigned char value = 200;
  int32_t radius = 0;
  EXPECT_EQ(image.DetectValue(1, 3, &value, 5, radius, 1), 1);
  EXPECT_EQ(radius, 1);
  QVImage ring(6, 6, 1, nullptr);
  At(ring, 0, 4)[0] = 200;
  EXPECT_EQ(ring.DetectValue(1, 1, &value, 5, radius, 0), 1);
  EXPECT_EQ(radius, 3);
  EXPECT_EQ(ring.DetectValue(1, 1, &value, 2, radius, 0), 0);
  EXPECT_EQ(ring.DetectValue(5, 5, &value, 1000000000, radius, -4), 1);
  EXPECT_EQ(radius, 5);
  At(ring, 0, 4)[0] = 0;
  EXPECT_EQ(ring.DetectValue(5, 5, &value, 2000000000, radius, 1), 0);

  // Only pixel bytes count, never the padding.
  EXPECT_EQ(image.HasValue(kPad), 0);
  image.pixels[image.rowBytes - 1] = kPad;
  EXPECT_EQ(image.HasValue(kPad), 0);

  // Unchecked reads report points outside; the fourth plane of the last
  // pixel of an unpadded colour image lies past the buffer.
  QVImage colour(4, 2, 3, nullptr);
  Scramble(colour);
  QVResetAssertions();
  EXPECT_EQ(colour.FastGetPixelPlane3(3, 1), At(colour, 3, 1)[2]);
  EXPECT_EQ(colour.FastGetPixelPlane4(2, 1), At(colour, 3, 1)[0]);
  EXPECT_EQ(colour.GetIntensity(1, 0), (At(colour, 1, 0)[0] + At(colour, 1, 0)[1] + At(colour, 1, 0)[2]) / 3);
  EXPECT_EQ(QVAssertionCount(), 0);
  EXPECT_EQ(colour.FastGetPixelPlane4(3, 1), 0);
  EXPECT_EQ(colour.GetIntensity(4, 0), 0);
  EXPECT_EQ(QVAssertionCount(), 2);
  QVResetAssertions();
}

TEST(QVImagePixelOps, FillsAndCopies)
{
  QVImage image(5, 2, 1, nullptr);
  image.ClearBitmap(9);
  EXPECT_EQ(All(image), (Bytes{9, 0, 0, 0, 9, 0, 0, 0, 9, 0, 0, 0, 9, 0, 0, 0}));
  image.Fill(static_cast<unsigned char>(4));
  EXPECT_EQ(All(image), Bytes(16, 4));
  image.Fill(QVColor(1, 2, 3));
  EXPECT_EQ(All(image), Bytes(16, 4)) << "grey images take no colour";

  // Source pixel (j, i) goes to (left + j, top + i), clipped on all sides:
  // rect (-1, 3, 3, 7) over a 5 x 5 image takes source columns 1..3, rows 0..1.
  QVImage src(4, 4, 3, nullptr);
  Scramble(src);
  QVImage dst(5, 5, 3, nullptr);
  const QVRect rect(-1, 3, 3, 7);
  EXPECT_EQ(dst.CopyToRect(&src, &rect), 1);
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 5; ++x) {
      const bool copied = y >= 3 && x <= 2;
      EXPECT_EQ(Bytes(At(dst, x, y), At(dst, x, y) + 3),
                copied ? Bytes(At(src, x + 1, y - 3), At(src, x + 1, y - 3) + 3) : Bytes(3, 0));
    }
  QVImage grey(5, 5, 1, nullptr);
  EXPECT_EQ(grey.CopyToRect(&src, &rect), 0);

  // FastCopy wants the same layout; the rectangle form clips (to x 2..3, row 0).
  QVImage part(4, 4, 3, nullptr);
  const QVRect inner(2, -5, 9, 1);
  EXPECT_EQ(src.FastCopy(&dst), 0);
  EXPECT_EQ(part.FastCopy(&src, &inner), 1);
  EXPECT_EQ(Bytes(At(part, 2, 0), At(part, 2, 0) + 6), Bytes(At(src, 2, 0), At(src, 2, 0) + 6));
  EXPECT_EQ(At(part, 1, 0)[0] + At(part, 2, 1)[0], 0);
  EXPECT_EQ(src.FastCopy(&part), 1);
  EXPECT_EQ(All(part), All(src));
}

TEST(QVImagePixelOps, PolygonsFillTheirInsideOnly)
{
  auto filled = [](const QVImage& image, int32_t x, int32_t y) { return At(image, x, y)[0] != 0; };
  // A square: its inside is filled and nothing beyond its box.
  QVImage square(9, 9, 3, nullptr);
  Polygon(square, {Pt(1, 1), Pt(6, 1), Pt(6, 6), Pt(1, 6)}, 0x0A141E);
  EXPECT_EQ(Bytes(At(square, 3, 3), At(square, 3, 3) + 3), (Bytes{0x0A, 0x14, 0x1E})) << "COLORREF bytes B, G, R";
  for (int32_t y = 0; y < 9; ++y)
    for (int32_t x = 0; x < 9; ++x) {
      const bool inside = x >= 2 && x <= 5 && y >= 2 && y <= 5, outside = x < 1 || x > 6 || y < 1 || y > 6;
      EXPECT_TRUE((!inside || filled(square, x, y)) && (!outside || !filled(square, x, y))) << x << "," << y;
    }
  // A U: both arms and the base, not the notch between the arms.
  QVImage u(12, 12, 1, nullptr);
  Polygon(u, {Pt(1, 1), Pt(4, 1), Pt(4, 6), Pt(7, 6), Pt(7, 1), Pt(10, 1), Pt(10, 10), Pt(1, 10)}, 0xFFFFFF);
  for (auto [x, y] : std::vector<std::pair<int32_t, int32_t>>{{2, 3}, {3, 5}, {8, 3}, {9, 5}, {5, 8}, {2, 9}})
    EXPECT_TRUE(filled(u, x, y)) << x << "," << y;
  for (auto [x, y] : std::vector<std::pair<int32_t, int32_t>>{{5, 2}, {6, 4}, {5, 5}, {0, 5}, {11, 5}, {5, 11}})
    EXPECT_FALSE(filled(u, x, y)) << x << "," << y;
  // Two points draw nothing; of 600 points the first 512 are used, and
  // nothing lands outside their box (x 4..6 once clipped).
  QVImage none(9, 9, 1, nullptr);
  Polygon(none, {Pt(0, 0), Pt(8, 8)}, 0xFFFFFF);
  EXPECT_EQ(none.HasValue(255), 0);
  std::vector<QVPoint*> many;
  for (int32_t i = 0; i < 600; ++i)
    many.push_back(Pt(4 + (i % 3), i % 7 == 0 ? -50 : 4 + (i % 5)));
  Polygon(none, many, 0xFFFFFF);
  for (int32_t y = 0; y < 9; ++y)
    for (int32_t x : {0, 1, 2, 3, 7, 8})
      EXPECT_FALSE(filled(none, x, y));
}

TEST(QVImagePixelOps, MixingAndMerging)
{
  QVImage image(3, 1, 3, nullptr);
  // Each quotient on its own: 100 * 127 / 255 = 49, 200 * 128 / 255 = 100.
  uint8_t a[3] = {100, 0, 255};
  const uint8_t b[3] = {200, 255, 0};
  image.MixPixel(a, b, 128);
  EXPECT_EQ(Bytes(a, a + 3), (Bytes{149, 128, 127}));
  image.MixPixel(a, b, 1000000);
  EXPECT_EQ(Bytes(a, a + 3), (Bytes{255, 255, 0})) << "t beyond 255 clamps";
  image.MixColor(a, QVColor(0, 0, 10), -1000000);
  EXPECT_EQ(Bytes(a, a + 3), (Bytes{255, 255, 0}));

  // Mask 0 takes the other pixel, 255 keeps this one, 128 mixes with t 127:
  // 10 * 128 / 255 + 250 * 127 / 255 = 5 + 124.
  const QVColor dark(10, 10, 10), light(250, 250, 250);
  QVImage other(3, 1, 3, &light), mask(3, 1, 1, nullptr);
  image.Fill(dark);
  mask.pixels[1] = 255;
  mask.pixels[2] = 128;
  image.Merge(&other, &mask);
  EXPECT_EQ(All(image), (Bytes{250, 250, 250, 10, 10, 10, 129, 129, 129, 0, 0, 0}));
  // A mask that does not cover the image: nothing.
  QVImage small(2, 1, 1, nullptr);
  image.Fill(dark);
  image.Merge(&other, &small);
  EXPECT_EQ(image.pixels[0], 10);
}

} // namespace
