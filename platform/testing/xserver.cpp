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
  // The child goes with the test process.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
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

} // namespace

XServer::XServer()
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
  if (!display_)
    problem_ = "cannot connect to Xvfb on " + name_;
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
}

Window XServer::WaitForWindow(const std::string& title, double seconds)
{
  if (!display_)
    return 0;
  const Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
  const auto deadline = Deadline(seconds);
  do {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) {
      for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, children[i], &attributes) || attributes.map_state != IsViewable)
          continue;
        std::string name = Property(display_, children[i], netName, utf8);
        if (name.empty())
          name = Property(display_, children[i], XA_WM_NAME, XA_STRING);
        if (name == title)
          found = children[i];
      }
      if (children)
        XFree(children);
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
  const std::string command = "DISPLAY=" + name_ + " xdotool " + words + " >/dev/null 2>&1";
  return std::system(command.c_str());
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
