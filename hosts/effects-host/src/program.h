#pragma once
// The effects-host program without its option parsing: load the module and
// the image, feed the effect its events (from the options and event files,
// or through the windows with a UI script), run it and write the result.
#include "events.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lvfx {

// Exit statuses.
constexpr int kExitDone = 0;         // the result was written
constexpr int kExitCancelled = 1;    // cancelled in the windows; nothing written
constexpr int kExitEffectFailed = 2; // an export failed, or the UI script failed or deadlocked
constexpr int kExitHostError = 3;    // options, files, loading

// One entry of the events, in command-line order: an event, or an event
// file to read in its place.
struct EventSource {
  HostEvent event;
  std::string file; // not empty: --events FILE
};

struct ProgramOptions {
  std::string module; // a path, or a bare name looked up beside the program
  std::string input;
  std::string output;
  std::vector<EventSource> events;
  double zoom = 1.0;
  std::optional<std::string> mask;
  std::optional<int32_t> maskMode; // default: 1 with a mask, else 0
  std::optional<std::string> report;
  bool times = false;
  int quality = 92;
  std::optional<std::string> uiScript;
  std::optional<std::string> snapshotDir;
  bool interactive = false; // the windows wait for a person at the display
  // The imaging library's pixel limit for this run (the input, the mask and
  // the view); none: its own choice.
  std::optional<int64_t> maxPixels;
};

// Messages go to stderr. Returns the exit status.
int RunProgram(const ProgramOptions& options);

} // namespace lvfx
