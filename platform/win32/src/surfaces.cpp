// Surfaces and the window records that draw on them, and reading pixels back
// for tests and hosts (views, single pixels, PNG snapshots).
#include "gdi.h"
#include "win32/automation.h"

#include <cstdio>
#include <new>
#include <png.h>

namespace {

using standin::detail::Fail;
using standin::detail::Surface;
using standin::detail::WindowRecord;

// A window's client area on its surface, clipped to what it may draw on.
standin::PixelView WindowView(const WindowRecord& window)
{
  standin::PixelView view;
  const RECT client{window.origin.x, window.origin.y, window.origin.x + window.width,
                    window.origin.y + window.height};
  RECT shown;
  if (!window.surface || !IntersectRect(&shown, &client, &window.visible))
    return view;
  // The view starts at the client's top left; a client area hanging over the
  // surface's edge shows only its visible part.
  if (shown.left != client.left || shown.top != client.top)
    return view;
  view.pixels = window.surface->At(shown.left, shown.top);
  view.width = shown.right - shown.left;
  view.height = shown.bottom - shown.top;
  view.stride = window.surface->stride;
  return view;
}

standin::PixelView SurfaceView(Surface* surface)
{
  standin::PixelView view;
  if (!surface)
    return view;
  view.pixels = surface->pixels;
  view.width = surface->width;
  view.height = surface->height;
  view.stride = surface->stride;
  return view;
}

struct PngWriter {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngWriter() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

// libpng reports errors by longjmp, so nothing with a destructor may live in
// this frame between setjmp and the end of the write.
bool WritePng(std::FILE* file, const standin::PixelView& view, png_bytep row)
{
  PngWriter writer;
  writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!writer.png)
    return false;
  writer.info = png_create_info_struct(writer.png);
  if (!writer.info)
    return false;
  if (setjmp(png_jmpbuf(writer.png)))
    return false;
  png_init_io(writer.png, file);
  png_set_IHDR(writer.png, writer.info, png_uint_32(view.width), png_uint_32(view.height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(writer.png, writer.info);
  for (int y = 0; y < view.height; ++y) {
    const BYTE* source = view.pixels + y * view.stride;
    for (int x = 0; x < view.width; ++x) {
      row[x * 3 + 0] = source[x * 4 + 2];
      row[x * 3 + 1] = source[x * 4 + 1];
      row[x * 3 + 2] = source[x * 4 + 0];
    }
    png_write_row(writer.png, row);
  }
  png_write_end(writer.png, nullptr);
  return true;
}

} // namespace

namespace standin {
namespace detail {

std::shared_ptr<Surface> NewSurface(int width, int height, BYTE fill)
{
  // Surfaces stay below 2 GiB so that every offset fits comfortably.
  if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) * 4 > (uint64_t(1) << 31))
    return nullptr;
  try {
    auto surface = std::make_shared<Surface>();
    surface->width = width;
    surface->height = height;
    surface->stride = ptrdiff_t(width) * 4;
    surface->storage.assign(size_t(surface->stride) * size_t(height), fill);
    surface->pixels = surface->storage.data();
    return surface;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

HandleTable<WindowRecord>& Windows()
{
  static auto* windows = new HandleTable<WindowRecord>;
  return *windows;
}

} // namespace detail

HWND CreateSurfaceWindow(int width, int height)
{
  WindowRecord window;
  window.surface = detail::NewSurface(width, height, 0xFF);
  if (!window.surface)
    return Fail(ERROR_INVALID_PARAMETER, HWND(nullptr));
  window.width = width;
  window.height = height;
  window.visible = window.surface->Bounds();
  return reinterpret_cast<HWND>(detail::Windows().Add(std::move(window)));
}

bool SetUpdateRect(HWND hwnd, const RECT* rect)
{
  WindowRecord* window = detail::Windows().Find(hwnd);
  if (!window)
    return Fail(ERROR_INVALID_HANDLE, false);
  window->hasUpdate = rect != nullptr;
  window->update = rect ? *rect : RECT{};
  return true;
}

bool DestroySurfaceWindow(HWND hwnd)
{
  return detail::Windows().Remove(hwnd) ? true : Fail(ERROR_INVALID_HANDLE, false);
}

PixelView ViewPixels(SurfaceTarget target)
{
  if (target.screen)
    return SurfaceView(detail::ScreenSurface().get());
  if (target.window) {
    const WindowRecord* window = detail::Windows().Find(target.window);
    return window ? WindowView(*window) : PixelView{};
  }
  const detail::Bitmap* bitmap = detail::FindObject<detail::Bitmap>(target.bitmap);
  return bitmap ? SurfaceView(bitmap->surface.get()) : PixelView{};
}

COLORREF ReadPixel(SurfaceTarget target, int x, int y) { return ViewPixels(target).At(x, y); }

bool SnapshotPng(SurfaceTarget target, const char* path)
{
  const PixelView view = ViewPixels(target);
  if (view.Empty() || !path)
    return false;
  std::string native;
  if (!MapPath(path, native))
    return false;
  std::vector<png_byte> row(size_t(view.width) * 3);
  std::FILE* file = std::fopen(native.c_str(), "wb");
  if (!file)
    return false;
  const bool written = WritePng(file, view, row.data());
  const bool closed = std::fclose(file) == 0;
  if (!(written && closed))
    std::remove(native.c_str());
  return written && closed;
}

} // namespace standin

extern "C" {

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
  const WindowRecord* window = standin::detail::Windows().Find(hwnd);
  if (!window || !rect)
    return Fail(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE, FALSE);
  *rect = RECT{0, 0, window->width, window->height};
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return standin::detail::Windows().Find(hwnd) ? TRUE : FALSE; }

} // extern "C"
