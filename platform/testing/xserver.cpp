// The x11 tests' own X server and window manager, their life, and the
// programs the tests start on it (see lvxtest/xserver.h).
#include "lvxtest/xserver.h"
#include "xserver_internal.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "lvxtest/testenv.h"
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace lvxtest {
namespace detail {

Clock::time_point Deadline(double seconds) { return Clock::now() + std::chrono::milliseconds(long(seconds * 1000)); }

void Breathe() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

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

} // namespace detail

using namespace detail;

namespace {

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

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
  pid_ = Start({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                "-noreset"},
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

Window XServer::ManagerWindow() { return display_ ? CheckWindow(display_, DefaultRootWindow(display_)) : 0; }

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

} // namespace lvxtest
