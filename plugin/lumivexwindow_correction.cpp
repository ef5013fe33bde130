// The correction run and the engine settings taken from the controls.
//
// Interim: until the correction run is built, each operation only notes
// its call (pendingcalls.h); SetImage also makes the image the current one.
#include "lumivexwindow.h"

#include "pendingcalls.h"

#include <string>

namespace {

const char* Flag(bool on) { return on ? "true" : "false"; }

} // namespace

bool LumivexWindow::SetImage(QVImage* image, bool redraw)
{
  m_CurrentImage = image;
  RecordPendingCall(std::string("SetImage(") + (image ? "image" : "null") + ", " + Flag(redraw) + ")");
  return true;
}

void LumivexWindow::RunPreviewCorrection(bool correct, bool redraw)
{
  RecordPendingCall(std::string("RunPreviewCorrection(") + Flag(correct) + ", " + Flag(redraw) + ")");
}

void LumivexWindow::RunFullCorrection(bool reapplyPreset)
{
  RecordPendingCall(std::string("RunFullCorrection(") + Flag(reapplyPreset) + ")");
}

void LumivexWindow::SettingsFromControls() { RecordPendingCall("SettingsFromControls()"); }

void LumivexWindow::RefreshPreview() { RecordPendingCall("RefreshPreview()"); }

void LumivexWindow::ResetSettings() { RecordPendingCall("ResetSettings()"); }

void LumivexWindow::SetEnhance(bool on) { RecordPendingCall(std::string("SetEnhance(") + Flag(on) + ")"); }

void LumivexWindow::SetSubDetail(bool on, int amount)
{
  RecordPendingCall(std::string("SetSubDetail(") + Flag(on) + ", " + std::to_string(amount) + ")");
}
