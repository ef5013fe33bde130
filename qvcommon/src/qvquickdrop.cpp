#include "qvcommon/qvquickdrop.h"

#include "qvcommon/qvdevice.h"
#include "qvimage_internal.h"

namespace {
QVQuickDrop* g_currentShadow = nullptr;
} // namespace

QVQuickDrop::QVQuickDrop(int32_t width, int32_t height, int32_t bytesPerPixel, const QVColor* colour)
    : QVImage(width, height, bytesPerPixel, colour)
{
  g_currentShadow = this;
}

QVQuickDrop::~QVQuickDrop()
{
  // Windows must never paint through a shadow image that is gone.
  if (g_currentShadow == this)
    g_currentShadow = nullptr;
}

QVQuickDrop* QVQuickDrop::GetCurrent() { return g_currentShadow; }

void QVQuickDrop::Initialize()
{
  if (!HasPixels())
    return;
  const int32_t rowLength = width * bytesPerPixel;
  for (int32_t y = 0; y < height; ++y) {
    unsigned char* row = ImageRow(*this, y);
    // The inside is marked first, then the whole image becomes two levels:
    // 20 inside, 160 in the 8-pixel border band.
    if (y >= 8 && y < height - 8)
      for (int32_t x = 8 * bytesPerPixel; x < (width - 8) * bytesPerPixel; ++x)
        row[x] = 255;
    for (int32_t x = 0; x < rowLength; ++x)
      row[x] = row[x] != 0 ? 20 : 160;
  }
  Blur(6);
  ImageNoise(6);
}

void QVQuickDrop::DrawShadow(QVDevice* device, QVRect rect, int32_t, int32_t, int32_t)
{
  // Tiles come from the middle of the image's bottom band and right band;
  // with fewer than 33 rows or columns there is no middle to tile.
  if (!device || !HasPixels() || width <= 32 || height <= 32)
    return;
  const int32_t W = width;
  const int32_t H = height;
  const int32_t TW = W - 32;
  const int32_t TH = H - 32;
  const auto piece = [&](int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, int32_t firstScan) {
    // Small rectangles leave empty or negative remainders: no piece.
    if (w <= 0 || h <= 0)
      return;
    device->SetDIBitsToDevice(static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<uint32_t>(w),
                              static_cast<uint32_t>(h), static_cast<int16_t>(srcX), static_cast<int16_t>(srcY),
                              static_cast<uint32_t>(firstScan), static_cast<uint32_t>(H), pixels, &displayHeader,
                              DIB_RGB_COLORS);
  };
  const int32_t left = rect.Left();
  const int32_t top = rect.Top();
  const int32_t right = rect.Right();
  const int32_t bottom = rect.Bottom();

  // Bottom strip: whole tiles, then the remainder.
  const int32_t across = rect.Width() - 18;
  int32_t x = left + 12;
  for (int32_t k = 0; k < across / TW; ++k, x += TW)
    piece(x, bottom, TW, 10, 16, H - 14, H - 14);
  piece(x, bottom, across % TW, 10, 16, H - 14, H - 14);
  piece(left + 6, bottom, 14, 10, 4, H - 14, H - 14);
  piece(right - 6, bottom, 14, 10, 50, H - 14, H - 14);
  if (left == 0)
    piece(0, bottom, TW, 10, 16, H - 14, H - 14);

  // Right strip: whole tiles, then the remainder.
  const int32_t down = rect.Height() - 18;
  int32_t y = top + 12;
  for (int32_t k = 0; k < down / TH; ++k, y += TH)
    piece(right, y, 10, TH, W - 10, 16, 0);
  piece(right, y, 10, down % TH, W - 10, 16, 0);
  piece(right, top + 4, 10, 10, W - 10, 51, 0);
  piece(right, bottom - 6, 10, 16, W - 10, H - 16, H - 16);
}
