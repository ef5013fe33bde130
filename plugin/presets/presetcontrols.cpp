#include "presetcontrols.h"

#include "correctionsettings.h"
#include "presetmanager.h"
#include "presetstore.h"
#include "qvcommon/qvbutton.h"
#include "qvcommon/qvmenu.h"
#include "qvcommon/qvslider.h"
#include "win32/registry.h"

namespace {

static_assert(correctionsettings::kSliderCount == PresetControls::kSliderCount);

// The record's field of slider 111 + i.
int32_t PresetRecord::*SliderField(int i) { return correctionsettings::kSliders[static_cast<size_t>(i)]->presetField; }

int32_t Checked(QVButton* box) { return box && box->ButtonOn() ? 1 : 0; }

void Check(QVButton* box, int32_t on)
{
  if (box)
    box->SetCheck(on);
}

void Call(const std::function<void()>& hook)
{
  if (hook)
    hook();
}

// Applies the bytes when they hold a record; true when they did.
bool ApplyBytes(const PresetControls& controls, const std::vector<uint8_t>& bytes)
{
  PresetRecord record;
  if (!PresetRecord::Decode(bytes.data(), bytes.size(), record))
    return false;
  ApplyPresetRecord(controls, &record);
  return true;
}

} // namespace

PresetRecord BuildPresetRecord(const PresetControls& controls)
{
  PresetRecord r;
  r.version = 1;
  r.enhance = Checked(controls.enhance);
  for (int i = 0; i < PresetControls::kSliderCount; ++i)
    if (controls.sliders[i])
      r.*SliderField(i) = controls.sliders[i]->GetValue();
  r.despeckle = Checked(controls.despeckle);
  r.antiMoire = Checked(controls.antiMoire);
  r.subDetail = Checked(controls.subDetail);
  if (controls.subDetailAmount)
    r.subDetailAmount = controls.subDetailAmount->GetSelectedNum() + 1;
  return r;
}

void ApplyPresetRecord(const PresetControls& controls, const PresetRecord* record)
{
  if (!record)
    return;
  // Clamped first: a value from a file or the registry could otherwise
  // index past the gamma table or set any number of Sub-Detail passes.
  const PresetRecord r = record->Clamped();
  const bool enhance = r.enhance != 0;
  Check(controls.enhance, r.enhance);
  for (int i = 0; i < PresetControls::kSliderCount; ++i) {
    QVSlider* slider = controls.sliders[i];
    // Enhance gates the seven enhancement sliders; the colour shifts are
    // always set.
    if (slider && (enhance || i >= PresetControls::kEnhancementSliders))
      slider->SetValue(r.*SliderField(i));
  }
  Check(controls.despeckle, r.despeckle);
  Check(controls.antiMoire, r.antiMoire);
  if (enhance)
    Check(controls.subDetail, r.subDetail);
  if (r.subDetail != 0 && controls.subDetailAmount)
    controls.subDetailAmount->SetSelectedNum(r.subDetailAmount - 1);
  if (controls.enableEnhance)
    controls.enableEnhance(enhance);
  Call(controls.settingsFromControls);
}

bool SavePresetFromControls(const PresetControls& controls)
{
  const std::vector<uint8_t> bytes = BuildPresetRecord(controls).Bytes();
  return presetstore::StorePreset(nullptr, bytes.data(), bytes.size(), nullptr, controls.resources, false,
                                  controls.owner);
}

void LoadPresetIntoControls(const PresetControls& controls)
{
  PresetManager manager(controls.resources, PresetManager::eApplyMode, controls.owner);
  manager.DoDialog();
  ApplyBytes(controls, manager.ChosenData());
  Call(controls.refreshPreview);
}

void ManagePresets(const PresetControls& controls)
{
  PresetManager manager(controls.resources, PresetManager::eManageMode, controls.owner);
  manager.DoDialog();
}

bool ApplyPresetByName(const PresetControls& controls, const char* name)
{
  HKEY key = presetstore::OpenPresetsKey(false);
  const std::vector<uint8_t> bytes = presetstore::ReadPreset(key, name);
  if (key)
    RegCloseKey(key);
  return ApplyBytes(controls, bytes);
}
