#pragma once
// Where the host bridge starts the application. The bridge's Run hands the
// shell to StartApplication, runs its message loop while the application
// lives and ends it with EndApplication; the About selector asks for the
// about window. A module installs its application once, when it loads; a
// module that installs none can still answer every selector, but its Start
// cannot run (the host hears -128).
class AppShell;

class ApplicationHooks {
public:
  virtual ~ApplicationHooks() = default;
  // Creates the application for the shell and lets it choose its road. A
  // road that ends at once posts its quit before returning true. False:
  // nothing to run; the bridge still calls EndApplication once.
  virtual bool StartApplication(AppShell* bridge) = 0;
  // Destroys the application, if there is one. Called exactly once after
  // every StartApplication.
  virtual void EndApplication() = 0;
  // Opens the about window without an owner; true when a window opened,
  // which deletes itself (a deferred delete) when clicked away.
  virtual bool ShowAboutWindow() = 0;
};

// The module's application; null until one is installed.
void InstallApplicationHooks(ApplicationHooks* hooks);
ApplicationHooks* InstalledApplicationHooks();
