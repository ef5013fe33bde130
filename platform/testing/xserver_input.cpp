// The x11 tests' X server: a person's pointer and keys, through xdotool
// and the keyboard's map (see lvxtest/xserver.h).
#include "lvxtest/xserver.h"
#include "xserver_internal.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace lvxtest {

using namespace detail;

namespace {

// What a window manager's work shows on the server: the windows at the
// root, in stacking order, with their geometry, and the keyboard's focus.
std::vector<long> Arrangement(Display* display)
{
  std::vector<long> seen;
  Window focus = 0, root = 0, parent = 0, *children = nullptr;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  seen.push_back(long(focus));
  unsigned count = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) && children) {
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes a{};
      if (!XGetWindowAttributes(display, children[i], &a) || a.map_state != IsViewable)
        continue;
      seen.insert(seen.end(), {long(children[i]), a.x, a.y, a.width, a.height});
    }
    XFree(children);
  }
  return seen;
}

} // namespace

std::vector<std::string> XdotoolCommands(const std::string& words)
{
  static const char* const kCommands[] = {"mousemove", "mousedown", "mouseup", "click",
                                          "key",       "keydown",   "keyup",   "type"};
  std::vector<std::string> commands;
  size_t at = 0;
  while (at < words.size()) {
    while (at < words.size() && words[at] == ' ')
      ++at;
    if (at == words.size())
      break;
    // One word, with what single quotes hold taken whole.
    const size_t begin = at;
    bool quoted = false;
    while (at < words.size() && (quoted || words[at] != ' ')) {
      if (words[at] == '\'')
        quoted = !quoted;
      ++at;
    }
    const std::string word = words.substr(begin, at - begin);
    const bool command = std::find(std::begin(kCommands), std::end(kCommands), word) != std::end(kCommands);
    if (command || commands.empty())
      commands.push_back(word);
    else
      commands.back() += " " + word;
  }
  return commands;
}

bool XServer::ManagerCaughtUp(double seconds)
{
  if (!display_ || manager_ == Manager::Bare)
    return display_ != nullptr;
  // A window of the harness's own, never mapped, whose frame extents the
  // manager is asked for: it answers in the order of what it was sent, so
  // its answer comes after all it had to do before.
  const Window root = DefaultRootWindow(display_);
  const Window probe = XCreateSimpleWindow(display_, root, 0, 0, 1, 1, 0, 0, 0);
  XSelectInput(display_, probe, PropertyChangeMask);
  const Atom extents = XInternAtom(display_, "_NET_FRAME_EXTENTS", False);
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = probe;
  request.xclient.message_type = XInternAtom(display_, "_NET_REQUEST_FRAME_EXTENTS", False);
  request.xclient.format = 32;
  XSendEvent(display_, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
  XFlush(display_);
  bool answered = false;
  const auto deadline = Deadline(seconds);
  do {
    XEvent event;
    while (!answered && XCheckTypedWindowEvent(display_, probe, PropertyNotify, &event))
      answered = event.xproperty.atom == extents;
    if (!answered)
      Breathe();
  } while (!answered && Clock::now() < deadline);
  XDestroyWindow(display_, probe);
  XSync(display_, False);
  return answered;
}

bool XServer::WaitUntilSettled(double seconds)
{
  if (!display_ || manager_ == Manager::Bare)
    return display_ != nullptr;
  // Settled once the manager caught up twice with nothing moved between:
  // what the programs asked of it before is done, and none of it asked for
  // more.
  const auto deadline = Deadline(seconds);
  std::vector<long> before = Arrangement(display_);
  while (ManagerCaughtUp(seconds)) {
    const std::vector<long> after = Arrangement(display_);
    if (after == before)
      return true;
    if (Clock::now() >= deadline)
      return false;
    before = after;
  }
  return false;
}

int XServer::Xdotool(const std::string& words)
{
  // A manager still placing, raising or focusing windows when the pointer
  // or keys arrive may take them for its own: a press on a window it then
  // activates is held by its grab, and what follows in the same burst can
  // go to it instead of the window. So each command goes alone, once the
  // manager settled after the one before.
  for (const std::string& command : XdotoolCommands(words)) {
    WaitUntilSettled();
    // The words are UTF-8, whatever the test's locale.
    const std::string line = "DISPLAY=" + name_ + " LC_ALL=C.UTF-8 xdotool " + command + " >/dev/null 2>&1";
    if (const int status = std::system(line.c_str()); status != 0)
      return status;
  }
  return 0;
}

bool XServer::AddKey(const std::string& lower, const std::string& upper)
{
  if (!display_)
    return false;
  int first = 0, last = 0, perCode = 0;
  XDisplayKeycodes(display_, &first, &last);
  KeySym* map = XGetKeyboardMapping(display_, KeyCode(first), last - first + 1, &perCode);
  if (!map)
    return false;
  int free = 0;
  for (int code = last; code >= first && !free; --code) {
    bool unused = true;
    for (int i = 0; i < perCode; ++i)
      unused = unused && map[(code - first) * perCode + i] == NoSymbol;
    if (unused)
      free = code;
  }
  XFree(map);
  if (!free)
    return false;
  KeySym syms[2] = {XStringToKeysym(lower.c_str()), XStringToKeysym(upper.c_str())};
  XChangeKeyboardMapping(display_, free, 2, syms, 1);
  XSync(display_, False);
  return syms[0] != NoSymbol && syms[1] != NoSymbol;
}

} // namespace lvxtest
