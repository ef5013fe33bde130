// The x11 tests' own X server, the programs they start on it and what they
// read back from it (see lvxtest/xserver.h).
#include "lvxtest/xserver.h"
#include "lvxtest/testenv.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <png.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace lvxtest {
namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point Deadline(double seconds)
{
  return Clock::now() + std::chrono::milliseconds(long(seconds * 1000));
}

// The pause between two looks at a condition that is polled.
void Breathe() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

// Starts argv with the environment additions, its stderr on `errorsFd`
// (none: -1) and no descriptors open but the standard ones and `keepFd`.
// -1 when fork fails.
pid_t Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, int errorsFd, int keepFd)
{
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid != 0)
    return pid;
  // The child goes with the test process, and takes Ctrl-C and SIGTERM as
  // a program started from a terminal does, even when the tests run where
  // they are ignored.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  for (const std::string& e : env)
    putenv(const_cast<char*>(e.c_str()));
  if (errorsFd >= 0)
    dup2(errorsFd, 2);
  for (int fd = 3; fd < 256; ++fd)
    if (fd != keepFd)
      close(fd);
  execvp(args[0], args.data());
  _exit(127);
}

std::string Property(Display* display, Window window, Atom name, Atom type)
{
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string value;
  if (XGetWindowProperty(display, window, name, 0, 4096, False, type, &actual, &format, &count, &after, &data) ==
          Success &&
      data && format == 8)
    value.assign(reinterpret_cast<char*>(data), count);
  if (data)
    XFree(data);
  return value;
}

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

// The window a window's _NET_SUPPORTING_WM_CHECK names; 0 for none.
Window CheckWindow(Display* display, Window window)
{
  Atom actual = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  Window named = 0;
  if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                         XA_WINDOW, &actual, &format, &count, &after, &data) == Success &&
      data && format == 32 && count == 1)
    named = *reinterpret_cast<unsigned long*>(data);
  if (data)
    XFree(data);
  return named;
}

// Whether the window is one of the programs' own, by its class.
bool Ours(Display* display, Window window)
{
  XClassHint hint{};
  if (!XGetClassHint(display, window, &hint))
    return false;
  const bool ours = hint.res_name && std::strcmp(hint.res_name, "lumivex") == 0;
  XFree(hint.res_name);
  XFree(hint.res_class);
  return ours;
}

} // namespace

std::string ManagerName(Manager manager)
{
  switch (manager) {
  case Manager::Bare: return "bare";
  case Manager::Openbox: return "openbox";
  case Manager::Fluxbox: return "fluxbox";
  }
  return "?";
}

XServer::XServer(Manager manager)
{
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    problem_ = "no pipe";
    return;
  }
  pid_ = Start({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1280x1024x24", "-nolisten",
                "tcp", "-noreset"},
               {}, open("/dev/null", O_WRONLY | O_CLOEXEC), pipeFds[1]);
  close(pipeFds[1]);
  // The server writes its display number once it accepts connections.
  std::string number;
  const auto deadline = Deadline(60);
  pollfd in{pipeFds[0], POLLIN, 0};
  while (Clock::now() < deadline && number.find('\n') == std::string::npos) {
    if (poll(&in, 1, 200) <= 0)
      continue;
    char buffer[32];
    const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
    if (n <= 0)
      break;
    number.append(buffer, size_t(n));
  }
  close(pipeFds[0]);
  if (number.find('\n') == std::string::npos) {
    problem_ = "Xvfb did not start (is the xvfb package installed?)";
    return;
  }
  name_ = ":" + number.substr(0, number.find('\n'));
  XSetErrorHandler(IgnoreErrors);
  display_ = XOpenDisplay(name_.c_str());
  if (!display_) {
    problem_ = "cannot connect to Xvfb on " + name_;
    return;
  }
  if (manager != Manager::Bare && !StartManager(manager)) {
    XCloseDisplay(display_);
    display_ = nullptr;
  }
}

bool XServer::StartManager(Manager manager)
{
  const std::string name = ManagerName(manager);
  std::vector<std::string> argv{name};
  if (manager == Manager::Openbox)
    argv.push_back("--sm-disable");
  // The manager's settings are kept in the test's own folder.
  managerPid_ = Start(argv, {"DISPLAY=" + name_, "HOME=" + TempDir(), "XDG_CONFIG_HOME=" + TempDir() + "/config"},
                      open("/dev/null", O_WRONLY | O_CLOEXEC), -1);
  manager_ = manager;
  // It has announced itself once its check window names itself, and works
  // once it frames a window that is mapped: a manager still starting up
  // may let a request to map a window go unanswered.
  const Window root = DefaultRootWindow(display_);
  const Window probe = XCreateSimpleWindow(display_, root, 0, 0, 10, 10, 0, 0, 0);
  XSelectInput(display_, probe, StructureNotifyMask);
  bool announced = false, framed = false;
  auto mapped = Clock::now();
  const auto deadline = Deadline(60);
  do {
    if (!announced) {
      const Window check = CheckWindow(display_, root);
      announced = check && CheckWindow(display_, check) == check;
      if (announced) {
        XMapWindow(display_, probe);
        XFlush(display_);
        mapped = Clock::now();
      }
    } else {
      XEvent event;
      while (!framed && XCheckTypedWindowEvent(display_, probe, ReparentNotify, &event))
        framed = event.xreparent.parent != root;
      if (!framed && Clock::now() - mapped > std::chrono::seconds(2)) {
        // Asked again: the first request may have come too early.
        XUnmapWindow(display_, probe);
        XMapWindow(display_, probe);
        XFlush(display_);
        mapped = Clock::now();
      }
    }
    if (framed)
      break;
    if (waitpid(managerPid_, nullptr, WNOHANG) == managerPid_) {
      managerPid_ = -1;
      break;
    }
    Breathe();
  } while (Clock::now() < deadline);
  XDestroyWindow(display_, probe);
  XSync(display_, False);
  if (framed)
    return true;
  problem_ = name + " did not start on " + name_ + " (is the " + name + " package installed?)";
  return false;
}

XServer::~XServer() { Kill(); }

void XServer::Kill()
{
  if (pid_ <= 0)
    return;
  if (display_) {
    XCloseDisplay(display_);
    display_ = nullptr;
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
  // The manager ends with its server.
  if (managerPid_ > 0) {
    kill(managerPid_, SIGKILL);
    waitpid(managerPid_, nullptr, 0);
    managerPid_ = -1;
  }
}

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

std::vector<uint32_t> XServer::Grab(Window window, int left, int top, int width, int height)
{
  if (width == 0 && !Size(window, &width, &height))
    return {};
  XImage* image = display_ && width > 0 && height > 0
                      ? XGetImage(display_, window, left, top, unsigned(width), unsigned(height), AllPlanes, ZPixmap)
                      : nullptr;
  if (!image)
    return {};
  std::vector<uint32_t> pixels;
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x)
      pixels.push_back(uint32_t(XGetPixel(image, x, y)) & 0xFFFFFFu);
  XDestroyImage(image);
  return pixels;
}

bool XServer::WaitForPixels(Window window, int left, int top, const std::vector<uint32_t>& expected, int width,
                            std::vector<uint32_t>* shown, std::string* why, double seconds)
{
  const int height = width > 0 ? int(expected.size()) / width : 0;
  const auto deadline = Deadline(seconds);
  do {
    *shown = Grab(window, left, top, width, height);
    if (SamePixels(*shown, width, expected, width, why))
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

Window XServer::ManagerWindow() { return display_ ? CheckWindow(display_, DefaultRootWindow(display_)) : 0; }

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

int XServer::Xdotool(const std::string& words)
{
  // The words are UTF-8, whatever the test's locale.
  const std::string command = "DISPLAY=" + name_ + " LC_ALL=C.UTF-8 xdotool " + words + " >/dev/null 2>&1";
  return std::system(command.c_str());
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

void XServer::SetRootWindowProperty(const std::string& name, Window value)
{
  if (!display_)
    return;
  const unsigned long id = value;
  XChangeProperty(display_, DefaultRootWindow(display_), XInternAtom(display_, name.c_str(), False), XA_WINDOW, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&id), 1);
  XSync(display_, False);
}

bool XServer::DropMapRequests(double seconds)
{
  if (!display_)
    return false;
  const Window root = DefaultRootWindow(display_);
  XSelectInput(display_, root, SubstructureRedirectMask);
  XSync(display_, False);
  bool dropped = false;
  const auto deadline = Deadline(seconds);
  while (!dropped && Clock::now() < deadline) {
    XEvent event;
    while (!dropped && XCheckTypedEvent(display_, MapRequest, &event))
      dropped = Ours(display_, event.xmaprequest.window);
    if (!dropped)
      Breathe();
  }
  XSelectInput(display_, root, NoEventMask);
  XSync(display_, False);
  return dropped;
}

Program::Program(const std::vector<std::string>& argv, const XServer& server)
{
  static int serial = 0;
  errors_ = TempDir() + "/program-" + std::to_string(++serial) + ".stderr";
  const int fd = open(errors_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  pid_ = Start(argv, {"DISPLAY=" + server.Name(), "LUMIVEX_HEADLESS=0"}, fd, -1);
  if (fd >= 0)
    close(fd);
}

Program::~Program()
{
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

int Program::Wait(double seconds)
{
  if (pid_ <= 0)
    return -1;
  const auto deadline = Deadline(seconds);
  int status = 0;
  do {
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    Breathe();
  } while (Clock::now() < deadline);
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
  return -1;
}

std::string Program::Errors() const { return FileContents(errors_); }

void Program::Signal(int signal)
{
  if (pid_ > 0)
    kill(pid_, signal);
}

bool SamePixels(const std::vector<uint32_t>& a, int aWidth, const std::vector<uint32_t>& b, int bWidth,
                std::string* why)
{
  if (a.empty() || aWidth != bWidth || a.size() != b.size()) {
    *why = "sizes differ: " + std::to_string(aWidth) + " x " + std::to_string(aWidth ? a.size() / size_t(aWidth) : 0) +
           " and " + std::to_string(bWidth) + " x " + std::to_string(bWidth ? b.size() / size_t(bWidth) : 0);
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) {
      char text[96];
      std::snprintf(text, sizeof text, "pixel (%d, %d) is %06X and %06X", int(i % size_t(aWidth)),
                    int(i / size_t(aWidth)), unsigned(a[i]), unsigned(b[i]));
      *why = text;
      return false;
    }
  return true;
}

std::vector<uint32_t> ReadPng(const std::string& path, int* width, int* height)
{
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str()))
    return {};
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> pixels(size_t(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return {};
  }
  for (uint32_t& p : pixels)
    p &= 0xFFFFFFu; // B, G, R, A in memory: 0xAARRGGBB
  *width = int(image.width);
  *height = int(image.height);
  return pixels;
}

bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height)
{
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> opaque(pixels);
  for (uint32_t& p : opaque)
    p |= 0xFF000000u;
  return png_image_write_to_file(&image, path.c_str(), 0, opaque.data(), 0, nullptr) != 0;
}

} // namespace lvxtest
