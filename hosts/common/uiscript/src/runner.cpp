// Running UI scripts from the idle points of a message loop (see uiscript.h).
#include "uiscript/uiscript.h"

#include "win32/automation.h"

#include <algorithm>
#include <cstdlib>

namespace uiscript {
namespace {

// The most a drag's pointer moves between two of its points.
constexpr int kDragStep = 8;

} // namespace

HWND FindWindowTitled(const std::string& title)
{
  for (const standin::TopLevelWindow& w : standin::TopLevelWindows())
    if (w.visible && w.title == title)
      return w.handle;
  return nullptr;
}

Runner::Runner(Script script, NamedTargets names) : script_(std::move(script)), names_(std::move(names)) {}

void Runner::Install()
{
  // One idle step per input step, and one for what follows the last.
  size_t points = 0;
  bool trailing = false;
  for (const Step& step : script_.steps) {
    trailing = !step.IsInput();
    points += step.IsInput() ? 1 : 0;
  }
  points += trailing ? 1 : 0;
  std::vector<std::function<void()>> idle(points, [this] { RunToNextInput(); });
  standin::SetIdleScript(std::move(idle));
}

void Runner::RunToNextInput()
{
  while (next_ < script_.steps.size() && !Failed()) {
    const Step& step = script_.steps[next_++];
    if (!Run(step)) {
      // Nothing further runs: a loop that still waits ends as a deadlock.
      standin::SetIdleScript({});
      return;
    }
    if (step.IsInput())
      return;
  }
}

HWND Runner::Resolve(const Target& target) const
{
  switch (target.kind) {
  case Target::Title: return FindWindowTitled(target.name);
  case Target::Named: {
    auto it = names_.find(target.name);
    return it != names_.end() && it->second ? it->second() : nullptr;
  }
  default: return nullptr;
  }
}

bool Runner::Run(const Step& step)
{
  const bool screen = step.target.kind == Target::Screen;
  HWND window = nullptr;
  if (step.target.kind != Target::None && !screen) {
    window = Resolve(step.target);
    if (!window) {
      failure_ = "line " + std::to_string(step.line) + ": no window " +
                 (step.target.kind == Target::Title ? "titled \"" + step.target.name + "\"" : step.target.name);
      return false;
    }
  }
  const auto at = [&](void (*onScreen)(int, int), void (*inWindow)(HWND, int, int), int x, int y) {
    screen ? onScreen(x, y) : inWindow(window, x, y);
  };
  switch (step.action) {
  case Action::Click: at(standin::Click, standin::Click, step.x1, step.y1); break;
  case Action::Press: at(standin::Press, standin::Press, step.x1, step.y1); break;
  case Action::Move: at(standin::Move, standin::Move, step.x1, step.y1); break;
  case Action::Release: at(standin::Release, standin::Release, step.x1, step.y1); break;
  case Action::Drag: {
    at(standin::Press, standin::Press, step.x1, step.y1);
    const int dx = step.x2 - step.x1, dy = step.y2 - step.y1;
    const int moves = std::max(1, (std::max(std::abs(dx), std::abs(dy)) + kDragStep - 1) / kDragStep);
    for (int i = 1; i <= moves; ++i)
      at(standin::Move, standin::Move, step.x1 + dx * i / moves, step.y1 + dy * i / moves);
    at(standin::Release, standin::Release, step.x2, step.y2);
    break;
  }
  case Action::KeyDown: standin::KeyDown(step.key); break;
  case Action::KeyUp: standin::KeyUp(step.key); break;
  case Action::KeyPress: standin::KeyPress(step.key); break;
  case Action::Type: standin::Type(step.text.c_str()); break;
  case Action::Close: standin::CloseBox(window); break;
  case Action::Answer: standin::QueueMessageBoxAnswer(step.key); break;
  case Action::File: standin::QueueFileDialogAnswer(step.text.c_str()); break;
  case Action::FileCancel: standin::QueueFileDialogCancel(); break;
  case Action::Snapshot: {
    // The folder must exist: a script makes no folders.
    const standin::SurfaceTarget what =
        screen ? standin::SurfaceTarget::Screen() : standin::SurfaceTarget::Whole(window);
    std::string why;
    if (!standin::SnapshotPng(what, step.text.c_str(), &why)) {
      failure_ = "line " + std::to_string(step.line) + ": the snapshot " + step.text + " could not be written: " + why;
      return false;
    }
    break;
  }
  }
  return true;
}

} // namespace uiscript
