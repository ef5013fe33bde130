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
  //    A rename writes the record under the new name and then deletes the
  //    old one, with the manager hidden while the name is asked for.
  const std::string exported = apptest::TempPath("Dawn.cxp");
  std::vector<std::string> rowsAtOpen, rowsAtEnd, namesAfterRename;
  HWND manager = nullptr;
  bool hiddenWhileNaming = false;
  QueueStep([&] {
    manager = GetActiveWindow();
    rowsAtOpen = OpenManagerRows();
  });
  QueueRowClick(1);
  QueueButtonClick(kRenameSlot);
  QueueStep([&] { hiddenWhileNaming = (GetWindowLongA(manager, GWL_STYLE) & WS_VISIBLE) == 0; });
  QueueName("Dawn");
  QueueStep([&] { namesAfterRename = apptest::ValueNames(presetstore::kPresetsKey); });
  QueueRowClick(2);
  QueueButtonClick(kRemoveSlot); // answered Yes
  QueueRowClick(1);
  QueueStep([&] { standin::QueueFileDialogAnswer(exported.c_str()); });
  QueueButtonClick(kExportSlot);
  QueueStep([&] { standin::QueueFileDialogAnswer(exported.c_str()); });
  QueueButtonClick(kImportSlot);
  QueueName("Dawn again");
  QueueStep([&] { rowsAtEnd = OpenManagerRows(); });
  QueueButtonClick(kDoneSlot);
  ManagePresets(panel.Controls());
  EXPECT_TRUE(hiddenWhileNaming);
  EXPECT_EQ(namesAfterRename, (std::vector<std::string>{"Evening", "Dawn"}));

  // 4. Loaded back: the panel first set apart, then "Dawn again" applied.
  const PresetRecord apart = apptest::DistinctRecord();
  ApplyPresetRecord(panel.Controls(), &apart);
  QueueRowClick(2);
  QueueButtonClick(kApplySlot);
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
  EXPECT_EQ(apptest::RegistryLinesUnder("key \"HKEY_LOCAL_MACHINE\" \"Software\" \"Tarnwell\" \"Lumivex\" \"Presets\""),
            (std::vector<std::string>{"value \"Dawn\" binary" + Hex(morning.Bytes()),
                                      "value \"Dawn again\" binary" + Hex(morning.Bytes())}));
  // The messages: only the duplicate name at the import and the question
  // before removing.
  EXPECT_EQ(apptest::Messages(),
            (std::vector<std::string>{"Are you sure you want to delete this preset?", presetstore::kDuplicateMessage}));
  EXPECT_EQ(rowsAtOpen, (std::vector<std::string>{"Default", "Morning", "Evening"}));
  EXPECT_EQ(rowsAtEnd, (std::vector<std::string>{"Default", "Dawn", "Dawn again"}));
}
