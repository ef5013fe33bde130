// The engine record and the plug-in's pixel steps around the engine.
#include "engineparams.h"

#include "qvcommon/qvimage.h"
#include "qvcommon/qvrect.h"

#include <algorithm>

namespace engineparams {
namespace {

int16_t Level(int32_t value)
{
  return static_cast<int16_t>(std::clamp(value, int32_t{kLowestLevel}, int32_t{kHighestLevel}));
}

int32_t Limit(int32_t value) { return std::clamp(value, -255, 255); }

uint8_t Byte(int32_t value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

// a w / d + c (d - w) / d, each quotient truncated toward zero; 0 when d is
// 0. The operands stay far inside the int32 range (|a|, |c| <= 510,
// 0 <= w <= 510, d <= 255).
int32_t Mix(int32_t a, int32_t c, int32_t w, int32_t d)
{
  if (d == 0)
    return 0;
  return a * w / d + c * (d - w) / d;
}

// Calls step(sourcePixel, targetPixel) for every pixel of the usable area.
template <typename Step>
void ForEachPixel(const QVImage* source, QVImage* target, const QVRect& area, Step step)
{
  QVRect inside;
  if (!UsableArea(source, target, area, &inside))
    return;
  const int32_t bpp = source->bytesPerPixel;
  for (int32_t y = inside.Top(); y < inside.Bottom(); ++y) {
    const uint8_t* from = source->pixels + static_cast<int64_t>(y) * source->rowBytes;
    uint8_t* to = target->pixels + static_cast<int64_t>(y) * target->rowBytes;
    for (int32_t x = inside.Left(); x < inside.Right(); ++x)
      step(from + static_cast<int64_t>(x) * bpp, to + static_cast<int64_t>(x) * bpp, bpp);
  }
}

} // namespace

AdjustParams EngineRecord(const AdjustParams& settings)
{
  AdjustParams record = settings;
  record.contrastLevel = Level(settings.contrastLevel);
  record.colorLevel = Level(settings.colorLevel);
  record.sharpenLevel = Level(settings.sharpenLevel);
  const int32_t noise = std::clamp(int32_t{settings.noiseLevel}, 0, int32_t{kNoiseSliderMax});
  record.noiseLevel = static_cast<int16_t>(1 + 3 * noise / 10);
  return record;
}

AdjustParams PreparatoryRecord(const AdjustParams& settings)
{
  AdjustParams record{};
  record.contrastLevel = record.colorLevel = record.sharpenLevel = 1;
  record.noiseLevel = 0;
  record.tonalGamma = record.targetGamma = 1.8;
  std::copy(settings.skinColor, settings.skinColor + 3, record.skinColor);
  return EngineRecord(record);
}

bool UsableArea(const QVImage* source, const QVImage* target, const QVRect& area, QVRect* inside)
{
  if (!source || !target || !source->HasPixels() || !target->HasPixels() || source->width != target->width ||
      source->height != target->height || source->bytesPerPixel != target->bytesPerPixel ||
      source->rowBytes != target->rowBytes)
    return false;
  const int32_t left = std::max(area.Left(), 0), top = std::max(area.Top(), 0);
  const int32_t right = std::min(area.Right(), source->width), bottom = std::min(area.Bottom(), source->height);
  if (left >= right || top >= bottom)
    return false;
  inside->SetLTRB(left, top, right, bottom);
  return true;
}

void ColorShift(const QVImage* source, QVImage* target, const QVRect& area, int32_t red, int32_t green, int32_t blue)
{
  red = Limit(red);
  green = Limit(green);
  blue = Limit(blue);
  if (red == 0 && green == 0 && blue == 0)
    return;
  ForEachPixel(source, target, area, [&](const uint8_t* from, uint8_t* to, int32_t bpp) {
    to[0] = Byte(from[0] + blue);
    if (bpp >= 3) {
      to[1] = Byte(from[1] + green);
      to[2] = Byte(from[2] + red);
    }
  });
}

void SaturationBrightness(const QVImage* source, QVImage* target, const QVRect& area, int32_t saturation,
                          int32_t brightness)
{
  const int32_t s = Limit(saturation), b = Limit(brightness);
  // In place, no saturation and no brightness change nothing.
  if (s == 0 && b == 0 && source == target)
    return;
  const int32_t d = (255 - s) / 2 + 128;
  ForEachPixel(source, target, area, [&](const uint8_t* from, uint8_t* to, int32_t bpp) {
    const int32_t B = from[0], G = bpp >= 3 ? from[1] : B, R = bpp >= 3 ? from[2] : B;
    int32_t r = R, g = G, bl = B;
    if (s < 0) {
      const int32_t L = (76 * R + 150 * G + 29 * B) >> 8;
      r = Mix(R, L, 255 + s, 255);
      g = Mix(G, L, 255 + s, 255);
      bl = Mix(B, L, 255 + s, 255);
    } else if (s > 0) {
      r = Mix(2 * R, G + B, 255, d) / 2;
      g = Mix(2 * G, R + B, 255, d) / 2;
      bl = Mix(2 * B, R + G, 255, d) / 2;
    }
    to[0] = Byte(bl + b);
    if (bpp >= 3) {
      to[1] = Byte(g + b);
      to[2] = Byte(r + b);
    }
  });
}

} // namespace engineparams
