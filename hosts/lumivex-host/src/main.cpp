// lumivex-host: runs a filter plug-in on an image file, as an image editor
// would. This file only reads the options; see program.h.
#include "imaging/imaging.h"
#include "lvxtext/error.h"
#include "program.h"
#include "win32/automation.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] = "usage: lumivex-host [options] INPUT OUTPUT\n"
                      "       lumivex-host [options] --about\n"
                      "options:\n"
                      "  --plugin PATH    the plug-in module (default: $LUMIVEX_PLUGIN, else LumivexPI)\n"
                      "  --dialog         show the plug-in's dialog (the default without --auto or --replay)\n"
                      "  --replay FILE    give the plug-in the parameters in FILE (no dialog unless --dialog)\n"
                      "  --auto           run the plug-in's automatic correction\n"
                      "  --silent         with --replay or --auto: ask for no dialog at all\n"
                      "  --record FILE    after a committed run, save the parameters the plug-in recorded\n"
                      "  --rect L,T,R,B   filter only this rectangle of the image\n"
                      "  --screen WxHxD   the screen's width, height and bits per pixel\n"
                      "  --about          show the plug-in's about box only\n"
                      "  --log FILE       write the log of the plug-in's calls\n"
                      "  --ui-script FILE drive the plug-in's windows with the steps in FILE\n"
                      "  --times          print the time of each phase on stderr\n"
                      "  --quality N      JPEG quality of OUTPUT, 1..100 (default 92)\n"
                      "  --max-pixels N   refuse an INPUT of more than N pixels (default: $LUMIVEX_MAX_PIXELS,\n"
                      "                   else 250000000)\n"
                      "  --help, -h       print this and exit\n";

int Usage(const std::string& problem)
{
  std::fprintf(stderr, "lumivex-host: %s\n%s", problem.c_str(), kUsage);
  return lvhost::kExitHostError;
}

// "a,b,c,d" (with `separator`) into exactly `count` numbers.
bool Numbers(const char* text, char separator, size_t count, std::vector<long>* out)
{
  out->clear();
  const char* p = text;
  while (true) {
    char* end = nullptr;
    if (!std::strchr("-0123456789", *p) || !*p)
      return false;
    out->push_back(std::strtol(p, &end, 10));
    if (end == p || (*end && *end != separator))
      return false;
    if (!*end)
      break;
    p = end + 1;
  }
  return out->size() == count;
}

} // namespace

int main(int argc, char** argv)
try {
  lvhost::ProgramOptions options;
  bool dialog = false, silent = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return lvhost::kExitDone;
    }
    const bool takesValue = arg == "--plugin" || arg == "--replay" || arg == "--record" || arg == "--rect" ||
                            arg == "--screen" || arg == "--log" || arg == "--ui-script" || arg == "--quality" ||
                            arg == "--max-pixels";
    if (takesValue && i + 1 >= argc)
      return Usage(arg + " needs a value");
    const char* value = takesValue ? argv[++i] : nullptr;
    std::vector<long> n;
    if (arg == "--plugin") {
      options.plugin = value;
    } else if (arg == "--dialog") {
      dialog = true;
    } else if (arg == "--replay") {
      options.replay = value;
    } else if (arg == "--auto") {
      options.automatic = true;
    } else if (arg == "--silent") {
      silent = true;
    } else if (arg == "--record") {
      options.record = value;
    } else if (arg == "--rect") {
      if (!Numbers(value, ',', 4, &n) || n[0] < 0 || n[1] < 0 || n[2] > 32767 || n[3] > 32767)
        return Usage("--rect needs LEFT,TOP,RIGHT,BOTTOM");
      options.rect = Rect16{static_cast<int16_t>(n[1]), static_cast<int16_t>(n[0]), static_cast<int16_t>(n[3]),
                            static_cast<int16_t>(n[2])};
    } else if (arg == "--screen") {
      if (!Numbers(value, 'x', 3, &n) || n[0] <= 0 || n[1] <= 0 || n[0] > 16384 || n[1] > 16384 ||
          (n[2] != 1 && n[2] != 4 && n[2] != 8 && n[2] != 16 && n[2] != 24 && n[2] != 32))
        return Usage("--screen needs WIDTHxHEIGHTxDEPTH (depth 1, 4, 8, 16, 24 or 32)");
      standin::SetScreen(static_cast<int>(n[0]), static_cast<int>(n[1]), static_cast<int>(n[2]));
    } else if (arg == "--about") {
      options.about = true;
    } else if (arg == "--log") {
      options.log = value;
    } else if (arg == "--ui-script") {
      options.uiScript = value;
    } else if (arg == "--times") {
      options.times = true;
    } else if (arg == "--quality") {
      if (!Numbers(value, ',', 1, &n) || n[0] < 1 || n[0] > 100)
        return Usage("--quality needs a number from 1 to 100");
      options.jpegQuality = static_cast<int>(n[0]);
    } else if (arg == "--max-pixels") {
      int64_t pixels = 0;
      if (!imaging::ParseMaxPixels(value, &pixels))
        return Usage("--max-pixels needs a whole number of pixels from 1 to 1000000000000000");
      options.maxPixels = pixels;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option " + arg);
    } else {
      files.push_back(arg);
    }
  }
  if (options.replay && options.automatic)
    return Usage("--replay and --auto cannot be combined");
  if (options.automatic && dialog)
    return Usage("--auto runs without the dialog; it cannot be combined with --dialog");
  if (silent && (dialog || !(options.replay || options.automatic)))
    return Usage("--silent needs --replay or --auto, and no --dialog");
  if (options.about ? !files.empty() : files.size() != 2)
    return Usage(options.about ? "--about takes no files" : "give an INPUT and an OUTPUT file");
  if (!options.about) {
    options.input = files[0];
    options.output = files[1];
  }
  options.playInfo = dialog || !(options.replay || options.automatic) ? playInfoDisplay
                     : silent                                         ? playInfoSilent
                                                                      : playInfoDontDisplay;
  return lvhost::RunProgram(options);
} catch (...) {
  return lvxtext::ReportUncaught("lumivex-host", lvhost::kExitHostError);
}
