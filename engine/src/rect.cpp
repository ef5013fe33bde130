#include "rect.h"

#include <algorithm>

namespace lvx {
namespace {

AdjustRect Checked(int64_t left, int64_t top, int64_t right, int64_t bottom)
{
  if (!(left < right && top < bottom))
    return EmptyRect();
  return AdjustRect{int32_t(left), int32_t(top), int32_t(right), int32_t(bottom)};
}

// Tile boundary i of n over `size`: floor((n + 2 i size) / (2 n)).
int64_t TileEdge(int64_t i, int64_t n, int64_t size) { return (n + 2 * i * size) / (2 * n); }

// ceil(a / b) - 1 for b > 0.
int64_t CeilMinusOne(int64_t a, int64_t b) { return (a >= 0 ? (a + b - 1) / b : -(-a / b)) - 1; }

} // namespace

AdjustRect ClipRect(const AdjustRect& r, int32_t rows, int32_t columns)
{
  return Checked(std::max<int64_t>(r.left, 0), std::max<int64_t>(r.top, 0), std::min<int64_t>(r.right, columns),
                 std::min<int64_t>(r.bottom, rows));
}

AdjustRect GrowRect(const AdjustRect& r, int32_t margin)
{
  if (RectIsEmpty(r))
    return EmptyRect();
  int64_t left = int64_t(r.left) - margin, top = int64_t(r.top) - margin;
  int64_t right = int64_t(r.right) + margin, bottom = int64_t(r.bottom) + margin;
  if (left < INT32_MIN || top < INT32_MIN || right > INT32_MAX || bottom > INT32_MAX)
    return EmptyRect();
  return Checked(left, top, right, bottom);
}

AdjustRect ShrunkWholeRect(int32_t rows, int32_t columns, int32_t margin)
{
  return GrowRect(WholeRect(rows, columns), -margin);
}

AdjustRect ShiftRect(const AdjustRect& r, int32_t dx, int32_t dy)
{
  if (RectIsEmpty(r))
    return EmptyRect();
  return AdjustRect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

AdjustRect CentreRect(const AdjustRect& outer, int32_t width, int32_t height)
{
  if (RectIsEmpty(outer))
    return EmptyRect();
  int64_t right = outer.right - (RectWidth(outer) - width) / 2;
  int64_t bottom = outer.bottom - (RectHeight(outer) - height) / 2;
  return Checked(right - width, bottom - height, right, bottom);
}

AdjustRect AlignRectToStep(const AdjustRect& r, int32_t step)
{
  if (RectIsEmpty(r) || step < 1)
    return EmptyRect();
  return CentreRect(r, int32_t(RectWidth(r) / step * step), int32_t(RectHeight(r) / step * step));
}

AdjustRect AlignRectToStepPlusOne(const AdjustRect& r, int32_t step)
{
  if (RectIsEmpty(r) || step < 1)
    return EmptyRect();
  return CentreRect(r, int32_t((RectWidth(r) - 1) / step * step + 1), int32_t((RectHeight(r) - 1) / step * step + 1));
}

AdjustRect TileRect(const AdjustRect& r, int32_t i, int32_t n, int32_t j, int32_t m)
{
  if (RectIsEmpty(r) || n < 1 || m < 1)
    return EmptyRect();
  int64_t w = RectWidth(r), h = RectHeight(r);
  return Checked(r.left + TileEdge(i, n, w), r.top + TileEdge(j, m, h), r.left + TileEdge(i + 1, n, w),
                 r.top + TileEdge(j + 1, m, h));
}

AdjustRect MapRect(const AdjustRect& outer, const AdjustRect& inner, const AdjustRect& target)
{
  if (RectIsEmpty(inner) || RectIsEmpty(target) || RectIsEmpty(outer))
    return EmptyRect();
  int64_t oh = RectHeight(outer), ow = RectWidth(outer);
  int64_t th = RectHeight(target), tw = RectWidth(target);
  int64_t top = target.top + CeilMinusOne((int64_t(inner.top) - outer.top + 1) * th, oh);
  int64_t bottom = target.bottom - CeilMinusOne((int64_t(outer.bottom) - inner.bottom + 1) * th, oh);
  int64_t left = target.left + CeilMinusOne((int64_t(inner.left) - outer.left + 1) * tw, ow);
  int64_t right = target.right - CeilMinusOne((int64_t(outer.right) - inner.right + 1) * tw, ow);
  return Checked(left, top, right, bottom);
}

} // namespace lvx
