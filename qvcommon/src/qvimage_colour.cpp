// QVImage's pixel operations: colour effects, blurs, grey conversion, edge
// smoothing, search, fills and copies, polygon filling, mixing and merging.
#include "qvcommon/qvassert.h"
#include "qvcommon/qvimage.h"
#include "qvimage_internal.h"
#include "qvnumeric.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace {

// Blurs reach at most this far.
constexpr int32_t kMaxBlurRadius = 24;
// PolygonFill uses this many points at most.
constexpr int32_t kMaxPolygonPoints = 512;
// A polygon cell counts downward crossings in its low half and upward ones
// in its high half.
constexpr uint32_t kDown = 1;
constexpr uint32_t kUp = 65536;

int64_t Mod(int64_t v, int64_t n)
{
  const int64_t m = v % n;
  return m < 0 ? m + n : m;
}

// Visits every pixel of every row (never the padding).
template <class F> void ForEachPixel(QVImage& image, F visit)
{
  for (int32_t y = 0; y < image.height; ++y) {
    unsigned char* p = ImageRow(image, y);
    for (int32_t x = 0; x < image.width; ++x, p += image.bytesPerPixel)
      visit(p);
  }
}

// Visits every pixel byte of every row (never the padding).
template <class F> void ForEachByte(QVImage& image, F visit)
{
  const int64_t count = int64_t{image.width} * image.bytesPerPixel;
  for (int32_t y = 0; y < image.height; ++y) {
    unsigned char* p = ImageRow(image, y);
    for (int64_t i = 0; i < count; ++i)
      visit(p[i]);
  }
}

// For each byte position of a row, the sum of the 2r + 1 pixels centred on
// its pixel. Positions beyond an end repeat the end pixel, or with `wrap`
// come from the other end (any number of times round for short rows).
void HorizontalSums(const unsigned char* row, int32_t width, int32_t bpp, int32_t r, bool wrap, int32_t* sums)
{
  auto at = [&](int64_t x) {
    const int64_t column = wrap ? Mod(x, width) : std::clamp<int64_t>(x, 0, width - 1);
    return row + column * bpp;
  };
  for (int32_t c = 0; c < bpp; ++c) {
    int32_t sum = 0;
    for (int64_t k = -r; k <= r; ++k)
      sum += at(k)[c];
    sums[c] = sum;
  }
  for (int32_t x = 1; x < width; ++x) {
    const unsigned char* entering = at(int64_t{x} + r);
    const unsigned char* leaving = at(int64_t{x} - r - 1);
    int32_t* s = sums + static_cast<ptrdiff_t>(x) * bpp;
    for (int32_t c = 0; c < bpp; ++c)
      s[c] = s[c - bpp] + entering[c] - leaving[c];
  }
}

// The box filter behind Blur and SquareBlur: sliding horizontal sums, a ring
// of the last 2r + 1 of them and running column sums, so the time per pixel
// does not depend on the radius. A pixel becomes (sum * weight + bias) >>
// shift with weight = 2^shift / (2r + 1)^2; sharpening writes 2 * pixel -
// blurred. Rows beyond the top and bottom repeat the edge rows, or with
// `wrap` come from the other end.
void BoxFilter(QVImage& image, int32_t radius, int32_t shift, bool round, bool wrap)
{
  if (radius == 0 || !image.HasPixels())
    return;
  const bool sharpen = radius < 0;
  const int32_t r = static_cast<int32_t>(std::min<int64_t>(std::llabs(int64_t{radius}), kMaxBlurRadius));
  const int32_t n = 2 * r + 1;
  const int64_t weight = (int64_t{1} << shift) / (n * n);
  const int64_t bias = round ? int64_t{1} << (shift - 1) : 0;
  const int32_t height = image.height;
  const int64_t positions = int64_t{image.width} * image.bytesPerPixel;
  // Output rows are written while later rows are still being read. With
  // wrap, the rows fed after the last one are the first rows again, already
  // blurred by then, so their sums are kept from when they were fed first.
  const int32_t kept = wrap ? std::min(r, height) : 0;
  GlobalBlock block((int64_t{n} + 1 + kept) * positions * 4);
  if (!block)
    return;
  int32_t* ring = block.As<int32_t>();
  int32_t* columns = ring + n * positions;
  int32_t* keptSums = columns + positions;

  int32_t slot = 0;
  for (int64_t i = -int64_t{r}; i < int64_t{height} + r; ++i) {
    int32_t* sums = ring + slot * positions;
    for (int64_t p = 0; p < positions; ++p)
      columns[p] -= sums[p];
    if (wrap && i >= height) {
      std::memcpy(sums, keptSums + Mod(i, height) * positions, static_cast<size_t>(positions) * 4);
    } else {
      const int64_t source = wrap ? Mod(i, height) : std::clamp<int64_t>(i, 0, height - 1);
      HorizontalSums(ImageRow(image, static_cast<int32_t>(source)), image.width, image.bytesPerPixel, r, wrap, sums);
      if (i >= 0 && i < kept)
        std::memcpy(keptSums + i * positions, sums, static_cast<size_t>(positions) * 4);
    }
    for (int64_t p = 0; p < positions; ++p)
      columns[p] += sums[p];
    slot = slot + 1 == n ? 0 : slot + 1;

    const int64_t y = i - r;
    if (y < 0)
      continue;
    unsigned char* row = ImageRow(image, static_cast<int32_t>(y));
    for (int64_t p = 0; p < positions; ++p) {
      const int32_t blurred = ClampWide((columns[p] * weight + bias) >> shift);
      row[p] = sharpen ? QVPixelClamp::Clamp(2 * row[p] - blurred) : static_cast<unsigned char>(blurred);
    }
  }
}

} // namespace

// ---- Colour effects -------------------------------------------------------

void QVImage::GetOrder(int32_t* order, const unsigned char* pixel) const
{
  const unsigned char b0 = pixel[0], b1 = pixel[1], b2 = pixel[2];
  if (b0 >= b1 && b0 >= b2) {
    order[0] = 0;
    order[1] = b1 < b2 ? 2 : 1;
  } else if (b1 >= b0 && b1 >= b2) {
    order[0] = 1;
    order[1] = b0 < b2 ? 2 : 0;
  } else {
    order[0] = 2;
    order[1] = b0 < b1 ? 1 : 0;
  }
  order[2] = 3 - order[0] - order[1];
}

void QVImage::PixelSaturate(unsigned char* pixel, int32_t amount) const
{
  int32_t order[3];
  GetOrder(order, pixel);
  int64_t max = pixel[order[0]], mid = pixel[order[1]], min = pixel[order[2]];
  const int64_t a = amount;
  if (a < 1) {
    const int64_t t = std::min(max - mid, -a);
    max -= t;
    const int64_t rest = -a - t;
    if (rest > 0)
      min += std::min(mid - min, rest);
  } else {
    const int64_t t = std::min(255 - max, a);
    max += t;
    int64_t rest = a - t;
    if (rest > 0) {
      const int64_t u = std::min(mid - min, rest);
      mid -= u;
      rest -= u;
      if (rest > 0) {
        const int64_t v = std::min(2 * mid, rest);
        mid -= v / 2;
        min -= v / 2;
      }
    }
  }
  pixel[order[0]] = ClampWide(max);
  pixel[order[1]] = ClampWide(mid);
  pixel[order[2]] = ClampWide(min);
}

void QVImage::ImageSaturate(int32_t amount)
{
  // Reads three bytes a pixel: grey images would be read past their rows.
  if (amount == 0 || bytesPerPixel != 3 || !HasPixels())
    return;
  ForEachPixel(*this, [&](unsigned char* p) { PixelSaturate(p, amount); });
}

void QVImage::PixelHueAdjust(unsigned char* pixel, int32_t amount) const
{
  // Whole turns are reduced away first: the weights below stay within 0..1
  // only for amounts inside one turn.
  const int32_t a = amount % 360;
  if (a == 0)
    return;
  const int32_t h = a >= 1 ? a * 100 / 360 : (a + 180) * 100 / 360 + 50;
  double w0, w1, w2;
  if (h < 34) {
    w2 = h / 33.0;
    w0 = 1 - w2;
    w1 = 0;
  } else if (h > 66) {
    w0 = (h - 66) / 33.0;
    w1 = 1 - w0;
    w2 = 0;
  } else {
    w1 = (h - 33) / 33.0;
    w2 = 1 - w1;
    w0 = 0;
  }
  const double p0 = pixel[0], p1 = pixel[1], p2 = pixel[2];
  pixel[0] = QVPixelClamp::Clamp(qvnumeric::Trunc(p0 * w0 + p1 * w1 + p2 * w2));
  pixel[1] = QVPixelClamp::Clamp(qvnumeric::Trunc(p1 * w0 + p2 * w1 + p0 * w2));
  pixel[2] = QVPixelClamp::Clamp(qvnumeric::Trunc(p2 * w0 + p0 * w1 + p1 * w2));
}

void QVImage::ImageHueAdjust(int32_t amount)
{
  if (amount % 360 == 0 || bytesPerPixel != 3 || !HasPixels())
    return;
  ForEachPixel(*this, [&](unsigned char* p) { PixelHueAdjust(p, amount); });
}

void QVImage::PixelNoise(unsigned char* pixel, int32_t amount) const
{
  const int64_t d = ((std::rand() & 255) - 128) * int64_t{amount} / 100;
  for (int32_t k = 0; k < bytesPerPixel; ++k)
    pixel[k] = ClampWide(pixel[k] + d);
}

void QVImage::ImageNoise(int32_t amount)
{
  if (amount == 0 || !HasPixels())
    return;
  ForEachPixel(*this, [&](unsigned char* p) { PixelNoise(p, amount); });
}

void QVImage::PixelGrain(const unsigned char* pixel, int32_t reach, int32_t /*x*/, int32_t /*y*/,
                         unsigned char* out, int32_t low, int32_t high) const
{
  if (reach <= 0 || bytesPerPixel <= 0)
    return;
  const int64_t n = reach;
  const ptrdiff_t diagonal = static_cast<ptrdiff_t>(rowBytes) + bytesPerPixel;
  int64_t neighbours = 0;
  for (int64_t k = 1; k <= n; ++k)
    for (int32_t c = 0; c < bytesPerPixel; ++c)
      neighbours += pixel[k * diagonal + c];
  int64_t own = 0;
  for (int32_t c = 0; c < bytesPerPixel; ++c)
    own += pixel[c];
  const int64_t N = neighbours / (n * bytesPerPixel);
  const int64_t P = own / bytesPerPixel;
  const int64_t adj = -5 - (n >> 2);
  int64_t change = 0;
  if (N != 0) {
    if (P > N + 1) {
      const int64_t hi = N + high / 2 + n;
      change = (((P - N) * n) >> 3) + adj + (hi - P);
    } else if (P >= N - 1) {
      change = adj;
    } else {
      const int64_t lo = N - low / 2 - 2 * n;
      change = -((((N - P) * n) >> 3) + adj + (P - lo));
    }
  }
  for (int32_t c = 0; c < bytesPerPixel; ++c)
    out[c] = ClampWide(pixel[c] + change);
}

void QVImage::ImageGrain(int32_t amount, int32_t low, int32_t high)
{
  if (amount <= 0 || !HasPixels())
    return;
  const int32_t reach = (amount >> 2) + (height >> 9);
  // The neighbours are read from an untouched copy.
  const QVImage copy(this);
  if (!copy.HasPixels())
    return;
  for (int32_t y = 0; y < height; ++y) {
    const unsigned char* s = ImageRow(copy, y);
    unsigned char* d = ImageRow(*this, y);
    // The diagonal walk must stop at the right edge as well as the bottom.
    for (int32_t x = 0; x < width; ++x, s += bytesPerPixel, d += bytesPerPixel)
      PixelGrain(s, std::min({reach, height - y - 1, width - x - 1}), x, y, d, low, high);
  }
}

void QVImage::PixelBrightness(unsigned char* pixel, int32_t amount) const
{
  for (int32_t k = 0; k < bytesPerPixel; ++k)
    pixel[k] = ClampWide(int64_t{pixel[k]} + amount);
}

void QVImage::ImageBrightness(int32_t amount)
{
  if (amount == 0 || !HasPixels())
    return;
  ForEachPixel(*this, [&](unsigned char* p) { PixelBrightness(p, amount); });
}

void QVImage::ImageContrast(int32_t amount)
{
  if (amount == 0 || !HasPixels())
    return;
  const int64_t a = amount;
  ForEachByte(*this, [&](unsigned char& v) {
    if (a >= 1)
      v = ClampWide(v < 128 ? v - a : v + a);
    else
      v = ClampWide(v < 128 ? std::min<int64_t>(v - a, 127) : std::max<int64_t>(v + a, 127));
  });
}

// ---- Filters ----------------------------------------------------------------

void QVImage::Blur(int32_t radius) { BoxFilter(*this, radius, 23, true, wrap); }

void QVImage::SquareBlur(int32_t radius) { BoxFilter(*this, radius, 16, false, false); }

void QVImage::Convert24To8()
{
  if (!HasPixels())
    return;
  if (bytesPerPixel != 3) {
    error = true;
    return;
  }
  // The new block first: without it the colour pixels stay.
  const int32_t newRowBytes = (width + 3) / 4 * 4;
  GlobalBlock block(int64_t{newRowBytes} * height);
  if (!block) {
    error = true;
    return;
  }
  unsigned char* grey = block.As<unsigned char>();
  for (int32_t y = 0; y < height; ++y) {
    const unsigned char* s = ImageRow(*this, y);
    unsigned char* d = grey + static_cast<ptrdiff_t>(y) * newRowBytes;
    for (int32_t x = 0; x < width; ++x, s += 3)
      d[x] = QVPixelClamp::Clamp(qvnumeric::Trunc(0.1 * s[0] + 0.6 * s[1] + 0.3 * s[2]));
  }
  ImageFreeBuffer();
  bufferHandle = block.Release();
  pixels = grey;
  bytesPerPixel = 1;
  rowBytes = newRowBytes;
  rowPad = newRowBytes - width;
}

void QVImage::AntiAlias()
{
  // Columns 3 .. width - 4 are examined, each with three pixels either side.
  if (bytesPerPixel != 1 || width < 7 || !HasPixels())
    return;
  for (int32_t y = 1; y < height - 1; ++y) {
    unsigned char* p = ImageRow(*this, y);
    const unsigned char* up = p - rowBytes;
    const unsigned char* down = p + rowBytes;
    // A pixel on an edge that crosses the row: its upper and lower
    // neighbours lie on different sides of the middle.
    auto crossed = [&](int32_t x) { return ((up[x] ^ down[x]) & 0x80) != 0; };
    auto light = [&](int32_t x) { return p[x] > 127; };
    bool inLight = light(3);
    for (int32_t x = 3; x <= width - 4; ++x) {
      if (light(x) == inLight)
        continue;
      // Stepping into the light: the new side is light at x.. and the old
      // side dark at ..x-1; stepping into the dark the other way round.
      const bool newLight = !inLight;
      int32_t a = 0, b = 0;
      for (int32_t i = 0; i < 3; ++i) {
        a += light(x + i) == newLight && crossed(x + i);
        b += light(x - 1 - i) != newLight && crossed(x - 1 - i);
      }
      const int32_t n = std::min(a, b);
      if (n > 0) {
        const int32_t s = 255 / (2 * n + 1);
        int32_t pool = 0;
        // The light side gives up brightness next to the step, the dark
        // side takes it, ramping over n pixels each way.
        auto lower = [&](int32_t at, int32_t target) {
          if (p[at] > target) {
            pool += p[at] - target;
            p[at] = static_cast<unsigned char>(target);
          }
        };
        auto raise = [&](int32_t at, int32_t target) {
          if (p[at] < target) {
            const int32_t add = std::min(target - p[at], pool);
            p[at] = static_cast<unsigned char>(p[at] + add);
            pool -= add;
          }
        };
        if (newLight) {
          for (int32_t i = 0; i < n; ++i)
            lower(x + i, 255 - (n - i) * s);
          for (int32_t j = 1; j <= n; ++j)
            raise(x - j, (n - j + 1) * s);
        } else {
          for (int32_t j = 1; j <= n; ++j)
            lower(x - j, 255 - (n - j + 1) * s);
          for (int32_t i = 0; i < n; ++i)
            raise(x + i, (n - i) * s);
        }
      }
      inLight = newLight;
    }
  }
}

// ---- Measurement and search -------------------------------------------------

void QVImage::Extents(int32_t threshold, int32_t margin)
{
  if (!HasPixels())
    return;
  int32_t minX = width, minY = height, maxX = 0, maxY = 0;
  for (int32_t y = 0; y < height; ++y) {
    const unsigned char* p = ImageRow(*this, y);
    for (int32_t x = 0; x < width; ++x, p += bytesPerPixel)
      if (p[0] >= threshold) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  }
  if (maxX == 0 || maxY == 0) {
    extents.SetLTRB(0, 0, 0, 0);
    return;
  }
  const int64_t m = margin;
  extents.SetLTRB(static_cast<int32_t>(std::max<int64_t>(minX - m, 0)),
                  static_cast<int32_t>(std::max<int64_t>(minY - m, 0)),
                  static_cast<int32_t>(std::min<int64_t>(width, maxX + m)),
                  static_cast<int32_t>(std::min<int64_t>(height, maxY + m)));
}

void QVImage::CalculateBoundingRect(QVRect& rect, const QVColor& colour) const
{
  if (!HasPixels())
    return;
  const unsigned char bgr[3] = {colour.B(), colour.G(), colour.R()};
  int32_t left = width, top = height, right = 0, bottom = 0;
  for (int32_t y = 0; y < height; ++y) {
    const unsigned char* p = ImageRow(*this, y);
    for (int32_t x = 0; x < width; ++x, p += bytesPerPixel)
      if (std::memcmp(p, bgr, static_cast<size_t>(std::min(bytesPerPixel, 3))) == 0) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  }
  rect.SetLTRB(left, top, right, bottom);
}

int32_t QVImage::GetIntensity(int32_t x, int32_t y) const
{
  const bool inside = HasPixels() && x >= 0 && x < width && y >= 0 && y < height;
  QV_ASSERT(inside, "GetIntensity: point outside the image");
  if (!inside)
    return 0;
  const unsigned char* p = ImagePixel(*this, x, y);
  int32_t sum = 0;
  for (int32_t k = 0; k < bytesPerPixel; ++k)
    sum += p[k];
  return sum / bytesPerPixel;
}

void QVImage::GetPIXEL(int32_t x, int32_t y, QVColor* colour) const
{
  const bool inside = HasPixels() && x >= 0 && x < width && y >= 0 && y < height;
  QV_ASSERT(inside, "GetPIXEL: point outside the image");
  if (!inside || !colour)
    return;
  const unsigned char* p = ImagePixel(*this, x, y);
  if (bytesPerPixel == 3)
    colour->SetRGB(p[2], p[1], p[0]);
  else if (bytesPerPixel == 1)
    colour->SetRGB(p[0], p[0], p[0]);
}

void QVImage::GetPIXEL(int32_t* out, const unsigned char* base, int32_t index, int32_t count)
{
  const unsigned char* p = base + static_cast<ptrdiff_t>(index) * count;
  for (int32_t k = 0; k < count; ++k)
    out[k] = p[k];
}

namespace {

// Byte `plane` of pixel (x, y). The fourth plane of a colour pixel is the
// next pixel's first byte or padding, and past the last pixel nothing.
int32_t PixelPlane(const QVImage& image, int32_t x, int32_t y, int32_t plane)
{
  const int64_t offset = int64_t{y} * image.rowBytes + int64_t{x} * image.bytesPerPixel + plane;
  const bool inside = image.HasPixels() && x >= 0 && x < image.width && y >= 0 && y < image.height &&
                      offset < int64_t{image.height} * image.rowBytes;
  QV_ASSERT(inside, "FastGetPixelPlane: point outside the image");
  return inside ? image.pixels[offset] : 0;
}

} // namespace

int32_t QVImage::FastGetPixelPlane1(int32_t x, int32_t y) const { return PixelPlane(*this, x, y, 0); }
int32_t QVImage::FastGetPixelPlane2(int32_t x, int32_t y) const { return PixelPlane(*this, x, y, 1); }
int32_t QVImage::FastGetPixelPlane3(int32_t x, int32_t y) const { return PixelPlane(*this, x, y, 2); }
int32_t QVImage::FastGetPixelPlane4(int32_t x, int32_t y) const { return PixelPlane(*this, x, y, 3); }

int32_t QVImage::HasValue(unsigned char value) const
{
  if (!HasPixels())
    return 0;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel);
  for (int32_t y = 0; y < height; ++y)
    if (std::memchr(ImageRow(*this, y), value, count))
      return 1;
  return 0;
}

int32_t QVImage::DetectValue(int32_t x, int32_t y, const unsigned char* value, int32_t maxRadius, int32_t& radius,
                             int32_t step) const
{
  if (maxRadius < 1 || !HasPixels() || !value)
    return 0;
  radius = 1;
  const int64_t stride = std::max(step, 1);
  auto found = [&](int64_t px, int64_t py) {
    return CheckPixel(ImageRow(*this, static_cast<int32_t>(py)) + px * bytesPerPixel, value) != 0;
  };
  for (int64_t r = 1; r <= maxRadius; r += stride) {
    const int64_t left = int64_t{x} - r, right = int64_t{x} + r, top = int64_t{y} - r, bottom = int64_t{y} + r;
    // Each side of the ring, cut to the image; once all four lie outside,
    // larger rings find nothing either.
    const bool leftIn = left >= 0 && left < width, rightIn = right >= 0 && right < width;
    const bool topIn = top >= 0 && top < height, bottomIn = bottom >= 0 && bottom < height;
    if (left < 0 && right >= width && top < 0 && bottom >= height)
      break;
    const int64_t rowFrom = std::max<int64_t>(top, 0), rowTo = std::min<int64_t>(bottom, height - 1);
    for (int64_t py = rowFrom; (leftIn || rightIn) && py <= rowTo; ++py)
      if ((leftIn && found(left, py)) || (rightIn && found(right, py))) {
        radius = static_cast<int32_t>(r);
        return 1;
      }
    const int64_t columnFrom = std::max<int64_t>(left + 1, 0), columnTo = std::min<int64_t>(right - 1, width - 1);
    for (int64_t px = columnFrom; (topIn || bottomIn) && px <= columnTo; ++px)
      if ((topIn && found(px, top)) || (bottomIn && found(px, bottom))) {
        radius = static_cast<int32_t>(r);
        return 1;
      }
  }
  return 0;
}

int32_t QVImage::CheckPixel(const unsigned char* pixel, const unsigned char* value) const
{
  return std::memcmp(pixel, value, static_cast<size_t>(std::max(bytesPerPixel, 0))) == 0 ? 1 : 0;
}

// ---- Fills and copies -------------------------------------------------------

void QVImage::ClearBitmap(unsigned char value)
{
  if (!HasPixels())
    return;
  const unsigned char word[4] = {value, 0, 0, 0};
  const size_t size = static_cast<size_t>(height) * static_cast<size_t>(rowBytes);
  for (size_t i = 0; i + 4 <= size; i += 4)
    std::memcpy(pixels + i, word, 4);
}

void QVImage::Fill(unsigned char value)
{
  if (HasPixels())
    std::memset(pixels, value, static_cast<size_t>(height) * static_cast<size_t>(rowBytes));
}

void QVImage::Fill(const QVColor& colour)
{
  if (bytesPerPixel != 3 || !HasPixels())
    return;
  const unsigned char bgr[3] = {colour.B(), colour.G(), colour.R()};
  ForEachPixel(*this, [&](unsigned char* p) { std::memcpy(p, bgr, 3); });
}

namespace {

bool SameLayout(const QVImage& a, const QVImage& b)
{
  return a.HasPixels() && b.HasPixels() && a.height == b.height && a.width == b.width &&
         a.bytesPerPixel == b.bytesPerPixel && a.rowBytes == b.rowBytes;
}

} // namespace

int32_t QVImage::FastCopy(QVImage* dst) const
{
  if (!dst || !SameLayout(*this, *dst))
    return 0;
  std::memmove(dst->pixels, pixels, static_cast<size_t>(height) * static_cast<size_t>(rowBytes));
  return 1;
}

int32_t QVImage::FastCopy(const QVImage* src, const QVRect* rect)
{
  if (!src || !rect || !SameLayout(*this, *src))
    return 0;
  const int32_t left = std::clamp(rect->Left(), 0, width), right = std::clamp(rect->Right(), 0, width);
  const int32_t top = std::clamp(rect->Top(), 0, height), bottom = std::clamp(rect->Bottom(), 0, height);
  if (left >= right)
    return 1;
  const ptrdiff_t offset = static_cast<ptrdiff_t>(left) * bytesPerPixel;
  for (int32_t y = top; y < bottom; ++y)
    std::memmove(ImageRow(*this, y) + offset, ImageRow(*src, y) + offset,
                 static_cast<size_t>(right - left) * static_cast<size_t>(bytesPerPixel));
  return 1;
}

int32_t QVImage::CopyToRect(const QVImage* src, const QVRect* rect)
{
  if (!src || !rect || src->bytesPerPixel != bytesPerPixel || !HasPixels() || !src->HasPixels())
    return 0;
  // Source pixel (j, i) lands on (left + j, top + i); both images bound it.
  const int64_t left = rect->Left(), top = rect->Top();
  const int64_t jFrom = std::max<int64_t>(0, -left);
  const int64_t jTo = std::min({int64_t{rect->Width()}, int64_t{width} - left, int64_t{src->width}});
  const int64_t iFrom = std::max<int64_t>(0, -top);
  const int64_t iTo = std::min({int64_t{rect->Height()}, int64_t{height} - top, int64_t{src->height}});
  if (jFrom >= jTo)
    return 1;
  for (int64_t i = iFrom; i < iTo; ++i)
    std::memmove(ImageRow(*this, static_cast<int32_t>(top + i)) + (left + jFrom) * bytesPerPixel,
                 ImageRow(*src, static_cast<int32_t>(i)) + jFrom * bytesPerPixel,
                 static_cast<size_t>((jTo - jFrom) * bytesPerPixel));
  return 1;
}

void QVImage::CropRect(QVRect* rect) const
{
  if (!rect)
    return;
  if (rect->Left() < 0)
    rect->SetLeft(0);
  if (rect->Top() < 0)
    rect->SetTop(0);
  if (rect->Right() >= width)
    rect->SetRight(width - 1);
  if (rect->Bottom() >= height)
    rect->SetBottom(height - 1);
}

void QVImage::Invert()
{
  if (HasPixels())
    ForEachByte(*this, [](unsigned char& v) { v = static_cast<unsigned char>(255 - v); });
}

// ---- Polygon filling --------------------------------------------------------

void QVImage::PolygonFill(QVPoint** points, int32_t count, uint32_t colour)
{
  if (!HasPixels() || !points || count < 3)
    return;
  const int32_t m = std::min(count, kMaxPolygonPoints);
  std::array<int32_t, kMaxPolygonPoints> xs, ys;
  for (int32_t i = 0; i < m; ++i) {
    if (!points[i])
      return;
    xs[i] = std::clamp(points[i]->X(), 0, width - 1);
    ys[i] = std::clamp(points[i]->Y(), 0, height - 1);
  }
  const int32_t minX = *std::min_element(xs.begin(), xs.begin() + m);
  const int32_t maxX = *std::max_element(xs.begin(), xs.begin() + m);
  const int32_t minY = *std::min_element(ys.begin(), ys.begin() + m);
  const int32_t maxY = *std::max_element(ys.begin(), ys.begin() + m);
  const int64_t boxWidth = int64_t{maxX} - minX + 1, boxHeight = int64_t{maxY} - minY + 1;
  GlobalBlock block(boxWidth * boxHeight * 4);
  if (!block)
    return;
  uint32_t* cells = block.As<uint32_t>();
  auto cell = [&](int64_t x, int64_t y) -> uint32_t& {
    return cells[(std::clamp<int64_t>(y, minY, maxY) - minY) * boxWidth + std::clamp<int64_t>(x, minX, maxX) - minX];
  };

  // Each edge marks, on every row after its start down to its end, the cell
  // it crosses: downward edges in the low half, upward ones in the high
  // half. At a local top or bottom the start is marked once more, so that
  // the row of the turn balances. Returns the cell of the last row.
  int32_t lastDirection = 0, firstDirection = 0;
  auto walk = [&](int32_t from, int32_t to) -> uint32_t* {
    const int64_t dy = int64_t{ys[to]} - ys[from];
    if (dy == 0)
      return nullptr;
    const int32_t direction = dy > 0 ? 1 : -1;
    const uint32_t mark = direction > 0 ? kDown : kUp;
    if (lastDirection != 0 && direction != lastDirection)
      cell(xs[from], ys[from]) += mark;
    const int64_t rows = std::llabs(dy);
    const int64_t stepX = ((int64_t{xs[to]} - xs[from]) << 16) / rows;
    int64_t x = int64_t{xs[from]} << 16;
    int64_t y = ys[from];
    uint32_t* last = nullptr;
    for (int64_t k = 0; k < rows; ++k) {
      x += stepX;
      y += direction;
      last = &cell(x >> 16, y);
      *last += mark;
    }
    lastDirection = direction;
    if (firstDirection == 0)
      firstDirection = direction;
    return last;
  };
  for (int32_t i = 1; i < m; ++i)
    walk(i - 1, i);
  // The closing edge also settles the row of the first point, which the
  // first edge left out.
  if (ys[0] == ys[m - 1]) {
    if (firstDirection != 0 && lastDirection != 0 && firstDirection != lastDirection)
      cell(xs[m - 1], ys[m - 1]) += lastDirection < 0 ? kDown : kUp;
  } else {
    const int32_t first = firstDirection;
    uint32_t* last = walk(m - 1, 0);
    if (first != 0 && lastDirection != first)
      *last = kDown + kUp;
  }

  if (boxWidth <= 1 || boxHeight <= 1)
    return;
  const unsigned char bgr[3] = {static_cast<unsigned char>(colour >> 16), static_cast<unsigned char>(colour >> 8),
                                static_cast<unsigned char>(colour)};
  const int32_t bytes = std::min(bytesPerPixel, 3);
  for (int32_t y = minY; y <= maxY; ++y) {
    const uint32_t* row = cells + (y - minY) * boxWidth;
    unsigned char* p = ImagePixel(*this, minX, y);
    int64_t winding = 0;
    for (int64_t x = 0; x < boxWidth; ++x, p += bytesPerPixel) {
      winding += int64_t{row[x] & 0xFFFF} - int64_t{row[x] >> 16};
      if (winding != 0)
        std::memcpy(p, bgr, static_cast<size_t>(bytes));
    }
  }
}

// ---- Mixing and merging -----------------------------------------------------

namespace {

unsigned char Mix(unsigned char a, unsigned char b, int32_t t)
{
  return ClampWide(int64_t{a} * (255 - int64_t{t}) / 255 + int64_t{b} * t / 255);
}

} // namespace

void QVImage::MixPixel(unsigned char* a, const unsigned char* b, int32_t t) const
{
  for (int32_t k = 0; k < bytesPerPixel; ++k)
    a[k] = Mix(a[k], b[k], t);
}

void QVImage::MixPixel(unsigned char* a, const QVColor& colour, int32_t t) const
{
  const unsigned char bgr[3] = {colour.B(), colour.G(), colour.R()};
  for (int32_t k = 0; k < std::min(bytesPerPixel, 3); ++k)
    a[k] = Mix(a[k], bgr[k], t);
}

void QVImage::MixColor(unsigned char* a, const QVColor& colour, int32_t t) const { MixPixel(a, colour, t); }

void QVImage::Merge(const QVImage* other, const QVImage* mask)
{
  if (!other || !SameLayout(*this, *other) || !mask || !mask->HasPixels() || mask->width < width ||
      mask->height < height)
    return;
  for (int32_t y = 0; y < height; ++y) {
    unsigned char* p = ImageRow(*this, y);
    const unsigned char* o = ImageRow(*other, y);
    const unsigned char* m = ImageRow(*mask, y);
    for (int32_t x = 0; x < width; ++x, p += bytesPerPixel, o += bytesPerPixel, m += mask->bytesPerPixel)
      if (m[0] < 255)
        MixPixel(p, o, 255 - m[0]);
  }
}
