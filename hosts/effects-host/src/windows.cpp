#include "windows.h"

#include "panel.h"
#include "preview.h"
#include "session.h"

#include "qvcommon/qvresourcefile.h"
#include "uiscript/uiscript.h"
#include "win32/automation.h"

#include <filesystem>
#include <memory>

namespace lvfx {
namespace {

constexpr DWORD kCaptionedStyle = 0x90C80000; // the captioned framework window type's styles

// The visible popup of a panel's menu: an untitled top-level window the
// panel owns.
HWND OpenMenu(HWND panel)
{
  for (const standin::TopLevelWindow& w : standin::TopLevelWindows())
    if (w.visible && w.title.empty() && w.owner == panel)
      return w.handle;
  return nullptr;
}

bool Snapshot(HWND window, const std::string& path, lvxtext::Error* error)
{
  std::string why;
  return standin::SnapshotPng(standin::SurfaceTarget::Whole(window), path.c_str(), &why) ||
         lvxtext::Fail(error, path + ": the snapshot cannot be written: " + why);
}

} // namespace

QVRect CaptionedWindowRect(int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight)
{
  RECT r{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&r, kCaptionedStyle, FALSE, 0);
  return QVRect(x, y, x + r.right - r.left, y + r.bottom - r.top);
}

uiscript::NamedTargets WindowTargets(const HWND* panel, const HWND* preview)
{
  // Asked at every step: the windows come and go while the script runs.
  const auto known = [](const HWND* window) { return window && *window && IsWindow(*window) ? *window : nullptr; };
  return {
      {"panel", [=] { return known(panel); }},
      {"preview", [=] { return known(preview); }},
      {"menu", [=] { return known(panel) ? OpenMenu(*panel) : nullptr; }},
  };
}

WindowsOutcome RunWindows(Session* session, const WindowsRun& run, lvxtext::Error* error, std::string* note)
{
  // The snapshot folder is there before the script runs, so that the
  // script's own snapshots may go into it too.
  if (run.snapshotDir) {
    std::error_code ignored;
    std::filesystem::create_directories(*run.snapshotDir, ignored);
  }
  QVResourceFile art(standin::MainModule());
  QVResourceFile effect(run.module);
  auto panel = std::make_unique<EffectPanel>(session, ModuleString(&effect, 3), &art, 20, 20);
  auto preview = std::make_unique<PreviewWindow>(session, run, 340, 20);
  const HWND panelWindow = panel->GetWnd(), previewWindow = preview->GetWnd();
  session->onControl = [&](const Control& c, ControlModel::Change change) { panel->ShowControl(c, change); };
  session->onRedraw = [&] { preview->Invalidate(); };

  const size_t failuresBefore = standin::Failures().size();
  std::unique_ptr<uiscript::Runner> runner;
  if (run.script || run.interactive) {
    if (run.script) {
      runner = std::make_unique<uiscript::Runner>(*run.script, WindowTargets(&panelWindow, &previewWindow));
      runner->Install();
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  } else {
    standin::Pump();
  }
  WindowsOutcome outcome = panel->Outcome() != WindowsOutcome::Running ? panel->Outcome() : preview->Outcome();
  const bool deadlock = standin::Failures().size() > failuresBefore;
  if (run.interactive && !deadlock && outcome == WindowsOutcome::Running) {
    outcome = WindowsOutcome::Cancelled; // the display went away
  } else if (run.script && outcome == WindowsOutcome::Running) {
    outcome = WindowsOutcome::Failed;
    lvxtext::Fail(error, runner->Failed() ? "the UI script failed: " + runner->Failure()
                         : deadlock       ? "the UI script ran out while the windows waited for input (a deadlock)"
                                          : "the message loop ended without Apply or Cancel");
  } else if (outcome == WindowsOutcome::Failed) {
    lvxtext::Fail(error, session->Failure());
  } else if (runner && runner->StepsLeft() > 0) {
    *note = std::to_string(runner->StepsLeft()) + " steps of the UI script were left over";
  }
  if (deadlock)
    standin::ClearFailures();
  standin::SetIdleScript({});

  if (run.snapshotDir && outcome != WindowsOutcome::Failed) {
    UpdateWindow(previewWindow); // the last render, when one is due
    if (!Snapshot(panelWindow, *run.snapshotDir + "/panel.png", error) ||
        !Snapshot(previewWindow, *run.snapshotDir + "/preview.png", error))
      outcome = WindowsOutcome::NotWritten;
  }
  session->onControl = nullptr;
  session->onRedraw = nullptr;
  return outcome;
}

} // namespace lvfx
