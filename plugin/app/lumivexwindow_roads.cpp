// The finishing roads, the remembered preset and the TWAIN commands.
#include "lumivexwindow.h"

#include "appshell.h"
#include "lumivexapp.h"
#include "previewpane.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvmessage.h"
#include "qvcommon/qvtwain.h"
#include "win32/registry.h"

#include <cctype>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

const char* const kProductKey = "Software\\Tarnwell\\Lumivex\\";
const char* const kCurrentPresetValue = "Current Preset";
constexpr uint16_t kDirectorySize = 260;

std::string Lower(std::string text)
{
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

} // namespace

void LumivexWindow::ShowBusyStrip()
{
  // Painted now (InvalWindow updates at once): the run that follows takes
  // a while and paints nothing.
  PlaceWindow(kStartWidth, kBusyHeight, true);
  InvalWindow(nullptr, 0);
}

void LumivexWindow::ReportCorrectionFailure()
{
  // A run without a dialog (a batch) must not stop at a box.
  if (m_DialogWanted)
    QVMessage("Lumivex could not correct the image.", "Alert!", QVMessage::qvMessageOK);
}

void LumivexWindow::ApplyAndDeliver(bool quit)
{
  AppShell* bridge = Bridge();
  ShowBusyStrip();
  if (!RunFullCorrection(false)) {
    ReportCorrectionFailure();
    if (quit && bridge)
      bridge->Quit(2);
    return;
  }
  if (!bridge)
    return;
  QVFileSpec none;
  // Only a run the host took is recorded; a refused delivery already makes
  // the Start fail.
  if (bridge->DeliverImage(m_CurrentImage, &none, this) && bridge->GetMode() == 1)
    WriteScriptParameters(false);
  if (quit)
    bridge->Quit(0);
}

bool LumivexWindow::FinishAutomatic()
{
  if (!HasImage())
    return true;
  ShowBusyStrip();
  if (!RunFullCorrection(true)) {
    ReportCorrectionFailure();
    return false;
  }
  AppShell* bridge = Bridge();
  if (!bridge)
    return true;
  if (bridge->GetMode() == 1) {
    if (bridge->DeliverImage(m_CurrentImage, bridge->GetOpenedFile(), this))
      WriteScriptParameters(true);
  } else {
    SaveAutomatic();
  }
  return true;
}

void LumivexWindow::SaveAutomatic()
{
  AppShell* bridge = Bridge();
  LumivexApp* app = LumivexApp::Current();
  QVFileSpec* opened = bridge->GetOpenedFile();
  const PrefsRecord* prefs = app ? app->GetPreferences() : nullptr;
  if (opened && prefs && prefs->AutoOverwrite) {
    m_CurrentImage->Save(opened, 0);
    return;
  }
  if (opened && prefs && prefs->AutoSave) {
    QVFileSpec directory;
    opened->ExtractPathOnly(directory);
    char folder[kDirectorySize] = "";
    char name[QVFileSpec::kPathSize] = "";
    opened->ExtractNameOnly(name, true);
    // The folder, the prefix and the name: a path too long to keep goes to
    // the save dialog instead.
    if (directory.GetFullPath(folder, kDirectorySize) == 0) {
      const std::string path = Lower(folder) + "\\" + Lower(prefs->SaveNameExt) + Lower(name);
      if (opened->SetFullPath(path.c_str()) == 0) {
        m_CurrentImage->Save(opened, 0);
        return;
      }
    }
  }
  bridge->DeliverImage(m_CurrentImage, opened, this);
}

char* LumivexWindow::GetCurrentPreset()
{
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return nullptr;
  DWORD type = 0, size = 0;
  char* name = nullptr;
  if (RegQueryValueExA(key, kCurrentPresetValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    // One byte more than the value, so that a value stored without its
    // terminator still ends.
    name = new (std::nothrow) char[size + 1];
    DWORD read = size;
    if (name &&
        RegQueryValueExA(key, kCurrentPresetValue, nullptr, &type, reinterpret_cast<BYTE*>(name), &read) ==
            ERROR_SUCCESS &&
        read <= size) {
      name[read] = '\0';
    } else {
      delete[] name;
      name = nullptr;
    }
  }
  RegCloseKey(key);
  return name;
}

long LumivexWindow::SetCurrentPreset(const char* name)
{
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_ALL_ACCESS, &key);
  if (opened != ERROR_SUCCESS)
    return opened;
  if (name)
    RegSetValueExA(key, kCurrentPresetValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                   static_cast<DWORD>(std::strlen(name) + 1));
  return RegCloseKey(key);
}

void LumivexWindow::TwainAcquire()
{
  QVTwain twain;
  std::unique_ptr<QVImage> acquired(twain.Acquire(this));
  if (!acquired || !acquired->HasPixels())
    return;
  AppShell* bridge = Bridge();
  if (bridge) {
    bridge->SetImage(acquired.get());
    // The bridge now owns it, unless (as the filter plug-in's) it did not
    // take it.
    if (bridge->GetImage() == acquired.get())
      acquired.release();
  }
  // The window takes the bridge's image before the pane draws again: a
  // stand-alone bridge has just deleted the old one.
  SetImage(bridge ? bridge->GetImage() : m_CurrentImage, true);
  if (m_PreviewPane)
    m_PreviewPane->SetDisplay(true);
}

void LumivexWindow::TwainSelectSource()
{
  QVTwain twain;
  twain.SelectSource(this);
}
