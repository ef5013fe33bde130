// A filter plug-in for tests and demonstrations: the host bridge with a test
// application behind it. Its Start reads the host's pixels and hands them
// back unchanged, echoes the scripting parameters it was given and quits;
// its About opens a window that goes away when clicked.
//
// What the application does is set with PassthroughConfigure, or at load
// from $LUMIVEX_PASSTHROUGH, as words separated by blanks or commas:
//   acquire   read the host's pixels (AcquireImage)
//   deliver   write the current image back (DeliverImage)
//   echo      read every descriptor entry and write it back
//   quit=N    quit with code N (0: applied); quit=none: wait for
//             PassthroughQuit, as an interactive window would
//   fail      refuse to start (after Quit(0), as a too small screen does)
//   about     also open the about window during Start
//   wait=PATH first wait in Start until a byte (or the end) can be read
//             from the FIFO at PATH, so that a test can signal the host
//             while the plug-in runs
// The default is "acquire deliver echo quit=0".
#include "applicationhooks.h"
#include "filterhost/scriptingkeys.h"
#include "filterpluginshell.h"
#include "hostutil.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvresourcefile.h"
#include "qvcommon/qvwindow.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#define PASSTHROUGH_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Settings {
  bool acquire = true;
  bool deliver = true;
  bool echo = true;
  std::optional<int> quit = 0;
  bool fail = false;
  bool about = false;
  std::string wait; // a FIFO to read from before anything else
};

Settings g_settings;
std::map<std::string, long> g_counts;
AppShell* g_bridge = nullptr;

// Notes whether the framework was pointed at this module's resources.
void CheckInstance()
{
  if (GetHostInstance() != hostif::ThisModule())
    ++g_counts["foreign-instance"];
}

// The about window: a plain popup that asks the shell's message loop to
// delete it when clicked.
class AboutWindow : public QVWindow {
public:
  AboutWindow() : QVWindow(&kRect, "About", eQVWindowStyleMenu, nullptr, nullptr, nullptr)
  {
    ShowWindow(eQVShowNormal);
  }
  ~AboutWindow() override;

protected:
  bool HandleButtonDown(QVEvent&) override
  {
    PostMessageA(nullptr, WM_NULL, 0, reinterpret_cast<LPARAM>(this));
    return true;
  }

private:
  static const QVRect kRect;
};
const QVRect AboutWindow::kRect(100, 100, 300, 200);
AboutWindow* g_about = nullptr;

AboutWindow::~AboutWindow()
{
  ++g_counts["about-deleted"];
  if (g_about == this)
    g_about = nullptr;
}

bool OpenAbout()
{
  if (!g_about) {
    g_about = new AboutWindow;
    ++g_counts["about-opened"];
  }
  return g_about->GetWnd() != nullptr;
}

// Every entry of the host's descriptor, read with the read suite and written
// back with the write suite; nothing when the host gave no descriptor.
void Echo(FilterRecord* record)
{
  PIDescriptorParameters* p = record ? record->descriptorParameters : nullptr;
  if (!hostif::CheckDescriptorSuites(p, nullptr))
    return;
  uint32_t keys[kScriptingKeyCount + 1] = {};
  for (size_t i = 0; i < kScriptingKeyCount; ++i)
    keys[i] = kScriptingKeys[i].key;
  struct Entry {
    uint32_t key, type;
    int32_t integer = 0;
    double number = 0;
    uint8_t boolean = 0;
  };
  std::vector<Entry> entries;
  const ReadDescriptorProcs& read = *p->readDescriptorProcs;
  PIReadDescriptor reader = read.openReadDescriptorProc(p->descriptor, keys);
  if (!reader)
    return;
  uint32_t key = 0, type = 0;
  int32_t flags = 0;
  while (read.getKeyProc(reader, &key, &type, &flags)) {
    Entry e{key, type};
    if ((type == typeBoolean && read.getBooleanProc(reader, &e.boolean) == noErr) ||
        (type == typeInteger && read.getIntegerProc(reader, &e.integer) == noErr) ||
        (type == typeFloat && read.getFloatProc(reader, &e.number) == noErr))
      entries.push_back(e);
  }
  hostif::CloseReadDescriptor(p, record->handleProcs, &reader);

  const WriteDescriptorProcs& write = *p->writeDescriptorProcs;
  PIWriteDescriptor writer = write.openWriteDescriptorProc();
  if (!writer)
    return;
  for (const Entry& e : entries) {
    if (e.type == typeBoolean)
      write.putBooleanProc(writer, e.key, e.boolean);
    else if (e.type == typeInteger)
      write.putIntegerProc(writer, e.key, e.integer);
    else
      write.putFloatProc(writer, e.key, &e.number);
  }
  hostif::CloseWriteDescriptor(p, record->handleProcs, &writer);
  ++g_counts["echoed"];
}

// Blocks until the test writes to (or closes) the FIFO; a signal the host
// catches meanwhile does not end the wait.
void WaitAtGate(const std::string& path)
{
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return;
  char byte = 0;
  while (read(fd, &byte, 1) < 0 && errno == EINTR) {
  }
  close(fd);
  ++g_counts["waited"];
}

class PassthroughApplication : public ApplicationHooks {
public:
  bool StartApplication(AppShell* bridge) override
  {
    ++g_counts["start"];
    CheckInstance();
    g_bridge = bridge;
    if (g_settings.fail) {
      bridge->Quit(0);
      return false;
    }
    if (!g_settings.wait.empty())
      WaitAtGate(g_settings.wait);
    if (g_settings.about)
      OpenAbout();
    if (g_settings.acquire && bridge->AcquireImage(0, nullptr))
      ++g_counts["acquired"];
    if (g_settings.deliver && bridge->DeliverImage(bridge->GetImage(), nullptr, nullptr))
      ++g_counts["delivered"];
    if (g_settings.echo && bridge->GetMode() == 1)
      Echo(static_cast<FilterPlugInShell*>(bridge)->Record());
    if (g_settings.quit)
      bridge->Quit(*g_settings.quit);
    return true;
  }

  void EndApplication() override
  {
    ++g_counts["end"];
    g_bridge = nullptr;
    delete g_about;
  }

  bool ShowAboutWindow() override
  {
    CheckInstance();
    return OpenAbout();
  }
};

PassthroughApplication g_application;

// False for a word it does not know (the settings are then unchanged).
bool Parse(const char* text, Settings* settings)
{
  Settings s;
  if (!text) {
    *settings = s;
    return true;
  }
  s.acquire = s.deliver = s.echo = false;
  s.quit.reset();
  std::string words(text);
  for (char& c : words)
    if (c == ',')
      c = ' ';
  std::istringstream in(words);
  for (std::string word; in >> word;) {
    if (word == "acquire")
      s.acquire = true;
    else if (word == "deliver")
      s.deliver = true;
    else if (word == "echo")
      s.echo = true;
    else if (word == "fail")
      s.fail = true;
    else if (word == "about")
      s.about = true;
    else if (word.rfind("wait=", 0) == 0 && word.size() > 5)
      s.wait = word.substr(5);
    else if (word == "quit=none")
      s.quit.reset();
    else if (word.rfind("quit=", 0) == 0 && word.size() > 5)
      s.quit = std::atoi(word.c_str() + 5);
    else
      return false;
  }
  *settings = s;
  return true;
}

// Installs the application as the module loads.
struct Install {
  Install()
  {
    InstallApplicationHooks(&g_application);
    Parse(std::getenv("LUMIVEX_PASSTHROUGH"), &g_settings);
  }
} g_install;

} // namespace

// Sets what Start does (null: the default); false for an unknown word.
PASSTHROUGH_EXPORT bool PassthroughConfigure(const char* settings) { return Parse(settings, &g_settings); }

// How often something happened since the module loaded: "start", "end",
// "acquired", "delivered", "echoed", "waited", "about-opened", "about-deleted", and
// "foreign-instance" (a call that found the framework on another module).
PASSTHROUGH_EXPORT long PassthroughCount(const char* event) { return event ? g_counts[event] : 0; }

// Quits the running application, as its window would.
PASSTHROUGH_EXPORT void PassthroughQuit(int code)
{
  if (g_bridge)
    g_bridge->Quit(code);
}

// The about window while it is open.
PASSTHROUGH_EXPORT HWND PassthroughAboutWindow() { return g_about ? g_about->GetWnd() : nullptr; }
