#pragma once
// For the imaging stand-in only: device contexts over pixel memory that the
// caller owns, and direct access to the surface behind any device context.
#include "win32/types.h"

#include <cstddef>

namespace standin {

// A device context drawing into width x height pixels of 4 bytes (B, G, R,
// unused), rows top-down and `stride` bytes apart. The memory must outlive
// the context; end it with DeleteDC. Null (ERROR_INVALID_PARAMETER) for null
// pixels, a size of 0 or less, or a stride shorter than a row.
LVX_WIN32_API HDC CreateSurfaceDC(BYTE* pixels, int width, int height, ptrdiff_t stride);

// Where a device context draws: the whole surface, the surface position of the
// context's (0, 0), and the clip in surface coordinates (inside the surface;
// empty when nothing may be drawn).
struct DCSurface {
  BYTE* pixels = nullptr;
  int width = 0;
  int height = 0;
  ptrdiff_t stride = 0;
  POINT origin{0, 0};
  RECT clip{0, 0, 0, 0};
  // While painting, only these rectangles inside the clip may be drawn
  // (surface coordinates); null when the whole clip may.
  const RECT* region = nullptr;
  size_t regionCount = 0;
};
// False for an invalid context or one without a surface (a destroyed window).
// The region stays valid until the next call for the same context.
LVX_WIN32_API bool GetDCSurface(HDC dc, DCSurface* surface);

// Whether the context may draw on surface pixel (sx, sy).
inline bool MayDraw(const DCSurface& s, long long sx, long long sy)
{
  if (sx < s.clip.left || sx >= s.clip.right || sy < s.clip.top || sy >= s.clip.bottom)
    return false;
  if (!s.region)
    return true;
  for (size_t i = 0; i < s.regionCount; ++i) {
    const RECT& r = s.region[i];
    if (sx >= r.left && sx < r.right && sy >= r.top && sy < r.bottom)
      return true;
  }
  return false;
}

} // namespace standin
