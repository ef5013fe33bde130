#pragma once
// Rectangle arithmetic on AdjustRect {left, top, right, bottom}, right and
// bottom exclusive. A rectangle is empty unless left < right and top < bottom;
// the empty rectangle is all zero. Every operation on an empty input returns
// the empty rectangle.
#include "lumivex.h"

#include <cstdint>

// On the public record itself, so that it is found from any namespace.
inline bool operator==(const AdjustRect& a, const AdjustRect& b)
{
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace lvx {

inline AdjustRect EmptyRect() { return AdjustRect{0, 0, 0, 0}; }
inline AdjustRect WholeRect(int32_t rows, int32_t columns) { return AdjustRect{0, 0, columns, rows}; }
inline bool RectIsEmpty(const AdjustRect& r) { return !(r.left < r.right && r.top < r.bottom); }
inline int64_t RectWidth(const AdjustRect& r) { return int64_t(r.right) - r.left; }
inline int64_t RectHeight(const AdjustRect& r) { return int64_t(r.bottom) - r.top; }
// (bottom - top) * (right - left), 0 when empty.
inline int64_t RectArea(const AdjustRect& r) { return RectIsEmpty(r) ? 0 : RectWidth(r) * RectHeight(r); }

// Intersection with the whole image {0, 0, columns, rows}; empty when nothing
// of the rectangle lies inside.
AdjustRect ClipRect(const AdjustRect& r, int32_t rows, int32_t columns);
// All four sides move out by `margin` (in when negative); a collapsed result is
// the empty rectangle.
AdjustRect GrowRect(const AdjustRect& r, int32_t margin);
// The whole-image rectangle shrunk by `margin` on every side.
AdjustRect ShrunkWholeRect(int32_t rows, int32_t columns, int32_t margin);
AdjustRect ShiftRect(const AdjustRect& r, int32_t dx, int32_t dy);
// A width x height rectangle centred in `outer`: right and bottom move in by
// half the surplus (rounded down), left and top lie the size before them.
AdjustRect CentreRect(const AdjustRect& outer, int32_t width, int32_t height);
// Shrinks each direction to the largest multiple of `step`, centred.
AdjustRect AlignRectToStep(const AdjustRect& r, int32_t step);
// Shrinks each direction to the largest k * step + 1, centred.
AdjustRect AlignRectToStepPlusOne(const AdjustRect& r, int32_t step);
// Tile (i, j) of an n x m cut of `r` (i across, j down): neighbouring tiles
// meet and differ in size by at most one pixel.
AdjustRect TileRect(const AdjustRect& r, int32_t i, int32_t n, int32_t j, int32_t m);
// Maps `inner`, a rectangle of a reduced copy whose whole area is `outer`, to
// the full-image rectangle `target` the copy was made from. The sides move
// in by q(a, b) = ceil(a / b) - 1 target pixels per reduced pixel step, so the
// result shrinks slightly even when inner equals outer. Empty when inner or
// target is empty, or when the result is.
AdjustRect MapRect(const AdjustRect& outer, const AdjustRect& inner, const AdjustRect& target);

} // namespace lvx
