#pragma once
// UI scripts: a host program's injected input, one step a line, run from the
// message loop's idle points as a person would work the windows.
//
// Lines ('#' starts a comment outside quotes; blank lines are skipped):
//   click|press|move|release T X Y   the left button at client point (X, Y)
//   drag T X1 Y1 X2 Y2               press, moves of at most 8 pixels, release
//   key down|up|press NAME           Ctrl, Shift, Alt, Enter, Esc, Tab, Space,
//                                    Backspace, Delete, Insert, Home, End,
//                                    PageUp, PageDown, Up, Down, Left, Right,
//                                    F1..F12, A..Z, 0..9 (any case)
//   type TEXT                        the keys that type TEXT (a quoted word, or
//                                    the rest of the line)
//   close T                          the close box of T's caption
//   answer ok|cancel|yes|no          the next message box's answer
//   file PATH                        the next file dialog chooses PATH
//   file-cancel                      the next file dialog is cancelled
//   snapshot T PATH                  T's whole window (or the screen) as PNG; the
//                                    folder must exist, and only a regular file
//                                    is replaced
// A target T is `screen` (screen coordinates), the title of a visible
// top-level window in double quotes (the topmost of that title; while
// windows are presented, a message box or file dialog that no `answer` or
// `file` step answered is one), or a name the host defines.
//
// Input steps (all but answer, file, file-cancel and snapshot) are queued
// when they run and take effect as the loop retrieves them; each idle point
// runs the steps up to and including the next input step.
#include "lvxtext/error.h"
#include "win32/types.h"

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace uiscript {

// Laid out by hand: the actions on one line.
// clang-format off
enum class Action {
  Click, Press, Move, Release, Drag, KeyDown, KeyUp, KeyPress, Type, Close, Answer, File, FileCancel, Snapshot,
};
// clang-format on

struct Target {
  enum Kind { None, Screen, Title, Named } kind = None;
  std::string name; // the title or the host's name
};

struct Step {
  Action action = Action::Click;
  int line = 0;
  Target target;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int key = 0;      // the virtual key of key steps; the button id of answer
  std::string text; // type's text, file's and snapshot's path
  // Whether the step queues input (and so ends an idle point's run).
  bool IsInput() const;
};

struct Script {
  std::vector<Step> steps;
};

// The host's own target names and how each finds its window (null when it
// is not there).
using NamedTargets = std::map<std::string, std::function<HWND()>>;

// Parses the script's text. False, with "line N: what is wrong" in *error
// (which may be null), for the first bad line; the script is then left
// empty. `names` are the host's target names.
bool Parse(const std::string& text, const NamedTargets& names, Script* script, lvxtext::Error* error);
// The largest script file read: a script a person writes is a few
// kilobytes, and a megabyte is tens of thousands of steps.
constexpr size_t kScriptFileLimit = size_t(1) << 20;
// Reads and parses the file; errors start with the path. Only a regular
// file of at most kScriptFileLimit bytes is read ("PATH: is a directory",
// "PATH: not a regular file", "PATH: is larger than 1 MB").
bool Load(const std::string& path, const NamedTargets& names, Script* script, lvxtext::Error* error);

// The visible top-level window with this title, topmost first; null when
// there is none.
HWND FindWindowTitled(const std::string& title);

// Runs a script from the idle points of the message loop. It must outlive
// the loop. A step whose target is missing, or a snapshot that cannot be
// written, fails the run: the failure is kept and the rest of the script is
// dropped, so that a loop still waiting ends as the window layer's recorded
// deadlock.
class Runner {
public:
  Runner(Script script, NamedTargets names);
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  // Installs the script as the idle script, replacing any.
  void Install();
  bool Failed() const { return !failure_.empty(); }
  // "line N: what went wrong"; empty while nothing failed.
  const std::string& Failure() const { return failure_; }
  // The steps that have not run.
  size_t StepsLeft() const { return script_.steps.size() - next_; }

private:
  // Runs steps from next_ up to and including the next input step.
  void RunToNextInput();
  bool Run(const Step& step);
  HWND Resolve(const Target& target) const;

  Script script_;
  NamedTargets names_;
  size_t next_ = 0;
  std::string failure_;
};

} // namespace uiscript
