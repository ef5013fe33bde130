#pragma once
// The application's windows in a real host run: lumivex-host's library
// drives this executable's own ENTRYPOINT, whose plug-in shell starts a test
// application: an application object over the shell, and a main window in
// reach of the test built as the plug-in road builds its own.
#include "aboutwindow.h"
#include "bridgetest.h"
#include "lumivexapp.h"
#include "lvxtest/testenv.h"
#include "qvcommon/qvslider.h"
#include "windowstest.h"

#include <functional>
#include <memory>

namespace wintest {

// Starts as the plug-in road does: the application object over the shell,
// the main window over the host's window with its controls, the host's
// image acquired and handed to it. Ends by deleting the window and the
// application object.
class WindowsApplication : public ApplicationHooks {
public:
  bool StartApplication(AppShell* bridge) override
  {
    app = std::make_unique<LumivexApp>(bridge);
    window = new TestWindow(true, bridge->GetParentWindow());
    window->CreateControls();
    bridge->AcquireImage(0, window);
    window->SetImage(bridge->GetImage(), true);
    return true;
  }
  void EndApplication() override
  {
    if (window && atEnd)
      atEnd(*window);
    delete window;
    window = nullptr;
    app.reset();
  }
  bool ShowAboutWindow() override { return ::ShowAboutWindow(nullptr, nullptr) != nullptr; }

  std::unique_ptr<LumivexApp> app;
  TestWindow* window = nullptr;
  // Looks at the window just before it goes.
  std::function<void(TestWindow&)> atEnd;
};

// The picture samples/NAME as a host holds it.
inline lvhost::HostImage SampleImage(const std::string& name)
{
  lvhost::HostImage image;
  lvxtext::Error error;
  EXPECT_TRUE(lvhost::ReadImage(lvxtest::Source("samples/" + name), &image, &error)) << error.message;
  return image;
}

// Drags the panel slider's thumb by dx, as a person does.
inline void DragSlider(TestWindow& w, int32_t id, int dx)
{
  QVSlider* slider = w.m_ControlPanel->GetSlider(id);
  const int x = slider->GetSliderPos() + 3;
  standin::Move(slider->GetWnd(), x, 12);
  standin::Press(slider->GetWnd(), x, 12);
  standin::Move(slider->GetWnd(), x + dx, 12);
  standin::Release(slider->GetWnd(), x + dx, 12);
}

class HostRun : public Bridge {
protected:
  void SetUp() override
  {
    Bridge::SetUp();
    apptest::FreshRegistry();
    standin::SetScreen(1024, 768, 32);
    InstallApplicationHooks(&application);
  }
  void TearDown() override
  {
    Bridge::TearDown();
    standin::Reset();
  }
  // An idle step that runs against the main window.
  void Step(std::function<void(TestWindow&)> step)
  {
    standin::AddIdleStep([this, step] {
      if (application.window)
        step(*application.window);
    });
  }

  WindowsApplication application;
};

} // namespace wintest
