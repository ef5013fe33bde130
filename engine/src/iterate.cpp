#include "iterate.h"

#include "alloc.h"
#include "progress.h"
#include "status.h"

#include <cstring>

namespace lvx {
namespace {

int64_t WalkTicks(const ImageDesc& image)
{
  int64_t units = int64_t(image.rows > 0 ? image.rows : 0) * (image.channels > 0 ? image.channels : 0);
  return units > 15 ? units / 8 : 2;
}

// The walk shared by every iterator: rows of `a` (and of `b` when given),
// channel by channel, ticking per the rule above.
template <class RowFn>
int Walk(const ImageDesc& a, const ImageDesc* b, AdjustProgressProc cb, RowFn&& row)
{
  Task task(cb, WalkTicks(a));
  for (int c = 0; c < a.channels; ++c) {
    uint8_t* baseA = a.data + c * a.channelStride;
    uint8_t* baseB = b ? b->data + c * b->channelStride : nullptr;
    for (int32_t y = 0; y < a.rows; ++y) {
      row(baseA + y * a.rowStride, b ? baseB + y * b->rowStride : nullptr);
      if ((a.rows - y) % 8 == 0 && task.Poll())
        return kStatusCancelled;
    }
  }
  return kStatusOk;
}

bool Pairable(const ImageDesc& a, const ImageDesc& b) { return SameSize(a, b) && a.channels == b.channels; }

} // namespace

int ForEachRow(const ImageDesc& image, RowKernel kernel, AdjustProgressProc cb)
{
  return Walk(image, nullptr, cb, [&](uint8_t* row, uint8_t*) { kernel(row, image.columns, image.pixelStride); });
}

int ForEachPixelPair(const ImageDesc& a, const ImageDesc& b, PixelPairKernel kernel, AdjustProgressProc cb)
{
  if (!Pairable(a, b))
    return kStatusBadArgument;
  return Walk(a, &b, cb, [&](uint8_t* ra, uint8_t* rb) {
    for (int32_t x = 0; x < a.columns; ++x)
      kernel(ra + x * a.pixelStride, rb + x * b.pixelStride);
  });
}

int ForEachRowPair(const ImageDesc& a, const ImageDesc& b, RowPairKernel kernel, AdjustProgressProc cb)
{
  if (!Pairable(a, b))
    return kStatusBadArgument;
  return Walk(a, &b, cb, [&](uint8_t* ra, uint8_t* rb) { kernel(ra, rb, a.columns, a.pixelStride, b.pixelStride); });
}

namespace {

// A 256-entry table copied beside the loop that reads it: the compiler then
// knows that writing a pixel changes no entry, so it need not read the
// entries again after every store, and a pixel's lookups overlap.
struct LocalTable {
  explicit LocalTable(const uint8_t* table) { std::memcpy(entries, table, sizeof entries); }
  uint8_t entries[256];
};

} // namespace

int ApplyTable8(const ImageDesc& plane, const uint8_t* table, AdjustProgressProc cb)
{
  if (int s = CheckKind(plane, kKindPlane8))
    return s;
  const LocalTable t(table);
  return ForEachRow(
      plane,
      [&](uint8_t* p, int32_t columns, ptrdiff_t pixelStride) {
        WithPixelStride(pixelStride, [&](auto step) {
          for (int32_t x = 0; x < columns; ++x)
            p[x * step] = t.entries[p[x * step]];
        });
      },
      cb);
}

int ApplyTable16(const ImageDesc& plane, const int16_t* table, size_t length, AdjustProgressProc cb)
{
  if (int s = CheckKind(plane, kKindPlane16))
    return s;
  if (length == 0)
    return kStatusBadArgument;
  return ForEachPixel(
      plane,
      [&](uint8_t* p) {
        const uint16_t v = Load16(p);
        Store16(p, uint16_t(table[v < length ? v : length - 1]));
      },
      cb);
}

int ApplyColourTables(const ImageDesc& colour, const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                      AdjustProgressProc cb)
{
  if (int s = CheckKind(colour, kKindColour))
    return s;
  const LocalTable r(red), g(green), b(blue);
  return ForEachRow(
      colour,
      [&](uint8_t* px, int32_t columns, ptrdiff_t pixelStride) {
        WithPixelStrideOf<3>(pixelStride, [&](auto step) {
          for (int32_t x = 0; x < columns; ++x, px += step) {
            const uint8_t v2 = px[2], v1 = px[1], v0 = px[0];
            px[2] = r.entries[v2];
            px[1] = g.entries[v1];
            px[0] = b.entries[v0];
          }
        });
      },
      cb);
}

int ApplyPairCached(const ImageDesc& first, const ImageDesc& second, uint8_t sentinelFirst, uint8_t sentinelSecond,
                    PairKernel kernel, AdjustProgressProc cb)
{
  if (first.kind != kKindPlane8 || second.kind != kKindPlane8 || !SameSize(first, second))
    return kStatusBadArgument;
  Buffer<uint8_t> cacheFirst, cacheSecond;
  if (!cacheFirst.Allocate(65536) || !cacheSecond.Allocate(65536))
    return kStatusNoMemory;
  std::memset(cacheFirst.data(), sentinelFirst, 65536);
  std::memset(cacheSecond.data(), sentinelSecond, 65536);
  return ForEachPixelPair(
      first, second,
      [&](uint8_t* a, uint8_t* b) {
        unsigned key = unsigned(*a) << 8 | *b;
        if (cacheFirst[key] == sentinelFirst && cacheSecond[key] == sentinelSecond) {
          kernel(*a, *b);
          cacheFirst[key] = *a;
          cacheSecond[key] = *b;
        } else {
          *a = cacheFirst[key];
          *b = cacheSecond[key];
        }
      },
      cb);
}

int GreyToColour(const ImageDesc& grey, ImageDesc& colour, AdjustProgressProc cb)
{
  bool made = false;
  if (int s = MakeLike(grey, colour, kKindPlane8, kKindColour, &made))
    return s;
  int s = ForEachPixelPair(
      grey, colour, [](uint8_t* g, uint8_t* c) { c[0] = c[1] = c[2] = *g; }, cb);
  FreeImageIf(colour, s != kStatusOk, made);
  return s;
}

int SwapRedBlue(const ImageDesc& colour, AdjustProgressProc cb)
{
  if (int s = CheckKind(colour, kKindColour))
    return s;
  return ForEachPixel(
      colour,
      [](uint8_t* px) {
        uint8_t t = px[0];
        px[0] = px[2];
        px[2] = t;
      },
      cb);
}

int ThresholdPlane(const ImageDesc& plane, uint8_t threshold, AdjustProgressProc cb)
{
  if (int s = CheckKind(plane, kKindPlane8))
    return s;
  return ForEachPixel(
      plane, [&](uint8_t* p) { *p = *p > threshold ? 1 : 0; }, cb);
}

int MaskPlane(const ImageDesc& target, const ImageDesc& mask, AdjustProgressProc cb)
{
  if (target.kind != kKindPlane8 || mask.kind != kKindPlane8)
    return kStatusBadArgument;
  return ForEachPixelPair(
      target, mask,
      [](uint8_t* t, uint8_t* m) {
        if (*m == 0)
          *t = 0;
      },
      cb);
}

int ColourMatch(const ImageDesc& colour, ImageDesc& plane, uint8_t red, uint8_t green, uint8_t blue,
                AdjustProgressProc cb)
{
  bool made = false;
  if (int s = MakeLike(colour, plane, kKindColour, kKindPlane8, &made))
    return s;
  int s = ForEachPixelPair(
      colour, plane, [&](uint8_t* c, uint8_t* p) { *p = c[2] == red && c[1] == green && c[0] == blue ? 0 : 1; }, cb);
  FreeImageIf(plane, s != kStatusOk, made);
  return s;
}

int FillPlane(const ImageDesc& plane, uint8_t value, AdjustProgressProc cb)
{
  if (int s = CheckKind(plane, kKindPlane8))
    return s;
  return ForEachPixel(
      plane, [&](uint8_t* p) { *p = value; }, cb);
}

int FillColour(const ImageDesc& colour, uint8_t red, uint8_t green, uint8_t blue, AdjustProgressProc cb)
{
  if (int s = CheckKind(colour, kKindColour))
    return s;
  return ForEachPixel(
      colour,
      [&](uint8_t* px) {
        px[0] = blue;
        px[1] = green;
        px[2] = red;
      },
      cb);
}

int CopyImage(const ImageDesc& src, const ImageDesc& dst, AdjustProgressProc cb)
{
  if (src.kind != dst.kind || !SameSize(src, dst) || src.elementSize != dst.elementSize || src.channels != dst.channels)
    return kStatusBadArgument;
  size_t size = size_t(src.elementSize);
  switch (size) {
  case 1:
    return ForEachPixelPair(
        src, dst, [](uint8_t* s, uint8_t* d) { *d = *s; }, cb);
  case 2:
    return ForEachPixelPair(
        src, dst, [](uint8_t* s, uint8_t* d) { std::memcpy(d, s, 2); }, cb);
  case 3:
    return ForEachPixelPair(
        src, dst, [](uint8_t* s, uint8_t* d) { std::memcpy(d, s, 3); }, cb);
  case 4:
    return ForEachPixelPair(
        src, dst, [](uint8_t* s, uint8_t* d) { std::memcpy(d, s, 4); }, cb);
  default:
    return ForEachPixelPair(
        src, dst, [&](uint8_t* s, uint8_t* d) { std::memcpy(d, s, size); }, cb);
  }
}

} // namespace lvx
