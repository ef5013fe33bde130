// The control panel's presets: what the presets read from and set on the
// panel, and the commands that save, load and manage them.
#include "controlpanel.h"

#include "presetcontrols.h"

PresetControls ControlPanel::Controls()
{
  PresetControls c;
  c.owner = this;
  c.resources = GetResourceFile();
  c.enhance = m_Enhance;
  c.subDetail = m_SubDetail;
  c.despeckle = m_Despeckle;
  c.antiMoire = m_AntiMoire;
  for (int i = 0; i < kSliderCount; ++i)
    c.sliders[i] = m_Sliders[i];
  c.subDetailAmount = m_AmountMenu;
  c.enableEnhance = [this](bool on) { EnableEnhance(on); };
  if (MainWindowLink* main = m_MainWindow) {
    c.settingsFromControls = [main] { main->SettingsFromControls(); };
    c.refreshPreview = [main] { main->RefreshPreview(); };
  }
  return c;
}

bool ControlPanel::SavePreset() { return SavePresetFromControls(Controls()); }

void ControlPanel::LoadPreset() { LoadPresetIntoControls(Controls()); }

void ControlPanel::ManagePresets() { ::ManagePresets(Controls()); }

bool ControlPanel::ApplyPresetByName(const char* name) { return ::ApplyPresetByName(Controls(), name); }

void ControlPanel::ApplyPresetRecord(const PresetRecord* record) { ::ApplyPresetRecord(Controls(), record); }
