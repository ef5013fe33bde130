#include "lumivexdespeckle.h"

#include "filterimage.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>

namespace {

// Pixel classes against the reference colour.
constexpr int32_t kNear = 1;    // every channel within the low tolerance
constexpr int32_t kBetween = 2; // neither near nor far
constexpr int32_t kFar = 3;     // some channel beyond the high tolerance

// Probe results.
constexpr int32_t kAbort = 0; // no bounded blemish here
constexpr int32_t kClean = 1; // the row is clean around the column
constexpr int32_t kFaint = 2; // a blemish of between pixels only
constexpr int32_t kSpeck = 3; // a blemish with a small far core

// A defect size larger than any image could need; S' + 4 stays far from
// overflowing.
constexpr double kMaxDefectSize = 1 << 20;

// A straying pixel is examined only after more than this many steady ones.
constexpr int32_t kSettledPixels = 4;

} // namespace

// The values one Apply derives from the image, S, T and the zoom.
struct LumivexDespeckle::Pass {
  const QVImage& image;
  int32_t bpp;
  int32_t low;    // TL = T - T/4
  int32_t high;   // TH = T + T/4
  int32_t defect; // S'
  int32_t fringe; // F = S + 4
};

LumivexDespeckle::LumivexDespeckle(int32_t newSize, int32_t newThreshold)
{
  SetSize(newSize);
  SetThreshold(newThreshold);
}

LumivexDespeckle::~LumivexDespeckle() = default;

void LumivexDespeckle::SetSize(int32_t newSize) { size = std::clamp(newSize, 0, 255); }

void LumivexDespeckle::SetThreshold(int32_t newThreshold) { threshold = std::clamp(newThreshold, 0, 1023); }

int32_t LumivexDespeckle::DefectSize(int32_t s, double zoom)
{
  if (!std::isfinite(zoom) || zoom <= 0 || zoom == 1)
    return s;
  if (zoom < 1)
    return s >> 1;
  return static_cast<int32_t>(std::min(std::trunc(zoom * s), kMaxDefectSize));
}

int32_t LumivexDespeckle::Apply(QVImage* image) { return Apply(image, 1.0); }

int32_t LumivexDespeckle::Apply(QVImage* image, double zoom)
{
  if (!lvxfilters::Workable(image))
    return 0;
  const Pass pass{
      *image,  image->bytesPerPixel, threshold - (threshold >> 2), threshold + (threshold >> 2), DefectSize(size, zoom),
      size + 4};
  // Nothing can carry over from an earlier image.
  std::fill(std::begin(reference), std::end(reference), 0);
  std::fill(std::begin(slots), std::end(slots), Slot{});
  if (pass.defect < 1)
    return 0;

  int64_t writes = 0;
  const int32_t bpp = pass.bpp;
  for (int32_t y = 0; y < image->height; ++y) {
    const unsigned char* row = lvxfilters::Row(*image, y);
    for (int32_t c = 0; c < bpp; ++c)
      reference[c] = row[c];
    int32_t steady = 0;
    for (int32_t k = 0; k < image->width; ++k) {
      // The reference follows every channel that stays within the low
      // tolerance, even when another channel strays.
      const unsigned char* pixel = row + static_cast<ptrdiff_t>(k) * bpp;
      bool isSteady = true;
      for (int32_t c = 0; c < bpp; ++c) {
        if (std::abs(pixel[c] - reference[c]) <= pass.low)
          reference[c] = (reference[c] + pixel[c]) >> 1;
        else
          isSteady = false;
      }
      if (isSteady) {
        ++steady;
        continue;
      }
      // After a repair the row carries on with the same reference and
      // steady count; otherwise it starts over from this pixel.
      if (steady > kSettledPixels && Repair(pass, y, k, writes))
        continue;
      for (int32_t c = 0; c < bpp; ++c)
        reference[c] = pixel[c];
      steady = 0;
    }
  }
  return static_cast<int32_t>(std::min<int64_t>(writes, INT32_MAX));
}

int32_t LumivexDespeckle::Classify(const Pass& pass, const unsigned char* pixel) const
{
  int32_t cls = kNear;
  for (int32_t c = 0; c < pass.bpp; ++c) {
    const int32_t d = std::abs(pixel[c] - reference[c]);
    if (d > pass.high)
      return kFar;
    if (d > pass.low)
      cls = kBetween;
  }
  return cls;
}

int32_t LumivexDespeckle::Probe(const Pass& pass, const unsigned char* row, int32_t k, Slot& slot) const
{
  const int32_t reach = pass.defect + 2;
  const int32_t right = std::min(reach, pass.image.width - k - 1);
  const int32_t left = std::min(reach, k);
  auto classAt = [&](int32_t offset) { return Classify(pass, row + static_cast<ptrdiff_t>(k + offset) * pass.bpp); };

  // The nearest clean pixel at or left of the column.
  int32_t j = 0;
  while (j >= -left && classAt(j) != kNear)
    --j;
  if (j < -left)
    return kAbort;
  // The first pixel after it that is not clean.
  int32_t i = j + 1;
  while (i <= right && classAt(i) == kNear)
    ++i;
  if (i > right)
    return kClean;
  // The blemish runs up to the next clean pixel h; note its far core.
  int32_t farFirst = 0, farLast = 0, h = i;
  bool seenFar = false;
  for (; h <= right; ++h) {
    const int32_t cls = classAt(h);
    if (cls == kNear)
      break;
    if (cls == kFar) {
      if (!seenFar)
        farFirst = h;
      farLast = h;
      seenFar = true;
    }
  }
  if (h > right || h - i > pass.defect + 4)
    return kAbort;
  if (!seenFar) {
    slot = {i, -1, -1, h};
    return kFaint;
  }
  if (farFirst - i > 2 || farLast - farFirst + 1 > pass.defect)
    return kAbort;
  slot = {i, farFirst, farLast, h};
  return kSpeck;
}

bool LumivexDespeckle::Repair(const Pass& pass, int32_t y, int32_t k, int64_t& writes)
{
  const QVImage& image = pass.image;
  // The current pixel strays from the reference, so the current row is never
  // clean here, and slot 8 is always freshly stored when it is used below.
  const int32_t here = Probe(pass, lvxfilters::Row(image, y), k, slots[8]);
  assert(here != kClean);
  if (here != kClean && here != kSpeck)
    return false;

  // Upward to the first clean row. A faint row sets the top of the repaint
  // range just below itself, so it is left as it is.
  int32_t top = -1, fringeTop = 0;
  bool found = false;
  for (int32_t l = 7; l >= 0 && 8 - l <= pass.fringe && y - (8 - l) >= 0 && !found; --l) {
    const int32_t r = Probe(pass, lvxfilters::Row(image, y - (8 - l)), k, slots[l]);
    if (r == kAbort)
      return false;
    if (r == kClean) {
      found = true;
      fringeTop = l + 1;
      if (top == -1)
        top = l + 1;
    } else if (r == kFaint) {
      top = l + 1;
    }
  }
  if (!found)
    return false;

  // Downward to the first clean row. Here a faint row is part of the
  // repaint range.
  int32_t bottom = -1, fringeBottom = 0;
  found = false;
  for (int32_t m = 9; m <= 15 && m - 8 <= pass.fringe && y + m - 8 < image.height && !found; ++m) {
    const int32_t r = Probe(pass, lvxfilters::Row(image, y + m - 8), k, slots[m]);
    if (r == kAbort)
      return false;
    if (r == kClean) {
      found = true;
      fringeBottom = m - 1;
      if (bottom == -1)
        bottom = m - 1;
    } else if (r == kFaint) {
      bottom = m;
    }
  }
  if (!found || bottom - top + 1 > pass.defect || fringeBottom - fringeTop + 1 > pass.fringe)
    return false;

  // Every slot from top to bottom was stored by a probe of this pixel; the
  // probes' reaches keep the columns inside the image.
  for (int32_t s = top; s <= bottom; ++s) {
    unsigned char* row = lvxfilters::Row(image, y + s - 8);
    for (int32_t x = k + slots[s].start; x < k + slots[s].end; ++x) {
      unsigned char* pixel = row + static_cast<ptrdiff_t>(x) * pass.bpp;
      for (int32_t c = 0; c < pass.bpp; ++c)
        pixel[c] = static_cast<unsigned char>(reference[c]);
      ++writes;
    }
  }
  return true;
}
