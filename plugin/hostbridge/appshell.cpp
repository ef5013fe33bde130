// The shell's base, the stand-alone shell and the installed application
// (see appshell.h and applicationhooks.h).
#include "appshell.h"

#include "applicationhooks.h"
#include "hostutil.h"
#include "qvcommon/qvcolor.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvresourcefile.h"
#include "qvcommon/qvsystem.h"
#include "qvcommon/qvwindow.h"
#include "win32/dialogs.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

ApplicationHooks* g_hooks = nullptr;

// Retrieval of thread messages only (those posted without a window).
const HWND kThreadMessages = reinterpret_cast<HWND>(intptr_t{-1});

HWND WindowOf(const QVWindow* owner) { return owner ? owner->GetWnd() : nullptr; }

// `directory` := the folder part of `path` (up to its last separator).
void RememberFolder(char (&directory)[260], const std::string& path)
{
  const size_t slash = path.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  if (folder.size() < sizeof directory)
    std::memcpy(directory, folder.c_str(), folder.size() + 1);
}

// A file dialog with one file pattern, starting in `directory` (and with
// the name of `start` when given). The chosen path, or empty when cancelled.
std::string AskFileName(bool save, const char* title, const char* filter, const char* defaultExtension,
                        const char* directory, const QVFileSpec* start, QVWindow* owner)
{
  char path[QVFileSpec::kPathSize] = "";
  if (start && start->GetFullPath(path, sizeof path) != 0)
    path[0] = '\0';
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = WindowOf(owner);
  ofn.hInstance = GetHostInstance();
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  ofn.lpstrInitialDir = directory && *directory ? directory : nullptr;
  ofn.lpstrTitle = title;
  ofn.lpstrDefExt = defaultExtension;
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  return chosen ? std::string(path) : std::string();
}

} // namespace

void InstallApplicationHooks(ApplicationHooks* hooks) { g_hooks = hooks; }
ApplicationHooks* InstalledApplicationHooks() { return g_hooks; }

// ---- AppShell ---------------------------------------------------------------

AppShell::AppShell(HINSTANCE moduleInstance)
{
  AppShell::InitFields();
  instance = moduleInstance;
  if (instance)
    SetHostInstance(instance);
}

AppShell::~AppShell()
{
  delete image;
  delete openedFile;
}

int AppShell::Run()
{
  ApplicationHooks* hooks = InstalledApplicationHooks();
  if (QVSystem::GetMainMonitorDepth() <= 8 || !hooks) {
    DiscardQuit();
    return -1;
  }
  if (!hooks->StartApplication(this)) {
    // A start that failed half-way may have made the application (and
    // posted a quit): it is ended once, and the quit is not left to the
    // caller's own loop.
    hooks->EndApplication();
    DiscardQuit();
    return -1;
  }
  const int code = MessageLoop();
  hooks->EndApplication();
  return code;
}

void AppShell::Quit(int code) { PostQuitMessage(code); }

void AppShell::SetImage(QVImage*) {}

QVImage* AppShell::GetImage() { return image; }

int AppShell::GetMode() { return mode; }

HWND AppShell::GetParentWindow() { return nullptr; }

bool AppShell::ChooseColor(QVWindow* owner, QVColor* colour)
{
  if (!colour)
    return false;
  // The custom colours start white, as a fresh colour dialog shows them.
  COLORREF custom[16];
  std::fill(custom, custom + 16, RGB(255, 255, 255));
  const HWND window = WindowOf(owner);
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = window;
  cc.hInstance = window ? reinterpret_cast<HINSTANCE>(GetWindowLongA(window, GWL_HINSTANCE)) : nullptr;
  cc.rgbResult = static_cast<COLORREF>(colour->GetRGB());
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_ANYCOLOR;
  if (!ChooseColorA(&cc))
    return false;
  colour->SetRGB(static_cast<int32_t>(cc.rgbResult));
  return true;
}

bool AppShell::GetFlag() { return flag; }
void AppShell::SetFlag(bool on) { flag = on; }
HINSTANCE AppShell::GetInstance() { return instance; }

int AppShell::MessageLoop()
{
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0)
      return static_cast<int>(message.wParam);
    if (got == -1)
      return 1; // the queue failed: as if cancelled
    TranslateMessage(&message);
    if (!message.hwnd && message.message == WM_NULL && message.lParam)
      DeferredDelete(reinterpret_cast<QVWindow*>(message.lParam));
    else
      DispatchMessageA(&message);
  }
}

void AppShell::DeferredDelete(QVWindow* object)
{
  if (!object)
    return;
  delete object;
  // A window may have asked twice (two clicks before the loop ran): take
  // the thread messages off the queue and put back, in order, all but the
  // deletes of the object just deleted.
  std::vector<MSG> kept;
  bool quit = false;
  int quitCode = 0;
  MSG queued;
  while (PeekMessageA(&queued, kThreadMessages, WM_NULL, WM_NULL, PM_REMOVE)) {
    if (queued.message == WM_QUIT) {
      quit = true;
      quitCode = static_cast<int>(queued.wParam);
      break;
    }
    if (queued.message != WM_NULL || queued.lParam != reinterpret_cast<LPARAM>(object))
      kept.push_back(queued);
  }
  for (const MSG& m : kept)
    PostMessageA(nullptr, m.message, m.wParam, m.lParam);
  if (quit)
    PostQuitMessage(quitCode);
}

void AppShell::InitFields()
{
  image = nullptr;
  openedFile = nullptr;
  instance = nullptr;
}

std::string AppShell::SaveThroughDialog(QVImage* source, QVFileSpec* start, QVWindow* owner, const char* filter,
                                        const char* defaultExtension, const char* directory)
{
  const std::string path = AskFileName(true, "Save Image", filter, defaultExtension, directory, start, owner);
  if (path.empty() || !source || !source->HasPixels())
    return std::string();
  QVFileSpec file(path.c_str());
  return source->Save(&file, 0) == 1 ? path : std::string();
}

void AppShell::DiscardQuit()
{
  MSG quit;
  PeekMessageA(&quit, kThreadMessages, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// ---- StandaloneAppShell -----------------------------------------------------

StandaloneAppShell::StandaloneAppShell(HINSTANCE moduleInstance) : AppShell(moduleInstance) { mode = 0; }

StandaloneAppShell::~StandaloneAppShell() = default;

bool StandaloneAppShell::AcquireImage(int, QVWindow* owner)
{
  const std::string path =
      AskFileName(false, "Open Image", "All Files (*.*)\0*.*\0", nullptr, openDirectory, nullptr, owner);
  if (path.empty())
    return false;
  QVFileSpec file(path.c_str());
  auto* loaded = new (std::nothrow) QVImage(file, 24, false);
  auto* remembered = new (std::nothrow) QVFileSpec(path.c_str());
  if (!loaded || loaded->error || !loaded->HasPixels() || !remembered) {
    delete loaded;
    delete remembered;
    return false;
  }
  SetImage(loaded);
  delete openedFile;
  openedFile = remembered;
  RememberFolder(openDirectory, path);
  return true;
}

void StandaloneAppShell::SetImage(QVImage* newImage)
{
  if (newImage == image)
    return;
  delete image;
  image = newImage;
}

bool StandaloneAppShell::DeliverImage(QVImage* source, QVFileSpec* file, QVWindow* owner)
{
  return SaveImageAs(source, file, owner);
}

bool StandaloneAppShell::SaveImageAs(QVImage* source, QVFileSpec* start, QVWindow* owner)
{
  const std::string path = SaveThroughDialog(source, start, owner, "TIFF Files (*.tif)\0*.tif\0", "tif", saveDirectory);
  if (path.empty())
    return false;
  RememberFolder(saveDirectory, path);
  return true;
}

int RunStandaloneApplication()
{
  auto* shell = new (std::nothrow) StandaloneAppShell(hostif::ThisModule());
  if (!shell)
    return -1;
  const int code = shell->Run();
  delete shell;
  return code;
}
