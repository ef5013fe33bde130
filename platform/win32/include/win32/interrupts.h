#pragma once
// Ctrl-C (SIGINT) and SIGTERM for the programs of this system: the first one
// only sets a flag that long work polls (the engine's progress, the writers
// of ReplacementFile); the program then stops at the next poll, removes what
// it had begun to write and ends with 128 + the signal's number (130 for
// SIGINT, 143 for SIGTERM). Windows on a display that wait for the person
// end at once: every message loop that would wait ends as a cancel
// (WM_QUIT with code 1). A second signal ends the process at once.
#include "win32/types.h"

namespace standin {

// Installs the handler for SIGINT and SIGTERM. The handler only records the
// first signal and puts back the default action of both, so that a second
// one ends the process at once. A signal the process was started with
// ignored (a background job's SIGINT) stays ignored. Calling it again
// installs the handler again; the flag is kept.
LVX_WIN32_API void CatchInterrupts();

// The first of SIGINT or SIGTERM that arrived since CatchInterrupts, else 0.
// Safe to call at any time, also when nothing was installed (0).
LVX_WIN32_API int InterruptSignal();

// The exit status a program interrupted by `signal` ends with: 128 + the
// signal's number (130 for SIGINT, 143 for SIGTERM).
inline int InterruptedExitStatus(int signal) { return 128 + signal; }

} // namespace standin
