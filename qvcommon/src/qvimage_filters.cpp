// QVImage's neighbourhood filters: the box blurs and sharpening, the grey
// conversion and the edge smoothing of grey images.
#include "qvcommon/qvimage.h"
#include "qvimage_internal.h"
#include "qvnumeric.h"

#include <cstdlib>
#include <cstring>

namespace {

// Blurs reach at most this far.
constexpr int32_t kMaxBlurRadius = 24;

int64_t Mod(int64_t v, int64_t n)
{
  const int64_t m = v % n;
  return m < 0 ? m + n : m;
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
