// Painting: exact update regions, invalidation through the window tree,
// BeginPaint and EndPaint, UpdateWindow, the frames the stand-in draws
// itself, and top-level surfaces that follow their window's size.
#include "wm.h"

#include "win32/drawing.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace standin::detail;

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// The parts of `a` outside `b` (at most four rectangles).
void Cut(const RECT& a, const RECT& b, std::vector<RECT>& out)
{
  const RECT common = Intersect(a, b);
  if (Empty(common)) {
    out.push_back(a);
    return;
  }
  if (a.top < common.top)
    out.push_back(RECT{a.left, a.top, a.right, common.top});
  if (common.bottom < a.bottom)
    out.push_back(RECT{a.left, common.bottom, a.right, a.bottom});
  if (a.left < common.left)
    out.push_back(RECT{a.left, common.top, common.left, common.bottom});
  if (common.right < a.right)
    out.push_back(RECT{common.right, common.top, a.right, common.bottom});
}

constexpr COLORREF kActiveCaption = 0x800000;   // navy
constexpr COLORREF kInactiveCaption = 0x808080; // grey
constexpr COLORREF kShadow = 0x808080;
constexpr COLORREF kDarkShadow = 0x000000;
constexpr COLORREF kHighlight = 0xFFFFFF;

// The frame of one window, drawn into its top-level surface.
void DrawFrame(HWND window)
{
  WindowRecord* w = Find(window);
  if (!w)
    return;
  w->frameDirty = false;
  const FrameMetrics f = w->frame;
  if (!f.border && !f.caption && !f.edge)
    return;
  HDC dc = NewContext(DCKind::Frame, window);
  const RECT all{0, 0, w->Width(), w->Height()};
  RECT r = all;
  if (f.border == 1) {
    DrawEdge(dc, r, kDarkShadow, kDarkShadow);
  } else if (f.border > 1) {
    FillSolid(dc, RECT{r.left, r.top, r.right, r.top + f.border}, kFaceGrey);
    FillSolid(dc, RECT{r.left, r.bottom - f.border, r.right, r.bottom}, kFaceGrey);
    FillSolid(dc, RECT{r.left, r.top, r.left + f.border, r.bottom}, kFaceGrey);
    FillSolid(dc, RECT{r.right - f.border, r.top, r.right, r.bottom}, kFaceGrey);
    DrawEdge(dc, r, kFaceGrey, kDarkShadow);
    DrawEdge(dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kHighlight, kShadow);
  }
  r = RECT{r.left + f.border, r.top + f.border, r.right - f.border, r.bottom - f.border};
  if (f.caption) {
    const bool active = Focus().active == window;
    const RECT band{r.left, r.top, r.right, r.top + f.caption};
    FillSolid(dc, band, active ? kActiveCaption : kInactiveCaption);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, active ? 0xFFFFFF : kFaceGrey);
    TextOutA(dc, band.left + 4, band.top + 3, w->text.c_str(), int(w->text.size()));
    const RECT box = CloseBoxRect(window);
    if (!Empty(box)) {
      FillSolid(dc, box, kFaceGrey);
      DrawEdge(dc, box, kHighlight, kDarkShadow);
      // The cross: two diagonals in the middle of the box.
      const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
      for (int d = -3; d <= 3; ++d) {
        SetPixel(dc, cx + d, cy + d, 0);
        SetPixel(dc, cx - 1 + d, cy + d, 0);
        SetPixel(dc, cx - d, cy + d, 0);
        SetPixel(dc, cx - 1 - d, cy + d, 0);
      }
    }
    r.top += f.caption;
  }
  if (f.edge) {
    DrawEdge(dc, r, kShadow, kHighlight);
    DrawEdge(dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kDarkShadow, kFaceGrey);
  }
  RemoveDC(dc);
}

} // namespace

namespace standin::detail {

void FillSolid(HDC dc, const RECT& rect, COLORREF color)
{
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void DrawEdge(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight)
{
  FillSolid(dc, RECT{r.left, r.top, r.right, r.top + 1}, topLeft);
  FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, topLeft);
  FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

void RegionAdd(std::vector<RECT>& region, const RECT& rect)
{
  if (Empty(rect))
    return;
  std::vector<RECT> pieces{rect};
  for (const RECT& have : region) {
    std::vector<RECT> next;
    for (const RECT& p : pieces)
      Cut(p, have, next);
    pieces.swap(next);
  }
  region.insert(region.end(), pieces.begin(), pieces.end());
}

void RegionSubtract(std::vector<RECT>& region, const RECT& rect)
{
  std::vector<RECT> next;
  for (const RECT& r : region)
    Cut(r, rect, next);
  region.swap(next);
}

RECT RegionBounds(const std::vector<RECT>& region)
{
  if (region.empty())
    return RECT{0, 0, 0, 0};
  RECT b = region.front();
  for (const RECT& r : region) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

void Invalidate(HWND window, const RECT* clientArea, bool erase)
{
  WindowRecord* w = Find(window);
  if (!w)
    return;
  const RECT client{0, 0, w->ClientWidth(), w->ClientHeight()};
  const RECT area = clientArea ? Intersect(*clientArea, client) : client;
  if (Empty(area))
    return;
  RegionAdd(w->update, area);
  w->erase = w->erase || erase;
  // No window clips its children, so what the parent paints there covers
  // them: every visible child in the area repaints too.
  for (HWND child : std::vector<HWND>(w->children)) {
    WindowRecord* c = Find(child);
    if (!c || !c->Visible())
      continue;
    if (Empty(Intersect(area, c->rect)))
      continue;
    c->frameDirty = true;
    const POINT o = c->ClientPosition();
    const RECT inChild = Shifted(area, -o.x, -o.y);
    Invalidate(child, &inChild, erase);
  }
}

void InvalidateParentArea(HWND window, const RECT& rectInParent)
{
  const WindowRecord* w = Find(window);
  if (w && w->IsChild())
    Invalidate(w->parent, &rectInParent, true);
}

void DrawDirtyFrames()
{
  for (HWND top : std::vector<HWND>(ZOrder()))
    for (HWND h : Subtree(top))
      if (const WindowRecord* w = Find(h); w && w->frameDirty && Showing(h))
        DrawFrame(h);
}

void ResizeSurface(HWND window)
{
  WindowRecord* w = Find(window);
  if (!w || w->IsChild())
    return;
  const std::shared_ptr<Surface> old = w->surface;
  if (!old || (old->width == w->Width() && old->height == w->Height()))
    return;
  w->surface = NewSurface(w->Width(), w->Height(), 0xFF);
  if (!w->surface)
    return;
  const int width = std::min(old->width, w->surface->width);
  for (int y = 0; y < std::min(old->height, w->surface->height); ++y)
    std::memcpy(w->surface->At(0, y), old->At(0, y), size_t(width) * 4);
}

Surface* SurfaceOf(WindowRecord* topLevel)
{
  if (!topLevel || topLevel->IsChild())
    return nullptr;
  if (!topLevel->surface)
    topLevel->surface = NewSurface(topLevel->Width(), topLevel->Height(), 0xFF);
  return topLevel->surface.get();
}

} // namespace standin::detail

extern "C" {

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase)
{
  if (!window) {
    for (HWND top : std::vector<HWND>(ZOrder()))
      Invalidate(top, nullptr, erase != FALSE);
    return TRUE;
  }
  if (!Find(window))
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  Invalidate(window, rect, erase != FALSE);
  return TRUE;
}

BOOL ValidateRect(HWND window, const RECT* rect)
{
  WindowRecord* w = Find(window);
  if (!w)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (rect)
    RegionSubtract(w->update, *rect);
  else
    w->update.clear();
  if (w->update.empty())
    w->erase = false;
  return TRUE;
}

BOOL GetUpdateRect(HWND window, RECT* rect, BOOL)
{
  const WindowRecord* w = Find(window);
  if (!w)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (rect)
    *rect = RegionBounds(w->update);
  return w->update.empty() ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND window)
{
  if (!Find(window))
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  for (HWND h : Subtree(window))
    if (const WindowRecord* w = Find(h); w && !w->update.empty() && Showing(h))
      Deliver(h, WM_PAINT, 0, 0);
  for (HWND h : Subtree(window))
    if (const WindowRecord* w = Find(h); w && w->frameDirty && Showing(h))
      DrawFrame(h);
  return TRUE;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint)
{
  WindowRecord* w = Find(window);
  if (!w || !paint)
    return Fail(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE, HDC(nullptr));
  if (w->frameDirty)
    DrawFrame(window);
  w = Find(window);
  // The region empties now, so invalidations made while painting survive
  // for the next paint.
  std::vector<RECT> region;
  region.swap(w->update);
  const bool erase = w->erase;
  w->erase = false;
  ++w->paints;
  *paint = PAINTSTRUCT{};
  paint->rcPaint = RegionBounds(region);
  paint->hdc = NewContext(DCKind::Paint, window);
  FindDC(paint->hdc)->region = std::move(region);
  const bool erased = erase && Deliver(window, WM_ERASEBKGND, WPARAM(paint->hdc), 0) != 0;
  paint->fErase = erase && !erased ? TRUE : FALSE;
  return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint)
{
  const DeviceContext* dc = paint ? FindDC(paint->hdc) : nullptr;
  if (!dc || dc->kind != DCKind::Paint || dc->window != window)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  RemoveDC(paint->hdc);
  return TRUE;
}

} // extern "C"
