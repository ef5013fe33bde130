#pragma once
// Internal to the stand-in: surfaces, drawing objects and device contexts
// shared by the GDI sources.
#include "handles.h"
#include "win32/gdi.h"

#include <cstddef>
#include <memory>
#include <variant>
#include <vector>

namespace standin::detail {

// ---- Rectangles -------------------------------------------------------------
// The common part of two rectangles; empty (all zero) when there is none.
inline RECT Intersect(const RECT& a, const RECT& b)
{
  RECT r;
  IntersectRect(&r, &a, &b);
  return r;
}
inline RECT Shifted(const RECT& r, LONG dx, LONG dy)
{
  return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

// ---- Surfaces ---------------------------------------------------------------
// width x height pixels of 4 bytes (B, G, R, unused), rows top-down.
struct Surface {
  int width = 0;
  int height = 0;
  ptrdiff_t stride = 0;
  BYTE* pixels = nullptr; // into `storage`, or memory someone else owns
  std::vector<BYTE> storage;

  BYTE* At(int x, int y) { return pixels + y * stride + ptrdiff_t(x) * 4; }
  RECT Bounds() const { return RECT{0, 0, width, height}; }
};
// A surface of its own memory with every byte set to `fill`; null when the
// size is 0 or less or too large.
std::shared_ptr<Surface> NewSurface(int width, int height, BYTE fill);
// The screen's surface at the configured size (null when that size is empty).
std::shared_ptr<Surface> ScreenSurface();
int ScreenBitsPerPixel();

// ---- Drawing objects --------------------------------------------------------
struct Pen {
  bool null = false;
  int width = 1;
  COLORREF color = 0;
};
struct Brush {
  bool null = false;
  COLORREF color = 0;
};
struct Font {
  int height = 0; // as given to CreateFontA: > 0 cell, < 0 em, 0 default
  bool bold = false;
  bool italic = false;
};
struct Bitmap {
  std::shared_ptr<Surface> surface;
};
struct Palette {
  std::vector<PALETTEENTRY> entries;
};
struct GdiObject {
  using Value = std::variant<Pen, Brush, Font, Bitmap, Palette>;
  Value value;
  bool stock = false;
};
HandleTable<GdiObject>& GdiObjects();

template <class T>
T* FindObject(const void* handle)
{
  GdiObject* object = GdiObjects().Find(handle);
  return object ? std::get_if<T>(&object->value) : nullptr;
}
HGDIOBJ AddObject(GdiObject object);

// ---- Device contexts --------------------------------------------------------
enum class DCKind {
  Window,  // GetDC(window)
  Screen,  // GetDC(NULL)
  Paint,   // BeginPaint
  Display, // CreateDCA("DISPLAY")
  Memory,  // over caller-owned pixels
  Frame,   // a whole window, frame included (the stand-in's own frame drawing)
};

struct DeviceContext {
  DCKind kind = DCKind::Display;
  HWND window = nullptr;
  std::shared_ptr<Surface> memory; // DCKind::Memory only
  std::vector<RECT> region;        // DCKind::Paint: the update region, client coordinates
  std::vector<RECT> resolved;      // the region as GetDCSurface last reported it

  HGDIOBJ pen = nullptr;
  HGDIOBJ brush = nullptr;
  HGDIOBJ font = nullptr;
  HGDIOBJ palette = nullptr;
  COLORREF bkColor = 0xFFFFFF;
  COLORREF textColor = 0;
  int bkMode = OPAQUE;
  UINT textAlign = TA_LEFT | TA_TOP;
  int rop = R2_COPYPEN;
  POINT position{0, 0};
  int stretchMode = COLORONCOLOR;
};
DeviceContext* FindDC(HDC dc);
// A new context in the default state.
HDC NewContext(DCKind kind, HWND window);
// Ends a context (any kind).
void RemoveDC(HDC dc);
// Whether any context has the object selected.
bool IsSelected(HGDIOBJ object);

// What a context draws on right now: the surface, the surface position of
// the context's (0, 0) and the clip in surface coordinates. Resolved at each
// call, so contexts follow their window and the screen's current surface.
struct DrawTarget {
  Surface* surface = nullptr;
  POINT origin{0, 0};
  RECT clip{};
  // When `limited`, only the pixels inside these rectangles (surface
  // coordinates, each inside `clip`) may be drawn.
  bool limited = false;
  std::vector<RECT> region;
};
bool ResolveTarget(const DeviceContext& dc, DrawTarget* target);

// Pixel access through a context's origin and clip, in the context's
// coordinates. Writes outside the clip are dropped.
class Canvas {
public:
  explicit Canvas(const DeviceContext& dc);
  bool Ready() const { return target_.surface != nullptr; }
  // The clip in the context's coordinates.
  RECT Clip() const;
  bool Contains(long long x, long long y) const;
  // Writes `color` through the raster operation (R2_COPYPEN or R2_NOTXORPEN).
  void Put(long long x, long long y, COLORREF color, int rop = R2_COPYPEN);
  // [left, right) x [top, bottom), clipped.
  void Fill(long long left, long long top, long long right, long long bottom, COLORREF color, int rop = R2_COPYPEN);
  // Mixes `color` over the pixel by coverage 0..255.
  void Blend(long long x, long long y, COLORREF color, int coverage);
  // CLR_INVALID outside the clip.
  COLORREF Get(long long x, long long y) const;
  // A pixel in B, G, R, unused order, for block copies; null outside the clip.
  BYTE* PixelAt(long long x, long long y) const;

private:
  DrawTarget target_;
};

} // namespace standin::detail
