#include "border.h"

#include "alloc.h"
#include "module.h"
#include "rect.h"
#include "status.h"
#include "tone.h"

#include <algorithm>

namespace lvx {

int ScanBorder(const ImageDesc& view, const BorderSettings& s, int32_t& width)
{
  width = 0;
  if (int st = CheckKind(view, kKindColour))
    return st;
  const int64_t f = s.blockSize;
  if (f < 1)
    return kStatusOk;
  const int64_t bands = view.rows / f, blocks = view.columns / f;
  if (bands <= 0 || blocks <= 0)
    return kStatusOk;      // nothing to measure: no border
  Buffer<uint8_t> colours; // the mean colour of each block of the current band
  if (!colours.Allocate(size_t(blocks) * 3 + 3))
    return kStatusNoMemory;

  const int64_t extent = int64_t(s.searchExtentPercent) * bands / 100;
  int64_t start = -1;
  unsigned lastJump = 0;
  uint8_t previous[3] = {0, 0, 0};
  for (int64_t i = 0; i < bands; ++i) {
    int64_t band[3] = {0, 0, 0};
    for (int64_t j = 0; j < blocks; ++j) {
      int64_t sum[3] = {0, 0, 0};
      for (int64_t dy = 0; dy < f; ++dy)
        for (int64_t dx = 0; dx < f; ++dx) {
          const uint8_t* p = view.At(i * f + dy, j * f + dx);
          sum[0] += p[0], sum[1] += p[1], sum[2] += p[2];
        }
      uint8_t* colour = colours.data() + 3 * j;
      for (int c = 0; c < 3; ++c) {
        colour[c] = uint8_t(sum[c] / (f * f));
        band[c] += colour[c];
      }
    }
    uint8_t bandColour[3];
    for (int c = 0; c < 3; ++c)
      bandColour[c] = uint8_t(band[c] / blocks);
    uint64_t stepSum = 0;
    unsigned maxStep = 0;
    for (int64_t j = 1; j < blocks; ++j) {
      const unsigned step = ColourDistance(colours.data() + 3 * (j - 1), colours.data() + 3 * j);
      stepSum += step;
      maxStep = std::max(maxStep, step);
    }
    const uint64_t meanStep = stepSum / uint64_t(blocks);
    const unsigned jump = i > 0 ? ColourDistance(bandColour, previous) : 0;

    // The band is no longer uniform, or differs sharply from the one before.
    if (start == -1 &&
        (meanStep > uint64_t(std::max<int16_t>(s.meanStepThreshold, 0)) || int64_t(maxStep) > s.largestStepThreshold))
      start = i;
    if (i > 0 && int64_t(jump) > s.bandJumpThreshold) {
      start = i;
      lastJump = jump;
    }
    if (start != -1 && ((lastJump != 0 && int64_t(jump) < s.bandJumpThreshold) || start + extent < i)) {
      width = int32_t(f * start);
      return kStatusOk;
    }
    std::copy(bandColour, bandColour + 3, previous);
  }
  return kStatusOk;
}

int BorderPrePass(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb)
{
  const BorderSettings& settings = BorderSettingsOf(control);
  if (RectIsEmpty(image.rect))
    return kStatusOk;
  if (int s = EnsureColour(image, cb))
    return s;
  // Each side is scanned over the whole rectangle, through the view turned
  // so that the side is on top.
  const ImageDesc view = RectView(image.colour, image.rect);
  const AdjustRect before = image.rect;
  AdjustRect& r = image.rect;
  int32_t width = 0;
  int status = ScanBorder(view, settings, width);
  if (status == kStatusOk) {
    r.top += width;
    status = ScanBorder(QuarterTurn(view), settings, width);
  }
  if (status == kStatusOk) {
    r.left += width;
    status = ScanBorder(HalfTurn(view), settings, width);
  }
  if (status == kStatusOk) {
    r.bottom -= width;
    status = ScanBorder(ThreeQuarterTurn(view), settings, width);
  }
  if (status == kStatusOk)
    r.right -= width;
  // Opposite sides are found independently, so on a picture of two flat
  // halves they meet or cross: that axis is then all content.
  if (r.top >= r.bottom)
    r.top = before.top, r.bottom = before.bottom;
  if (r.left >= r.right)
    r.left = before.left, r.right = before.right;
  return status;
}

} // namespace lvx
