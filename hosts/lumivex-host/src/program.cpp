// The lumivex-host program without its option parsing (see program.h).
#include "program.h"

#include "files.h"
#include "host.h"
#include "imaging/imaging.h"
#include "outputs.h"
#include "plugin.h"
#include "targets.h"
#include "uiscript/uiscript.h"
#include "win32/automation.h"
#include "win32/interrupts.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace lvhost {
namespace {

int Fail(int status, const std::string& message)
{
  std::fprintf(stderr, "lumivex-host: %s\n", message.c_str());
  return status;
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
  return std::chrono::duration<double>(to - from).count();
}

// The phases of the run on stderr, in milliseconds. The Start's parts end
// where the host served the input and where the plug-in asked for output.
void PrintTimes(double decode, const RunResult& run, double encode, double total)
{
  const double input = run.inputServedAt >= 0 ? run.inputServedAt : 0;
  const double output = run.outputRequestedAt >= 0 ? run.outputRequestedAt : run.startEndedAt;
  std::fprintf(stderr,
               "lumivex-host: times (ms): decode %.1f, start %.1f (until input served %.1f, until output requested "
               "%.1f, then %.1f), encode %.1f, total %.1f\n",
               decode * 1e3, run.startEndedAt * 1e3, input * 1e3, (output - input) * 1e3,
               (run.startEndedAt - output) * 1e3, encode * 1e3, total * 1e3);
}

bool WriteLog(const std::string& path, const std::vector<std::string>& log, lvxtext::Error* error)
{
  std::string text;
  for (const std::string& entry : log)
    text += entry + "\n";
  return WriteFileAtomically(path, text, error);
}

// After Ctrl-C or SIGTERM: nothing is written, and the status tells which.
int Interrupted(int signal, const ProgramOptions& options)
{
  const std::string what = signal == SIGTERM ? "terminated" : "interrupted";
  return Fail(standin::InterruptedExitStatus(signal),
              options.about ? what : what + "; " + options.output + " not written");
}

} // namespace

std::string DefaultPluginPath()
{
  if (const char* env = std::getenv("LUMIVEX_PLUGIN"); env && *env)
    return env;
  char exe[4096] = "";
  const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  if (n == 0 || n >= sizeof exe)
    return "";
  std::string dir(exe);
  dir.erase(dir.find_last_of('/') + 1);
  for (const char* candidate : {"../lib/LumivexPI.so", "../lib/libLumivexPI.so", "LumivexPI.so", "libLumivexPI.so"})
    if (access((dir + candidate).c_str(), R_OK) == 0)
      return dir + candidate;
  return "";
}

int RunProgram(const ProgramOptions& options)
{
  const Clock::time_point begin = Clock::now();
  standin::EchoDialogs(true);
  standin::CatchInterrupts();
  if (options.maxPixels)
    imaging::SetMaxPixels(*options.maxPixels);
  const std::string pluginPath = options.plugin.empty() ? DefaultPluginPath() : options.plugin;
  if (pluginPath.empty())
    return Fail(kExitHostError, "no plug-in found: give --plugin PATH or set LUMIVEX_PLUGIN");

  HostImage image;
  lvxtext::Error error;
  RunOptions run;
  run.about = options.about;
  run.playInfo = options.playInfo;
  run.filterRect = options.rect;
  // A failed run writes nothing, so the plug-in may write the image itself.
  run.outputInPlace = true;
  std::unique_ptr<uiscript::Runner> runner;
  if (options.uiScript) {
    uiscript::Script script;
    if (!uiscript::Load(*options.uiScript, PluginTargets(), &script, &error))
      return Fail(kExitHostError, error.message);
    runner = std::make_unique<uiscript::Runner>(std::move(script), PluginTargets());
  }
  double decode = 0;
  if (!options.about) {
    const Clock::time_point decodeBegin = Clock::now();
    if (!ReadImage(options.input, &image, &error) || !CanWrite(options.output, image, &error))
      return Fail(kExitHostError, error.message);
    decode = Seconds(decodeBegin, Clock::now());
    if (image.fileBitsPerSample > 8)
      std::fprintf(stderr, "lumivex-host: %s has %d-bit samples; the picture was reduced to 8 bits\n",
                   options.input.c_str(), image.fileBitsPerSample);
    if (const auto& r = options.rect; r && (r->left < 0 || r->top < 0 || r->right < r->left || r->bottom < r->top ||
                                            r->right > image.width || r->bottom > image.height))
      return Fail(kExitHostError, "--rect must lie inside the " + std::to_string(image.width) + "x" +
                                      std::to_string(image.height) + " image");
    Descriptor descriptor;
    if (options.replay && !ReadParameterFile(*options.replay, &descriptor, &error))
      return Fail(kExitHostError, error.message);
    if (options.automatic)
      descriptor.push_back(DescriptorEntry{FourCC("lvAU"), typeBoolean, true, 0, 0});
    if (options.replay || options.automatic)
      run.descriptor = descriptor;
  }
  Outputs outputs(options.output, options.record);
  if (!options.about && !outputs.Check(&error))
    return Fail(kExitHostError, error.message);
  LoadedPlugin plugin;
  if (!LoadPlugin(pluginPath, options.about ? 0 : image.mode, &plugin, &error))
    return Fail(kExitHostError, error.message);

  // On a display the person clicks the about window away.
  if (runner)
    runner->Install();
  else if (options.about && !standin::Presenting())
    ClickAboutWhenIdle();
  Host host;
  const RunResult result = host.Run(plugin.entry, image, run);
  if (runner && runner->Failed())
    std::fprintf(stderr, "lumivex-host: UI script %s: %s\n", options.uiScript->c_str(), runner->Failure().c_str());
  else if (runner && runner->StepsLeft() > 0)
    std::fprintf(stderr, "lumivex-host: UI script %s: %zu steps were left when the plug-in ended\n",
                 options.uiScript->c_str(), runner->StepsLeft());
  if (options.log && !WriteLog(*options.log, host.Log(), &error))
    Fail(kExitHostError, error.message);
  if (const int signal = standin::InterruptSignal())
    return Interrupted(signal, options);
  if (result.deadlock)
    return Fail(kExitPluginFailed, "the plug-in waited for input that never came (a deadlocked message loop)");
  if (result.continueLimit)
    return Fail(kExitPluginFailed, "the plug-in kept requesting pixels; the run was stopped");
  if (result.result == userCanceledErr)
    return Fail(kExitCancelled, "the plug-in was cancelled or cannot run here (-128); nothing was written");
  if (result.result != noErr)
    return Fail(kExitPluginFailed,
                "the plug-in failed with code " + std::to_string(result.result) + "; nothing was written");
  // The about window waits for the person; a display lost before that is
  // no finished About.
  if (options.about && standin::DisplayLost())
    return Fail(kExitCancelled, "the display was lost before the about window was closed");
  if (options.about)
    return kExitDone;
  if (!result.outputRequested)
    std::fprintf(stderr, "lumivex-host: warning: the plug-in requested no output; the image is unchanged\n");
  const Clock::time_point encodeBegin = Clock::now();
  const bool written = outputs.Write(image, result.recorded, options.jpegQuality, &error) && outputs.Commit(&error);
  if (const int signal = standin::InterruptSignal(); !written && signal)
    return Interrupted(signal, options);
  if (!written)
    return Fail(kExitHostError, error.message);
  const Clock::time_point encodeEnd = Clock::now();
  if (options.times)
    PrintTimes(decode, result, Seconds(encodeBegin, encodeEnd), Seconds(begin, Clock::now()));
  return kExitDone;
}

} // namespace lvhost
