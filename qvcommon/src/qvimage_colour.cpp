// QVImage's colour effects: saturation, hue, noise, grain, brightness and
// contrast, one pixel at a time or over the whole image.
#include "qvcommon/qvimage.h"
#include "qvimage_internal.h"
#include "qvnumeric.h"

#include <cstdlib>
#include <cstring>

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

void QVImage::PixelGrain(const unsigned char* pixel, int32_t reach, int32_t /*x*/, int32_t /*y*/, unsigned char* out,
                         int32_t low, int32_t high) const
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
