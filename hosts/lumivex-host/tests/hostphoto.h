#pragma once
// The engine benchmarks' generated photograph as a host image, for the
// golden tests of the plug-in and the programs.
#include "filterhost/filterhost.h"
#include "image.h"
#include "photo.h"

#include <algorithm>

// The picture in the host's mode: grey (weighted luminance), RGB, or CMYK
// (half the grey component as black ink), with an alpha plane that is
// opaque in the left quarter, clear in the rest of the top quarter and
// partly covered elsewhere.
inline lvhost::HostImage HostPicture(const lvxbench::Photo& photo, int16_t mode = plugInModeRGBColor,
                                     bool alpha = false)
{
  const int32_t rows = photo.rows, columns = photo.columns;
  lvhost::HostImage image;
  image.width = columns, image.height = rows, image.mode = mode, image.alpha = alpha;
  image.pixels.resize(image.RowBytes() * size_t(rows));
  for (int32_t y = 0; y < rows; ++y)
    for (int32_t x = 0; x < columns; ++x) {
      const uint8_t* bgr = photo.bytes.data() + y * photo.rowBytes + 3 * ptrdiff_t(x);
      const int r = bgr[2], g = bgr[1], b = bgr[0];
      uint8_t* p = image.At(x, y);
      if (mode == plugInModeGrayScale) {
        p[0] = uint8_t((77 * r + 150 * g + 29 * b + 128) >> 8);
      } else if (mode == plugInModeCMYKColor) {
        const int k = std::min({255 - r, 255 - g, 255 - b}) / 2;
        p[0] = uint8_t(255 - r - k), p[1] = uint8_t(255 - g - k), p[2] = uint8_t(255 - b - k), p[3] = uint8_t(k);
      } else {
        p[0] = uint8_t(r), p[1] = uint8_t(g), p[2] = uint8_t(b);
      }
      if (alpha)
        p[image.Planes() - 1] = uint8_t(x < columns / 4 ? 255 : y < rows / 4 ? 0 : (x * 7 + y * 3) & 255);
    }
  return image;
}

// A generated photograph of the size in the host's mode.
inline lvhost::HostImage HostPhoto(int32_t rows, int32_t columns, int16_t mode = plugInModeRGBColor, bool alpha = false)
{
  return HostPicture(lvxbench::MakePhoto(rows, columns), mode, alpha);
}
