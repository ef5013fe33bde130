// The X11 presenter's cursors: the system cursors as X font cursors, and
// module cursors made from their bitmaps and hot spots (white reached from
// the border is transparent, dark pixels black, the rest white).
#include "x11/x11presenter.h"

#include "win32/automation.h"
#include "win32/dibs.h"

#include <X11/cursorfont.h>
#include <cstring>
#include <vector>

namespace standin::detail {
namespace {

constexpr int kHandCursor = 270; // the preview pane's hand

unsigned FontShape(int systemId, int resourceId)
{
  if (resourceId)
    return resourceId == kHandCursor ? XC_hand2 : XC_left_ptr;
  switch (systemId) {
  case 32513: return XC_xterm; // I-beam
  case 32514: return XC_watch; // busy
  case 32515: return XC_crosshair;
  case 32516: return XC_sb_up_arrow;
  case 32642: return XC_bottom_right_corner;
  case 32643: return XC_bottom_left_corner;
  case 32644: return XC_sb_h_double_arrow;
  case 32645: return XC_sb_v_double_arrow;
  case 32646: return XC_fleur;
  case 32648: return XC_X_cursor; // no
  case 32649: return XC_hand2;
  case 32650: return XC_watch; // starting
  default: return XC_left_ptr;
  }
}

// The cursor's pixels, top-down, read through the stand-in's own DIB
// reading; empty when the resource is no bitmap it reads.
std::vector<COLORREF> CursorPixels(const CursorSource& source, int* width, int* height)
{
  BITMAPINFOHEADER header{};
  if (!source.dib || source.dibSize < sizeof header)
    return {};
  std::memcpy(&header, source.dib, sizeof header);
  const int bits = header.biBitCount;
  const size_t colors = bits <= 8 ? (header.biClrUsed ? header.biClrUsed : size_t(1) << bits) : 0;
  const long rows = header.biHeight < 0 ? -long(header.biHeight) : long(header.biHeight);
  const size_t offset = header.biSize + colors * sizeof(RGBQUAD);
  const size_t stride = (size_t(header.biWidth) * size_t(bits) + 31) / 32 * 4;
  if (header.biWidth <= 0 || header.biWidth > 256 || rows <= 0 || rows > 256 || bits <= 0 ||
      offset + stride * size_t(rows) > source.dibSize)
    return {};
  const auto* info = reinterpret_cast<const BITMAPINFO*>(source.dib);
  HBITMAP bitmap = CreateDIBitmap(nullptr, &header, CBM_INIT, source.dib + offset, info, DIB_RGB_COLORS);
  if (!bitmap)
    return {};
  const PixelView view = ViewPixels(bitmap);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < view.height; ++y)
    for (int x = 0; x < view.width; ++x)
      pixels.push_back(view.At(x, y));
  *width = view.width;
  *height = view.height;
  DeleteObject(bitmap);
  return pixels;
}

} // namespace

Cursor X11Presenter::CursorFor(const CursorSource& source)
{
  if (const auto it = cursors_.find(source.handle); it != cursors_.end())
    return it->second;
  Cursor cursor = 0;
  int width = 0, height = 0;
  const std::vector<COLORREF> pixels = CursorPixels(source, &width, &height);
  if (!pixels.empty()) {
    // Transparent: white reached from the border through white.
    std::vector<char> clear(pixels.size(), 0);
    std::vector<int> stack;
    for (int x = 0; x < width; ++x)
      stack.insert(stack.end(), {x, (height - 1) * width + x});
    for (int y = 0; y < height; ++y)
      stack.insert(stack.end(), {y * width, y * width + width - 1});
    while (!stack.empty()) {
      const int i = stack.back();
      stack.pop_back();
      if (clear[size_t(i)] || pixels[size_t(i)] != RGB(255, 255, 255))
        continue;
      clear[size_t(i)] = 1;
      const int x = i % width, y = i / width;
      if (x > 0)
        stack.push_back(i - 1);
      if (x + 1 < width)
        stack.push_back(i + 1);
      if (y > 0)
        stack.push_back(i - width);
      if (y + 1 < height)
        stack.push_back(i + width);
    }
    const int rowBytes = (width + 7) / 8;
    std::vector<char> dark(size_t(rowBytes) * size_t(height), 0), shape(dark.size(), 0);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const COLORREF c = pixels[size_t(y * width + x)];
        const char bit = char(1 << (x % 8)); // bitmaps of Xlib: least significant bit first
        if (!clear[size_t(y * width + x)])
          shape[size_t(y * rowBytes + x / 8)] |= bit;
        if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128)
          dark[size_t(y * rowBytes + x / 8)] |= bit;
      }
    const Pixmap source1 = XCreateBitmapFromData(display_, root_, dark.data(), unsigned(width), unsigned(height));
    const Pixmap mask = XCreateBitmapFromData(display_, root_, shape.data(), unsigned(width), unsigned(height));
    XColor black{}, white{};
    white.red = white.green = white.blue = 0xFFFF;
    cursor = XCreatePixmapCursor(display_, source1, mask, &black, &white, unsigned(source.hotX), unsigned(source.hotY));
    XFreePixmap(display_, source1);
    XFreePixmap(display_, mask);
  }
  if (!cursor)
    cursor = XCreateFontCursor(display_, FontShape(source.systemId, source.resourceId));
  cursors_[source.handle] = cursor;
  return cursor;
}

void X11Presenter::CursorChanged(const CursorSource& source)
{
  if (lost_ || !source.handle)
    return;
  const Cursor cursor = CursorFor(source);
  if (cursor == current_ || lost_)
    return;
  current_ = cursor;
  for (const auto& [window, shown] : shown_)
    XDefineCursor(display_, shown.window, cursor);
}

void X11Presenter::FreeCursors()
{
  for (const auto& [handle, cursor] : cursors_)
    XFreeCursor(display_, cursor);
  cursors_.clear();
}

} // namespace standin::detail
