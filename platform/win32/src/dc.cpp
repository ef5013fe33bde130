// Device contexts: getting and ending them, their drawing state, and the
// canvas that every drawing call writes through (origin and clip).
#include "presenter.h"
#include "text.h"
#include "win32/drawing.h"
#include "win32/internal/surfacedc.h"
#include "wm.h"

#include <algorithm>

namespace {

using standin::detail::DCKind;
using standin::detail::DeviceContext;
using standin::detail::Fail;

standin::detail::HandleTable<DeviceContext>& Contexts()
{
  static auto* contexts = new standin::detail::HandleTable<DeviceContext>;
  return *contexts;
}

// Runs `change` on the context's state and returns what it returns, or
// `failure` (ERROR_INVALID_HANDLE) for an unknown context.
template <class R, class F>
R WithDC(HDC hdc, R failure, F change)
{
  DeviceContext* dc = standin::detail::FindDC(hdc);
  return dc ? change(*dc) : Fail(ERROR_INVALID_HANDLE, failure);
}

template <class T>
T Exchange(T& slot, T value)
{
  const T previous = slot;
  slot = value;
  return previous;
}

void Write(BYTE* p, COLORREF color, int rop)
{
  const BYTE b = GetBValue(color), g = GetGValue(color), r = GetRValue(color);
  if (rop == R2_NOTXORPEN) {
    p[0] = BYTE(~(p[0] ^ b));
    p[1] = BYTE(~(p[1] ^ g));
    p[2] = BYTE(~(p[2] ^ r));
  } else {
    p[0] = b;
    p[1] = g;
    p[2] = r;
  }
}

} // namespace

namespace standin {
namespace detail {

DeviceContext* FindDC(HDC dc) { return Contexts().Find(dc); }

HDC NewContext(DCKind kind, HWND window)
{
  DeviceContext dc;
  dc.kind = kind;
  dc.window = window;
  dc.pen = GetStockObject(BLACK_PEN);
  dc.brush = GetStockObject(WHITE_BRUSH);
  dc.font = GetStockObject(DEFAULT_GUI_FONT);
  dc.palette = GetStockObject(DEFAULT_PALETTE);
  return reinterpret_cast<HDC>(Contexts().Add(std::move(dc)));
}

void RemoveDC(HDC dc) { Contexts().Remove(dc); }

bool IsSelected(HGDIOBJ object)
{
  for (const auto& [handle, dc] : Contexts().Items())
    if (dc.pen == object || dc.brush == object || dc.font == object || dc.palette == object)
      return true;
  return false;
}

bool ResolveTarget(const DeviceContext& dc, DrawTarget* target)
{
  std::shared_ptr<Surface> surface;
  switch (dc.kind) {
  case DCKind::Window:
  case DCKind::Frame:
  case DCKind::Paint: {
    Surface* drawn = nullptr;
    if (!WindowArea(dc.window, dc.kind == DCKind::Frame, &drawn, &target->origin, &target->clip))
      return false;
    target->surface = drawn;
    // Whatever draws here may change these pixels; the presenter shows
    // them again at its next poll.
    Presentation().SurfacePainted(TopLevelOf(dc.window), target->clip);
    if (dc.kind == DCKind::Paint) {
      // Painting draws only inside the update region.
      target->limited = true;
      target->region.clear();
      for (const RECT& r : dc.region) {
        const RECT piece = Intersect(Shifted(r, target->origin.x, target->origin.y), target->clip);
        if (piece.right > piece.left)
          target->region.push_back(piece);
      }
      target->clip = RegionBounds(target->region);
    }
    return true;
  }
  case DCKind::Screen:
  case DCKind::Display: surface = ScreenSurface(); break;
  case DCKind::Memory: surface = dc.memory; break;
  }
  if (!surface)
    return false;
  target->surface = surface.get();
  target->origin = POINT{0, 0};
  target->clip = surface->Bounds();
  return true;
}

// ---- Canvas -----------------------------------------------------------------

Canvas::Canvas(const DeviceContext& dc)
{
  if (!ResolveTarget(dc, &target_))
    target_ = DrawTarget{};
}

RECT Canvas::Clip() const { return Shifted(target_.clip, -target_.origin.x, -target_.origin.y); }

bool Canvas::Contains(long long x, long long y) const
{
  if (!target_.surface)
    return false;
  const long long sx = x + target_.origin.x, sy = y + target_.origin.y;
  if (!(sx >= target_.clip.left && sx < target_.clip.right && sy >= target_.clip.top && sy < target_.clip.bottom))
    return false;
  if (!target_.limited)
    return true;
  for (const RECT& r : target_.region)
    if (sx >= r.left && sx < r.right && sy >= r.top && sy < r.bottom)
      return true;
  return false;
}

BYTE* Canvas::PixelAt(long long x, long long y) const
{
  if (!Contains(x, y))
    return nullptr;
  return target_.surface->At(int(x + target_.origin.x), int(y + target_.origin.y));
}

void Canvas::Put(long long x, long long y, COLORREF color, int rop)
{
  if (BYTE* p = PixelAt(x, y))
    Write(p, color, rop);
}

void Canvas::Fill(long long left, long long top, long long right, long long bottom, COLORREF color, int rop)
{
  if (!target_.surface)
    return;
  // Each rectangle of the region on its own (the region's rectangles never
  // overlap), else the clip.
  const std::vector<RECT> whole{target_.clip};
  for (const RECT& piece : target_.limited ? target_.region : whole) {
    const long long l = std::max<long long>(left + target_.origin.x, piece.left);
    const long long t = std::max<long long>(top + target_.origin.y, piece.top);
    const long long r = std::min<long long>(right + target_.origin.x, piece.right);
    const long long b = std::min<long long>(bottom + target_.origin.y, piece.bottom);
    for (long long y = t; y < b; ++y) {
      BYTE* p = l < r ? target_.surface->At(int(l), int(y)) : nullptr;
      for (long long x = l; x < r; ++x, p += 4)
        Write(p, color, rop);
    }
  }
}

void Canvas::Blend(long long x, long long y, COLORREF color, int coverage)
{
  BYTE* p = PixelAt(x, y);
  if (!p || coverage <= 0)
    return;
  const int a = std::min(coverage, 255);
  const BYTE source[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
  for (int c = 0; c < 3; ++c)
    p[c] = BYTE((p[c] * (255 - a) + source[c] * a + 127) / 255);
}

COLORREF Canvas::Get(long long x, long long y) const
{
  const BYTE* p = PixelAt(x, y);
  return p ? RGB(p[2], p[1], p[0]) : CLR_INVALID;
}

} // namespace detail

HDC CreateSurfaceDC(BYTE* pixels, int width, int height, ptrdiff_t stride)
{
  if (!pixels || width <= 0 || height <= 0 || stride < ptrdiff_t(width) * 4)
    return Fail(ERROR_INVALID_PARAMETER, HDC(nullptr));
  auto surface = std::make_shared<detail::Surface>();
  surface->width = width;
  surface->height = height;
  surface->stride = stride;
  surface->pixels = pixels;
  HDC hdc = NewContext(detail::DCKind::Memory, nullptr);
  detail::FindDC(hdc)->memory = std::move(surface);
  return hdc;
}

bool GetDCSurface(HDC hdc, DCSurface* out)
{
  DeviceContext* dc = detail::FindDC(hdc);
  detail::DrawTarget target;
  if (!dc || !out || !detail::ResolveTarget(*dc, &target))
    return Fail(ERROR_INVALID_HANDLE, false);
  dc->resolved = std::move(target.region);
  out->region = target.limited ? dc->resolved.data() : nullptr;
  out->regionCount = target.limited ? dc->resolved.size() : 0;
  out->pixels = target.surface->pixels;
  out->width = target.surface->width;
  out->height = target.surface->height;
  out->stride = target.surface->stride;
  out->origin = target.origin;
  out->clip = target.clip;
  return true;
}

} // namespace standin

extern "C" {

// ---- Getting and ending contexts --------------------------------------------

HDC GetDC(HWND window)
{
  if (!window)
    return NewContext(DCKind::Screen, nullptr);
  standin::detail::WindowRecord* record = standin::detail::Find(window);
  if (!record)
    return Fail(ERROR_INVALID_HANDLE, HDC(nullptr));
  // A CS_OWNDC window keeps one context, state and all, for its lifetime.
  if (!(record->cls->style & CS_OWNDC))
    return NewContext(DCKind::Window, window);
  if (!record->ownDC)
    record->ownDC = NewContext(DCKind::Window, window);
  return record->ownDC;
}

int ReleaseDC(HWND window, HDC hdc)
{
  const DeviceContext* dc = standin::detail::FindDC(hdc);
  if (!dc || (dc->kind != DCKind::Window && dc->kind != DCKind::Screen) || dc->window != window)
    return Fail(ERROR_INVALID_HANDLE, 0);
  const standin::detail::WindowRecord* record = standin::detail::Find(window);
  if (!record || record->ownDC != hdc)
    Contexts().Remove(hdc);
  return 1;
}

HDC CreateDCA(LPCSTR driver, LPCSTR, LPCSTR, const DEVMODEA*)
{
  if (!driver || !standin::detail::EqualNoCase(driver, "DISPLAY"))
    return Fail(ERROR_INVALID_PARAMETER, HDC(nullptr));
  return NewContext(DCKind::Display, nullptr);
}

BOOL DeleteDC(HDC hdc)
{
  const DeviceContext* dc = standin::detail::FindDC(hdc);
  if (!dc || (dc->kind != DCKind::Display && dc->kind != DCKind::Memory))
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  Contexts().Remove(hdc);
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index)
{
  return WithDC(hdc, 0, [index](DeviceContext&) {
    switch (index) {
    case HORZRES: return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES: return GetSystemMetrics(SM_CYSCREEN);
    case BITSPIXEL: return standin::detail::ScreenBitsPerPixel();
    case PLANES: return 1;
    default: return 0;
    }
  });
}

// ---- State ------------------------------------------------------------------

int SetBkMode(HDC hdc, int mode)
{
  if (mode != TRANSPARENT && mode != OPAQUE)
    return Fail(ERROR_INVALID_PARAMETER, 0);
  return WithDC(hdc, 0, [mode](DeviceContext& dc) { return Exchange(dc.bkMode, mode); });
}

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
  return WithDC(hdc, CLR_INVALID, [color](DeviceContext& dc) { return Exchange(dc.bkColor, color & 0xFFFFFFu); });
}

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
  return WithDC(hdc, CLR_INVALID, [color](DeviceContext& dc) { return Exchange(dc.textColor, color & 0xFFFFFFu); });
}

UINT SetTextAlign(HDC hdc, UINT align)
{
  return WithDC(hdc, UINT(GDI_ERROR), [align](DeviceContext& dc) { return Exchange(dc.textAlign, align); });
}

int SetROP2(HDC hdc, int mode)
{
  if (mode != R2_COPYPEN && mode != R2_NOTXORPEN)
    return Fail(ERROR_INVALID_PARAMETER, 0);
  return WithDC(hdc, 0, [mode](DeviceContext& dc) { return Exchange(dc.rop, mode); });
}

int SetStretchBltMode(HDC hdc, int mode)
{
  if (mode < BLACKONWHITE || mode > HALFTONE)
    return Fail(ERROR_INVALID_PARAMETER, 0);
  return WithDC(hdc, 0, [mode](DeviceContext& dc) { return Exchange(dc.stretchMode, mode); });
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous)
{
  return WithDC(hdc, FALSE, [&](DeviceContext& dc) {
    const POINT old = Exchange(dc.position, POINT{x, y});
    if (previous)
      *previous = old;
    return TRUE;
  });
}

// ---- Selection --------------------------------------------------------------

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
  standin::detail::GdiObject* found = standin::detail::GdiObjects().Find(object);
  if (!found)
    return Fail(ERROR_INVALID_HANDLE, HGDIOBJ(nullptr));
  return WithDC(hdc, HGDIOBJ(nullptr), [&](DeviceContext& dc) -> HGDIOBJ {
    using namespace standin::detail;
    if (std::holds_alternative<Pen>(found->value))
      return Exchange(dc.pen, object);
    if (std::holds_alternative<Brush>(found->value))
      return Exchange(dc.brush, object);
    if (std::holds_alternative<Font>(found->value))
      return Exchange(dc.font, object);
    // Bitmaps need memory contexts, which nothing uses; palettes go through
    // SelectPalette.
    return Fail(ERROR_INVALID_PARAMETER, HGDIOBJ(nullptr));
  });
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL)
{
  if (!standin::detail::FindObject<standin::detail::Palette>(palette))
    return Fail(ERROR_INVALID_HANDLE, HPALETTE(nullptr));
  return WithDC(hdc, HPALETTE(nullptr),
                [palette](DeviceContext& dc) { return static_cast<HPALETTE>(Exchange(dc.palette, HGDIOBJ(palette))); });
}

UINT RealizePalette(HDC hdc)
{
  return WithDC(hdc, UINT(GDI_ERROR), [](DeviceContext& dc) {
    const auto* palette = standin::detail::FindObject<standin::detail::Palette>(dc.palette);
    return palette ? UINT(palette->entries.size()) : 0u;
  });
}

} // extern "C"
