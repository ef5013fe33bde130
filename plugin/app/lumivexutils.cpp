#include "lumivexutils.h"

#include "qvcommon/qvimage.h"
#include "qvcommon/qvrect.h"
#include "qvcommon/qvwindow.h"
#include "win32/shell.h"
#include "win32/windowing.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace LumivexUtils {
namespace {

constexpr int64_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kIntMax = std::numeric_limits<int32_t>::max();

int32_t Saturate(__int128 value)
{
  if (value < kIntMin)
    return static_cast<int32_t>(kIntMin);
  if (value > kIntMax)
    return static_cast<int32_t>(kIntMax);
  return static_cast<int32_t>(value);
}

// value / f truncated toward zero, saturated to the int32 range.
int32_t DivideEdge(int32_t value, double f)
{
  const double quotient = std::trunc(static_cast<double>(value) / f);
  if (quotient <= static_cast<double>(kIntMin))
    return static_cast<int32_t>(kIntMin);
  if (quotient >= static_cast<double>(kIntMax))
    return static_cast<int32_t>(kIntMax);
  return static_cast<int32_t>(quotient);
}

bool Usable(const QVImage* image)
{
  return image && image->pixels && image->width > 0 && image->height > 0 && image->bytesPerPixel > 0 &&
         image->rowBytes >= image->width * image->bytesPerPixel;
}

} // namespace

HINSTANCE ShellOpen(const char* pathOrAddress)
{
  return ShellExecuteA(nullptr, "open", pathOrAddress, "", "", SW_SHOW);
}

BOOL OpenHelp(QVWindow* owner, const char* helpFile)
{
  return WinHelpA(owner ? owner->GetWnd() : nullptr, helpFile, HELP_CONTENTS, 0);
}

int32_t MapRange(int32_t v, int32_t a, int32_t b, int32_t c, int32_t d)
{
  if (a == b)
    return 0;
  // Each difference needs 33 bits and their product 66, so the product is
  // worked out in 128 bits.
  const __int128 product = static_cast<__int128>(int64_t{v} - a) * (int64_t{d} - c);
  return Saturate(product / (int64_t{b} - a) + c);
}

int32_t Blend(int32_t p, int32_t q, int32_t w, int32_t n)
{
  if (n == 0)
    return 0;
  // |q x (n - w)| < 2^31 x 2^32, which 64 bits hold.
  const int64_t first = int64_t{p} * w / n;
  const int64_t second = int64_t{q} * (int64_t{n} - w) / n;
  return Saturate(static_cast<__int128>(first) + second);
}

void ResampleImage(const QVImage* source, QVImage* destination)
{
  if (!Usable(source) || !Usable(destination) || destination->bytesPerPixel > source->bytesPerPixel)
    return;
  const int64_t sourceHeight = source->height;
  const int64_t sourceWidth = source->width;
  const int64_t height = destination->height;
  const int64_t width = destination->width;
  const size_t pixelBytes = static_cast<size_t>(destination->bytesPerPixel);
  for (int64_t y = 0; y < height; ++y) {
    int64_t sourceY = y * sourceHeight / height;
    if (sourceY >= sourceHeight)
      sourceY = sourceHeight - 1;
    const unsigned char* from = source->pixels + sourceY * source->rowBytes;
    unsigned char* to = destination->pixels + y * destination->rowBytes;
    for (int64_t x = 0; x < width; ++x) {
      const int64_t sourceX = x * sourceWidth / width;
      std::memcpy(to + x * destination->bytesPerPixel, from + sourceX * source->bytesPerPixel, pixelBytes);
    }
  }
}

void ScaleRectDown(QVRect* r, double f)
{
  if (!r || !std::isfinite(f) || !(f > 0.0))
    return;
  r->SetLTRB(DivideEdge(r->Left(), f), DivideEdge(r->Top(), f), DivideEdge(r->Right(), f), DivideEdge(r->Bottom(), f));
}

void FitImageRect(const QVRect* image, QVRect* area, double* factor)
{
  if (!image || !area || !factor)
    return;
  // Edges far apart give sizes beyond 32 bits; they are worked out in 64.
  const int64_t imageWidth = int64_t{image->Right()} - image->Left();
  const int64_t imageHeight = int64_t{image->Bottom()} - image->Top();
  const int64_t areaWidth = int64_t{area->Right()} - area->Left();
  const int64_t areaHeight = int64_t{area->Bottom()} - area->Top();
  if (imageWidth <= 0 || imageHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) {
    *factor = 1.0;
    area->SetLTRB(0, 0, 0, 0);
    return;
  }
  const double fitWidth = static_cast<double>(areaWidth < imageWidth ? areaWidth : imageWidth);
  const double fitHeight = static_cast<double>(areaHeight < imageHeight ? areaHeight : imageHeight);
  const double byWidth = static_cast<double>(imageWidth) / fitWidth;
  const double byHeight = static_cast<double>(imageHeight) / fitHeight;
  *factor = byWidth > byHeight ? byWidth : byHeight;
  *area = *image;
  ScaleRectDown(area, *factor);
}

} // namespace LumivexUtils
