// Depth changes and quarter-turn rotations. Both build the result in a new
// bitmap and swap it in, so a failure leaves the original untouched.
#include "codecs.h"

#include <cstring>
#include <utility>

namespace imaging {

namespace detail {

uint8_t GreyOf(const uint8_t* bgr)
{
  // 0.1 B + 0.6 G + 0.3 R, truncated: in integers so that no rounding of
  // the decimal weights moves a value across a step.
  return static_cast<uint8_t>((bgr[0] + 6 * bgr[1] + 3 * bgr[2]) / 10);
}

int32_t Convert(const Bitmap& src, int32_t bitsPerPixel, bool keepOrder, Bitmap* out, std::string* error)
{
  Bitmap result;
  int32_t status = Create(&result, 1, src.width, src.height, bitsPerPixel, src.colourOrder, error);
  if (status != kSuccess)
    return status;
  result.transparentColour = src.transparentColour;
  result.transparentMode = src.transparentMode;
  if (keepOrder)
    result.rowOrder = src.rowOrder;
  for (int32_t y = 0; y < src.height; ++y) {
    const uint8_t* s = keepOrder ? src.Row(y) : src.PictureRow(y);
    uint8_t* d = result.Row(y);
    if (bitsPerPixel == src.bitsPerPixel) {
      std::memcpy(d, s, static_cast<size_t>(src.bytesPerLine));
    } else if (bitsPerPixel == 24) {
      for (int32_t x = 0; x < src.width; ++x)
        d[3 * x] = d[3 * x + 1] = d[3 * x + 2] = s[x];
    } else {
      for (int32_t x = 0; x < src.width; ++x)
        d[x] = GreyOf(s + 3 * x);
    }
  }
  *out = std::move(result);
  return kSuccess;
}

} // namespace detail

namespace {

using detail::Fail;

int32_t ChangeDepth(Bitmap* bitmap, int32_t bitsPerPixel, std::string* error)
{
  if (!detail::HasPixels(bitmap))
    return Fail(error, kErrorBadArgument, "the bitmap holds no image");
  if (bitsPerPixel != 8 && bitsPerPixel != 24)
    return Fail(error, kErrorBadArgument, "bits per pixel must be 8 or 24, not " + std::to_string(bitsPerPixel));
  if (bitsPerPixel == bitmap->bitsPerPixel)
    return kSuccess;
  return detail::Convert(*bitmap, bitsPerPixel, true, bitmap, error);
}

int32_t Turn(Bitmap* bitmap, int32_t angle, std::string* error)
{
  if (!detail::HasPixels(bitmap))
    return Fail(error, kErrorBadArgument, "the bitmap holds no image");
  if (angle % 90 != 0)
    return Fail(error, kErrorBadArgument, "only multiples of 90 degrees are turned, not " + std::to_string(angle));
  const int32_t quarter = ((angle / 90) % 4 + 4) % 4; // clockwise quarter turns
  if (quarter == 0)
    return kSuccess;
  const Bitmap& src = *bitmap;
  const int32_t w = src.width, h = src.height;
  const bool swap = quarter != 2;
  Bitmap result;
  int32_t status = Create(&result, 1, swap ? h : w, swap ? w : h, src.bitsPerPixel, src.colourOrder, error);
  if (status != kSuccess)
    return status;
  result.rowOrder = src.rowOrder;
  result.transparentColour = src.transparentColour;
  result.transparentMode = src.transparentMode;
  const int32_t bytes = src.bitsPerPixel / 8;
  // For each pixel (x, y) of the result as seen, the source pixel as seen:
  //   clockwise quarter:   (y, h-1-x)   the left column becomes the top row
  //   half turn:           (w-1-x, h-1-y)
  //   anticlockwise:       (w-1-y, x)   the right column becomes the top row
  for (int32_t y = 0; y < result.height; ++y) {
    uint8_t* d = result.Row(result.BottomUp() ? result.height - 1 - y : y);
    for (int32_t x = 0; x < result.width; ++x, d += bytes) {
      int32_t sx = 0, sy = 0;
      switch (quarter) {
      case 1:
        sx = y;
        sy = h - 1 - x;
        break;
      case 2:
        sx = w - 1 - x;
        sy = h - 1 - y;
        break;
      default:
        sx = w - 1 - y;
        sy = x;
        break;
      }
      std::memcpy(d, src.PictureRow(sy) + static_cast<ptrdiff_t>(sx) * bytes, static_cast<size_t>(bytes));
    }
  }
  *bitmap = std::move(result);
  return kSuccess;
}

} // namespace

int32_t ChangeBpp(Bitmap* bitmap, int32_t bitsPerPixel, std::string* error)
{
  return detail::NoThrow(error, [&] { return ChangeDepth(bitmap, bitsPerPixel, error); });
}

int32_t Rotate(Bitmap* bitmap, int32_t angle, bool /*flag*/, std::string* error)
{
  return detail::NoThrow(error, [&] { return Turn(bitmap, angle, error); });
}

} // namespace imaging
