// The Preset Manager in both modes, driven by clicks on its rows and
// buttons, typing into the name dialog and scripted file dialogs and
// message boxes while DoDialog waits.
#include "lvxtest/tinyfs.h"
#include "presetmanager.h"
#include "presetstore.h"
#include "qvcommon/qvlist.h"
#include "testpanel.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace presetstore;

namespace {

using apptest::ReadBytes;
using apptest::TempPath;
using apptest::WriteBytes;

class Manager : public apptest::Registry {
protected:
  void SetUp() override
  {
    apptest::Registry::SetUp();
    standin::ClearDialogLog();
  }
  void TearDown() override { standin::Reset(); }

  static void Put(const char* name, const std::vector<uint8_t>& bytes) { apptest::PutBytes(kPresetsKey, name, bytes); }
};

using ManagerFiles = Manager;
using ApplyMode = Manager;

} // namespace

TEST_F(Manager, DefaultComesFirstThenTheStoreOrderAndANameThatDoesNotFitIsSkipped)
{
  Put("Warm", apptest::Record(1));
  Put(std::string(260, 'x').c_str(), apptest::Record(2));
  Put("Cool", apptest::Record(3));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  EXPECT_EQ(ManagerRows(manager), (std::vector<std::string>{"Default", "Warm", "Cool"}));
  EXPECT_EQ(manager.List()->GetItemExtraData(0), 0);
  EXPECT_EQ(manager.List()->GetItemExtraData(2), 2) << "the enumeration index";
  EXPECT_EQ(manager.List()->GetCurrentItemIndex(), 2) << "the row added last is current";
}

TEST_F(ManagerFiles, ListingLeavesAMissingKeyMissingTheFirstImportMakesItAndExportWritesTheRecordAsItIs)
{
  WriteBytes(TempPath("Morning.cxp"), apptest::Record(4));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  EXPECT_EQ(ManagerRows(manager), std::vector<std::string>{"Default"});
  EXPECT_EQ(OpenPresetsKey(false), nullptr) << "listing only reads the key";
  QueueStep([&] { standin::QueueFileDialogAnswer(TempPath("Morning.cxp").c_str()); });
  QueueButtonClick(kImportSlot);
  // The imported preset exports through the key the import made.
  const std::string path = TempPath("morning-again.cxp");
  QueueRowClick(1);
  QueueStep([&] { standin::QueueFileDialogAnswer(path.c_str()); });
  QueueButtonClick(kExportSlot);
  bool shownAgain = false;
  QueueStep([&] { shownAgain = manager.Visible(); });
  QueueButtonClick(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(ManagerRows(manager), (std::vector<std::string>{"Default", "Morning"}));
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Morning"), apptest::Record(4));
  EXPECT_EQ(ReadBytes(path), apptest::Record(4));
  EXPECT_TRUE(shownAgain);
  ASSERT_EQ(standin::DialogLog().size(), 2u) << "the import's open dialog, then the export's save dialog";
  const standin::DialogRequest& d = standin::DialogLog()[1];
  EXPECT_EQ(d.kind, "GetSaveFileName");
  EXPECT_EQ(d.caption, "Save this preset");
  EXPECT_EQ(d.fileName, "Untitled.cxp");
  EXPECT_EQ(d.initialDir, "C:\\") << "the first drive there is";
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(d.filters, (std::vector<P>{P{"Preset Files", "*.cxp"}}));
}

TEST_F(Manager, ARowClickMakesItCurrentAndKeepsTheDialogOpen)
{
  Put("Warm", apptest::Record(1));
  Put("Cool", apptest::Record(2));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  int current = -1;
  bool running = false;
  QueueRowClick(1);
  QueueStep([&] {
    current = manager.List()->GetCurrentItemIndex();
    running = manager.Visible();
  });
  QueueButtonClick(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(current, 1);
  EXPECT_TRUE(running);
  EXPECT_TRUE(manager.ChosenData().empty()) << "manage mode returns nothing";
  EXPECT_EQ(standin::IdleStepsLeft(), 0u);
}

TEST_F(Manager, ACaseOnlyRenameIsRefusedAndNeverDeletesThePreset)
{
  Put("Warm", apptest::Record(1));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  QueueRowClick(1);
  QueueButtonClick(kRenameSlot);
  QueueName("WARM");    // the same name in other letters: refused
  QueueName("", false); // then cancelled
  QueueButtonClick(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(apptest::Messages(), std::vector<std::string>{kDuplicateMessage});
  EXPECT_EQ(apptest::ValueNames(kPresetsKey), std::vector<std::string>{"Warm"});
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Warm"), apptest::Record(1));
  EXPECT_EQ(ManagerRows(manager), (std::vector<std::string>{"Default", "Warm"}));
}

TEST_F(Manager, RemoveAsksFirstAndLeavesNoCurrentRow)
{
  Put("Warm", apptest::Record(1));
  Put("Cool", apptest::Record(2));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  QueueRowClick(1);
  QueueStep([] { standin::QueueMessageBoxAnswer(IDNO); });
  QueueButtonClick(kRemoveSlot);
  std::vector<std::string> afterNo;
  QueueStep([&] { afterNo = ManagerRows(manager); });
  QueueButtonClick(kRemoveSlot); // the default answer: Yes
  size_t logged = 0;
  QueueStep([&] { logged = standin::DialogLog().size(); });
  // No current row now: these do nothing at all, not even ask.
  QueueButtonClick(kRenameSlot);
  QueueButtonClick(kRemoveSlot);
  QueueButtonClick(kExportSlot);
  size_t loggedAfter = 0;
  QueueStep([&] { loggedAfter = standin::DialogLog().size(); });
  QueueButtonClick(kDoneSlot);
  manager.DoDialog();

  EXPECT_EQ(afterNo, (std::vector<std::string>{"Default", "Warm", "Cool"}));
  EXPECT_EQ(ManagerRows(manager), (std::vector<std::string>{"Default", "Cool"}));
  EXPECT_EQ(apptest::ValueNames(kPresetsKey), std::vector<std::string>{"Cool"});
  EXPECT_EQ(manager.List()->GetCurrentItemIndex(), -1);
  EXPECT_EQ(loggedAfter, logged);
  ASSERT_GE(standin::DialogLog().size(), 2u);
  EXPECT_EQ(standin::DialogLog()[0].caption, "Warning!");
  EXPECT_EQ(standin::DialogLog()[0].text, "Are you sure you want to delete this preset?");
  EXPECT_EQ(standin::DialogLog()[0].style & 0xF, UINT(MB_YESNO));
}

TEST_F(Manager, RemovingTheDefaultRowLeavesAUsersDefault)
{
  Put("default", apptest::Record(5));
  apptest::PutBytes(kProductKey, "Default", apptest::Record(4));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  QueueRowClick(0);
  QueueButtonClick(kRemoveSlot);
  QueueButtonClick(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(ManagerRows(manager), std::vector<std::string>{"default"});
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "default"), apptest::Record(5));
  EXPECT_EQ(apptest::GetBytes(kProductKey, "Default"), apptest::Record(4));
  // Filled again, the list has its "Default" back.
  PresetManager again(&AppResources(), PresetManager::eManageMode, nullptr);
  EXPECT_EQ(ManagerRows(again), (std::vector<std::string>{"Default", "default"}));
}

// A full device (reached through a link, since the dialog adds ".cxp" to a
// name without one), a read-only file, and a write cut short: a child
// process whose files may not grow past 10 bytes (SIGXFSZ ignored makes the
// write fail instead of ending the process).
TEST_F(ManagerFiles, AFailedExportIsReportedAndLeavesWhatWasThere)
{
  Put("Warm", apptest::Record(6));
  const std::string link = TempPath("full.cxp");
  ASSERT_EQ(symlink("/dev/full", link.c_str()), 0);
  lvxtest::TinyFileSystem disk("locked", 16);
  const std::string locked = disk.Path("locked.cxp");
  apptest::WriteText(locked, "keep me");
  ASSERT_TRUE(disk.MakeReadOnly("locked.cxp"));
  const std::string cut = TempPath("cut.cxp");
  // Exports the preset to each path in turn; whether each failure was
  // reported once.
  const auto reported = [](const std::vector<std::string>& paths) {
    standin::ClearDialogLog();
    PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
    for (const std::string& path : paths) {
      QueueRowClick(1);
      QueueStep([path] { standin::QueueFileDialogAnswer(path.c_str()); });
      QueueButtonClick(kExportSlot);
    }
    QueueButtonClick(kDoneSlot);
    manager.DoDialog();
    return apptest::Messages() == std::vector<std::string>(paths.size(), kWriteFailedMessage);
  };
  EXPECT_TRUE(reported({link, locked}));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{10, 10};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(reported({cut}) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the cut write was not reported";
  struct stat st;
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(lstat(link.c_str(), &st), 0) << "not a regular file: left alone";
  EXPECT_EQ(apptest::ReadText(locked), "keep me");
  EXPECT_NE(stat(cut.c_str(), &st), 0) << "the cut file was left";
}

TEST_F(ManagerFiles, ImportTakesWholeRecordsOnlyAndAsksAgainForATakenName)
{
  Put("Evening", apptest::Record(1));
  WriteBytes(TempPath("Evening.cxp"), apptest::Record(7));
  apptest::WriteText(TempPath("empty.cxp"), "");
  apptest::WriteText(TempPath("short.cxp"), std::string(63, 's'));
  apptest::WriteText(TempPath("long.cxp"), std::string(65, 'l'));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  for (const char* name : {"empty.cxp", "short.cxp", "long.cxp", "Evening.cxp"}) {
    const std::string path = TempPath(name);
    QueueStep([path] { standin::QueueFileDialogAnswer(path.c_str()); });
    QueueButtonClick(kImportSlot);
  }
  QueueName("Evening 2");
  QueueButtonClick(kDoneSlot);
  manager.DoDialog();
  std::vector<std::string> messages(3, kInvalidFileMessage);
  messages.push_back(kDuplicateMessage);
  EXPECT_EQ(apptest::Messages(), messages);
  EXPECT_EQ(ManagerRows(manager), (std::vector<std::string>{"Default", "Evening", "Evening 2"}));
  EXPECT_EQ(apptest::ValueNames(kPresetsKey), (std::vector<std::string>{"Evening", "Evening 2"}));
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Evening"), apptest::Record(1)) << "the taken name keeps its record";
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Evening 2"), apptest::Record(7));
  const standin::DialogRequest& open = standin::DialogLog()[0];
  EXPECT_EQ(open.kind, "GetOpenFileName");
  EXPECT_EQ(open.caption, "Import a preset");
  EXPECT_EQ(open.fileName, "");
}

TEST_F(Manager, AFullListStopsWhileTheRegistryKeepsEveryPreset)
{
  HKEY key = OpenPresetsKey(true);
  ASSERT_NE(key, nullptr);
  const std::vector<uint8_t> bytes = apptest::Record(2);
  for (int i = 0; i < 205; ++i)
    WritePreset(key, ("Preset " + std::to_string(i)).c_str(), bytes.data(), bytes.size());
  RegCloseKey(key);
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  ASSERT_EQ(manager.List()->GetNumItems(), 200);
  EXPECT_STREQ(manager.List()->GetItemName(199), "Preset 198");
  EXPECT_EQ(apptest::ValueNames(kPresetsKey).size(), 205u);
}

TEST_F(ApplyMode, LoadingAppliesThePickedPresetAndRefreshesThePreviewEitherWay)
{
  PresetRecord warm = apptest::DistinctRecord();
  Put("Warm", warm.Bytes());
  Put("Cool", apptest::Record(10));
  TestPanel panel;
  const PresetRecord before = panel.Shown();
  QueueRowClick(1);
  QueueButtonClick(kApplyDoneSlot);
  LoadPresetIntoControls(panel.Controls());
  EXPECT_EQ(panel.Shown(), before) << "Done applies nothing";
  EXPECT_EQ(panel.refreshCalls, 1);

  QueueRowClick(1);
  QueueButtonClick(kApplySlot);
  LoadPresetIntoControls(panel.Controls());
  EXPECT_EQ(panel.Shown(), warm);
  EXPECT_EQ(panel.refreshCalls, 2);

  QueueRowClick(1);
  QueueButtonClick(kDoneSlot);
  ManagePresets(panel.Controls());
  EXPECT_EQ(panel.settingsCalls, 1) << "managing applies nothing";
  EXPECT_EQ(panel.refreshCalls, 2);
}

TEST_F(Manager, Snapshots)
{
  Put("Warm", apptest::Record(1));
  Put("Cool", apptest::Record(2));
  Put("Evening light", apptest::Record(3));
  for (const auto mode : {PresetManager::eManageMode, PresetManager::eApplyMode}) {
    const bool manage = mode == PresetManager::eManageMode;
    const std::string path = SnapshotPath(manage ? "preset-manager-manage.png" : "preset-manager-apply.png");
    PresetManager manager(&AppResources(), mode, nullptr);
    QueueRowClick(1);
    bool written = false;
    COLORREF frame = 0, button = 0, belowButtons = 0, missingButton = 0;
    int title = 0;
    QueueStep([&] {
      HWND window = manager.GetWnd();
      title = TitleInk(window);
      written = standin::SnapshotPng(standin::SurfaceTarget::Whole(window), path.c_str());
      // Row 1's yellow frame: its top edge.
      const POINT row = ManagerRowCorner(1);
      frame = standin::ReadPixel(window, row.x + 20, row.y);
      button = standin::ReadPixel(window, 12, 242);
      belowButtons = standin::ReadPixel(window, 12, 266);
      missingButton = standin::ReadPixel(window, 412, 250);
    });
    QueueButtonClick(manage ? int(kDoneSlot) : int(kApplyDoneSlot));
    manager.DoDialog();
    EXPECT_TRUE(written);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_GT(title, 30) << "\"Preset Manager\" in the caption";
    EXPECT_EQ(frame, kRowFrameColour) << "the current row is framed";
    EXPECT_EQ(button, kButtonColour) << "a button's face at its corner (10, 240)";
    EXPECT_NE(belowButtons, kButtonColour) << "buttons are 22 high";
    EXPECT_EQ(missingButton == kButtonColour, manage) << "a fifth button only in manage mode";
  }
}
