#pragma once
// For the imaging stand-in's dialogs only: the Windows stand-in's dialog
// script and log, which those dialogs share with the Win32 ones. Tests read
// the log and queue answers through win32/automation.h.
#include "win32/dialogs.h"

#include <string>
#include <utility>
#include <vector>

namespace standin {

// One request made to a message box or a file dialog.
struct DialogRequest {
  std::string kind; // "MessageBox", "GetOpenFileName", "GetSaveFileName", or the
                    // imaging library's "open-image", "twain-select", "twain-acquire"
  HWND owner = nullptr;
  std::string text;    // message boxes: the text
  std::string caption; // message boxes: the caption; file dialogs: the title
  UINT style = 0;      // message boxes: the style; file dialogs: the flags (the
                       // imaging library's own flags for "open-image")
  // File dialogs only:
  HINSTANCE instance = nullptr;
  std::vector<std::pair<std::string, std::string>> filters; // (label, pattern)
  DWORD filterIndex = 0;
  std::string initialDir;
  std::string fileName; // the name the dialog started with
  std::string defaultExt;
  std::string chosenPath; // the file answered, as returned to the caller
  // Colour dialogs ("ChooseColor") only: the colour it started with and the
  // one answered (0x00BBGGRR).
  COLORREF initialColor = 0;
  COLORREF chosenColor = 0;
  int answer = 0;           // the button: IDOK or IDCANCEL for file dialogs
  bool scripted = false;    // the answer came from the script
  bool scriptError = false; // the scripted answer could not be given
};

// The first runs a file dialog exactly as GetOpenFileNameA does, but logs it
// as `kind` with `style` in place of the record's flags. The second logs a
// request that no script answers (a scanner dialog with nothing to offer).
LVX_WIN32_API BOOL RunFileDialog(OPENFILENAMEA* ofn, const char* kind, UINT style);
LVX_WIN32_API void LogDialogRequest(const DialogRequest& request);

} // namespace standin
