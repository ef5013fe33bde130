// The x11 tests' X server: the programs' windows as a person sees them,
// where they are, their stacking and focus (see lvxtest/xserver.h).
#include "lvxtest/xserver.h"
#include "xserver_internal.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

namespace lvxtest {

using namespace detail;

Window XServer::WaitForWindow(const std::string& title, double seconds)
{
  if (!display_)
    return 0;
  const Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
  const auto deadline = Deadline(seconds);
  do {
    // Depth first: a manager's frames hold the programs' windows.
    std::vector<Window> pending{DefaultRootWindow(display_)};
    Window found = 0;
    while (!pending.empty() && !found) {
      const Window window = pending.back();
      pending.pop_back();
      XWindowAttributes attributes{};
      if (!XGetWindowAttributes(display_, window, &attributes) || attributes.map_state != IsViewable)
        continue;
      if (Ours(display_, window)) {
        std::string name = Property(display_, window, netName, utf8);
        if (name.empty())
          name = Property(display_, window, XA_WM_NAME, XA_STRING);
        if (name == title)
          found = window;
        continue;
      }
      Window root = 0, parent = 0, *children = nullptr;
      unsigned count = 0;
      if (XQueryTree(display_, window, &root, &parent, &children, &count) && children) {
        // The top of the stacking order first.
        for (unsigned i = 0; i < count; ++i)
          pending.push_back(children[i]);
        XFree(children);
      }
    }
    if (found)
      return found;
    Breathe();
  } while (Clock::now() < deadline);
  return 0;
}

bool XServer::WaitUntilUnmapped(Window window, double seconds)
{
  if (!display_)
    return false;
  const auto deadline = Deadline(seconds);
  do {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, window, &attributes) || attributes.map_state != IsViewable)
      return true;
    Breathe();
  } while (Clock::now() < deadline);
  return false;
}

bool XServer::Size(Window window, int* width, int* height)
{
  XWindowAttributes attributes{};
  if (!display_ || !XGetWindowAttributes(display_, window, &attributes))
    return false;
  *width = attributes.width;
  *height = attributes.height;
  return true;
}

bool XServer::WaitForSize(Window window, int width, int height, double seconds)
{
  const auto deadline = Deadline(seconds);
  do {
    int w = 0, h = 0;
    if (!Size(window, &w, &h))
      return false;
    if (w == width && h == height)
      return true;
    Breathe();
  } while (Clock::now() < deadline);
  return false;
}

Window XServer::TransientFor(Window window)
{
  Window owner = 0;
  return display_ && XGetTransientForHint(display_, window, &owner) ? owner : 0;
}

bool XServer::Framed(Window window)
{
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!display_ || !XQueryTree(display_, window, &root, &parent, &children, &count))
    return false;
  if (children)
    XFree(children);
  return parent != root;
}

bool XServer::WaitUntilAbove(Window upper, Window lower, double seconds)
{
  if (!display_)
    return false;
  const Window root = DefaultRootWindow(display_);
  // The child of the root that holds a window: the window itself, or the
  // manager's frame around it.
  const auto topLevel = [&](Window window) {
    for (;;) {
      Window r = 0, parent = 0, *children = nullptr;
      unsigned count = 0;
      if (!XQueryTree(display_, window, &r, &parent, &children, &count))
        return Window(0);
      if (children)
        XFree(children);
      if (parent == root)
        return window;
      window = parent;
    }
  };
  const auto deadline = Deadline(seconds);
  do {
    const Window a = topLevel(upper), b = topLevel(lower);
    Window r = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    // The root's children come bottom first.
    int atA = -1, atB = -1;
    if (a && b && XQueryTree(display_, root, &r, &parent, &children, &count) && children) {
      for (unsigned i = 0; i < count; ++i) {
        if (children[i] == a)
          atA = int(i);
        if (children[i] == b)
          atB = int(i);
      }
    }
    if (children)
      XFree(children);
    if (atA >= 0 && atB >= 0 && atA > atB)
      return true;
    Breathe();
  } while (Clock::now() < deadline);
  return false;
}

bool XServer::WaitForFocus(Window window, double seconds)
{
  if (!display_)
    return false;
  const auto deadline = Deadline(seconds);
  do {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    if (focus == window)
      return true;
    Breathe();
  } while (Clock::now() < deadline);
  return false;
}

void XServer::SetFocus(Window window)
{
  if (!display_)
    return;
  XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
  XSync(display_, False);
}

void XServer::RequestClose(Window window)
{
  if (!display_)
    return;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &event);
  XFlush(display_);
}

} // namespace lvxtest
