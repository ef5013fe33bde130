#include "labelling.h"

#include "alloc.h"
#include "iterate.h"
#include "progress.h"
#include "status.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace lvx {
namespace {

// The provisional labels of one scan. Labels that meet in the scan are
// joined in sets whose representative is the set's smallest label, so that
// renumbering the sets in order of their representatives numbers the regions
// in the order of their first pixels.
class Labeller {
public:
  Labeller(const ImageDesc& labels, AdjustProgressProc cb) : labels_(labels), cb_(cb) {}

  bool Allocate()
  {
    if (!parent_.Allocate(kMaxLabel + 1))
      return false;
    Separate();
    return true;
  }

  // A fresh label for a pixel that joins no neighbour; (row, column) is that
  // pixel, up to which the plane is renumbered when the labels run out.
  int NewLabel(int32_t row, int32_t column, uint16_t& label)
  {
    if (next_ > kMaxLabel)
      if (int s = Renumber(row, column))
        return s;
    label = uint16_t(next_++);
    return kStatusOk;
  }

  void Join(uint16_t a, uint16_t b)
  {
    a = Find(a);
    b = Find(b);
    if (a < b)
      parent_[b] = a;
    else if (b < a)
      parent_[a] = b;
  }

  // Numbers the sets 0, 1, 2, ... in order of their smallest labels and
  // rewrites rows 0 .. row - 1 and columns 0 .. column - 1 of `row` through
  // that map. In the middle of a scan every label then stands for itself.
  int Renumber(int32_t row, int32_t column)
  {
    Task task(cb_, 2);
    Buffer<int16_t> map;
    if (!map.Allocate(size_t(next_)))
      return kStatusNoMemory;
    int32_t q = 0;
    for (int32_t i = 0; i < next_; ++i) {
      const uint16_t root = Find(uint16_t(i));
      map[i] = root == i ? int16_t(q++) : map[root];
    }
    if (q > kMaxLabel)
      return kStatusTooManyRegions;
    const AdjustRect done{0, 0, labels_.columns, row};
    const AdjustRect partial{0, row, column, row + 1};
    for (const AdjustRect& r : {done, partial})
      if (r.right > r.left && r.bottom > r.top)
        if (int s = ApplyTable16(RectView(labels_, r), map.data(), map.size(), cb_))
          return s;
    if (row < labels_.rows)
      Separate();
    next_ = q;
    return kStatusOk;
  }

  int32_t Count() const { return next_; }

private:
  void Separate()
  {
    for (int i = 0; i <= kMaxLabel; ++i)
      parent_[i] = uint16_t(i);
  }

  uint16_t Find(uint16_t a)
  {
    while (parent_[a] != a) {
      parent_[a] = parent_[parent_[a]];
      a = parent_[a];
    }
    return a;
  }

  ImageDesc labels_;
  AdjustProgressProc cb_;
  Buffer<uint16_t> parent_;
  int32_t next_ = 1;
};

bool Close(const uint8_t* a, const uint8_t* b, int tolerance)
{
  return std::abs(a[0] - b[0]) <= tolerance && std::abs(a[1] - b[1]) <= tolerance && std::abs(a[2] - b[2]) <= tolerance;
}

int Scan(const ImageDesc& mask, const ImageDesc& colour, int tolerance, const ImageDesc& labels, int32_t& count,
         const Task& task)
{
  Labeller labeller(labels, task.callback());
  if (!labeller.Allocate())
    return kStatusNoMemory;
  const bool useColour = colour.Allocated();
  const ptrdiff_t ms = mask.pixelStride, ls = labels.pixelStride, cs = colour.pixelStride;
  for (int32_t y = 0; y < mask.rows; ++y) {
    const uint8_t* m = mask.Row(y);
    uint8_t* l = labels.Row(y);
    const uint8_t* above = y > 0 ? labels.Row(y - 1) : nullptr;
    const uint8_t* c = useColour ? colour.Row(y) : nullptr;
    const uint8_t* cAbove = useColour && y > 0 ? colour.Row(y - 1) : nullptr;
    for (int32_t x = 0; x < mask.columns; ++x) {
      uint16_t label = 0;
      if (m[x * ms]) {
        uint16_t up = above ? Load16(above + x * ls) : 0;
        uint16_t left = x > 0 ? Load16(l + (x - 1) * ls) : 0;
        if (useColour) {
          if (up && !Close(c + x * cs, cAbove + x * cs, tolerance))
            up = 0;
          if (left && !Close(c + x * cs, c + (x - 1) * cs, tolerance))
            left = 0;
        }
        if (!up && !left) {
          if (int s = labeller.NewLabel(y, x, label))
            return s;
        } else {
          label = left ? left : up;
          if (up && left && up != left)
            labeller.Join(left, up);
        }
      }
      Store16(l + x * ls, label);
    }
    if (y % 8 == 0 && task.Poll())
      return kStatusCancelled;
  }
  if (int s = labeller.Renumber(mask.rows, 0))
    return s;
  count = labeller.Count();
  return kStatusOk;
}

// The frame of both statistics: the checks, four fresh zeroed arrays of
// `count` entries and the task; gather(arrays, task) fills them, and they go
// to the table only when it succeeds.
template <class Gather>
int GatherRegions(const ImageDesc& colour, const ImageDesc& labels, int32_t count, RegionTable& table,
                  int32_t& position, AdjustProgressProc cb, Gather&& gather)
{
  if (position < 0 || position > kRegionSlots - 4 || count < 0 || colour.kind != kKindColour ||
      labels.kind != kKindPlane16 || !SameSize(colour, labels))
    return kStatusBadArgument;
  for (int i = 0; i < 4; ++i)
    if (table.slot[position + i])
      return kStatusBadArgument;
  Buffer<double> arrays[4];
  for (Buffer<double>& a : arrays)
    if (!a.AllocateZeroed(size_t(count)))
      return kStatusNoMemory;
  Task task(cb, std::max(colour.rows / 4, 2));
  if (int s = gather(arrays, task))
    return s;
  for (int i = 0; i < 4; ++i)
    table.slot[position + i] = arrays[i].Detach();
  position += 4;
  return kStatusOk;
}

} // namespace

int LabelRegions(const ImageDesc& mask, const ImageDesc& colour, int tolerance, ImageDesc& labels, int32_t& count,
                 AdjustProgressProc cb)
{
  count = 0;
  Task task(cb, std::max(mask.rows / 4, 2));
  if (colour.Allocated() && (colour.kind != kKindColour || colour.rows < mask.rows || colour.columns < mask.columns))
    return kStatusBadArgument;
  bool made = false;
  if (int s = MakeLike(mask, labels, kKindPlane8, kKindPlane16, &made))
    return s;
  int s = Scan(mask, colour, tolerance, labels, count, task);
  if (s != kStatusOk) {
    count = 0;
    FreeImageIf(labels, true, made);
  }
  return s;
}

void FreeRegionTable(RegionTable& table)
{
  for (double*& a : table.slot) {
    Release(a);
    a = nullptr;
  }
}

int RegionColourStatistics(const ImageDesc& colour, const ImageDesc& labels, int32_t count, RegionTable& table,
                           int32_t& position, AdjustProgressProc cb)
{
  return GatherRegions(colour, labels, count, table, position, cb, [&](Buffer<double>* out, const Task& task) {
    double *pixels = out[kRegionPixels].data(), *red = out[kRegionRed].data();
    double *green = out[kRegionGreen].data(), *blue = out[kRegionBlue].data();
    for (int32_t y = 0; y < colour.rows; ++y) {
      const uint8_t* c = colour.Row(y);
      const uint8_t* l = labels.Row(y);
      for (int32_t x = 0; x < colour.columns; ++x, c += colour.pixelStride, l += labels.pixelStride) {
        const uint16_t label = Load16(l);
        if (label == 0 || label >= count)
          continue;
        pixels[label] += 1;
        red[label] += c[2];
        green[label] += c[1];
        blue[label] += c[0];
      }
      if (y % 4 == 0 && task.Poll())
        return kStatusCancelled;
    }
    for (int32_t i = 1; i < count; ++i)
      if (pixels[i] > 0) {
        red[i] /= pixels[i];
        green[i] /= pixels[i];
        blue[i] /= pixels[i];
      }
    return kStatusOk;
  });
}

int RegionBorderCounts(const ImageDesc& colour, const ImageDesc& labels, int32_t count, RegionTable& table,
                       int32_t& position, AdjustProgressProc cb)
{
  return GatherRegions(colour, labels, count, table, position, cb, [&](Buffer<double>* out, const Task&) {
    const int32_t rows = colour.rows, columns = colour.columns;
    auto add = [&](int side, int32_t y, int32_t x) {
      const uint16_t label = Load16(labels.At(y, x));
      if (label != 0 && label < count)
        out[side][label] += 1;
    };
    for (int32_t y = 0; y < rows && columns > 0; ++y) {
      if (y == 0 || y == rows - 1) {
        for (int32_t x = 0; x < columns; ++x)
          add(y == 0 ? kBorderTop : kBorderBottom, y, x);
      } else {
        add(kBorderLeft, y, 0);
        add(kBorderRight, y, columns - 1);
      }
    }
    return kStatusOk;
  });
}

} // namespace lvx
