// effects-host: applies an effect module's effect to an image file, as an
// effects host would. This file only reads the options; see program.h.
#include "imaging/imaging.h"
#include "lvxtext/error.h"
#include "program.h"
#include "win32/automation.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kUsage[] = "usage: effects-host [options] MODULE INPUT OUTPUT\n"
                      "MODULE is a path, or a name (Despeckle, Descreen) looked up in ../lib/ beside this program.\n"
                      "events, applied in the order given:\n"
                      "  --preset auto|coarse|medium|fine   choose the preset\n"
                      "  --a N, --b N       set the first or second slider (also by its label: --size,\n"
                      "                     --threshold for Despeckle, --amount, --sharpen for Descreen)\n"
                      "  --marker X,Y       click the preview at image point (X, Y)\n"
                      "  --undo, --redo, --revert\n"
                      "  --events FILE      the events of FILE (see hosts/effects-host/examples/edits.txt)\n"
                      "options:\n"
                      "  --zoom Z           the view's zoom (default 1)\n"
                      "  --mask FILE        a grey mask of the view's size; --mask-mode N (default 1: keep\n"
                      "                     the pixels where the mask is white; 2: where it is black)\n"
                      "  --report FILE      write the controls, undo stacks, redraws and final values\n"
                      "  --times            print the time of each step on stderr\n"
                      "  --quality N        JPEG quality 1..100 (default 92)\n"
                      "  --max-pixels N     refuse an INPUT, mask or view of more than N pixels (default:\n"
                      "                     $LUMIVEX_MAX_PIXELS, else 250000000)\n"
                      "  --ui-script FILE   work the effect's panel and preview windows with FILE's input\n"
                      "  --snapshot DIR     save the windows as DIR/panel.png and DIR/preview.png\n"
                      "  --interactive      show the panel and preview on the X display and wait for Apply\n"
                      "                     or Cancel (after the --ui-script, if any)\n"
                      "  --help, -h         print this and exit\n";

int Usage(const std::string& problem)
{
  std::fprintf(stderr, "effects-host: %s\n%s", problem.c_str(), kUsage);
  return lvfx::kExitHostError;
}

} // namespace

int main(int argc, char** argv)
try {
  lvfx::ProgramOptions options;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return lvfx::kExitDone;
    }
    bool eventTakesValue = false;
    const bool event = lvfx::IsEventOption(arg, &eventTakesValue);
    const bool takesValue = event ? eventTakesValue
                                  : arg == "--events" || arg == "--zoom" || arg == "--mask" || arg == "--mask-mode" ||
                                        arg == "--report" || arg == "--quality" || arg == "--ui-script" ||
                                        arg == "--snapshot" || arg == "--max-pixels";
    if (takesValue && i + 1 >= argc)
      return Usage(arg + " needs a value");
    const std::string value = takesValue ? argv[++i] : "";
    lvxtext::Error error;
    int32_t n = 0;
    if (event) {
      lvfx::EventSource source;
      if (!lvfx::OptionEvent(arg, value, &source.event, &error))
        return Usage(error.message);
      options.events.push_back(source);
    } else if (arg == "--events") {
      options.events.push_back(lvfx::EventSource{{}, value});
    } else if (arg == "--zoom") {
      char* end = nullptr;
      errno = 0;
      options.zoom = std::strtod(value.c_str(), &end);
      if (value.empty() || *end || errno == ERANGE || !(options.zoom > 0) || !std::isfinite(options.zoom))
        return Usage("--zoom needs a finite number above 0");
    } else if (arg == "--mask") {
      options.mask = value;
    } else if (arg == "--mask-mode") {
      if (!lvfx::ParseInt(value, &n))
        return Usage("--mask-mode needs a whole number (0 none, 1 keep white, 2 keep black)");
      options.maskMode = n;
    } else if (arg == "--report") {
      options.report = value;
    } else if (arg == "--times") {
      options.times = true;
    } else if (arg == "--quality") {
      if (!lvfx::ParseInt(value, &n) || n < 1 || n > 100)
        return Usage("--quality needs a number from 1 to 100");
      options.quality = n;
    } else if (arg == "--max-pixels") {
      int64_t pixels = 0;
      if (!imaging::ParseMaxPixels(value.c_str(), &pixels))
        return Usage("--max-pixels needs a whole number of pixels from 1 to 1000000000000000");
      options.maxPixels = pixels;
    } else if (arg == "--ui-script") {
      options.uiScript = value;
    } else if (arg == "--snapshot") {
      options.snapshotDir = value;
    } else if (arg == "--interactive") {
      options.interactive = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option " + arg);
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 3)
    return Usage("give a MODULE, an INPUT and an OUTPUT");
  if (options.interactive && !standin::Presenting())
    return Usage("--interactive needs an X display, and there is none: " + standin::WhyHeadless());
  options.module = files[0];
  options.input = files[1];
  options.output = files[2];
  return lvfx::RunProgram(options);
} catch (...) {
  return lvxtext::ReportUncaught("effects-host", lvfx::kExitHostError);
}
