// QVImage's fills and copies: clearing, filling with a byte or a colour,
// copies between images, cropping a rectangle and inverting.
#include "qvcommon/qvimage.h"
#include "qvimage_internal.h"

#include <cstring>

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
