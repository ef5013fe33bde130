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

// The buttons by slot, left to right.
enum { kRenameSlot = 0, kRemoveSlot = 1, kImportSlot = 2, kExportSlot = 3, kDoneSlot = 4 };
enum { kApplySlot = 0, kApplyDoneSlot = 1 };

std::vector<std::string> Rows(PresetManager& manager)
{
  std::vector<std::string> rows;
  for (int i = 0; i < manager.List()->GetNumItems(); ++i)
    rows.push_back(manager.List()->GetItemName(i));
  return rows;
}

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
  apptest::WriteText(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
  const std::string text = apptest::ReadText(path);
  return std::vector<uint8_t>(text.begin(), text.end());
}

class Manager : public apptest::Registry {
protected:
  void SetUp() override
  {
    apptest::Registry::SetUp();
    standin::ClearDialogLog();
  }
  void TearDown() override { standin::Reset(); }

  // Idle steps for the manager open when they run (the active window).
  static void ClickRow(int row) { standin::AddIdleStep([row] { ClickManagerRow(GetActiveWindow(), row); }); }
  static void ClickButton(int slot) { standin::AddIdleStep([slot] { ClickManagerButton(GetActiveWindow(), slot); }); }
  static void Step(std::function<void()> step) { standin::AddIdleStep(std::move(step)); }

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
  EXPECT_EQ(Rows(manager), (std::vector<std::string>{"Default", "Warm", "Cool"}));
  EXPECT_EQ(manager.List()->GetItemExtraData(0), 0);
  EXPECT_EQ(manager.List()->GetItemExtraData(2), 2) << "the enumeration index";
  EXPECT_EQ(manager.List()->GetCurrentItemIndex(), 2) << "the row added last is current";
}

TEST_F(ManagerFiles, ListingLeavesAMissingPresetsKeyMissingAndTheFirstImportMakesIt)
{
  WriteBytes(Temp("Morning.cxp"), apptest::Record(4));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  EXPECT_EQ(Rows(manager), std::vector<std::string>{"Default"});
  EXPECT_EQ(OpenPresetsKey(false), nullptr) << "listing only reads the key";
  Step([&] { standin::QueueFileDialogAnswer(Temp("Morning.cxp").c_str()); });
  ClickButton(kImportSlot);
  // The imported preset exports through the key the import made.
  const std::string path = Temp("morning-again.cxp");
  ClickRow(1);
  Step([&] { standin::QueueFileDialogAnswer(path.c_str()); });
  ClickButton(kExportSlot);
  ClickButton(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(Rows(manager), (std::vector<std::string>{"Default", "Morning"}));
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Morning"), apptest::Record(4));
  EXPECT_EQ(ReadBytes(path), apptest::Record(4));
}

TEST_F(Manager, ARowClickMakesItCurrentAndKeepsTheDialogOpen)
{
  Put("Warm", apptest::Record(1));
  Put("Cool", apptest::Record(2));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  int current = -1;
  bool running = false;
  ClickRow(1);
  Step([&] {
    current = manager.List()->GetCurrentItemIndex();
    running = manager.Visible();
  });
  ClickButton(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(current, 1);
  EXPECT_TRUE(running);
  EXPECT_TRUE(manager.ChosenData().empty()) << "manage mode returns nothing";
  EXPECT_EQ(standin::IdleStepsLeft(), 0u);
}

TEST_F(Manager, RenameMovesTheRecordToTheNewName)
{
  Put("Warm", apptest::Record(1));
  Put("Cool", apptest::Record(2));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  bool hiddenWhileNaming = false;
  ClickRow(1);
  ClickButton(kRenameSlot);
  Step([&] { hiddenWhileNaming = !manager.Visible(); });
  QueueName("Sunset");
  ClickButton(kDoneSlot);
  manager.DoDialog();
  EXPECT_TRUE(hiddenWhileNaming);
  EXPECT_EQ(Rows(manager), (std::vector<std::string>{"Default", "Sunset", "Cool"}));
  EXPECT_EQ(apptest::ValueNames(kPresetsKey), (std::vector<std::string>{"Cool", "Sunset"}));
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Sunset"), apptest::Record(1));
}

TEST_F(Manager, ACaseOnlyRenameIsRefusedAndNeverDeletesThePreset)
{
  Put("Warm", apptest::Record(1));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  ClickRow(1);
  ClickButton(kRenameSlot);
  QueueName("WARM");   // the same name in other letters: refused
  QueueName("", false); // then cancelled
  ClickButton(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(apptest::Messages(), std::vector<std::string>{kDuplicateMessage});
  EXPECT_EQ(apptest::ValueNames(kPresetsKey), std::vector<std::string>{"Warm"});
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Warm"), apptest::Record(1));
  EXPECT_EQ(Rows(manager), (std::vector<std::string>{"Default", "Warm"}));
}

TEST_F(Manager, RemoveAsksFirstAndLeavesNoCurrentRow)
{
  Put("Warm", apptest::Record(1));
  Put("Cool", apptest::Record(2));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  ClickRow(1);
  Step([] { standin::QueueMessageBoxAnswer(IDNO); });
  ClickButton(kRemoveSlot);
  std::vector<std::string> afterNo;
  Step([&] { afterNo = Rows(manager); });
  ClickButton(kRemoveSlot); // the default answer: Yes
  size_t logged = 0;
  Step([&] { logged = standin::DialogLog().size(); });
  // No current row now: these do nothing at all, not even ask.
  ClickButton(kRenameSlot);
  ClickButton(kRemoveSlot);
  ClickButton(kExportSlot);
  size_t loggedAfter = 0;
  Step([&] { loggedAfter = standin::DialogLog().size(); });
  ClickButton(kDoneSlot);
  manager.DoDialog();

  EXPECT_EQ(afterNo, (std::vector<std::string>{"Default", "Warm", "Cool"}));
  EXPECT_EQ(Rows(manager), (std::vector<std::string>{"Default", "Cool"}));
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
  ClickRow(0);
  ClickButton(kRemoveSlot);
  ClickButton(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(Rows(manager), std::vector<std::string>{"default"});
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "default"), apptest::Record(5));
  EXPECT_EQ(apptest::GetBytes(kProductKey, "Default"), apptest::Record(4));
  // Filled again, the list has its "Default" back.
  PresetManager again(&AppResources(), PresetManager::eManageMode, nullptr);
  EXPECT_EQ(Rows(again), (std::vector<std::string>{"Default", "default"}));
}

TEST_F(ManagerFiles, ExportWritesTheRecordAsItIs)
{
  Put("Warm", apptest::Record(6));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  const std::string path = Temp("warm.cxp");
  ClickRow(1);
  Step([&] { standin::QueueFileDialogAnswer(path.c_str()); });
  ClickButton(kExportSlot);
  bool shownAgain = false;
  Step([&] { shownAgain = manager.Visible(); });
  ClickButton(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(ReadBytes(path), apptest::Record(6));
  EXPECT_TRUE(shownAgain);
  ASSERT_EQ(standin::DialogLog().size(), 1u);
  const standin::DialogRequest& d = standin::DialogLog()[0];
  EXPECT_EQ(d.kind, "GetSaveFileName");
  EXPECT_EQ(d.caption, "Save this preset");
  EXPECT_EQ(d.fileName, "Untitled.cxp");
  EXPECT_EQ(d.initialDir, "C:\\") << "the first drive there is";
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(d.filters, (std::vector<P>{P{"Preset Files", "*.cxp"}}));
}

TEST_F(ManagerFiles, ExportToAFullDeviceIsReportedAndTheDeviceStays)
{
  Put("Warm", apptest::Record(6));
  // The dialog adds ".cxp" to a name without one, so the device is reached
  // through a link.
  const std::string link = Temp("full.cxp");
  ASSERT_EQ(symlink("/dev/full", link.c_str()), 0);
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  ClickRow(1);
  Step([&] { standin::QueueFileDialogAnswer(link.c_str()); });
  ClickButton(kExportSlot);
  ClickButton(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(apptest::Messages(), std::vector<std::string>{kWriteFailedMessage});
  struct stat st;
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  ASSERT_EQ(lstat(link.c_str(), &st), 0) << "not a regular file: left alone";
}

TEST_F(ManagerFiles, AnExportCutShortIsReportedAndLeavesNoFile)
{
  Put("Warm", apptest::Record(6));
  const std::string path = Temp("cut.cxp");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Files may not grow past 10 bytes here; SIGXFSZ ignored makes the
    // write fail instead of ending the process.
    PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{10, 10};
    setrlimit(RLIMIT_FSIZE, &limit);
    ClickRow(1);
    Step([&] { standin::QueueFileDialogAnswer(path.c_str()); });
    ClickButton(kExportSlot);
    ClickButton(kDoneSlot);
    manager.DoDialog();
    struct stat st;
    const bool told = apptest::Messages() == std::vector<std::string>{kWriteFailedMessage};
    _exit(!told ? 1 : (stat(path.c_str(), &st) == 0 ? 2 : 0));
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no message; 2: the cut file was left";
}

TEST_F(ManagerFiles, ExportOverAReadOnlyFileLeavesItIntact)
{
  Put("Warm", apptest::Record(6));
  lvxtest::TinyFileSystem disk("locked", 16);
  const std::string path = disk.Path("locked.cxp");
  apptest::WriteText(path, "keep me");
  ASSERT_TRUE(disk.MakeReadOnly("locked.cxp"));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  ClickRow(1);
  Step([&] { standin::QueueFileDialogAnswer(path.c_str()); });
  ClickButton(kExportSlot);
  ClickButton(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(apptest::Messages(), std::vector<std::string>{kWriteFailedMessage});
  EXPECT_EQ(apptest::ReadText(path), "keep me");
}

TEST_F(ManagerFiles, ImportTakesWholeRecordsOnly)
{
  WriteBytes(Temp("Evening.cxp"), apptest::Record(7));
  apptest::WriteText(Temp("empty.cxp"), "");
  apptest::WriteText(Temp("short.cxp"), std::string(63, 's'));
  apptest::WriteText(Temp("long.cxp"), std::string(65, 'l'));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  for (const char* name : {"empty.cxp", "short.cxp", "long.cxp", "Evening.cxp"}) {
    const std::string path = Temp(name);
    Step([path] { standin::QueueFileDialogAnswer(path.c_str()); });
    ClickButton(kImportSlot);
  }
  ClickButton(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(apptest::Messages(), std::vector<std::string>(3, kInvalidFileMessage));
  EXPECT_EQ(Rows(manager), (std::vector<std::string>{"Default", "Evening"}));
  EXPECT_EQ(apptest::ValueNames(kPresetsKey), std::vector<std::string>{"Evening"});
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Evening"), apptest::Record(7));
  const standin::DialogRequest& open = standin::DialogLog()[0];
  EXPECT_EQ(open.kind, "GetOpenFileName");
  EXPECT_EQ(open.caption, "Import a preset");
  EXPECT_EQ(open.fileName, "");
}

TEST_F(ManagerFiles, ImportingATakenNameAsksForAnother)
{
  Put("Evening", apptest::Record(1));
  WriteBytes(Temp("Evening.cxp"), apptest::Record(8));
  PresetManager manager(&AppResources(), PresetManager::eManageMode, nullptr);
  Step([&] { standin::QueueFileDialogAnswer(Temp("Evening.cxp").c_str()); });
  ClickButton(kImportSlot);
  QueueName("Evening 2");
  ClickButton(kDoneSlot);
  manager.DoDialog();
  EXPECT_EQ(apptest::Messages(), std::vector<std::string>{kDuplicateMessage});
  EXPECT_EQ(Rows(manager), (std::vector<std::string>{"Default", "Evening", "Evening 2"}));
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Evening"), apptest::Record(1));
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Evening 2"), apptest::Record(8));
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

TEST_F(ApplyMode, ApplyReturnsTheChosenRecordAndDoneNone)
{
  Put("Warm", apptest::Record(9));
  Put("Cool", apptest::Record(10));
  PresetManager applying(&AppResources(), PresetManager::eApplyMode, nullptr);
  ClickRow(1);
  ClickButton(kApplySlot);
  applying.DoDialog();
  EXPECT_EQ(applying.ChosenData(), apptest::Record(9));

  PresetManager done(&AppResources(), PresetManager::eApplyMode, nullptr);
  ClickRow(1);
  ClickButton(kApplyDoneSlot);
  done.DoDialog();
  EXPECT_TRUE(done.ChosenData().empty());
}

TEST_F(ApplyMode, LoadingAppliesThePickedPresetAndRefreshesThePreviewEitherWay)
{
  PresetRecord warm = apptest::DistinctRecord();
  Put("Warm", warm.Bytes());
  TestPanel panel;
  const PresetRecord before = panel.Shown();
  ClickRow(1);
  ClickButton(kApplyDoneSlot);
  LoadPresetIntoControls(panel.Controls());
  EXPECT_EQ(panel.Shown(), before) << "Done applies nothing";
  EXPECT_EQ(panel.refreshCalls, 1);

  ClickRow(1);
  ClickButton(kApplySlot);
  LoadPresetIntoControls(panel.Controls());
  EXPECT_EQ(panel.Shown(), warm);
  EXPECT_EQ(panel.refreshCalls, 2);

  ClickRow(1);
  ClickButton(kDoneSlot);
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
    ClickRow(1);
    bool written = false;
    COLORREF frame = 0, button = 0, belowButtons = 0, missingButton = 0;
    int title = 0;
    Step([&] {
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
    ClickButton(manage ? int(kDoneSlot) : int(kApplyDoneSlot));
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
