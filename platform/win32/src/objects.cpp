// Drawing objects: stock objects, pens, brushes and palettes, their deletion
// and GetObjectA. Fonts are made in fonts.cpp, bitmaps in dibs.cpp.
#include "gdi.h"

#include "win32/dibs.h"

#include <cstring>

namespace {

using namespace standin::detail;

GdiObject Stock(GdiObject::Value value)
{
  GdiObject object;
  object.value = std::move(value);
  object.stock = true;
  return object;
}

HGDIOBJ MakeStock(int index)
{
  switch (index) {
  case WHITE_BRUSH: return AddObject(Stock(Brush{false, 0xFFFFFF}));
  case BLACK_BRUSH: return AddObject(Stock(Brush{false, 0}));
  case NULL_BRUSH: return AddObject(Stock(Brush{true, 0}));
  case WHITE_PEN: return AddObject(Stock(Pen{false, 1, 0xFFFFFF}));
  case BLACK_PEN: return AddObject(Stock(Pen{false, 1, 0}));
  case NULL_PEN: return AddObject(Stock(Pen{true, 1, 0}));
  // The system's 20 reserved colours; only the count is ever seen.
  case DEFAULT_PALETTE: return AddObject(Stock(Palette{std::vector<PALETTEENTRY>(20)}));
  case DEFAULT_GUI_FONT: return AddObject(Stock(Font{0, false, false}));
  default: return nullptr;
  }
}

} // namespace

namespace standin::detail {

HandleTable<GdiObject>& GdiObjects()
{
  static auto* objects = new HandleTable<GdiObject>;
  return *objects;
}

HGDIOBJ AddObject(GdiObject object) { return reinterpret_cast<HGDIOBJ>(GdiObjects().Add(std::move(object))); }

} // namespace standin::detail

extern "C" {

HGDIOBJ GetStockObject(int index)
{
  static HGDIOBJ made[DEFAULT_GUI_FONT + 1] = {};
  if (index < 0 || index > DEFAULT_GUI_FONT)
    return Fail(ERROR_INVALID_PARAMETER, HGDIOBJ(nullptr));
  if (!made[index])
    made[index] = MakeStock(index);
  return made[index] ? made[index] : Fail(ERROR_INVALID_PARAMETER, HGDIOBJ(nullptr));
}

HPEN CreatePen(int style, int width, COLORREF color)
{
  Pen pen{style == PS_NULL, width > 1 ? width : 1, color & 0xFFFFFFu};
  return static_cast<HPEN>(AddObject(GdiObject{pen, false}));
}

HBRUSH CreateSolidBrush(COLORREF color)
{
  return static_cast<HBRUSH>(AddObject(GdiObject{Brush{false, color & 0xFFFFFFu}, false}));
}

HPALETTE CreatePalette(const LOGPALETTE* palette)
{
  if (!palette || palette->palVersion != 0x300 || palette->palNumEntries == 0)
    return Fail(ERROR_INVALID_PARAMETER, HPALETTE(nullptr));
  Palette made;
  made.entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  return static_cast<HPALETTE>(AddObject(GdiObject{std::move(made), false}));
}

BOOL DeleteObject(HGDIOBJ object)
{
  const GdiObject* found = GdiObjects().Find(object);
  if (!found)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (found->stock)
    return TRUE;
  if (IsSelected(object))
    return Fail(ERROR_ACCESS_DENIED, FALSE);
  GdiObjects().Remove(object);
  return TRUE;
}

int GetObjectA(HANDLE object, int size, void* out)
{
  const GdiObject* found = GdiObjects().Find(object);
  if (!found)
    return Fail(ERROR_INVALID_HANDLE, 0);
  BITMAP bitmap;
  std::memset(&bitmap, 0, sizeof bitmap); // padding included
  WORD entries = 0;
  const void* source = nullptr;
  int needed = 0;
  if (const auto* b = std::get_if<Bitmap>(&found->value)) {
    bitmap.bmWidth = b->surface->width;
    bitmap.bmHeight = b->surface->height;
    bitmap.bmWidthBytes = b->surface->width * 4;
    bitmap.bmPlanes = 1;
    bitmap.bmBitsPixel = 32;
    source = &bitmap;
    needed = sizeof bitmap;
  } else if (const auto* p = std::get_if<Palette>(&found->value)) {
    entries = WORD(p->entries.size());
    source = &entries;
    needed = sizeof entries;
  } else {
    return Fail(ERROR_INVALID_PARAMETER, 0);
  }
  if (!out)
    return needed;
  if (size < needed)
    return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
  std::memcpy(out, source, size_t(needed));
  return needed;
}

} // extern "C"
