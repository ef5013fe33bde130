#pragma once
// The one application object of the plug-in. The bridge's Run starts it for
// every Start (LumivexApp::StartApplication) and ends it when the message
// loop is over (LumivexApp::EndApplication). It holds the preferences, the
// main window and the bridge, checks the screen and chooses the road of the
// run: the interactive window, the replay of recorded settings or the
// automatic correction. The application's windows reach the bridge and the
// preferences through LumivexApp::Current().
#include "applicationhooks.h"
#include "prefsrecord.h"
#include "win32/types.h"

class AppShell;
class LumivexWindow;

class LumivexApp {
public:
  // The preferences loaded from the registry, the module instance and the
  // bridge kept, no main window yet. From now on this is the current
  // application object.
  explicit LumivexApp(AppShell* bridge);
  LumivexApp(const LumivexApp&) = delete;
  LumivexApp& operator=(const LumivexApp&) = delete;
  // Deletes the main window, then the preferences save themselves. The
  // current application object is cleared when it is this one.
  virtual ~LumivexApp();

  AppShell* GetBridge() const { return m_Bridge; }
  PrefsRecord* GetPreferences() { return &m_Preferences; }
  // The main window of the plug-in road; null before it or when it could
  // not be made.
  LumivexWindow* GetMainWindow() const { return m_MainWindow; }
  HINSTANCE GetInstance() const { return m_Instance; }

  // The current application object; null when there is none.
  static LumivexApp* Current();

  // Creates the application object for the bridge and takes its road:
  //   - a screen below 800 x 600: the "Alert!" box, Quit (0), false;
  //   - stand-alone (mode 0): Quit (0) at once, true (nothing to run);
  //   - filter plug-in (mode 1): the plug-in road, see StartPlugInRoad;
  //   - any other mode: false.
  // False also when the object or the main window cannot be made.
  static bool StartApplication(AppShell* bridge);
  // Closes the about windows this run left open (through the bridge's
  // deferred delete), deletes the current application object and clears
  // it. A second call does nothing.
  static void EndApplication();

private:
  // The main window over the host's window, black, with its controls; the
  // host's pixels read and shown, then the road the scripting parameters
  // chose: interactive (nothing more), automatic (FinishAutomatic, then
  // Quit 0, or Quit 2 when the correction failed) or replay
  // (ApplyAndDeliver with quit). False when the window cannot be made or
  // the host's pixels cannot be read.
  bool StartPlugInRoad();

  HINSTANCE m_Instance = nullptr;
  PrefsRecord m_Preferences;
  LumivexWindow* m_MainWindow = nullptr; // owned
  AppShell* m_Bridge = nullptr;          // not owned
};

// The bridge's application seam over LumivexApp: StartApplication and
// EndApplication forward, ShowAboutWindow opens the about window without an
// owner on the plug-in's own resources (true exactly when one opened).
class LumivexAppHooks : public ApplicationHooks {
public:
  bool StartApplication(AppShell* bridge) override;
  void EndApplication() override;
  bool ShowAboutWindow() override;
};
