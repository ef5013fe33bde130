// The effects-host program without its option parsing (see program.h).
#include "program.h"

#include "imagefiles.h"
#include "report.h"
#include "session.h"
#include "windows.h"

#include "qvcommon/qvviewimage.h"
#include "qvcommon/qvvirtualimage.h"
#include "win32/interrupts.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <memory>

namespace lvfx {
namespace {

int Fail(int status, const std::string& message)
{
  std::fprintf(stderr, "effects-host: %s\n", message.c_str());
  return status;
}

// After Ctrl-C or SIGTERM: OUT is not written, and the status tells which.
int Interrupted(int signal, const std::string& output)
{
  return Fail(standin::InterruptedExitStatus(signal),
              std::string(signal == SIGTERM ? "terminated" : "interrupted") + "; " + output + " not written");
}

// Wall-clock milliseconds of each step, for --times.
class Times {
public:
  void Start() { start_ = std::chrono::steady_clock::now(); }
  void Stop(const char* step)
  {
    const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start_;
    char line[64];
    std::snprintf(line, sizeof line, "%-8s %9.1f ms\n", step, ms.count());
    lines_ += line;
  }
  const std::string& Text() const { return lines_; }

private:
  std::chrono::steady_clock::time_point start_;
  std::string lines_;
};

// Every event of the options and event files, in command-line order.
bool GatherEvents(const std::vector<EventSource>& sources, std::vector<HostEvent>* events, lvxtext::Error* error)
{
  for (const EventSource& source : sources) {
    if (source.file.empty())
      events->push_back(source.event);
    else if (!ReadEventFile(source.file, events, error))
      return false;
  }
  return true;
}

// Gives each slider named by its label the id of the module's slider.
bool ResolveSliderNames(std::vector<HostEvent>* events, const ControlModel& controls, lvxtext::Error* error)
{
  for (HostEvent& e : *events) {
    if (e.kind != HostEvent::NamedSlider)
      continue;
    const Control* slider = controls.SliderLabelled(e.name);
    if (!slider) {
      return lvxtext::Fail(error, e.origin + ": the effect has no slider \"" + e.name + "\" (its sliders: " +
                                      controls.SliderLabels() + "; --a and --b set the first and second)");
    }
    e.id = slider->Id();
  }
  return true;
}

} // namespace

int RunProgram(const ProgramOptions& options)
{
  standin::CatchInterrupts();
  if (options.maxPixels)
    imaging::SetMaxPixels(*options.maxPixels);
  lvxtext::Error error;
  std::vector<HostEvent> events;
  imaging::FileFormat format;
  if (!GatherEvents(options.events, &events, &error) || !OutputFormat(options.output, &format, &error))
    return Fail(kExitHostError, error.message);
  if (!std::isfinite(options.zoom) || options.zoom <= 0)
    return Fail(kExitHostError, "the zoom must be a finite number above 0");
  uiscript::Script script;
  if (options.uiScript && !uiscript::Load(*options.uiScript, WindowTargets(nullptr, nullptr), &script, &error))
    return Fail(kExitHostError, error.message);

  EffectModule module;
  if (!module.Load(options.module, &error))
    return Fail(kExitHostError, error.message);
  Times times;
  times.Start();
  std::unique_ptr<QVImage> document = ReadImage(options.input, false, &error);
  if (!document)
    return Fail(kExitHostError, error.message);
  times.Stop("load");
  QVVirtualImage source(document.get());
  std::unique_ptr<QVViewImage> view = MakeView(&source, options.zoom, &error);
  if (!view)
    return Fail(kExitHostError, error.message);
  std::unique_ptr<QVImage> mask;
  if (options.mask) {
    mask = ReadImage(*options.mask, true, &error);
    if (!mask)
      return Fail(kExitHostError, error.message);
    if (mask->width != view->width || mask->height != view->height)
      return Fail(kExitHostError, *options.mask + ": the mask must be " + std::to_string(view->width) + "x" +
                                      std::to_string(view->height) + ", the size of the view");
  }
  const int32_t maskMode = options.maskMode.value_or(options.mask ? 1 : 0);

  int status = kExitDone;
  {
    Session session(module.Exports());
    const auto finish = [&](int result) {
      if (!session.Close() && result == kExitDone)
        result = Fail(kExitEffectFailed, session.Failure());
      if (options.report && !WriteReport(*options.report, session, &error))
        result = Fail(kExitHostError, error.message);
      return result;
    };
    if (!session.Open(module.Handle(), document.get()))
      return finish(Fail(kExitEffectFailed, session.Failure()));
    if (!ResolveSliderNames(&events, session.Controls(), &error))
      return finish(Fail(kExitHostError, error.message));

    times.Start();
    bool ok = session.Prepare(document.get(), view.get(), maskMode, 0);
    times.Stop("prepare");
    for (size_t i = 0; ok && i < events.size(); ++i) {
      bool skipped = false;
      ok = session.Apply(events[i], view.get(), nullptr, &skipped);
      if (skipped)
        std::fprintf(stderr, "effects-host: %s: nothing to %s\n", events[i].origin.c_str(),
                     events[i].kind == HostEvent::Undo ? "undo" : "redo");
    }
    if (!ok)
      return finish(Fail(kExitEffectFailed, session.Failure()));
    if (options.uiScript || options.snapshotDir || options.interactive) {
      WindowsRun windows{
          module.Handle(),     document.get(),     &source, options.zoom, options.uiScript ? &script : nullptr,
          options.snapshotDir, options.interactive};
      std::string note;
      const WindowsOutcome outcome = RunWindows(&session, windows, &error, &note);
      // Ctrl-C or SIGTERM while the windows waited ends them as a cancel.
      if (const int signal = standin::InterruptSignal())
        return finish(Interrupted(signal, options.output));
      switch (outcome) {
      case WindowsOutcome::Cancelled: return finish(Fail(kExitCancelled, "cancelled; nothing was written"));
      case WindowsOutcome::Failed: return finish(Fail(kExitEffectFailed, error.message));
      case WindowsOutcome::NotWritten: return finish(Fail(kExitHostError, error.message));
      default:
        if (!note.empty())
          std::fprintf(stderr, "effects-host: %s\n", note.c_str());
        break;
      }
    }

    // The run: a fresh view, prepared again, then the effect.
    view = MakeView(&source, options.zoom, &error);
    if (!view)
      return finish(Fail(kExitHostError, error.message));
    times.Start();
    ok = session.Prepare(document.get(), view.get(), maskMode, 0);
    times.Stop("prepare");
    times.Start();
    ok = ok && session.Run(view.get(), mask.get());
    times.Stop("do");
    ok = ok && session.AddChanged(QVRect(0, 0, view->width, view->height)) && session.FinishRun();
    if (!ok)
      return finish(Fail(kExitEffectFailed, session.Failure()));
    times.Start();
    if (standin::InterruptSignal() != 0 || !WriteImage(options.output, *view, options.quality, &error)) {
      if (const int signal = standin::InterruptSignal())
        return finish(Interrupted(signal, options.output));
      return finish(Fail(kExitHostError, error.message));
    }
    times.Stop("write");
    status = finish(kExitDone);
  }
  if (!module.Unload() && status == kExitDone)
    status = Fail(kExitHostError, module.Path() + ": FreeLibrary failed");
  if (options.times)
    std::fprintf(stderr, "%s", times.Text().c_str());
  return status;
}

} // namespace lvfx
