// The application object, its start-up roads and the bridge's seam.
#include "lumivexapp.h"

#include "aboutwindow.h"
#include "appshell.h"
#include "lumivexwindow.h"
#include "qvcommon/qvcolor.h"
#include "qvcommon/qvmessage.h"
#include "qvcommon/qvresourcefile.h"

#include <new>

namespace {

// The application object of the current Start; null between runs.
LumivexApp* g_current = nullptr;

enum : int { kMinimumWidth = 800, kMinimumHeight = 600 };
enum : int { kModeStandalone = 0, kModePlugIn = 1 };

} // namespace

LumivexApp::LumivexApp(AppShell* bridge) : m_Instance(GetHostInstance()), m_Bridge(bridge)
{
  m_Preferences.Load();
  g_current = this;
}

LumivexApp::~LumivexApp()
{
  delete m_MainWindow;
  m_MainWindow = nullptr;
  m_Preferences.Save();
  if (g_current == this)
    g_current = nullptr;
}

LumivexApp* LumivexApp::Current() { return g_current; }

bool LumivexApp::StartApplication(AppShell* bridge)
{
  if (!bridge)
    return false;
  auto* app = new (std::nothrow) LumivexApp(bridge);
  if (!app)
    return false;
  if (GetSystemMetrics(SM_CXSCREEN) < kMinimumWidth || GetSystemMetrics(SM_CYSCREEN) < kMinimumHeight) {
    QVMessage("Lumivex requires a minimum 800x600 resolution.", "Alert!", QVMessage::qvMessageOK);
    bridge->Quit(0);
    return false;
  }
  switch (bridge->GetMode()) {
  case kModeStandalone:
    // Nothing runs stand-alone from here: the loop that follows returns at
    // once.
    bridge->Quit(0);
    return true;
  case kModePlugIn: return app->StartPlugInRoad();
  default: return false;
  }
}

bool LumivexApp::StartPlugInRoad()
{
  QVRect empty;
  // Constructing the window reads the scripting parameters, which choose
  // the road.
  m_MainWindow = new (std::nothrow) LumivexWindow(&empty, nullptr, m_Bridge->GetParentWindow());
  if (!m_MainWindow)
    return false;
  QVColor black(0, 0, 0);
  m_MainWindow->SetBGColor(black);
  m_MainWindow->CreateControls();
  // Without the host's pixels there is nothing to correct, and a road that
  // went on would record a run the host never served.
  if (!m_Bridge->AcquireImage(0, m_MainWindow))
    return false;
  m_MainWindow->SetImage(m_Bridge->GetImage(), true);
  if (m_MainWindow->DialogWanted())
    return true;
  if (m_MainWindow->AutomaticMode())
    m_Bridge->Quit(m_MainWindow->FinishAutomatic() ? 0 : 2);
  else
    m_MainWindow->ApplyAndDeliver(true);
  return true;
}

void LumivexApp::EndApplication()
{
  // An about window still open belongs to this run: it goes before the
  // windows it sits on, and no later loop is left its delete.
  for (AboutWindow* about : AboutWindow::OpenWindows()) {
    if (g_current && g_current->m_Bridge)
      g_current->m_Bridge->DeferredDelete(about);
    else
      delete about;
  }
  delete g_current;
  g_current = nullptr;
}

bool LumivexAppHooks::StartApplication(AppShell* bridge) { return LumivexApp::StartApplication(bridge); }

void LumivexAppHooks::EndApplication() { LumivexApp::EndApplication(); }

bool LumivexAppHooks::ShowAboutWindow() { return ::ShowAboutWindow(nullptr, nullptr) != nullptr; }
