// The control panel: construction, its controls, layout of the preview,
// painting and resizing (the command translation is in
// controlpanel_commands.cpp, the presets in controlpanel_presets.cpp).
#include "controlpanel.h"

#include "correctionsettings.h"
#include "lumivextoolbar.h"
#include "previewpane.h"
#include "qvcommon/qvbutton.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvmenu.h"
#include "qvcommon/qvpaintdevice.h"
#include "qvcommon/qvpicture.h"
#include "qvcommon/qvpicturedisplay.h"
#include "qvcommon/qvquickdrop.h"
#include "qvcommon/qvslider.h"
#include "shadowwindows.h"

#include <new>

namespace {

enum : int32_t {
  kFace = 160,
  kCorner = 162,
  kLogo = 163,
  kCheckOn = 169,
  kCheckOff = 168,
  kMenuMarker = 170,
  kTrack = 173,
  kEnhanceThumb = 171,
  kShiftThumb = 172,
  kBarThickness = 30,
};

QVRect LTWH(int32_t left, int32_t top, int32_t width, int32_t height)
{
  QVRect r;
  r.SetLTWH(left, top, width, height);
  return r;
}

// The y of row r: 50 + the whole part of 30 r (rows in tenths).
int32_t Row(int32_t tenths) { return 50 + 3 * tenths; }

static_assert(correctionsettings::kSliderCount == ControlPanel::kSliderCount);

} // namespace

ControlPanel::ControlPanel(QVRect* rect, QVResourceFile* resources, QVWindow* parent, MainWindowLink* main)
    : QVWindow(rect, "Lumivex", eQVWindowStyleMain, resources, parent, nullptr), m_MainWindow(main)
{
  LoadBackgroundImage(kFace);
  m_CornerPicture = new (std::nothrow) QVPicture(kCorner, m_ResourceFile);
  // The newest drop-shadow image is the one every window paints through.
  if ((m_ShadowSource = new (std::nothrow) QVQuickDrop(64, 64, 3, nullptr)))
    m_ShadowSource->Initialize();
  m_PreviewArea = new (std::nothrow) QVRect();
}

ControlPanel::~ControlPanel()
{
  delete m_PreviewPane;
  delete m_TopBar;
  delete m_SideBar;
  delete m_PreviewArea;
  delete m_CornerPicture;
  delete m_Logo;
  delete m_Enhance;
  delete m_SubDetail;
  delete m_AmountMenu;
  delete m_PresetsMenu;
  delete m_ResetButton;
  for (QVSlider*& slider : m_Sliders) {
    delete slider;
    slider = nullptr;
  }
  delete m_Despeckle;
  delete m_AntiMoire;
  delete m_FullSizeButton;
  delete m_FittedButton;
  delete m_ShadowSource;
}

// ---- Set-up ---------------------------------------------------------------------

void ControlPanel::CreateControls(AdjustParams settings, PanelDefaults defaults)
{
  m_SettingsCopy = settings;
  m_DefaultsCopy = defaults;
  const QVRect client = GetClientRect();
  UpdatePreviewArea();
  CreateBars(client);
  QVRect pane(kAreaLeft, kAreaTop, client.Right() - kAreaMargin, client.Bottom() - kAreaMargin);
  m_PreviewPane = new (std::nothrow) PreviewPane(&pane, this);
  CreateChecksAndMenus();
  CreateSliders(settings);
  m_Despeckle = CreateCheckBox(LTWH(50, Row(145), 105, 25), kDespeckle, 19, 20);
  m_AntiMoire = CreateCheckBox(LTWH(50, Row(155), 105, 25), kAntiMoire, 20, 20);
  for (QVButton* box : {m_Despeckle, m_AntiMoire})
    if (box)
      box->SetCheck(0);
  AddShadowWnd(m_TopBar);
  AddShadowWnd(m_SideBar);
  if (m_TopBar)
    m_TopBar->AddShadowWnd(m_SideBar);
  AddShadowWnd(m_PreviewPane);
}

void ControlPanel::CreateBars(const QVRect& client)
{
  QVResourceFile* resources = GetResourceFile();
  QVRect side(0, 0, kBarThickness, client.Bottom());
  m_SideBar = new (std::nothrow) LumivexToolbar(side, resources, this);
  if (m_SideBar) {
    const struct {
      QVButton** field;
      int32_t id, top;
    } tools[] = {{&m_FullSizeButton, kFullSizeViewButton, 0}, {&m_FittedButton, kFittedViewButton, 35}};
    for (const auto& t : tools) {
      QVRect rect = LTWH(1, t.top, 28, 28);
      QVButton* button = *t.field = new (std::nothrow) QVButton(m_SideBar, rect, resources, t.id);
      if (!button)
        continue;
      button->LoadBackgroundImage(kFace);
      button->SetControlBitmap(t.id, 1, 0, 0);
      button->SetToolButton();
    }
  }
  QVRect top(kBarThickness, 0, client.Right(), kBarThickness);
  m_TopBar = new (std::nothrow) LumivexToolbar(top, resources, this);
  if (!m_TopBar)
    return;
  QVRect logo(10, 3, 149, 25);
  m_Logo = new (std::nothrow) QVPictureDisplay(m_TopBar, logo, resources, kLogo);
  QVRect file = LTWH(250, 0, 30, 28);
  if (m_TopBar->AddMenu(file, kFileMenu, 4, kFace, 0, 0)) {
    m_TopBar->AddMenuItem(kFileMenu, kApplyMenu, "Save");
    m_TopBar->AddMenuItem(kFileMenu, kExitItem, "Exit");
  }
  QVRect help = LTWH(290, 0, 30, 28);
  if (m_TopBar->AddMenu(help, kHelpMenu, 6, kFace, 0, 0)) {
    m_TopBar->AddMenuItem(kHelpMenu, MainWindowLink::kHelp, "Help");
    m_TopBar->AddMenuItem(kHelpMenu, MainWindowLink::kOnlineFAQ, "Online FAQ");
    m_TopBar->AddMenuItem(kHelpMenu, MainWindowLink::kWebHome, "Tarnwell on the web");
    m_TopBar->AddMenuItem(kHelpMenu, MainWindowLink::kAbout, "About Lumivex");
  }
  // "Cancel" and "Apply" have no items: a click on either sends its own
  // message.
  QVRect cancel = LTWH(client.Right() - 210, 0, 50, 28);
  if (m_TopBar->AddMenu(cancel, kCancelMenu, 2, kFace, 0, 0)) {
    m_TopBar->SetVarMenuRightPos(kCancelMenu, 210);
    m_TopBar->SetMenuMinX(kCancelMenu, 320);
  }
  QVRect apply = LTWH(client.Right() - 150, 0, 40, 28);
  if (m_TopBar->AddMenu(apply, kApplyMenu, "Apply", kFace, 0, 0)) {
    m_TopBar->SetVarMenuRightPos(kApplyMenu, 150);
    m_TopBar->SetMenuMinX(kApplyMenu, 380);
  }
}

QVButton* ControlPanel::CreateCheckBox(const QVRect& rect, int32_t id, int32_t stringId, int32_t extra)
{
  QVRect r(rect);
  QVButton* box = QVButton::CreateCheckBoxButton(this, r, id, GetResourceFile(), kCheckOn, kCheckOff, 0);
  if (!box)
    return nullptr;
  box->LoadBackgroundImage(kFace);
  box->SetTextAlignment(0);
  box->SetTextOffset(18);
  box->SetControlText(stringId, 0, extra);
  return box;
}

void ControlPanel::CreateChecksAndMenus()
{
  QVResourceFile* resources = GetResourceFile();
  if ((m_Enhance = CreateCheckBox(LTWH(50, 50, 105, 25), kEnhance, 7, 20)))
    m_Enhance->SetButtonOn();
  QVRect reset = LTWH(220, 50, 50, 25);
  if ((m_ResetButton = QVButton::CreateTextStringButton(this, reset, kReset, resources, 21, false)))
    m_ResetButton->LoadBackgroundImage(kFace);
  if ((m_SubDetail = CreateCheckBox(LTWH(50, Row(10), 150, 25), kSubDetail, 8, 30))) {
    // Unchecked, showing the empty box.
    m_SubDetail->SetButtonOff();
    m_SubDetail->SwapButtonPics();
    m_SubDetail->UpdateControl(false);
  }
  QVRect amount = LTWH(225, Row(10), 40, 25);
  if ((m_AmountMenu = new (std::nothrow) QVMenu(this, amount, resources, 0, kMenuMarker, 25))) {
    m_AmountMenu->LoadBackgroundImage(kFace);
    m_AmountMenu->SetMenuItemBackID(kFace, resources);
    m_AmountMenu->SetTextOffset(23);
    m_AmountMenu->SetMarkFirst();
    m_AmountMenu->SetDropdownList();
    for (int32_t id = kFirstAmountItem; id <= kLastAmountItem; ++id)
      m_AmountMenu->AddMenuItem(id, id, false);
    m_AmountMenu->SetControlText("2", 0, 5);
    m_AmountMenu->SetSelectedNum(1);
  }
  QVRect presets = LTWH(50, Row(20), 75, 25);
  if ((m_PresetsMenu = new (std::nothrow) QVMenu(this, presets, resources, kPresetsMenu, kMenuMarker, 100))) {
    m_PresetsMenu->LoadBackgroundImage(kFace);
    m_PresetsMenu->SetMenuItemBackID(kFace, resources);
    m_PresetsMenu->SetControlText(28, 0, 10);
    for (int32_t id : {kSavePreset, kLoadPreset, kEditPreset})
      m_PresetsMenu->AddMenuItem(id, id, false);
  }
}

void ControlPanel::CreateSliders(const AdjustParams& settings)
{
  QVResourceFile* resources = GetResourceFile();
  for (int i = 0; i < kSliderCount; ++i) {
    const correctionsettings::Setting& setting = *correctionsettings::kSliders[static_cast<size_t>(i)];
    const correctionsettings::SliderRow& s = setting.slider;
    // Colors, Contrast and Sharpen start at the main window's settings;
    // the others at their fixed starting values.
    const int32_t initial = setting.startsAtSetting ? settings.*setting.engineField : setting.start;
    const int32_t thumb = i < kEnhancementSliders ? kEnhanceThumb : kShiftThumb;
    QVRect rect = LTWH(50, Row(s.rowTenths), 225, 25);
    QVSlider* slider = m_Sliders[i] =
        QVSlider::CreateHorzSlider(this, rect, resources, setting.control, s.inset, kTrack, thumb, resources,
                                   s.range.low, s.range.high, s.step, initial);
    if (!slider)
      continue;
    slider->LoadBackgroundImage(kFace);
    slider->SetCenterPoint(true);
    slider->SetLeftOff(s.leftOff);
    if (s.leftOff)
      slider->SetOffValue(s.offValue);
    slider->SetControlText(s.stringId, 0, 10);
  }
}

// ---- Layout ------------------------------------------------------------------------

void ControlPanel::UpdatePreviewArea()
{
  if (!m_PreviewArea)
    return;
  const QVRect client = GetClientRect();
  m_PreviewArea->SetLTRB(kAreaLeft, kAreaTop, client.Right() - kAreaMargin, client.Bottom() - kAreaMargin);
}

void ControlPanel::LayoutPreview()
{
  QVImage* image = m_PreviewPane ? m_PreviewPane->GetImage() : nullptr;
  if (!image || !m_PreviewArea)
    return;
  UpdatePreviewArea();
  const int32_t w = image->width, h = image->height;
  const int32_t aw = m_PreviewArea->Width(), ah = m_PreviewArea->Height();
  if (w == aw && h == ah)
    return;
  QVRect r(0, 0, w, h);
  if (w > aw)
    r.SetWidth(aw);
  if (h > ah)
    r.SetHeight(ah);
  r.Offset((aw - r.Width()) / 2 + kAreaLeft, (ah - r.Height()) / 2 + kAreaTop);
  m_PreviewPane->SetWindowPos(r, 0);
  // The shadows around the pane's old and new place.
  const QVRect client = GetClientRect();
  QVRect shadows(*m_PreviewArea);
  shadows.Expand(*m_PreviewArea, 30);
  shadows.SetRight(client.Right());
  shadows.SetBottom(client.Bottom());
  InvalWindow(&shadows, 1);
}

void ControlPanel::EnableEnhance(bool on)
{
  for (int i = 0; i < kEnhancementSliders; ++i)
    if (m_Sliders[i])
      m_Sliders[i]->Enable(on);
  if (m_MainWindow)
    m_MainWindow->SetEnhance(on);
}

void ControlPanel::ResetControls()
{
  const int32_t defaults[kEnhancementSliders] = {
      m_DefaultsCopy.colour, m_DefaultsCopy.saturation, m_DefaultsCopy.contrast,  m_DefaultsCopy.sharpen,
      m_DefaultsCopy.noise,  m_DefaultsCopy.brightness, m_DefaultsCopy.tonalRange};
  for (int i = 0; i < kSliderCount; ++i)
    if (m_Sliders[i])
      m_Sliders[i]->SetValue(i < kEnhancementSliders ? defaults[i] : 0);
  for (QVButton* box : {m_Despeckle, m_AntiMoire, m_SubDetail})
    if (box)
      box->SetCheck(0);
  if (m_AmountMenu)
    m_AmountMenu->SetSelectedItem("2");
}

QVSlider* ControlPanel::GetSlider(int32_t id) const
{
  return id >= kFirstSlider && id <= kLastSlider ? m_Sliders[id - kFirstSlider] : nullptr;
}

// ---- Painting and resizing ---------------------------------------------------------

bool ControlPanel::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  QVRect paint;
  device.GetPaintRect(paint);
  RenderBackgroundImage(&device, paint);
  PaintShadowWindows(*this, device, paint, m_ShadowWindows, kShadowSlots, true, QVPoint());
  if (m_CornerPicture && m_CornerPicture->ValidPicture())
    m_CornerPicture->Draw(&device, kBarThickness, kBarThickness);
  return true;
}

bool ControlPanel::HandleSizeEvent(QVEvent&)
{
  if (!m_TopBar)
    return true;
  const QVRect client = GetClientRect();
  QVRect top(kBarThickness, 0, client.Right(), kBarThickness);
  m_TopBar->SetWindowPos(top, 1);
  if (m_SideBar) {
    QVRect side(0, 0, kBarThickness, client.Bottom());
    m_SideBar->SetWindowPos(side, 1);
  }
  // A bar that moves repaints itself (and its menus) at once, before the
  // panel's own paint that is still waiting; no window clips its children,
  // so that paint would cover them. They paint once more after it.
  for (QVWindow* bar : {static_cast<QVWindow*>(m_TopBar), static_cast<QVWindow*>(m_SideBar)})
    if (bar)
      InvalidateRect(bar->GetWnd(), nullptr, TRUE);
  LayoutPreview();
  return true;
}

bool ControlPanel::HandleDestroyEvent(QVEvent& event)
{
  if (m_MainWindow)
    m_MainWindow->HandleDestroyEvent(event);
  return true;
}
