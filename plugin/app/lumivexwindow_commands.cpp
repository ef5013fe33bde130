// The main window's command table, the help menu and the help and
// file-attributes commands.
#include "lumivexwindow.h"

#include "aboutwindow.h"
#include "appshell.h"
#include "controlpanel.h"
#include "correctionsettings.h"
#include "lumivexapp.h"
#include "lumivexutils.h"
#include "prefswindow.h"
#include "previewpane.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvmenu.h"
#include "win32/registry.h"

#include <algorithm>
#include <new>
#include <string>

namespace {

// The maker's web server (an address that reaches no one).
const char* const kWebServer = "https://www.tarnwell.example/";
const char* const kSupportPage = "HTML/SUPPORT/SUPPORT.HTM";
const char* const kProductKey = "Software\\Tarnwell\\Lumivex\\";

enum : int32_t {
  kHintCustom = 135,
  kHintAutomatic = 134,
  kHintNormal = 136,
  kBusyBackground = 184,
  kHelpSize = 256,
};

int32_t Value(LPARAM value) { return static_cast<int32_t>(value); }

// The help file the product key names, when it holds a string that ends
// within the bytes read; false (and nothing opened) otherwise.
bool ReadHelpPath(char (&path)[kHelpSize])
{
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  DWORD type = 0, size = kHelpSize;
  const LONG status = RegQueryValueExA(key, "HelpPath", nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ || size == 0)
    return false;
  // A string stored without its terminator gets one when there is room;
  // one that fills the whole buffer cannot be ended and is not used.
  if (path[size - 1] != '\0') {
    if (size >= kHelpSize)
      return false;
    path[size] = '\0';
  }
  return path[0] != '\0';
}

// The size of the file in bytes; 0 when it does not open.
int64_t FileSize(const char* path)
{
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  // With the high half asked for, every low half is a size.
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  CloseHandle(file);
  return static_cast<int64_t>((uint64_t{high} << 32) | low);
}

// The commands the table's settings answer are the window's own.
static_assert([] {
  for (int32_t command : {LumivexWindow::kColors,          LumivexWindow::kColorsAlias,
                          LumivexWindow::kSaturate,        LumivexWindow::kSaturateAlias,
                          LumivexWindow::kContrast,        LumivexWindow::kContrastAlias,
                          LumivexWindow::kSharpen,         LumivexWindow::kSharpenAlias,
                          LumivexWindow::kAntiNoise,       LumivexWindow::kBrightness,
                          LumivexWindow::kBrightnessAlias, LumivexWindow::kTonalRange,
                          LumivexWindow::kTonalRangeAlias, LumivexWindow::kRed,
                          LumivexWindow::kGreen,           LumivexWindow::kBlue,
                          LumivexWindow::kDespeckle,       LumivexWindow::kDespeckleAlias,
                          LumivexWindow::kAntiMoire,       LumivexWindow::kAntiMoireAlias})
    if (!correctionsettings::AnswersPlainCommand(command))
      return false;
  return true;
}());

} // namespace

bool LumivexWindow::HandleCommand(QVEvent& event)
{
  const LPARAM value = event.m_Value;
  const int32_t command = static_cast<int32_t>(event.m_Command);
  // A slider or check box of a setting: its value stored (held to the
  // command's least value, as sharpening is), then the preview run again.
  const correctionsettings::Setting* setting = correctionsettings::ByCommand(command);
  if (setting && setting->plainCommand) {
    LPARAM stored = value;
    if (setting->commandRange.Present())
      stored = std::max<LPARAM>(stored, setting->commandRange.low);
    StoreSetting(*setting, Value(stored));
    RunPreviewCorrection(true, true);
    return true;
  }
  switch (command) {
  case kCustom:
    ShowHint(value == 1 ? kHintCustom : kHintNormal);
    if (value == kCustom) {
      if (m_PreviewPane)
        m_PreviewPane->LoadBackgroundImage(kBusyBackground);
      ShowCustomView();
    }
    break;
  case kAutomatic:
    ShowHint(value == 1 ? kHintAutomatic : kHintNormal);
    if (value == kAutomatic) {
      const bool corrected = FinishAutomatic();
      if (AppShell* bridge = Bridge())
        bridge->Quit(corrected ? 0 : 2);
    }
    break;
  case kFullSizeView: SwitchView(event, true); break;
  case kFittedView: SwitchView(event, false); break;
  case kSubDetailCheck: SetSubDetail(value != 0, EventExtra(event)); break;
  case kSubDetailAmount: SetSubDetail(true, Value(value)); break;
  case kReset: ResetSettings(); break;
  case kDefaultPreset: SetCurrentPreset("Default"); break;
  case kPresetChosen:
    if (m_PresetMenu)
      if (const char* name = m_PresetMenu->GetItemName(m_PresetMenu->GetSelectedNum()))
        SetCurrentPreset(name);
    break;
  case kDragEnded: RunPreviewCorrection(true, true); break;
  case kApply:
    ShowBusyView();
    if (m_ControlPanel)
      m_ControlPanel->LayoutPreview();
    ApplyAndDeliver(true);
    break;
  case kApplyKeepOpen: {
    ShowBusyView();
    if (m_ControlPanel)
      m_ControlPanel->LayoutPreview();
    // A correction that failed is not handed to the host.
    if (!RunFullCorrection(false))
      ReportCorrectionFailure();
    else if (AppShell* bridge = Bridge()) {
      QVFileSpec none;
      bridge->DeliverImage(m_PreviewPane ? m_PreviewPane->GetImage() : nullptr, &none, this);
    }
    if (m_CurrentImage)
      ShowNormalView();
    else
      ShowEmptyView();
    if (m_ControlPanel)
      m_ControlPanel->LayoutPreview();
    break;
  }
  case kTwainAcquire: TwainAcquire(); break;
  case kTwainSelect: TwainSelectSource(); break;
  case kCancel:
    if (AppShell* bridge = Bridge())
      bridge->Quit(1);
    break;
  case kHelp: OpenHelpFile(); break;
  case kWebHome: LumivexUtils::ShellOpen(kWebServer); break;
  case kOnlineFAQ: LumivexUtils::ShellOpen((std::string(kWebServer) + kSupportPage).c_str()); break;
  case kAbout: ShowAboutWindow(m_ControlPanel, nullptr); break;
  case kPreferences:
    if (PrefsRecord* preferences = LumivexApp::Current() ? LumivexApp::Current()->GetPreferences() : nullptr)
      if (auto* prefs = new (std::nothrow) PrefsWindow(this, preferences))
        prefs->CreateControls();
    break;
  case kFileAttributes: ShowFileAttributes(); break;
  default: break; // the separator (33) and every id not in the table
  }
  return true;
}

void LumivexWindow::ShowHint(int32_t pictureId)
{
  if (!m_HintPane)
    return;
  m_HintPane->LoadBackgroundImage(pictureId);
  m_HintPane->InvalWindow(nullptr, 0);
}

void LumivexWindow::SwitchView(QVEvent& event, bool fullSize)
{
  if (!m_CurrentImage || (m_FullSizeView != 0) == fullSize)
    return;
  SetReducedPreview(!fullSize);
  RunPreviewCorrection(true, true);
  m_FullSizeView = fullSize ? 1 : 0;
  if (m_ControlPanel)
    m_ControlPanel->LayoutPreview();
  RunPreviewCorrection(true, true);
  if (m_PreviewPane)
    m_PreviewPane->HandleSetCursor(event);
}

void LumivexWindow::OpenHelpFile()
{
  char path[kHelpSize];
  if (ReadHelpPath(path))
    LumivexUtils::OpenHelp(this, path);
}

void LumivexWindow::ShowFileAttributes()
{
  FileInfoRecord* record = nullptr;
  m_FileSpec = QVFileSpec();
  if (m_CurrentImage) {
    m_FileInfo = FileInfoRecord{};
    m_FileInfo.width = m_CurrentImage->width;
    m_FileInfo.height = m_CurrentImage->height;
    AppShell* bridge = Bridge();
    if (const QVFileSpec* opened = bridge ? bridge->GetOpenedFile() : nullptr) {
      m_FileSpec = *opened;
      char path[QVFileSpec::kPathSize] = "";
      if (m_FileSpec.GetFullPath(path, sizeof path) == 0)
        m_FileInfo.fileSize = FileSize(path);
    }
    record = &m_FileInfo;
  }
  if (auto* info = new (std::nothrow) InfoWindow(this, record, &m_FileSpec))
    info->CreateControls();
}

QVMenu* LumivexWindow::CreateHelpMenu()
{
  delete m_HelpMenu;
  QVRect rect(0, 0, 61, 36);
  m_HelpMenu = new (std::nothrow) QVMenu(this, rect, GetResourceFile(), 0, 0, 150);
  if (!m_HelpMenu)
    return nullptr;
  m_HelpMenu->SetStatePictures(108, 108, 108);
  m_HelpMenu->AddMenuItem(kHelp, "Help", false);
  m_HelpMenu->AddMenuItem(kWebHome, "Tarnwell on the web", false);
  m_HelpMenu->AddMenuItem(kAbout, "About Lumivex 1.0", false);
  if (BridgeMode() == 0) {
    m_HelpMenu->AddMenuItem(kPreferences, "Preferences", false);
    m_HelpMenu->AddMenuItem(kFileAttributes, "File Attributes", false);
  }
  return m_HelpMenu;
}
