#include "qvcommon/qvcolormatrix.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Steps of 1..63 have a shift; larger ones would fall outside the table.
constexpr int32_t kMaxStep = 63;

// floor(log2(step)) for steps 1..63.
int32_t StepShift(int32_t step)
{
  int32_t shift = 0;
  while (step >> (shift + 1))
    ++shift;
  return shift;
}

// One axis as the stamps see it; channel is the colour's value on it.
struct Axis {
  int32_t min, step, count, shift, channel;
  // The cell holding value v by division, truncating toward zero.
  int64_t Divided(int64_t v) const { return (v - min) / step; }
  int64_t Shifted(int64_t v) const { return (v - min) >> shift; }
};

std::array<Axis, 3> AxesOf(const QVColorMatrix& m, const QVColor& color)
{
  return {Axis{m.minR, m.stepR, m.countR, m.shiftR, color.R()}, Axis{m.minG, m.stepG, m.countG, m.shiftG, color.G()},
          Axis{m.minB, m.stepB, m.countB, m.shiftB, color.B()}};
}

// Samples widen the ranges, which start at 128 on every axis.
void Widen(QVColor** samples, int32_t count, std::array<int32_t, 3>& lo, std::array<int32_t, 3>& hi)
{
  for (int32_t n = 0; samples && n < count; ++n) {
    if (!samples[n])
      continue;
    const std::array<int32_t, 3> v = {samples[n]->R(), samples[n]->G(), samples[n]->B()};
    for (int a = 0; a < 3; ++a) {
      if (v[a] < lo[a])
        lo[a] = v[a];
      else if (v[a] > hi[a])
        hi[a] = v[a];
    }
  }
}

} // namespace

QVColorMatrix::QVColorMatrix(unsigned char fill, int32_t minRed, int32_t maxRed, int32_t stepRed, int32_t minGreen,
                             int32_t maxGreen, int32_t stepGreen, int32_t minBlue, int32_t maxBlue, int32_t stepBlue)
{
  CommonConstructing(fill, minRed, maxRed, stepRed, minGreen, maxGreen, stepGreen, minBlue, maxBlue, stepBlue);
}

QVColorMatrix::QVColorMatrix(unsigned char fill, QVColor** samples, int32_t count, int32_t stepRed, int32_t stepGreen,
                             int32_t stepBlue, int32_t margin)
    : QVColorMatrix(fill, samples, count, nullptr, 0, stepRed, stepGreen, stepBlue, margin)
{
}

QVColorMatrix::QVColorMatrix(unsigned char fill, QVColor** samples, int32_t count, QVColor** moreSamples,
                             int32_t moreCount, int32_t stepRed, int32_t stepGreen, int32_t stepBlue, int32_t margin)
{
  std::array<int32_t, 3> lo = {128, 128, 128}, hi = {128, 128, 128};
  Widen(samples, count, lo, hi);
  Widen(moreSamples, moreCount, lo, hi);
  for (int a = 0; a < 3; ++a) {
    lo[a] = static_cast<int32_t>(std::max<int64_t>(int64_t{lo[a]} - margin, 0));
    hi[a] = static_cast<int32_t>(std::min<int64_t>(int64_t{hi[a]} + margin, 255));
  }
  CommonConstructing(fill, lo[0], hi[0], stepRed, lo[1], hi[1], stepGreen, lo[2], hi[2], stepBlue);
}

QVColorMatrix::~QVColorMatrix() { delete storage; }

void QVColorMatrix::CommonConstructing(unsigned char fill, int32_t minRed, int32_t maxRed, int32_t stepRed,
                                       int32_t minGreen, int32_t maxGreen, int32_t stepGreen, int32_t minBlue,
                                       int32_t maxBlue, int32_t stepBlue)
{
  delete storage;
  storage = nullptr;
  minR = minRed, maxR = maxRed, stepR = stepRed;
  minG = minGreen, maxG = maxGreen, stepG = stepGreen;
  minB = minBlue, maxB = maxBlue, stepB = stepBlue;
  countR = countG = countB = extentR = extentG = extentB = total = 0;
  shiftR = shiftG = shiftB = 0;
  bytesPerEntry = 1;
  // A step of 0 would divide by zero, one over 63 has no shift and max <
  // min no cells: such a cube stays without storage.
  auto usable = [](int32_t lo, int32_t hi, int32_t step) { return step >= 1 && step <= kMaxStep && hi >= lo; };
  if (!usable(minR, maxR, stepR) || !usable(minG, maxG, stepG) || !usable(minB, maxB, stepB))
    return;
  const int64_t r = (int64_t{maxR} - minR) / stepR + 1, g = (int64_t{maxG} - minG) / stepG + 1,
                b = (int64_t{maxB} - minB) / stepB + 1;
  if (r * g * b > INT32_MAX)
    return;
  countR = static_cast<int32_t>(r), countG = static_cast<int32_t>(g), countB = static_cast<int32_t>(b);
  extentR = countR * bytesPerEntry, extentG = countG * bytesPerEntry, extentB = countB * bytesPerEntry;
  total = static_cast<int32_t>(std::min<int64_t>(r + g + b, INT32_MAX));
  shiftR = StepShift(stepR), shiftG = StepShift(stepG), shiftB = StepShift(stepB);
  const int32_t size = static_cast<int32_t>(r * g * b);
  storage = new (std::nothrow) QVHandle(size);
  if (storage && storage->GetHandleSize() != size) {
    delete storage;
    storage = nullptr;
  }
  if (!storage)
    return;
  QVPointer cells(storage);
  std::memset(static_cast<unsigned char*>(cells), fill, static_cast<size_t>(size));
}

int64_t QVColorMatrix::CellOffset(int32_t r, int32_t g, int32_t b) const
{
  if (!storage)
    return -1;
  const int64_t i = (int64_t{r} - minR) / stepR, j = (int64_t{g} - minG) / stepG, k = (int64_t{b} - minB) / stepB;
  if (i < 0 || i >= countR || j < 0 || j >= countG || k < 0 || k >= countB)
    return -1;
  return (i * countG + j) * countB + k * bytesPerEntry;
}

int32_t QVColorMatrix::GetEntry(unsigned char* out, int32_t r, int32_t g, int32_t b) const
{
  const int64_t offset = CellOffset(r, g, b);
  if (offset < 0)
    return 0;
  QVPointer cells(storage);
  if (out)
    *out = static_cast<unsigned char*>(cells)[offset];
  return 1;
}

unsigned char* QVColorMatrix::GetEntryPtr(unsigned char* cells, int32_t i, int32_t j, int32_t k) const
{
  return cells + (static_cast<ptrdiff_t>(i) * countG + j) * countB + static_cast<ptrdiff_t>(k) * bytesPerEntry;
}

void QVColorMatrix::WriteValue(const unsigned char* pixel, int32_t bytesPerPixel, unsigned char* dest,
                               int32_t destCount, unsigned char value, const unsigned char* cells) const
{
  if (bytesPerPixel != 3 || !pixel || !dest || !cells)
    return;
  const int64_t offset = CellOffset(pixel[2], pixel[1], pixel[0]);
  if (offset < 0 || cells[offset] == 128 || cells[offset] == 255)
    return;
  if (destCount > 0)
    std::memset(dest, value, static_cast<size_t>(destCount));
}

void QVColorMatrix::InsertSample(const QVColor& color, const unsigned char* value, int32_t radius, int32_t)
{
  if (!storage || !value)
    return;
  const std::array<Axis, 3> axes = AxesOf(*this, color);
  std::array<int64_t, 3> from, to;
  for (int a = 0; a < 3; ++a) {
    const int64_t centre = axes[a].Shifted(axes[a].channel), reach = int64_t{radius} >> axes[a].shift;
    from[a] = std::max<int64_t>(centre - reach, 0);
    to[a] = std::min<int64_t>(centre + reach, axes[a].count - 1);
  }
  QVPointer lock(storage);
  unsigned char* cells = lock;
  for (int64_t i = from[0]; i <= to[0]; ++i)
    for (int64_t j = from[1]; j <= to[1]; ++j)
      for (int64_t k = from[2]; k <= to[2]; ++k) {
        unsigned char* cell =
            GetEntryPtr(cells, static_cast<int32_t>(i), static_cast<int32_t>(j), static_cast<int32_t>(k));
        if (*cell != 255)
          std::memcpy(cell, value, static_cast<size_t>(bytesPerEntry));
      }
}

void QVColorMatrix::InsertTonalSample(const QVColor& color, const unsigned char* value, int32_t radius)
{
  if (!storage || !value)
    return;
  const std::array<Axis, 3> axes = AxesOf(*this, color);
  // Below `low` every axis is clamped to its first cell, from `high` on to
  // its last: one t on either side stands for all of them, so huge radii
  // cost no more than the cube is long.
  int64_t low = INT64_MAX, high = INT64_MIN;
  for (const Axis& axis : axes) {
    low = std::min<int64_t>(low, int64_t{axis.min} - axis.channel - 1);
    high = std::max<int64_t>(high, int64_t{axis.min} - axis.channel + (int64_t{axis.count - 1} << axis.shift));
  }
  QVPointer lock(storage);
  unsigned char* cells = lock;
  for (int64_t t = -int64_t{radius}; t < radius; t += stepG) {
    if (t < low)
      t += (low - t) / stepG * stepG;
    std::array<int32_t, 3> cell;
    for (int a = 0; a < 3; ++a)
      cell[a] = static_cast<int32_t>(std::clamp<int64_t>(axes[a].Shifted(axes[a].channel + t), 0, axes[a].count - 1));
    unsigned char* c = GetEntryPtr(cells, cell[0], cell[1], cell[2]);
    if (*c != 255)
      *c = value[0];
    if (t >= high)
      break;
  }
}

void QVColorMatrix::InsertDensitySample(const QVColor& color, const unsigned char* value, int32_t radius,
                                        int32_t tonalRadius)
{
  if (!storage || !value)
    return;
  const std::array<Axis, 3> axes = AxesOf(*this, color);
  // Only the box of cells nearer than radius / step to the centre can
  // qualify; the rest of the cube is left unvisited.
  std::array<int64_t, 3> centre, from, to;
  for (int a = 0; a < 3; ++a) {
    const int64_t reach = radius / axes[a].step;
    centre[a] = axes[a].Divided(axes[a].channel);
    from[a] = std::max<int64_t>(centre[a] - reach + 1, 0);
    to[a] = std::min<int64_t>(centre[a] + reach - 1, axes[a].count - 1);
  }
  const int64_t tonalReach = tonalRadius / stepR;
  const int64_t centreSum = centre[0] + centre[1] + centre[2];
  QVPointer lock(storage);
  unsigned char* cells = lock;
  for (int64_t i = from[0]; i <= to[0]; ++i)
    for (int64_t j = from[1]; j <= to[1]; ++j)
      for (int64_t k = from[2]; k <= to[2]; ++k) {
        if (std::llabs(centreSum - (i + j + k)) >= tonalReach)
          continue;
        unsigned char* cell =
            GetEntryPtr(cells, static_cast<int32_t>(i), static_cast<int32_t>(j), static_cast<int32_t>(k));
        for (int32_t n = 0; n < bytesPerEntry; ++n)
          cell[n] = static_cast<unsigned char>(value[n] + 20 * std::llabs(j - centre[1]));
      }
}
