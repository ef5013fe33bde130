#include "qvcommon/qvbevel.h"

#include "qvimage_internal.h"
#include "qvnumeric.h"

#include <cmath>
#include <cstdlib>
#include <new>

namespace {

// Marks the edge: samples next to the selection, 254 in the height field.
constexpr unsigned char kEdge = 254;
// The widest bevel the distance table serves.
constexpr int32_t kMaxWidth = 127;

unsigned char& Sample(const QVImage& image, int32_t x, int32_t y) { return ImageRow(image, y)[x]; }

template <class F>
void ForEachInterior(const QVImage& image, F visit)
{
  for (int32_t y = 1; y < image.height - 1; ++y)
    for (int32_t x = 1; x < image.width - 1; ++x)
      visit(x, y, Sample(image, x, y));
}

// Every interior 0 with a 4-neighbour of odd value (255) becomes the edge
// marker; the marker being even, marking does not spread.
void MarkEdges(QVImage& field)
{
  ForEachInterior(field, [&](int32_t x, int32_t y, unsigned char& v) {
    if (v == 0 &&
        ((Sample(field, x - 1, y) | Sample(field, x + 1, y) | Sample(field, x, y - 1) | Sample(field, x, y + 1)) & 1))
      v = kEdge;
  });
}

// 255 and 0 trade places.
void SwapExtremes(QVImage& field)
{
  for (int32_t y = 0; y < field.height; ++y)
    for (int32_t x = 0; x < field.width; ++x) {
      unsigned char& v = Sample(field, x, y);
      v = v == 255 ? 0 : (v == 0 ? 255 : v);
    }
}

// From every edge sample, visits each sample within distance r that is
// neither an edge nor 0: visit(edge x, edge y, x, y, distance, value). The
// spread goes in every direction; the value test keeps it on the side being
// bevelled, and each sample keeps the least of what it is offered.
template <class F>
void Spread(QVImage& field, const unsigned char (&distance)[128][128], int32_t r, F visit)
{
  ForEachInterior(field, [&](int32_t ex, int32_t ey, unsigned char& e) {
    if (e != kEdge)
      return;
    for (int32_t y = std::max(ey - r, 0); y <= std::min(ey + r, field.height - 1); ++y)
      for (int32_t x = std::max(ex - r, 0); x <= std::min(ex + r, field.width - 1); ++x) {
        unsigned char& v = Sample(field, x, y);
        const int32_t d = distance[std::abs(x - ex)][std::abs(y - ey)];
        if (v != kEdge && v != 0 && d <= r)
          visit(ex, ey, x, y, d, v);
      }
  });
}

// The smooth-less profile: a ramp, a plateau at 128 and a second ramp.
unsigned char Profile(int32_t v)
{
  if (v <= 64)
    return static_cast<unsigned char>(std::max(1, 2 * v - 1));
  if (v <= 191)
    return 128;
  return static_cast<unsigned char>(std::min(254, 128 + 2 * (v - 191)));
}

} // namespace

QVBevel::QVBevel(QVViewImage* picture, QVViewImage* selectionImage, QVViewImage* heightImage)
    : source(picture), selection(selectionImage), heights(heightImage)
{
  sourceInfo = picture ? picture->bytesPerPixel : 0;
  const double angle = lightAngle * 3.14159 / 180;
  lightX = std::cos(angle);
  lightY = -std::sin(angle);
  for (int32_t i = 0; i < 128; ++i)
    for (int32_t j = 0; j < 128; ++j)
      distance[i][j] = static_cast<unsigned char>(std::sqrt(static_cast<double>(i * i + j * j)));
}

QVBevel::~QVBevel()
{
  delete highlights;
  delete shadows;
}

void QVBevel::SetRange(int32_t newRange) { range = newRange; }

bool QVBevel::Usable() const
{
  return heights && selection && heights->HasPixels() && selection->HasPixels() && heights->bytesPerPixel == 1 &&
         selection->bytesPerPixel == 1 && heights->width == selection->width && heights->height == selection->height;
}

int32_t QVBevel::BevelWidth() const { return std::clamp(range, 1, kMaxWidth); }

void QVBevel::WorkArea(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) const
{
  auto inset = [&](int32_t margin, int32_t size) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{margin} - range, 0, size));
  };
  *left = inset(margins.Left(), heights->width);
  *top = inset(margins.Top(), heights->height);
  *right = heights->width - inset(margins.Right(), heights->width);
  *bottom = heights->height - inset(margins.Bottom(), heights->height);
}

void QVBevel::CalcBevelPixelHeights(int32_t inside)
{
  if (!Usable())
    return;
  QVImage& field = *heights;
  // The side to bevel holds 255, the other side 0 (swapped for the outside,
  // and swapped back after the spread).
  for (int32_t y = 0; y < field.height; ++y)
    for (int32_t x = 0; x < field.width; ++x) {
      const unsigned char s = Sample(*selection, x, y);
      if (inside == 0 && s != 255)
        Sample(field, x, y) = 0;
      else if (inside != 0 && s != 0)
        Sample(field, x, y) = 255;
    }
  if (inside == 0)
    SwapExtremes(field);
  MarkEdges(field);
  const int32_t r = BevelWidth();
  Spread(field, distance, r, [](int32_t, int32_t, int32_t, int32_t, int32_t d, unsigned char& v) {
    v = static_cast<unsigned char>(std::min<int32_t>(v, d));
  });
  if (inside == 0)
    SwapExtremes(field);

  // Distances 1..r become heights 1..254, shaped by profile and roundness.
  const int32_t k = 0xFE00 / r;
  ForEachInterior(field, [&](int32_t, int32_t, unsigned char& sample) {
    int32_t v = sample;
    if (v == kEdge) {
      sample = inside ? 0 : 255;
      return;
    }
    if (v == 0 || v == 255)
      return;
    v = std::max(1, (v * k) >> 8);
    if (inside == 0)
      v = 254 - v;
    if (smooth == 0)
      v = Profile(v);
    if (roundness > 0) {
      const int64_t dome = static_cast<int64_t>(std::sqrt(static_cast<double>(v * 256 - v * v)));
      const int64_t rounded = dome * roundness / 100 + v / 2;
      v = rounded >= 255 ? 254 : static_cast<int32_t>(rounded);
    }
    sample = static_cast<unsigned char>(v);
  });
}

void QVBevel::CalcShadHighKs(const unsigned char* sample, int32_t x, int32_t y, int32_t* /*scratch*/, int32_t strength)
{
  if (!Usable() || !sample)
    return;
  const QVImage& field = *heights;
  const int64_t stepX = qvnumeric::Trunc(lightX * 65536), stepY = qvnumeric::Trunc(lightY * 65536);
  const int32_t length = std::max(BevelWidth(), 2);
  const double scale = strength * static_cast<double>(range) / 120;
  const int64_t maxX = int64_t{field.width - 1} << 16, maxY = int64_t{field.height - 1} << 16;
  int64_t sum = 0, counted = 0;
  int32_t steps = 0;
  // Toward the light (sign 1) and then away from it (sign -1), summing the
  // rise toward the light. A step against the trend (falling while the sum
  // is below 3, rising while it is below -2) is allowed once per walk.
  auto walk = [&](int32_t sign) {
    int64_t px = std::clamp<int64_t>(int64_t{x} << 16, 0, maxX);
    int64_t py = std::clamp<int64_t>(int64_t{y} << 16, 0, maxY);
    int32_t previous = *sample;
    int32_t violations = 0;
    while (steps < length) {
      px = std::clamp<int64_t>(px + sign * stepX, 0, maxX);
      py = std::clamp<int64_t>(py + sign * stepY, 0, maxY);
      ++steps;
      const int32_t h = Sample(field, static_cast<int32_t>(px >> 16), static_cast<int32_t>(py >> 16));
      const int32_t d = sign * (h - previous);
      previous = h;
      const bool steady = (sum >= 3 || d >= 0) && (sum >= -2 || d <= 0);
      if (!steady && ++violations == 2)
        return;
      sum += d;
      ++counted;
    }
  };
  walk(1);
  walk(-1);
  const double mean = counted ? static_cast<double>(sum) / static_cast<double>(counted) : 0;
  highlightK = shadowK = 0;
  if (mean > 0)
    highlightK = std::min(qvnumeric::Trunc(mean * scale), 255);
  else if (mean < 0)
    shadowK = std::min(qvnumeric::Trunc(-mean * scale), 255);
  if (highlightK == 0 && shadowK == 0)
    shadowK = 1;
}

void QVBevel::CalcBevelHighlights()
{
  if (!Usable())
    return;
  delete highlights;
  delete shadows;
  highlights = new (std::nothrow) QVImage(heights);
  shadows = new (std::nothrow) QVImage(heights);
  if (!highlights || !shadows || !highlights->HasPixels() || !shadows->HasPixels()) {
    delete highlights;
    delete shadows;
    highlights = shadows = nullptr;
    return;
  }
  int32_t left, top, right, bottom;
  WorkArea(&left, &top, &right, &bottom);
  for (int32_t y = top; y < bottom; ++y)
    for (int32_t x = left; x < right; ++x) {
      const unsigned char& h = Sample(*heights, x, y);
      if (h == 0 || h == 255) {
        Sample(*highlights, x, y) = Sample(*shadows, x, y) = 0;
        continue;
      }
      CalcShadHighKs(&h, x, y, nullptr, 50);
      Sample(*highlights, x, y) = static_cast<unsigned char>(highlightK);
      Sample(*shadows, x, y) = static_cast<unsigned char>(shadowK);
    }
}

void QVBevel::EnsureSomeHighlight()
{
  if (!Usable() || !highlights || highlights->width != heights->width || highlights->height != heights->height)
    return;
  int32_t left, top, right, bottom;
  WorkArea(&left, &top, &right, &bottom);
  for (int32_t y = top; y < bottom; ++y)
    for (int32_t x = left; x < right; ++x) {
      const unsigned char h = Sample(*heights, x, y);
      unsigned char& light = Sample(*highlights, x, y);
      if (h != 0 && h != 255 && light == 0)
        light = 1;
    }
}

void QVBevel::CalcBevelColorDeviation(int32_t /*unused*/, int32_t limit, int32_t offset)
{
  if (!Usable() || !source || !source->HasPixels() || source->bytesPerPixel != 3 || source->width != heights->width ||
      source->height != heights->height)
    return;
  QVImage& field = *heights;
  for (int32_t y = 0; y < field.height; ++y)
    for (int32_t x = 0; x < field.width; ++x) {
      const unsigned char s = Sample(*selection, x, y);
      Sample(field, x, y) = s >= 176 ? 255 : (s < 64 ? 0 : 128);
    }
  MarkEdges(field);
  // The undecided band counts as outside.
  ForEachInterior(field, [](int32_t, int32_t, unsigned char& v) {
    if (v == 128)
      v = 0;
  });
  const int32_t r = BevelWidth();
  auto colour = [&](int32_t x, int32_t y) { return ImageRow(*source, y) + static_cast<ptrdiff_t>(x) * 3; };
  Spread(field, distance, r, [&](int32_t ex, int32_t ey, int32_t x, int32_t y, int32_t d, unsigned char& v) {
    const unsigned char* a = colour(ex, ey);
    const unsigned char* b = colour(x, y);
    int64_t cost = std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) + Sample(*selection, ex, ey) +
                   1 + d * 100 / r;
    cost = std::max<int64_t>(cost - offset, 1);
    // 254 would read as an edge marker, so a cost of exactly 254 is kept
    // as 253.
    if (cost < limit)
      v = static_cast<unsigned char>(std::min<int64_t>(v, cost == kEdge ? kEdge - 1 : cost));
  });
  for (int32_t y = 0; y < field.height; ++y)
    for (int32_t x = 0; x < field.width; ++x)
      if (Sample(field, x, y) == kEdge)
        Sample(field, x, y) = 0;
}

int32_t QVBevel::GetMouseRingAngle(const QVPoint& point, const QVRect& ring, int32_t cx, int32_t cy) const
{
  const double dx = static_cast<double>(point.X()) - (static_cast<double>(ring.Left()) + cx);
  const double dy = static_cast<double>(point.Y()) - (static_cast<double>(ring.Top()) + cy);
  double angle = std::atan2(dy, dx) * 360 / 6.28318;
  if (angle < 0)
    angle += 360;
  if (angle >= 360)
    angle -= 360;
  return qvnumeric::Trunc(angle);
}
