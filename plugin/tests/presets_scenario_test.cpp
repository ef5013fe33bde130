// Presets end to end, through injected input and scripted dialogs only: two
// presets saved from a panel, listed, renamed and removed in the manager,
// one exported and imported again under a new name, and loaded back into
// the panel. The registry file and the exported file are read afterwards.
#include "presetmanager.h"
#include "presetstore.h"
#include "qvcommon/qvlist.h"
#include "testpanel.h"

#include <sstream>

namespace {

// The record as the registry file writes a binary value: " xx" per byte.
std::string Hex(const std::vector<uint8_t>& bytes)
{
  static const char* const digits = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

using Presets = apptest::Registry;

} // namespace

TEST_F(Presets, SavedListedRenamedRemovedExportedImportedAndLoaded)
{
  TestPanel panel;
  standin::ClearDialogLog();

  // 1. Two presets saved from the panel: the first with Sub-Detail ticked
  //    (so that its amount is applied back too), the second after moving a
  //    slider and ticking Despeckle.
  ClickAt(panel.subDetail->GetWnd(), 5, 12);
  standin::Pump();
  ASSERT_TRUE(panel.subDetail->ButtonOn());
  QueueName("Morning");
  ASSERT_TRUE(SavePresetFromControls(panel.Controls()));
  const PresetRecord morning = panel.Shown();
  standin::Press(panel.sliders[7]->GetWnd(), 80 + 10, 12);
  standin::Release(panel.sliders[7]->GetWnd(), 80 + 10, 12);
  ClickAt(panel.despeckle->GetWnd(), 5, 12);
  standin::Pump();
  const PresetRecord evening = panel.Shown();
  ASSERT_NE(evening, morning) << "the panel changed between the two saves";
  ASSERT_EQ(evening.despeckle, 1);
  QueueName("Evening");
  ASSERT_TRUE(SavePresetFromControls(panel.Controls()));

  // 2.-3. The manager: Morning renamed to Dawn, Evening removed, Dawn
  //    exported and imported again, under "Dawn again" since "Dawn" is taken.
  const std::string exported = apptest::TempPath("Dawn.cxp");
  std::vector<std::string> rowsAtOpen, rowsAtEnd;
  QueueStep([&] { rowsAtOpen = OpenManagerRows(); });
  QueueRowClick(1);
  QueueButtonClick(0); // Rename
  QueueName("Dawn");
  QueueRowClick(2);
  QueueButtonClick(1); // Remove, answered Yes
  QueueRowClick(1);
  QueueStep([&] { standin::QueueFileDialogAnswer(exported.c_str()); });
  QueueButtonClick(3); // Export
  QueueStep([&] { standin::QueueFileDialogAnswer(exported.c_str()); });
  QueueButtonClick(2); // Import
  QueueName("Dawn again");
  QueueStep([&] { rowsAtEnd = OpenManagerRows(); });
  QueueButtonClick(4); // Done
  ManagePresets(panel.Controls());

  // 4. Loaded back: the panel first set apart, then "Dawn again" applied.
  const PresetRecord apart = apptest::DistinctRecord();
  ApplyPresetRecord(panel.Controls(), &apart);
  QueueRowClick(2);
  QueueButtonClick(0); // Apply
  LoadPresetIntoControls(panel.Controls());
  EXPECT_EQ(panel.Shown(), morning);
  EXPECT_EQ(standin::IdleStepsLeft(), 0u);

  // The exported file is one record, and the imported value the same bytes.
  const std::string file = apptest::ReadText(exported);
  const std::vector<uint8_t> fileBytes(file.begin(), file.end());
  ASSERT_EQ(fileBytes.size(), 64u);
  EXPECT_EQ(fileBytes, morning.Bytes());
  EXPECT_EQ(apptest::GetBytes(presetstore::kPresetsKey, "Dawn again"), fileBytes);

  // The registry file, read as text, holds exactly the two binary values.
  EXPECT_EQ(apptest::RegistryLinesUnder(
                "key \"HKEY_LOCAL_MACHINE\" \"Software\" \"Tarnwell\" \"Lumivex\" \"Presets\""),
            (std::vector<std::string>{"value \"Dawn\" binary" + Hex(morning.Bytes()),
                                      "value \"Dawn again\" binary" + Hex(morning.Bytes())}));
  // The messages: only the duplicate name at the import and the question
  // before removing.
  EXPECT_EQ(apptest::Messages(), (std::vector<std::string>{"Are you sure you want to delete this preset?",
                                             presetstore::kDuplicateMessage}));
  EXPECT_EQ(rowsAtOpen, (std::vector<std::string>{"Default", "Morning", "Evening"}));
  EXPECT_EQ(rowsAtEnd, (std::vector<std::string>{"Default", "Dawn", "Dawn again"}));
}
