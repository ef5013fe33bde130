// Suite checks, suite wrappers with the handle fallback, the descriptor close
// helpers, buffers and alerts (see hostutil.h).
#include "hostutil.h"

#include "win32/memory.h"
#include "win32/messagebox.h"
#include "win32/modules.h"

#include <algorithm>

namespace hostif {
namespace {

void Anchor() {}

// The procedure `member` of the host's handle suite when the suite passes
// its check and that very procedure is there; null otherwise.
template <class Proc>
Proc HostProc(const HandleProcs* procs, Proc HandleProcs::*member)
{
  return CheckHandleProcs(procs, nullptr) ? procs->*member : nullptr;
}

template <class Procs>
bool Usable(const Procs* procs, const SuiteRule& rule)
{
  return CheckSuite(rule, StateOf(procs), nullptr);
}

} // namespace

HMODULE ThisModule()
{
  MEMORY_BASIC_INFORMATION info{};
  return VirtualQuery(reinterpret_cast<const void*>(&Anchor), &info, sizeof info)
             ? static_cast<HMODULE>(info.AllocationBase)
             : nullptr;
}

// ---- Checks -----------------------------------------------------------------

SuiteState StateOf(const HandleProcs* p)
{
  return p ? SuiteState{p->handleProcsVersion, p->numHandleProcs,
                        p->newProc && p->disposeProc && p->getSizeProc && p->setSizeProc}
           : SuiteState{0, 0, false};
}

SuiteState StateOf(const BufferProcs* p)
{
  return p ? SuiteState{p->bufferProcsVersion, p->numBufferProcs,
                        p->allocateProc && p->lockProc && p->unlockProc && p->freeProc && p->spaceProc}
           : SuiteState{0, 0, false};
}

SuiteState StateOf(const ResourceProcs* p)
{
  return p ? SuiteState{p->resourceProcsVersion, p->numResourceProcs,
                        p->countProc && p->getProc && p->deleteProc && p->addProc}
           : SuiteState{0, 0, false};
}

SuiteState StateOf(const PropertyProcs* p)
{
  return p ? SuiteState{p->propertyProcsVersion, p->numPropertyProcs, p->getPropertyProc && p->setPropertyProc}
           : SuiteState{0, 0, false};
}

bool CheckSuite(const SuiteRule& rule, const SuiteState& suite, bool* tooNew)
{
  if (suite.version != rule.version) {
    if (suite.version > rule.version && tooNew)
      *tooNew = true;
    return false;
  }
  return suite.count >= rule.minimumCount && suite.complete;
}

bool CheckSuiteWithAlert(const SuiteRule& rule, const SuiteState& suite)
{
  bool tooNew = false;
  if (CheckSuite(rule, suite, &tooNew))
    return true;
  if (tooNew)
    AlertWithValues(ThisModule(), nullptr, kMessageHostTooNew, nullptr, nullptr);
  else
    AlertWithValues(ThisModule(), nullptr, kMessageHostTooOld, rule.versionText, nullptr);
  return false;
}

bool CheckProcedureWithAlert(bool present, RequiredHost host)
{
  if (present)
    return true;
  std::string version = host == RequiredHost::k30 ? "3.0" : host == RequiredHost::k25 ? "2.5" : DoubleToText(2.502, 3);
  if (host == RequiredHost::k2502)
    version.back() = '.';
  AlertWithValues(ThisModule(), nullptr, kMessageHostTooOld, version.c_str(), nullptr);
  return false;
}

bool CheckHandleProcs(const HandleProcs* procs, bool* tooNew)
{
  return CheckSuite(kHandleSuiteRule, StateOf(procs), tooNew);
}

bool CheckDescriptorSuites(const PIDescriptorParameters* p, bool* tooNew)
{
  if (!p)
    return false;
  const ReadDescriptorProcs* read = p->readDescriptorProcs;
  const WriteDescriptorProcs* write = p->writeDescriptorProcs;
  for (const int16_t version : {p->descriptorParametersVersion, read ? read->readDescriptorProcsVersion : int16_t(0),
                                write ? write->writeDescriptorProcsVersion : int16_t(0)}) {
    if (version != 0) {
      if (version > 0 && tooNew)
        *tooNew = true;
      return false;
    }
  }
  if (!read || !write || read->numReadDescriptorProcs < kReadDescriptorProcsCount ||
      write->numWriteDescriptorProcs < kWriteDescriptorProcsCount)
    return false;
  const bool readUsed = read->openReadDescriptorProc && read->closeReadDescriptorProc && read->getKeyProc &&
                        read->getIntegerProc && read->getFloatProc && read->getBooleanProc;
  const bool writeUsed = write->openWriteDescriptorProc && write->closeWriteDescriptorProc && write->putIntegerProc &&
                         write->putFloatProc && write->putBooleanProc;
  for (const UnusedDescriptorProc proc : read->unusedProcs)
    if (!proc)
      return false;
  for (const UnusedDescriptorProc proc : write->unusedProcs)
    if (!proc)
      return false;
  return readUsed && writeUsed;
}

// ---- Descriptors ------------------------------------------------------------

int16_t CloseReadDescriptor(PIDescriptorParameters* p, const HandleProcs* handles, PIReadDescriptor* token)
{
  if (!CheckDescriptorSuites(p, nullptr) || !token)
    return filterBadParameters;
  const int16_t result = *token ? p->readDescriptorProcs->closeReadDescriptorProc(*token) : noErr;
  if (p->descriptor)
    DisposeHandleWithSuite(handles, p->descriptor);
  p->descriptor = nullptr;
  *token = nullptr;
  return result;
}

int16_t CloseWriteDescriptor(PIDescriptorParameters* p, const HandleProcs* handles, PIWriteDescriptor* token)
{
  if (!CheckDescriptorSuites(p, nullptr) || !token)
    return filterBadParameters;
  if (p->descriptor)
    DisposeHandleWithSuite(handles, p->descriptor);
  p->descriptor = nullptr;
  Handle written = nullptr;
  const int16_t result = p->writeDescriptorProcs->closeWriteDescriptorProc(*token, &written);
  p->descriptor = result == noErr ? written : nullptr;
  p->recordInfo = 0;
  *token = nullptr;
  return result;
}

bool PlayInfoIsDisplay(const PIDescriptorParameters* p) { return p && p->playInfo == playInfoDisplay; }

// ---- Handle suite with the fallback -----------------------------------------

Handle NewHandleWithSuite(const HandleProcs* procs, int32_t size)
{
  auto proc = HostProc(procs, &HandleProcs::newProc);
  return proc ? proc(size) : NewHandle(size);
}

void DisposeHandleWithSuite(const HandleProcs* procs, Handle handle)
{
  if (auto proc = HostProc(procs, &HandleProcs::disposeProc))
    proc(handle);
  else
    DisposeHandle(handle);
}

int32_t GetHandleSizeWithSuite(const HandleProcs* procs, Handle handle)
{
  auto proc = HostProc(procs, &HandleProcs::getSizeProc);
  return proc ? proc(handle) : GetHandleSize(handle);
}

int16_t SetHandleSizeWithSuite(const HandleProcs* procs, Handle handle, int32_t size)
{
  auto proc = HostProc(procs, &HandleProcs::setSizeProc);
  return proc ? proc(handle, size) : SetHandleSize(handle, size);
}

Ptr LockHandleWithSuite(const HandleProcs* procs, Handle handle, bool moveHigh)
{
  if (auto proc = HostProc(procs, &HandleProcs::lockProc))
    return proc(handle, moveHigh);
  return IsOwnHandle(handle) ? *handle : nullptr;
}

void UnlockHandleWithSuite(const HandleProcs* procs, Handle handle)
{
  if (auto proc = HostProc(procs, &HandleProcs::unlockProc))
    proc(handle);
}

// ---- Buffer, resource and property suites -----------------------------------

int16_t AllocateBuffer(const BufferProcs* procs, int32_t size, BufferID* buffer)
{
  return Usable(procs, kBufferSuiteRule) ? procs->allocateProc(size, buffer) : memFullErr;
}

Ptr LockBuffer(const BufferProcs* procs, BufferID buffer, bool moveHigh)
{
  return Usable(procs, kBufferSuiteRule) ? procs->lockProc(buffer, moveHigh) : nullptr;
}

void UnlockBuffer(const BufferProcs* procs, BufferID buffer)
{
  if (Usable(procs, kBufferSuiteRule))
    procs->unlockProc(buffer);
}

void FreeBuffer(const BufferProcs* procs, BufferID buffer)
{
  if (Usable(procs, kBufferSuiteRule))
    procs->freeProc(buffer);
}

int32_t BufferSpace(const BufferProcs* procs) { return Usable(procs, kBufferSuiteRule) ? procs->spaceProc() : 0; }

int16_t CountResources(const ResourceProcs* procs, uint32_t type)
{
  return Usable(procs, kResourceSuiteRule) ? procs->countProc(type) : 0;
}

Handle GetResource(const ResourceProcs* procs, uint32_t type, int16_t index)
{
  return Usable(procs, kResourceSuiteRule) ? procs->getProc(type, index) : nullptr;
}

void DeleteResource(const ResourceProcs* procs, uint32_t type, int16_t index)
{
  if (Usable(procs, kResourceSuiteRule))
    procs->deleteProc(type, index);
}

int16_t AddResource(const ResourceProcs* procs, uint32_t type, Handle data)
{
  return Usable(procs, kResourceSuiteRule) ? procs->addProc(type, data) : 0;
}

int16_t GetProperty(const PropertyProcs* procs, uint32_t signature, uint32_t key, int32_t index,
                    intptr_t* simpleProperty, Handle* complexProperty)
{
  return Usable(procs, kPropertySuiteRule)
             ? procs->getPropertyProc(signature, key, index, simpleProperty, complexProperty)
             : 0;
}

int16_t SetProperty(const PropertyProcs* procs, uint32_t signature, uint32_t key, int32_t index,
                    intptr_t simpleProperty, Handle complexProperty)
{
  return Usable(procs, kPropertySuiteRule)
             ? procs->setPropertyProc(signature, key, index, simpleProperty, complexProperty)
             : 0;
}

int32_t AllocateLargestBuffer(const BufferProcs* procs, int32_t rowBytes, int32_t planes, int32_t minRows,
                              int32_t maxRows, BufferID* buffer)
{
  if (!buffer || rowBytes <= 0 || planes <= 0 || !Usable(procs, kBufferSuiteRule))
    return 0;
  const int64_t rowSize = static_cast<int64_t>(rowBytes) * planes;
  const int64_t fit = procs->spaceProc() / rowSize;
  for (int64_t rows = std::min<int64_t>(fit, maxRows); rows >= std::max(minRows, 1); --rows) {
    if (procs->allocateProc(static_cast<int32_t>(rows * rowSize), buffer) == noErr)
      return static_cast<int32_t>(rows);
  }
  *buffer = nullptr;
  return 0;
}

// ---- Alerts -----------------------------------------------------------------

int AlertFromStrings(HMODULE module, HWND owner, int16_t id)
{
  char text[256] = "", title[61] = "";
  LoadStringA(module, static_cast<UINT>(id), text, sizeof text);
  LoadStringA(module, static_cast<UINT>(id + 1), title, sizeof title);
  return MessageBoxA(owner, text, title, MB_ICONINFORMATION);
}

int AlertWithValues(HMODULE module, HWND owner, int16_t id, const char* text1, const char* text2, int severity)
{
  char text[256] = "";
  LoadStringA(module, static_cast<UINT>(id), text, sizeof text);
  const std::string message = ReplacePlaceholders(text, nullptr, text1, text2);
  return MessageBoxA(owner, message.c_str(), nullptr, severity == 1 ? MB_ICONERROR : MB_ICONWARNING);
}

} // namespace hostif
