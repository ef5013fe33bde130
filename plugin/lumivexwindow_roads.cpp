// The finishing roads, the remembered preset and the TWAIN commands.
//
// Interim: until they are built, each operation only notes its call
// (pendingcalls.h); GetCurrentPreset answers with the name a test set.
#include "lumivexwindow.h"

#include "pendingcalls.h"

#include <cstring>
#include <new>
#include <string>

void LumivexWindow::ApplyAndDeliver(bool quit)
{
  RecordPendingCall(std::string("ApplyAndDeliver(") + (quit ? "true" : "false") + ")");
}

void LumivexWindow::FinishAutomatic() { RecordPendingCall("FinishAutomatic()"); }

char* LumivexWindow::GetCurrentPreset()
{
  RecordPendingCall("GetCurrentPreset()");
  const char* name = PendingCurrentPreset();
  if (!name)
    return nullptr;
  const size_t size = std::strlen(name) + 1;
  char* copy = new (std::nothrow) char[size];
  if (copy)
    std::memcpy(copy, name, size);
  return copy;
}

long LumivexWindow::SetCurrentPreset(const char* name)
{
  RecordPendingCall(std::string("SetCurrentPreset(") + (name ? "\"" + std::string(name) + "\"" : "null") + ")");
  return 0;
}

void LumivexWindow::TwainAcquire() { RecordPendingCall("TwainAcquire()"); }

void LumivexWindow::TwainSelectSource() { RecordPendingCall("TwainSelectSource()"); }
