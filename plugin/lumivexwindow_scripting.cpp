// The scripting parameters the host records and replays.
//
// Interim: until they are built, reading them only notes the call, so the
// defaults stay and a dialog is wanted.
#include "lumivexwindow.h"

#include "pendingcalls.h"

bool LumivexWindow::ReadScriptParameters()
{
  RecordPendingCall("ReadScriptParameters()");
  return false;
}
