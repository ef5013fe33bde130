// The X11 presenter's pixels: what was painted is gathered per window and
// pushed once per pass of the message loop, from the surface as it is
// (XShmPutImage through a shared copy when the server offers MIT-SHM,
// else XPutImage straight from the surface). Expose pushes again from the
// surface; no WM_PAINT is needed, since the surface holds the picture.
#include "x11/x11presenter.h"

#include "wm.h"

#include <algorithm>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace standin::detail {
namespace {

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Union(const RECT& a, const RECT& b)
{
  if (Empty(a))
    return b;
  if (Empty(b))
    return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

} // namespace

void X11Presenter::SurfacePainted(HWND topLevel, const RECT& area)
{
  if (Shown* shown = Record(topLevel); shown && shown->mapped)
    MarkDirty(shown, area);
}

void X11Presenter::MarkDirty(Shown* shown, const RECT& area) { shown->dirty = Union(shown->dirty, area); }

void X11Presenter::DropImages(Shown* shown)
{
  if (shown->image) {
    shown->image->data = nullptr; // the surface's own pixels
    XDestroyImage(shown->image);
    shown->image = nullptr;
  }
  if (shown->shmImage) {
    if (!lost_)
      XShmDetach(display_, &shown->shm);
    shown->shmImage->data = nullptr;
    XDestroyImage(shown->shmImage);
    shown->shmImage = nullptr;
    shmdt(shown->shm.shmaddr);
    shown->shm = XShmSegmentInfo{};
  }
  shown->pixels = nullptr;
}

bool X11Presenter::Push(HWND window, Shown* shown)
{
  Surface* surface = SurfaceOf(Find(window));
  if (!surface)
    return false;
  if (shown->pixels != surface->pixels ||
      (shown->image && (shown->image->width != surface->width || shown->image->height != surface->height)) ||
      (shown->shmImage && (shown->shmImage->width != surface->width || shown->shmImage->height != surface->height)))
    DropImages(shown);
  shown->pixels = surface->pixels;
  // The X window shows the surface from `origin` on: the client area's
  // corner where a manager draws the frame.
  const POINT origin = SurfaceOrigin(window, shown->clientOnly);
  const RECT placed = shown->rect;
  const RECT shows{origin.x, origin.y, origin.x + (placed.right - placed.left),
                   origin.y + (placed.bottom - placed.top)};
  const RECT area = Intersect(Intersect(shown->dirty, surface->Bounds()), shows);
  shown->dirty = RECT{};
  if (Empty(area))
    return false;
  const int x = int(area.left), y = int(area.top);
  const int toX = x - int(origin.x), toY = y - int(origin.y);
  const unsigned width = unsigned(area.right - area.left), height = unsigned(area.bottom - area.top);
  if (shm_ && !shown->shmImage) {
    XImage* image = XShmCreateImage(display_, visual_, unsigned(depth_), ZPixmap, nullptr, &shown->shm,
                                    unsigned(surface->width), unsigned(surface->height));
    const int id =
        image ? shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * size_t(image->height), IPC_CREAT | 0600) : -1;
    void* memory = id >= 0 ? shmat(id, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (memory != reinterpret_cast<void*>(-1)) {
      shown->shm.shmid = id;
      shown->shm.shmaddr = image->data = static_cast<char*>(memory);
      shown->shm.readOnly = True;
      XShmAttach(display_, &shown->shm);
      XSync(display_, False);
      shown->shmImage = image;
    } else if (image) {
      XDestroyImage(image);
    }
    // The segment goes when both sides have let go of it.
    if (id >= 0)
      shmctl(id, IPC_RMID, nullptr);
  }
  if (shown->shmImage) {
    XImage* image = shown->shmImage;
    for (unsigned row = 0; row < height; ++row)
      std::memcpy(image->data + ptrdiff_t(y + int(row)) * image->bytes_per_line + ptrdiff_t(x) * 4,
                  surface->At(x, y + int(row)), size_t(width) * 4);
    XShmPutImage(display_, shown->window, gc_, image, x, y, toX, toY, width, height, False);
    return true;
  }
  if (!shown->image) {
    shown->image =
        XCreateImage(display_, visual_, unsigned(depth_), ZPixmap, 0, reinterpret_cast<char*>(surface->pixels),
                     unsigned(surface->width), unsigned(surface->height), 32, int(surface->stride));
    if (!shown->image)
      return false;
    shown->image->byte_order = LSBFirst; // B, G, R, unused in memory
  }
  XPutImage(display_, shown->window, gc_, shown->image, x, y, toX, toY, width, height);
  return false;
}

void X11Presenter::Flush()
{
  if (lost_)
    return;
  Restack();
  // Frames the stand-in draws lazily are drawn now, so they show too.
  DrawDirtyFrames();
  bool shared = false;
  for (auto& [window, shown] : shown_) {
    if (lost_)
      return;
    if (shown.mapped && !Empty(shown.dirty))
      shared = Push(window, &shown) || shared;
  }
  // A shared image may be written again only once the server has read it.
  if (shared && !lost_)
    XSync(display_, False);
}

} // namespace standin::detail
