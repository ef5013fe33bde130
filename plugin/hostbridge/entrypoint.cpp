// The one export of the plug-in: the host calls it for every selector.
#include "filterpluginshell.h"
#include "hostutil.h"
#include "qvcommon/qvresourcefile.h"

#include <new>

namespace {

// Lives as long as the module is loaded; never deleted.
FilterPlugInShell* g_shell = nullptr;

// The record and the result slot belong to one call: afterwards the shell
// holds what an outer call had (nothing, unless a host calls in again from
// one of its callbacks), so it never keeps pointers the host has dropped.
class CallScope {
public:
  CallScope(FilterPlugInShell& shell, FilterRecord* record, int16_t* result)
      : shell_(shell), outerRecord_(shell.Record()), outerResult_(shell.ResultSlot())
  {
    shell_.SetCall(record, result);
  }
  ~CallScope() { shell_.SetCall(outerRecord_, outerResult_); }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

private:
  FilterPlugInShell& shell_;
  FilterRecord* outerRecord_;
  int16_t* outerResult_;
};

void Dispatch(FilterPlugInShell& shell, int16_t selector)
{
  switch (selector) {
  case filterSelectorAbout: shell.DoAbout(); break;
  case filterSelectorParameters: shell.DoParameters(); break;
  case filterSelectorPrepare: shell.DoPrepare(); break;
  case filterSelectorStart: shell.DoStart(); break;
  case filterSelectorContinue: shell.DoContinue(); break;
  case filterSelectorFinish: shell.DoFinish(); break;
  default: shell.DoUnknownSelector(); break;
  }
}

} // namespace

extern "C" __attribute__((visibility("default"))) void ENTRYPOINT(int16_t selector, FilterRecord* record,
                                                                  intptr_t* data, int16_t* result)
{
  if (!result)
    return;
  // This module's own load base, so that the framework finds this module's
  // resources even in a process that holds several plug-ins.
  const HINSTANCE module = hostif::ThisModule();
  try {
    if (!g_shell && !(g_shell = new (std::nothrow) FilterPlugInShell(module))) {
      *result = memFullErr;
      return;
    }
    // The host keeps this word for the plug-in between calls; it holds a
    // handle that carries nothing.
    if (data && *data == 0) {
      Handle handle = hostif::NewHandle(12);
      if (!handle) {
        *result = memFullErr;
        return;
      }
      *data = reinterpret_cast<intptr_t>(handle);
    }
    SetHostInstance(module);
    const bool needsRecord = selector >= filterSelectorParameters && selector <= filterSelectorFinish;
    if (!record && needsRecord) {
      *result = filterBadParameters;
      return;
    }
    const CallScope call(*g_shell, record, result);
    Dispatch(*g_shell, selector);
  } catch (const std::bad_alloc&) {
    *result = memFullErr;
  } catch (...) {
    *result = filterBadParameters;
  }
}
