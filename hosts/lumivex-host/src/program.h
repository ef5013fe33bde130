#pragma once
// The lumivex-host program without its option parsing: load the plug-in,
// read the image, run, commit, write and record.
#include "filterhost/filterhost.h"

#include <optional>
#include <string>

namespace lvhost {

// Exit statuses.
constexpr int kExitDone = 0;         // committed, or About finished
constexpr int kExitCancelled = 1;    // the plug-in answered -128
constexpr int kExitPluginFailed = 2; // any other plug-in code, a deadlock or endless requests
constexpr int kExitHostError = 3;    // options, files, loading, property list, unsupported mode

struct ProgramOptions {
  std::string plugin; // empty: DefaultPluginPath()
  std::string input;
  std::string output;
  bool about = false;
  int16_t playInfo = playInfoDisplay;
  std::optional<std::string> replay; // parameter file given to the plug-in
  bool automatic = false;            // the descriptor {'lvAU': true}
  std::optional<std::string> record;
  std::optional<Rect16> rect;
  std::optional<std::string> log;
  // A UI script run from the plug-in's idle points (see uiscript.h and
  // targets.h); without one an About run clicks its window away.
  std::optional<std::string> uiScript;
  bool times = false;   // the phases' times on stderr
  int jpegQuality = 92; // for JPEG output, 1..100
  // The imaging library's pixel limit for this run (the input, and so every
  // copy of it the host and the plug-in make); none: its own choice.
  std::optional<int64_t> maxPixels;
};

// $LUMIVEX_PLUGIN, else LumivexPI in the build tree's library folder or next
// to the executable; empty when none is found.
std::string DefaultPluginPath();

// Messages go to stderr. A UI script that does not parse ends the run at
// once with kExitHostError; a step whose window is missing, or a script
// that runs out while the plug-in still waits, ends it as a deadlock
// (kExitPluginFailed); steps left over are reported. Returns the exit
// status.
int RunProgram(const ProgramOptions& options);

} // namespace lvhost
