// Surfaces, the automation API's bare drawing windows, and reading pixels
// back for tests and hosts (views, single pixels, the composed screen, PNG
// snapshots).
#include "wm.h"

#include "win32/replacementfile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <png.h>

namespace {

using standin::detail::Fail;
using standin::detail::Surface;
using standin::detail::WindowRecord;

// The screen as shown: the desktop surface with the showing top-level
// windows on it, bottom of the z-order first.
Surface* ComposeScreen()
{
  using namespace standin::detail;
  static auto* composed = new std::shared_ptr<Surface>;
  const std::shared_ptr<Surface> desktop = ScreenSurface();
  if (!desktop)
    return nullptr;
  if (!*composed || (*composed)->width != desktop->width || (*composed)->height != desktop->height)
    *composed = NewSurface(desktop->width, desktop->height, 0);
  Surface& out = **composed;
  out.storage = desktop->storage;
  out.pixels = out.storage.data();
  DrawDirtyFrames();
  const std::vector<HWND> order(ZOrder().rbegin(), ZOrder().rend());
  for (HWND top : order) {
    WindowRecord* w = Find(top);
    Surface* const surface = w && Showing(top) ? SurfaceOf(w) : nullptr;
    if (!surface)
      continue;
    const RECT r = w->rect;
    const int left = std::max<int>(0, r.left), right = std::min<int>(out.width, r.right);
    for (int y = std::max<int>(0, r.top); y < std::min<int>(out.height, r.bottom) && left < right; ++y)
      std::memcpy(out.At(left, y), surface->At(left - r.left, y - r.top), size_t(right - left) * 4);
  }
  return &out;
}

// A window's client area (or, whole, its window rectangle) on its
// top-level surface, limited to what its ancestors let show.
standin::PixelView WindowView(HWND window, bool whole)
{
  standin::PixelView view;
  Surface* surface = nullptr;
  POINT origin{};
  RECT shown{};
  if (!standin::detail::WindowArea(window, whole, &surface, &origin, &shown))
    return view;
  // The view starts at the area's top left; an area cut at its top or left
  // edge cannot be shown from there.
  if (shown.right <= shown.left || shown.bottom <= shown.top || shown.left != origin.x || shown.top != origin.y)
    return view;
  view.pixels = surface->At(shown.left, shown.top);
  view.width = shown.right - shown.left;
  view.height = shown.bottom - shown.top;
  view.stride = surface->stride;
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

} // namespace detail

HWND CreateSurfaceWindow(int width, int height)
{
  if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) * 4 > (uint64_t(1) << 31))
    return Fail(ERROR_INVALID_PARAMETER, HWND(nullptr));
  const HWND window =
      CreateWindowExA(0, "LvxSurface", "", WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
  if (!window || !detail::SurfaceOf(detail::Find(window))) {
    DestroyWindow(window);
    return Fail(ERROR_NOT_ENOUGH_MEMORY, HWND(nullptr));
  }
  detail::Invalidate(window, nullptr, false);
  return window;
}

bool SetUpdateRect(HWND hwnd, const RECT* rect)
{
  WindowRecord* window = detail::Find(hwnd);
  if (!window)
    return Fail(ERROR_INVALID_HANDLE, false);
  window->update.clear();
  window->erase = false;
  if (rect)
    detail::Invalidate(hwnd, rect, false);
  return true;
}

bool DestroySurfaceWindow(HWND hwnd) { return DestroyWindow(hwnd) ? true : Fail(ERROR_INVALID_HANDLE, false); }

PixelView ViewPixels(SurfaceTarget target)
{
  if (target.screen)
    return SurfaceView(ComposeScreen());
  if (target.window) {
    if (target.whole)
      detail::DrawDirtyFrames();
    return WindowView(target.window, target.whole);
  }
  const detail::Bitmap* bitmap = detail::FindObject<detail::Bitmap>(target.bitmap);
  return bitmap ? SurfaceView(bitmap->surface.get()) : PixelView{};
}

COLORREF ReadPixel(SurfaceTarget target, int x, int y)
{
  if (!target.screen)
    return ViewPixels(target).At(x, y);
  // One pixel of the screen: the topmost showing window there, else the desktop.
  detail::DrawDirtyFrames();
  for (HWND top : detail::ZOrder()) {
    WindowRecord* w = detail::Find(top);
    const POINT p{x - w->rect.left, y - w->rect.top};
    if (detail::Showing(top) && p.x >= 0 && p.y >= 0 && p.x < w->Width() && p.y < w->Height())
      if (Surface* surface = detail::SurfaceOf(w))
        return SurfaceView(surface).At(p.x, p.y);
  }
  return SurfaceView(detail::ScreenSurface().get()).At(x, y);
}

bool SnapshotPng(SurfaceTarget target, const char* path, std::string* reason)
{
  const auto fail = [&](const std::string& why) {
    if (reason)
      *reason = why;
    return false;
  };
  const PixelView view = ViewPixels(target);
  if (view.Empty())
    return fail("there is no such window or surface to take");
  std::string native;
  if (!path || !MapPath(path, native))
    return fail("no such drive or folder");
  std::vector<png_byte> row(size_t(view.width) * 3);
  ReplacementFile file(native);
  if (!file.Open(reason))
    return false;
  if (!WritePng(file.Stream(), view, row.data())) {
    // The stream's own failure (a full disk, an interrupt) says more than
    // the encoder's.
    if (!file.Finish(reason))
      return false;
    return fail("the PNG encoder failed");
  }
  return file.Commit(reason);
}

} // namespace standin
