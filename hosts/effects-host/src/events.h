#pragma once
// The edits effects-host feeds the effect, from options and event files.
//
// Event-file lines ('#' starts a comment; blank lines are skipped):
//   preset auto|coarse|medium|fine   the presets popup's item
//   slider ID N                      slider 7 or 8 set to N
//   control ID N                     a control event as it is
//   marker X Y                       a mouse-down at image point (X, Y)
//   mouse KIND X Y                   a preview event of any kind
//   undo | redo | revert
#include "lvxtext/error.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lvfx {

struct HostEvent {
  enum Kind { Preset, Slider, NamedSlider, Control, Mouse, Undo, Redo, Revert };
  Kind kind = Undo;
  int32_t id = 0;    // Preset: the code; Slider, Control: the control id; Mouse: the kind
  int32_t value = 0; // Slider, NamedSlider, Control
  int32_t x = 0, y = 0;
  std::string name;   // NamedSlider: the slider's label as given
  std::string origin; // where it came from, for messages ("--size", "edits.txt:4")
};

// The presets popup's code of a preset name (auto 12 .. fine 15); 0 when
// the name is none of them.
int32_t PresetCode(const std::string& name);

// One event option and its value (--preset, --a, --b, the slider names
// --size, --threshold, --amount, --sharpen, --marker X,Y, --undo, --redo,
// --revert; the last three take no value). A slider name stays a name
// until the module's sliders are known. False, with the reason, for a bad
// value.
bool OptionEvent(const std::string& option, const std::string& value, HostEvent* event, lvxtext::Error* error);
// Whether the option is an event option, and whether it takes a value.
bool IsEventOption(const std::string& option, bool* takesValue);

// The events of a file's text, in order. False with "ORIGIN:LINE: reason"
// (a NUL byte of the line shown as \0) for the first bad line, and no events.
bool ParseEvents(const std::string& text, const std::string& origin, std::vector<HostEvent>* events,
                 lvxtext::Error* error);
// The largest event file read: each line is one event the effect replays,
// and a megabyte is more than a hundred thousand of them.
constexpr size_t kEventFileLimit = size_t(1) << 20;
// Reads and parses the file; only a regular file of at most kEventFileLimit
// bytes is read ("PATH: is a directory", "PATH: not a regular file", "PATH:
// is larger than 1 MB").
bool ReadEventFile(const std::string& path, std::vector<HostEvent>* events, lvxtext::Error* error);

// A whole int32_t number; false for anything else.
bool ParseInt(const std::string& text, int32_t* out);

} // namespace lvfx
