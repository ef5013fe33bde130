#pragma once
// The bridge under test: this executable's own copy of ENTRYPOINT and the
// shell, with a test application installed, driven through lumivex-host's
// library (its host, call log and test controls).
#include "applicationhooks.h"
#include "filterpluginshell.h"
#include "host.h"
#include "hosttest.h"

#include <gtest/gtest.h>

#include <functional>

extern "C" void ENTRYPOINT(int16_t selector, FilterRecord* record, intptr_t* data, int16_t* result);

// The executable's version record of the one host application that draws
// the plug-in's pixels itself (standin::SetVersionRecord): with it the
// bridge identifies its host as the '8BIM' application and uses its
// displayPixels.
inline constexpr const char* kDisplayingHostRecord = "InternalName=Photoshp\nFileVersion=5.0\nFileOS=0x40004\n";

// An application whose start and about window are the test's to write.
class TestApplication : public ApplicationHooks {
public:
  // Default start: read, hand back unchanged, quit with `quitCode`.
  std::function<bool(AppShell&)> start = [this](AppShell& shell) {
    shell.AcquireImage(0, nullptr);
    shell.DeliverImage(nullptr, nullptr, nullptr);
    shell.Quit(quitCode);
    return true;
  };
  std::function<bool()> about = [] { return false; };
  int quitCode = 0;
  int starts = 0;
  int ends = 0;

  bool StartApplication(AppShell* bridge) override
  {
    ++starts;
    return start(*bridge);
  }
  void EndApplication() override { ++ends; }
  bool ShowAboutWindow() override { return about(); }
};

// The shell a host drives (the application is only ever given that one).
inline FilterPlugInShell& PlugIn(AppShell& shell) { return static_cast<FilterPlugInShell&>(shell); }

class Bridge : public ::testing::Test {
protected:
  void SetUp() override { InstallApplicationHooks(&app); }
  void TearDown() override { InstallApplicationHooks(nullptr); }
  lvhost::RunResult Run(lvhost::HostImage& image, lvhost::RunOptions options = {})
  {
    return host.Run(ENTRYPOINT, image, options);
  }
  lvhost::RunResult About()
  {
    lvhost::HostImage none;
    lvhost::RunOptions options;
    options.about = true;
    return host.Run(ENTRYPOINT, none, options);
  }

  TestApplication app;
  lvhost::Host host;
};
