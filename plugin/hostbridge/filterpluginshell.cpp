// The plug-in shell's selectors, its checks of the host's record and the
// about mode (see filterpluginshell.h; the pixel transfer is in
// pixeltransfer.cpp).
#include "filterpluginshell.h"

#include "applicationhooks.h"
#include "hostutil.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvimage.h"

FilterPlugInShell::FilterPlugInShell(HINSTANCE moduleInstance) : AppShell(moduleInstance)
{
  FilterPlugInShell::InitFields();
  mode = 1;
}

FilterPlugInShell::~FilterPlugInShell() { ReleaseMask(); }

void FilterPlugInShell::InitFields()
{
  filterRecord = nullptr;
  result = nullptr;
  maskBuffer = nullptr;
  maskBytes = 0;
  applicationMode = true;
  SetFlag(true);
}

void FilterPlugInShell::SetCall(FilterRecord* record, int16_t* resultSlot)
{
  filterRecord = record;
  result = resultSlot;
}

void FilterPlugInShell::Quit(int code)
{
  EndFilter(userCanceledErr);
  AppShell::Quit(code);
}

bool FilterPlugInShell::SaveImageAs(QVImage* source, QVFileSpec* start, QVWindow* owner)
{
  return !SaveThroughDialog(source, start, owner, "All Files (*.*)\0*.*\0", nullptr, nullptr).empty();
}

HWND FilterPlugInShell::GetParentWindow()
{
  return filterRecord && filterRecord->platformData ? filterRecord->platformData->hwnd : nullptr;
}

void FilterPlugInShell::DeferredDelete(QVWindow* object)
{
  AppShell::DeferredDelete(object);
  if (!applicationMode)
    PostQuitMessage(0);
}

// ---- Checks -----------------------------------------------------------------

bool FilterPlugInShell::ModeSupported()
{
  const int16_t m = filterRecord->imageMode;
  return m == plugInModeGrayScale || m == plugInModeRGBColor || m == plugInModeCMYKColor;
}

bool FilterPlugInShell::HasAbortProc() { return filterRecord->abortProc != nullptr; }
bool FilterPlugInShell::HasProgressProc() { return filterRecord->progressProc != nullptr; }
bool FilterPlugInShell::HasAdvanceState() { return filterRecord->advanceState != nullptr; }
bool FilterPlugInShell::HasDisplayPixels() { return filterRecord->displayPixels != nullptr; }

bool FilterPlugInShell::RecordUsable() const
{
  const FilterRecord& r = *filterRecord;
  const int colours = hostif::ModeToPlanes(r.imageMode, 0);
  return r.planes >= colours + (r.inTransparencyMask ? 1 : 0) && r.filterRect.right >= r.filterRect.left &&
         r.filterRect.bottom >= r.filterRect.top;
}

// ---- Selectors --------------------------------------------------------------

void FilterPlugInShell::DoAbout()
{
  // In about mode the deferred delete of the about window ends the loop;
  // the mode is restored afterwards, so that a later run's about window
  // (opened from its Help menu) cannot end that run.
  applicationMode = false;
  ApplicationHooks* hooks = InstalledApplicationHooks();
  if (hooks && hooks->ShowAboutWindow())
    MessageLoop();
  applicationMode = true;
  *result = noErr;
}

void FilterPlugInShell::DoParameters() { *result = noErr; }

void FilterPlugInShell::DoPrepare()
{
  filterRecord->bufferSpace = 0;
  *result = noErr;
}

void FilterPlugInShell::DoStart()
{
  transferStatus = noErr;
  // CMYK cannot travel without the host's colour services.
  const bool colours = filterRecord->imageMode != plugInModeCMYKColor || filterRecord->colorServices;
  if (!ModeSupported() || !HasAbortProc() || !HasProgressProc() || !HasAdvanceState() || !HasDisplayPixels() ||
      !colours) {
    EndFilter(userCanceledErr);
    return;
  }
  if (!RecordUsable()) {
    EndFilter(filterBadParameters);
    return;
  }
  applicationMode = true;
  const int code = Run();
  // A failed transfer is reported even when the application went on and
  // quit as if it had applied.
  if (transferStatus != noErr)
    EndFilter(transferStatus);
  else if (code != 0)
    EndFilter(userCanceledErr);
  else
    *result = noErr;
}

void FilterPlugInShell::DoContinue() { EndFilter(noErr); }

void FilterPlugInShell::DoFinish() { *result = noErr; }

void FilterPlugInShell::DoUnknownSelector() { *result = filterBadParameters; }

int16_t FilterPlugInShell::AdvanceState() { return filterRecord->advanceState(); }

void FilterPlugInShell::EndFilter(int16_t code)
{
  if (filterRecord) {
    hostif::SetRect(&filterRecord->inRect, 0, 0, 0, 0);
    hostif::SetRect(&filterRecord->outRect, 0, 0, 0, 0);
    hostif::SetRect(&filterRecord->maskRect, 0, 0, 0, 0);
  }
  if (result)
    *result = code;
}
