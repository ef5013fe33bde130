#pragma once
// Opening documents with the desktop: ShellExecuteA and WinHelpA.

#include "win32/types.h"

extern "C" {

// ---- Opening documents with the desktop -------------------------------------
// The desktop's viewer is the program named by the environment variable
// LUMIVEX_OPENER when it is set and not empty (a path, or a name searched on
// PATH); set but empty means there is none; unset, it is xdg-open found on
// PATH. The viewer gets exactly two arguments, its own name and the target,
// and is never waited for; no command string is ever given to a shell.
// Every request is logged (standin::ShellRequests).
enum : int {
  SE_ERR_NOASSOC = 31,
};
enum : UINT {
  HELP_QUIT = 2,
  HELP_CONTENTS = 3,
};

// Opens `file` with the viewer. The verb must be null or "open". A target
// that starts with a URL scheme ("scheme://", or "mailto:") is passed as it
// is; anything else is a path, mapped like CreateFileA's, that must exist
// and is passed made absolute. `parameters`, `directory` and `show` are
// logged and otherwise ignored. Returns a value above 32 when the viewer
// started; ERROR_FILE_NOT_FOUND (2) for a missing path; SE_ERR_NOASSOC for
// another verb, when there is no viewer or when it could not be started.
LVX_WIN32_API HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                      int show);
// HELP_CONTENTS opens the help file as ShellExecuteA "open" does: TRUE when
// the viewer started. HELP_QUIT does nothing and returns TRUE. Any other
// command: FALSE.
LVX_WIN32_API BOOL WinHelpA(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data);

} // extern "C"
