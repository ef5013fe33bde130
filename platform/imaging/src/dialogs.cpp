// The open-image dialog and the scanner roles. The open dialog is the
// Windows stand-in's open dialog: answered from its file-dialog script and
// logged there, shown as a real window when no answer waits and windows
// are presented; scanners do not exist on this machine.
#include "imaging/imaging.h"

#include "win32/internal/dialogs.h"

#include <deque>
#include <string>

namespace imaging {

int32_t OpenDialog(OPENFILENAMEA* ofn, OpenDialogParams* params)
{
  if (!ofn || !params || !ofn->lpstrFile || ofn->nMaxFile == 0)
    return kErrorBadArgument;
  const bool load = (params->flags & kOpenDialogLoad) != 0;
  if (load && !params->bitmap)
    return kErrorBadArgument;
  if (!standin::RunFileDialog(ofn, "open-image", params->flags))
    return kErrorCancelled;
  if (!load)
    return kSuccess;
  return LoadFile(ofn->lpstrFile, params->bitmap, 0);
}

namespace {

std::deque<std::string>& QueuedScans()
{
  static std::deque<std::string> queued;
  return queued;
}

void LogScannerRequest(const char* kind, HWND owner)
{
  standin::DialogRequest request;
  request.kind = kind;
  request.owner = owner;
  request.answer = IDCANCEL;
  standin::LogDialogRequest(request);
}

} // namespace

int32_t TwainSelect(HWND owner)
{
  LogScannerRequest("twain-select", owner);
  return kErrorNoSource;
}

int32_t TwainAcquire(HWND owner, Bitmap* bitmap)
{
  LogScannerRequest("twain-acquire", owner);
  if (QueuedScans().empty())
    return kErrorNoSource;
  const std::string path = QueuedScans().front();
  QueuedScans().pop_front();
  return bitmap ? LoadFile(path.c_str(), bitmap, 0) : kErrorBadArgument;
}

void QueueTwainImage(const char* path) { QueuedScans().push_back(path ? path : ""); }

} // namespace imaging
