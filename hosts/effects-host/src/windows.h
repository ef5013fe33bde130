#pragma once
// effects-host's windows: the control panel and the preview, both framework
// windows, worked by the UI script from the idle points of their message
// loop (see panel.h and preview.h).
#include "lvxtext/error.h"
#include "qvcommon/qvrect.h"
#include "uiscript/uiscript.h"

#include <optional>
#include <string>

class QVImage;
class QVVirtualImage;

namespace lvfx {

class Session;

// How the windows' work ended.
enum class WindowsOutcome {
  Running,
  Applied,    // Apply: the effect runs on the whole image
  Cancelled,  // Cancel or a close box: nothing is written
  Failed,     // an export gave a wrong result (Session::Failure), or the script failed or deadlocked
  NotWritten, // a snapshot could not be written
};

// The window rectangle at (x, y) of a captioned framework window whose
// client area has the size.
QVRect CaptionedWindowRect(int32_t x, int32_t y, int32_t clientWidth, int32_t clientHeight);

struct WindowsRun {
  HINSTANCE module = nullptr; // the effect module, whose string 3 titles the panel
  QVImage* document = nullptr;
  QVVirtualImage* source = nullptr;
  double zoom = 1.0;
  const uiscript::Script* script = nullptr; // null: show, render and snapshot only
  std::optional<std::string> snapshotDir;   // panel.png and preview.png after the last render
  bool interactive = false;                 // after the script, the loop waits for the person at the display
};

// The UI script's window names: `panel`, `preview` and `menu` (the panel's
// open menu popup), found through the handles given (null: none yet).
uiscript::NamedTargets WindowTargets(const HWND* panel, const HWND* preview);

// Opens the panel and the preview on the session and runs their message loop
// with the script as its idle script, until Apply, Cancel, a close box, or
// the script failing or running out while the loop waits. Interactive, the
// loop then waits for the person until Apply, Cancel or a close box; the
// display failing counts as Cancel. Without either the windows only
// render. Snapshots are written after the last render.
// *error says why the run failed (Failed or NotWritten); after Applied or
// Cancelled, *note says what of the script was left over, if anything.
WindowsOutcome RunWindows(Session* session, const WindowsRun& run, lvxtext::Error* error, std::string* note);

} // namespace lvfx
