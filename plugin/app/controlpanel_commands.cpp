// The control panel's commands: every control notification (and every menu
// command its bars pass on) becomes an event of the panel's own, handed
// straight to the main window.
#include "controlpanel.h"

#include "correctionsettings.h"
#include "qvcommon/qvbutton.h"
#include "qvcommon/qvmenu.h"

#include <algorithm>

namespace {

LPARAM Checked(QVButton* box) { return box && box->ButtonOn() ? 1 : 0; }

} // namespace

void ControlPanel::ToMain(QVEvent& event)
{
  if (m_MainWindow)
    m_MainWindow->HandleCommand(event);
}

bool ControlPanel::HandleCommand(QVEvent& incoming)
{
  // The panel's own event: nothing but the command and its value.
  QVEvent event(nullptr, WM_NULL, 0, 0);
  event.m_Control = event.m_Shift = false;
  event.m_Command = incoming.m_Command;
  event.m_Value = incoming.m_Value;
  const int32_t id = static_cast<int32_t>(event.m_Command);
  if (id >= kFirstAmountItem && id <= kLastAmountItem) {
    event.m_Command = MainWindowLink::kSubDetailAmount;
    event.m_Value = event.m_Value + 1;
    if (m_SubDetail)
      m_SubDetail->SetCheck(1);
    ToMain(event);
    return true;
  }
  switch (id) {
  case kSavePreset: SavePreset(); break;
  case kLoadPreset: LoadPreset(); break;
  case kEditPreset: ManagePresets(); break;
  case kCancelMenu:
  case kExitItem:
    event.m_Command = MainWindowLink::kCancel;
    ToMain(event);
    break;
  case kApplyMenu:
    event.m_Command = MainWindowLink::kApply;
    ToMain(event);
    break;
  case kEnhance: EnableEnhance(Checked(m_Enhance) != 0); break;
  case kSubDetail:
    event.m_Value = Checked(m_SubDetail);
    SetEventExtra(event, m_AmountMenu ? m_AmountMenu->GetSelectedNum() + 1 : 0);
    ToMain(event);
    break;
  case kReset:
    ResetControls();
    if (m_ResetButton)
      m_ResetButton->UpdateControl(false);
    ToMain(event);
    break;
  case kSharpenSlider:
    event.m_Value = std::min<LPARAM>(event.m_Value, correctionsettings::ByCommand(kSharpenSlider)->commandRange.high);
    ToMain(event);
    break;
  case kDespeckle:
    event.m_Value = Checked(m_Despeckle);
    ToMain(event);
    break;
  case kAntiMoire:
    event.m_Value = Checked(m_AntiMoire);
    ToMain(event);
    break;
  case kReloadImage:
    // No operation provides a new image to the plug-in: only the layout.
    LayoutPreview();
    break;
  case kFittedViewButton:
  case kFullSizeViewButton: {
    if (QVButton* button = id == kFittedViewButton ? m_FittedButton : m_FullSizeButton)
      button->UpdateControl(false);
    event.m_Command = id == kFittedViewButton ? MainWindowLink::kFittedView : MainWindowLink::kFullSizeView;
    ToMain(event);
    break;
  }
  default:
    // The sliders, 130-132, the menus' own messages, the Help items and
    // anything else go on as they came.
    ToMain(event);
    break;
  }
  return true;
}
