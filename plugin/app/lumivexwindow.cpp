// The main window: construction, its controls, keys, painting, destruction,
// window placement and the about window (the command table is in
// lumivexwindow_commands.cpp).
#include "lumivexwindow.h"

#include "appshell.h"
#include "controlpanel.h"
#include "lumivexapp.h"
#include "previewpane.h"
#include "progressbar.h"
#include "qvbuttonmouseover.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvmenu.h"
#include "qvcommon/qvpaintdevice.h"
#include "qvcommon/qvpicturedisplay.h"
#include "qvcommon/qvresourcefile.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

QVRect LTWH(int32_t left, int32_t top, int32_t width, int32_t height)
{
  QVRect r;
  r.SetLTWH(left, top, width, height);
  return r;
}

// The roll-over buttons of the start window: where they sit, their normal,
// hover and pressed pictures and their commands. The apply and cancel
// buttons lie below every client height the window takes, so they are
// never seen.
struct RollOverButton {
  QVButtonMouseOver* LumivexWindow::*field;
  int32_t left, top, width, height;
  int32_t normal, hover, pressed;
  int32_t command;
};

enum : int32_t {
  kPresetMenuMarker = 181,
  kPresetMenuFace = 179,
  kHintPicture = 136,
  kTitlePicture = 109,
  kBusyPicture = 184,
  kEmptyPicture = 186,
};

const char* const kPresetsKey = "Software\\Tarnwell\\Lumivex\\Presets";

} // namespace

// ---- The plug-in's resources -------------------------------------------------------

QVResourceFile* PlugInResourceFile()
{
  static QVResourceFile resources;
  resources.SetResFile(GetHostInstance());
  return &resources;
}

// ---- Construction -----------------------------------------------------------------

LumivexWindow::LumivexWindow(QVRect* rect, QVResourceFile* resources, HWND parent)
    : QVWindow(rect, "Tarnwell Corporation", eQVWindowStyleStaticMainCaption,
               resources ? resources : PlugInResourceFile(), nullptr, parent),
      m_SkinColour(229, 190, 168)
{
  HideWindow();
  LumivexWindow::Initialize();
}

void LumivexWindow::Initialize()
{
  m_CurrentImage = m_CorrectedPreview = m_UncorrectedPreview = m_SubDetailCopy = nullptr;
  m_ReducedCopyCurrent = m_FullSizeKept = false;
  m_TitleStrip = m_HintPane = nullptr;
  m_HelpMenu = m_PresetMenu = nullptr;
  m_PreviewPane = nullptr;
  m_ProgressBar = nullptr;
  m_CustomButton = m_AutomaticButton = m_ApplyButton = m_CancelButton = nullptr;
  m_ControlPanel = nullptr;
  m_BusyPicture = m_EmptyPicture = nullptr;
  m_SkinColour.SetRGB(229, 190, 168);
  m_ViewMode = 0;
  m_Settings = AdjustParams{};
  m_Settings.contrastLevel = 7;
  m_Settings.colorLevel = 7;
  m_Settings.sharpenLevel = 6;
  m_Settings.noiseLevel = 20;
  m_Settings.tonalGamma = kGammaTable[kDefaultGammaIndex];
  m_Settings.targetGamma = kGammaTable[kDefaultGammaIndex];
  m_Settings.skinColor[0] = m_SkinColour.R();
  m_Settings.skinColor[1] = m_SkinColour.G();
  m_Settings.skinColor[2] = m_SkinColour.B();
  m_Saturation = m_Brightness = 0;
  m_DescreenOn = m_DespeckleOn = 0;
  m_Red = m_Green = m_Blue = 0;
  m_PanelDefaults = PanelDefaults{};
  m_EnhanceOn = 1;
  m_SubDetailOn = 0;
  m_SubDetailAmount = 2;
  m_FullSizeView = 0;
  m_ControlDown = 0;
  m_AutomaticMode = 0;
  m_DialogWanted = 1;
  m_ReducedPreview = 1;
  m_HotKeyWindow = this;
  ReadScriptParameters();
}

LumivexWindow::~LumivexWindow()
{
  delete m_CorrectedPreview;
  delete m_TitleStrip;
  delete m_HelpMenu;
  delete m_ProgressBar;
  delete m_CustomButton;
  delete m_AutomaticButton;
  delete m_ApplyButton;
  delete m_CancelButton;
  delete m_HintPane;
  delete m_PresetMenu;
  delete m_BusyPicture;
  delete m_EmptyPicture;
  delete m_UncorrectedPreview;
  delete m_SubDetailCopy;
  // The pane goes with the panel.
  m_PreviewPane = nullptr;
  delete m_ControlPanel;
  CleanupWindowTypes();
}

bool LumivexWindow::CreateControls()
{
  QVResourceFile* resources = GetResourceFile();
  // 1. The panel, on the plug-in's resources, built from copies of the
  // settings and the defaults.
  QVRect panelRect(0, 0, 800, 600);
  m_ControlPanel = new (std::nothrow) ControlPanel(&panelRect, PlugInResourceFile(), nullptr, this);
  if (m_ControlPanel)
    m_ControlPanel->CreateControls(m_Settings, m_PanelDefaults);
  // 2., 3. The hint pane and the title strip.
  const QVRect hint = LTWH(0, 38, 347, 211);
  if ((m_HintPane = new (std::nothrow) QVWindow(&hint, "", eQVWindowStyleEmpty, resources, this, nullptr)))
    m_HintPane->LoadBackgroundImage(kHintPicture);
  const QVRect title = LTWH(183, 0, 161, 36);
  if ((m_TitleStrip = new (std::nothrow) QVWindow(&title, "", eQVWindowStyleControl, resources, this, nullptr)))
    m_TitleStrip->LoadBackgroundImage(kTitlePicture);
  // 4. The pane, from the panel.
  m_PreviewPane = m_ControlPanel ? m_ControlPanel->GetPreviewPane() : nullptr;
  if (m_PreviewPane) {
    m_PreviewPane->LoadBackgroundImage(kHintPicture);
    if (m_CurrentImage)
      m_PreviewPane->SetImage(m_CurrentImage);
    m_ControlPanel->AddShadowWnd(m_PreviewPane);
  }
  // 5. The busy and the no-image pictures, hidden in the panel.
  QVRect pictures = LTWH(0, 38, 347, 211);
  if (m_ControlPanel) {
    const struct {
      QVPictureDisplay** field;
      int32_t picture;
    } displays[] = {{&m_BusyPicture, kBusyPicture}, {&m_EmptyPicture, kEmptyPicture}};
    for (const auto& d : displays)
      if ((*d.field = new (std::nothrow) QVPictureDisplay(m_ControlPanel, pictures, resources, d.picture))) {
        m_ControlPanel->AddShadowWnd(*d.field);
        (*d.field)->HideWindow();
      }
  }
  // 6. The progress bar of the busy strip.
  QVRect progress = LTWH(0, 38, 347, 10);
  if ((m_ProgressBar = new (std::nothrow) ProgressBar(this, progress, resources))) {
    m_ProgressBar->SetProgress(0, 100);
    m_ProgressBar->HideWindow();
  }
  // 7., 8. The roll-over buttons, with the preset menu between the
  // automatic and the apply button.
  static const RollOverButton kButtons[] = {
      {&LumivexWindow::m_CustomButton, 49, 252, 87, 34, 126, 110, 114, kCustom},
      {&LumivexWindow::m_AutomaticButton, 175, 252, 128, 34, 111, 127, 128, kAutomatic},
      {&LumivexWindow::m_ApplyButton, 270, 380, 26, 25, 156, 157, 158, kApply},
      {&LumivexWindow::m_CancelButton, 255, 416, 58, 25, 153, 154, 155, kCancel},
  };
  for (const RollOverButton& b : kButtons) {
    QVRect rect = LTWH(b.left, b.top, b.width, b.height);
    this->*b.field =
        new (std::nothrow) QVButtonMouseOver(this, rect, resources, b.normal, b.hover, b.pressed, b.command);
    if (b.command == kAutomatic)
      CreatePresetMenu(resources);
  }
  // 9., 10. Sized and shown.
  PlaceWindow(kStartWidth, m_DialogWanted ? kStartHeight : kHiddenHeight, true);
  ShowWindow(eQVShowNormal);
  return true;
}

void LumivexWindow::CreatePresetMenu(QVResourceFile* resources)
{
  QVRect rect = LTWH(310, 268, 15, 20);
  m_PresetMenu = new (std::nothrow) QVMenu(this, rect, resources, kPresetChosen, kPresetMenuMarker, 190);
  if (!m_PresetMenu)
    return;
  // The face serves the button and its items.
  m_PresetMenu->LoadBackgroundImage(kPresetMenuFace);
  m_PresetMenu->SetMenuItemBackID(kPresetMenuFace, resources);
  m_PresetMenu->SetMarkFirst();
  m_PresetMenu->SetSelectedNum(1);
  m_PresetMenu->AddMenuItem(kDefaultPreset, kDefaultPreset, false);
  m_PresetMenu->AddMenuItem(kSeparator, kSeparator, true);
  m_PresetMenu->InitFromRegistry(kPresetsKey);
  // The remembered preset, when an item bears its name; otherwise "Default"
  // (never the separator, which names no preset).
  char* remembered = GetCurrentPreset();
  if (remembered && *remembered)
    m_PresetMenu->SetSelectedItem(remembered);
  const char* shown = m_PresetMenu->GetItemName(m_PresetMenu->GetSelectedNum());
  if (!remembered || !*remembered || !shown || std::strcmp(shown, remembered) != 0)
    m_PresetMenu->SetSelectedNum(0);
  delete[] remembered;
}

// ---- Placement --------------------------------------------------------------------

void LumivexWindow::PlaceWindow(int width, int height, bool centre)
{
  const QVRect current = GetWindowRect();
  RECT r{current.Left(), current.Top(), current.Left() + width - 1, current.Top() + height - 1};
  DWORD style = 0, exStyle = 0;
  GetWindowClassNameByType(eQVWindowStyleStaticMainCaption, nullptr, &style, &exStyle);
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  const int32_t w = r.right - r.left + 1, h = r.bottom - r.top + 1;
  const int32_t x = centre ? (GetSystemMetrics(SM_CXSCREEN) - w) / 2 : r.left;
  const int32_t y = centre ? (GetSystemMetrics(SM_CYSCREEN) - h) / 2 : r.top;
  SetWindowPos(x, y, w, h, 1);
}

// ---- Painting, keys, closing ---------------------------------------------------------

bool LumivexWindow::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  const QVColor black(0, 0, 0);
  device.SetDeviceBrush(&black);
  device.PaintRect(GetClientRect());
  device.DestroyBrush();
  return true;
}

void LumivexWindow::ShowInPane(QVImage* image)
{
  if (!m_PreviewPane)
    return;
  m_PreviewPane->SetImage(image);
  m_PreviewPane->InvalWindow(nullptr, 0);
}

bool LumivexWindow::HandleKeyEvent(QVEvent& event)
{
  const eQVEventTypes type = event.GetEventType();
  if ((type != eQVKeyDownEvent && type != eQVKeyUpEvent) ||
      (event.m_KeyCode != VK_SHIFT && event.m_KeyCode != VK_CONTROL))
    return QVWindow::HandleKeyEvent(event);
  const bool down = type == eQVKeyDownEvent;
  if (event.m_KeyCode == VK_SHIFT) {
    // While Shift is held the user sees the picture before the correction.
    ShowInPane(down ? (m_ReducedPreview ? m_UncorrectedPreview : m_CurrentImage) : m_CorrectedPreview);
  } else {
    m_ControlDown = down ? 1 : 0;
    if (!down)
      RunPreviewCorrection(true, true);
  }
  return true;
}

bool LumivexWindow::HandleDestroyEvent(QVEvent&)
{
  if (AppShell* bridge = Bridge())
    bridge->Quit(1);
  return true;
}

// ---- Gamma table and the bridge -----------------------------------------------------------

int32_t LumivexWindow::FindGammaIndex(double value)
{
  for (int32_t i = 0; i < kGammaCount; ++i)
    if (kGammaTable[i] == value)
      return i;
  return kDefaultGammaIndex;
}

double LumivexWindow::GammaForIndex(int32_t index) { return kGammaTable[std::clamp(index, 0, kGammaCount - 1)]; }

AppShell* LumivexWindow::Bridge()
{
  LumivexApp* app = LumivexApp::Current();
  return app ? app->GetBridge() : nullptr;
}

int LumivexWindow::BridgeMode()
{
  AppShell* bridge = Bridge();
  return bridge ? bridge->GetMode() : 1;
}
