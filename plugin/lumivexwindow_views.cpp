// The main window's view modes: the start window, the panel with the
// preview, the busy and the no-image pictures.
//
// Interim: until they are built, each operation only notes its call
// (pendingcalls.h).
#include "lumivexwindow.h"

#include "pendingcalls.h"

#include <string>

void LumivexWindow::ShowCustomView() { RecordPendingCall("ShowCustomView()"); }

void LumivexWindow::ShowBusyView() { RecordPendingCall("ShowBusyView()"); }

void LumivexWindow::ShowNormalView() { RecordPendingCall("ShowNormalView()"); }

void LumivexWindow::ShowEmptyView() { RecordPendingCall("ShowEmptyView()"); }

void LumivexWindow::SetReducedPreview(bool on)
{
  RecordPendingCall(std::string("SetReducedPreview(") + (on ? "true" : "false") + ")");
}
