// Presets and the panel's controls: building a record from them, applying
// one (gated by Enhance and Sub-Detail, clamped to the controls' ranges) and
// applying a stored preset by name.
#include "presetstore.h"
#include "testpanel.h"

namespace {

class PresetPanel : public apptest::Registry {
protected:
  void TearDown() override { standin::Reset(); }
};

} // namespace

TEST_F(PresetPanel, ARecordCarriesEverySettingToAnotherPanel)
{
  TestPanel from;
  // The controls set one by one, as a user would leave them.
  const PresetRecord wanted = apptest::DistinctRecord();
  const int32_t values[] = {wanted.colors,     wanted.saturate,   wanted.contrast, wanted.sharpen, wanted.antiNoise,
                            wanted.brightness, wanted.tonalRange, wanted.red,      wanted.green,   wanted.blue};
  for (int i = 0; i < PresetControls::kSliderCount; ++i)
    from.sliders[i]->SetValue(values[i]);
  from.despeckle->SetCheck(1);
  from.antiMoire->SetCheck(1);
  from.subDetail->SetCheck(1);
  from.amount->SetSelectedNum(4);
  const PresetRecord built = from.Shown();
  EXPECT_EQ(built, wanted);
  EXPECT_EQ(built.version, 1);

  TestPanel to;
  ApplyPresetRecord(to.Controls(), &built);
  EXPECT_EQ(to.Shown(), wanted);
  EXPECT_STREQ(to.amount->GetControlText(), "5") << "the dropdown shows the item chosen";
  EXPECT_EQ(to.enableCalls, std::vector<bool>{true});
  EXPECT_EQ(to.settingsCalls, 1);
  EXPECT_EQ(to.refreshCalls, 0) << "applying does not redraw the preview";
}

TEST_F(PresetPanel, EnhanceOffKeepsTheEnhancementSettingsButAppliesTheRest)
{
  TestPanel panel;
  const PresetRecord before = panel.Shown();
  PresetRecord r = apptest::DistinctRecord();
  r.enhance = 0;
  ApplyPresetRecord(panel.Controls(), &r);
  const PresetRecord after = panel.Shown();
  EXPECT_EQ(after.enhance, 0);
  // Sliders 111-117 and the Sub-Detail box keep their values...
  EXPECT_EQ(after.colors, before.colors);
  EXPECT_EQ(after.saturate, before.saturate);
  EXPECT_EQ(after.contrast, before.contrast);
  EXPECT_EQ(after.sharpen, before.sharpen);
  EXPECT_EQ(after.antiNoise, before.antiNoise);
  EXPECT_EQ(after.brightness, before.brightness);
  EXPECT_EQ(after.tonalRange, before.tonalRange);
  EXPECT_EQ(after.subDetail, 0);
  // ...while the colour shifts and the filters follow the record.
  EXPECT_EQ(after.red, -40);
  EXPECT_EQ(after.green, 17);
  EXPECT_EQ(after.blue, 40);
  EXPECT_EQ(after.despeckle, 1);
  EXPECT_EQ(after.antiMoire, 1);
  // The record's Sub-Detail is on, so its amount is taken all the same.
  EXPECT_EQ(after.subDetailAmount, 5);
  EXPECT_EQ(panel.enableCalls, std::vector<bool>{false}) << "the panel's EnableEnhance with the record's value";
}

TEST_F(PresetPanel, SubDetailOffLeavesTheAmountMenu)
{
  TestPanel panel;
  panel.amount->SetSelectedNum(3);
  PresetRecord r = apptest::DistinctRecord();
  r.subDetail = 0;
  r.subDetailAmount = 6;
  ApplyPresetRecord(panel.Controls(), &r);
  EXPECT_EQ(panel.amount->GetSelectedNum(), 3);
  EXPECT_FALSE(panel.subDetail->ButtonOn());
}

TEST_F(PresetPanel, OutOfRangeFieldsAreClampedBeforeTheyReachAControl)
{
  TestPanel panel;
  PresetRecord r = apptest::DistinctRecord();
  r.version = 77;    // never examined
  r.tonalRange = 13; // would index past the 13-entry gamma table
  r.colors = -4;
  r.antiNoise = 1000;
  r.red = -41;
  r.saturate = 101;
  r.subDetailAmount = 40; // forty Sub-Detail passes
  r.despeckle = 9;
  ApplyPresetRecord(panel.Controls(), &r);
  EXPECT_EQ(panel.sliders[6]->GetValue(), 12);
  EXPECT_EQ(panel.sliders[0]->GetValue(), 1);
  EXPECT_EQ(panel.sliders[4]->GetValue(), 40);
  EXPECT_EQ(panel.sliders[7]->GetValue(), -40);
  EXPECT_EQ(panel.sliders[1]->GetValue(), 100);
  EXPECT_EQ(panel.amount->GetSelectedNum(), 5) << "amount 6, the menu's last item";
  EXPECT_TRUE(panel.despeckle->ButtonOn());
}

TEST_F(PresetPanel, NullRecordsAndMissingControlsAreSkipped)
{
  TestPanel panel;
  const PresetRecord before = panel.Shown();
  ApplyPresetRecord(panel.Controls(), nullptr);
  EXPECT_EQ(panel.Shown(), before);
  EXPECT_TRUE(panel.enableCalls.empty());
  EXPECT_EQ(panel.settingsCalls, 0);

  // A panel without its amount menu and Blue slider, and without hooks.
  PresetControls partial = panel.Controls();
  partial.subDetailAmount = nullptr;
  partial.sliders[9] = nullptr;
  partial.enableEnhance = nullptr;
  partial.settingsFromControls = nullptr;
  const PresetRecord r = apptest::DistinctRecord();
  ApplyPresetRecord(partial, &r);
  EXPECT_EQ(panel.sliders[9]->GetValue(), 0);
  EXPECT_EQ(panel.amount->GetSelectedNum(), 1);
  EXPECT_EQ(panel.sliders[8]->GetValue(), 17);
  const PresetRecord built = BuildPresetRecord(partial);
  EXPECT_EQ(built.blue, 0);
  EXPECT_EQ(built.subDetailAmount, 0);
}

TEST_F(PresetPanel, ApplyingByNameNeedsARecordOfThatName)
{
  apptest::PutBytes(presetstore::kPresetsKey, "Warm", apptest::DistinctRecord().Bytes());
  apptest::PutBytes(presetstore::kPresetsKey, "Cut", std::vector<uint8_t>(60, 1));
  TestPanel panel;
  const PresetRecord before = panel.Shown();
  EXPECT_FALSE(ApplyPresetByName(panel.Controls(), "Cold"));
  EXPECT_FALSE(ApplyPresetByName(panel.Controls(), "Cut"));
  EXPECT_FALSE(ApplyPresetByName(panel.Controls(), nullptr));
  EXPECT_EQ(panel.Shown(), before);
  EXPECT_EQ(panel.settingsCalls, 0) << "nothing applied, nothing rebuilt";

  EXPECT_TRUE(ApplyPresetByName(panel.Controls(), "warm"));
  EXPECT_EQ(panel.Shown(), apptest::DistinctRecord());
  EXPECT_EQ(panel.settingsCalls, 1);

  // "Default" without an installed one is the main window's defaults.
  EXPECT_TRUE(ApplyPresetByName(panel.Controls(), "Default"));
  PresetRecord defaults = PresetRecord::Defaults();
  defaults.subDetailAmount = 5; // Sub-Detail is off in it: the menu keeps its item
  EXPECT_EQ(panel.Shown(), defaults);
}
