#pragma once
// Test and host control of the headless Windows stand-in. Not thread-safe:
// everything in this system runs on one thread.
#include "win32/win32.h"

#include <string>
#include <vector>

namespace standin {

// ---- Allocation faults ------------------------------------------------------
// The next `skip` allocation requests succeed, the following `count` fail,
// then all succeed again.
LVX_WIN32_API void FailAllocations(long skip, long count);
// Requests seen since the last reset.
LVX_WIN32_API long AllocationRequests();
// Clears the failure plan and the request counter.
LVX_WIN32_API void ResetAllocationFaults();

// ---- Dialogs ----------------------------------------------------------------
struct DialogRequest {
  std::string kind;      // "MessageBox"
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT style = 0;
  int answer = 0;
  bool scripted = false;     // the answer came from the script
  bool scriptError = false;  // the scripted answer could not be given
};

// The next message box answers `id` instead of its default (its first button).
LVX_WIN32_API void QueueMessageBoxAnswer(int id);
LVX_WIN32_API const std::vector<DialogRequest>& DialogLog();
LVX_WIN32_API void ClearDialogLog();
// Also print each request to stderr as "caption: text".
LVX_WIN32_API void EchoDialogs(bool on);

} // namespace standin
