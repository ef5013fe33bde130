// The store loop and its "Save Preset" dialog, driven through injected
// input: names refused and asked again, cancelling, the import's given name,
// the key created when missing and a store that refuses changes.
#include "presetstore.h"
#include "savepresetdialog.h"
#include "testpanel.h"

#include <filesystem>

using namespace presetstore;

namespace {

bool Store(const std::vector<uint8_t>& data, char* name = nullptr, bool given = false)
{
  return StorePreset(nullptr, data.data(), data.size(), name, &AppResources(), given, nullptr);
}

class StoreLoop : public apptest::Registry {
protected:
  void SetUp() override
  {
    apptest::Registry::SetUp();
    standin::ClearDialogLog();
  }
  void TearDown() override { standin::Reset(); }
};

using NameDialog = StoreLoop;

class OpenSaveDialog : public SavePresetDialog {
public:
  OpenSaveDialog() : SavePresetDialog(&AppResources(), nullptr, false) {}
  HWND Label() const { return m_Label->GetWnd(); }
  HWND OK() const { return m_OK->GetWnd(); }
  HWND Cancel() const { return m_Cancel->GetWnd(); }
};

} // namespace

TEST_F(StoreLoop, ADuplicateInAnyCaseIsRefusedAndAskedAgain)
{
  apptest::PutBytes(kPresetsKey, "Warm", apptest::Record(1));
  QueueName("WARM");
  QueueName("Cool");
  char name[kNameSize] = "junk";
  EXPECT_TRUE(Store(apptest::Record(2), name));
  EXPECT_STREQ(name, "Cool") << "the accepted name comes back";
  EXPECT_EQ(apptest::Messages(), std::vector<std::string>{kDuplicateMessage});
  const standin::DialogRequest& box = standin::DialogLog().back();
  EXPECT_EQ(box.caption, "");
  EXPECT_EQ(box.style & 0xF, UINT(MB_OK));
  EXPECT_EQ(apptest::ValueNames(kPresetsKey), (std::vector<std::string>{"Warm", "Cool"}));
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Warm"), apptest::Record(1)) << "never overwritten";
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Cool"), apptest::Record(2));
}

TEST_F(StoreLoop, EmptyAndDefaultNamesAreRefusedOtherSpellingsAreNot)
{
  QueueName("");
  QueueName("Default");
  QueueName("default");
  EXPECT_TRUE(Store(apptest::Record(3)));
  EXPECT_EQ(apptest::Messages(), (std::vector<std::string>{kDuplicateMessage, kDuplicateMessage}));
  EXPECT_EQ(apptest::ValueNames(kPresetsKey), std::vector<std::string>{"default"});
}

TEST_F(StoreLoop, CancellingWritesNothing)
{
  QueueName("Half typed", false);
  EXPECT_FALSE(Store(apptest::Record(4)));
  EXPECT_TRUE(apptest::ValueNames(kPresetsKey).empty());
  EXPECT_TRUE(apptest::Messages().empty());

  // Cancelling the second ask after a duplicate as well.
  apptest::PutBytes(kPresetsKey, "Warm", apptest::Record(1));
  QueueName("Warm");
  QueueName("", false);
  EXPECT_FALSE(Store(apptest::Record(4)));
  EXPECT_EQ(apptest::ValueNames(kPresetsKey), std::vector<std::string>{"Warm"});
}

TEST_F(StoreLoop, AGivenNameIsTakenWithoutAskingWhenFree)
{
  char name[kNameSize] = "Imported";
  EXPECT_TRUE(Store(apptest::Record(5), name, true));
  EXPECT_STREQ(name, "Imported");
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Imported"), apptest::Record(5));
  EXPECT_TRUE(standin::DialogLog().empty());
  EXPECT_EQ(standin::IdleStepsLeft(), 0u);
}

TEST_F(StoreLoop, ATakenGivenNameShowsTheMessageBeforeTheDialog)
{
  apptest::PutBytes(kPresetsKey, "Warm", apptest::Record(1));
  size_t shownBeforeDialog = 0;
  standin::AddIdleStep([&] { shownBeforeDialog = apptest::Messages().size(); });
  QueueName("Warm 2");
  char name[kNameSize] = "Warm";
  EXPECT_TRUE(Store(apptest::Record(6), name, true));
  EXPECT_EQ(shownBeforeDialog, 1u) << "the message came first, then the dialog";
  EXPECT_STREQ(name, "Warm 2");
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Warm 2"), apptest::Record(6));
}

TEST_F(StoreLoop, AGivenNamePassedDirectlyIsWrittenAtOnce)
{
  EXPECT_TRUE(StorePreset("Direct", apptest::Record(7).data(), 64, nullptr, &AppResources(), false, nullptr));
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "Direct"), apptest::Record(7));
  EXPECT_TRUE(standin::DialogLog().empty());
}

TEST_F(StoreLoop, TheKeyIsCreatedWhenMissing)
{
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPresetsKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  QueueName("First");
  EXPECT_TRUE(Store(apptest::Record(8)));
  EXPECT_EQ(apptest::GetBytes(kPresetsKey, "First"), apptest::Record(8));
}

TEST_F(StoreLoop, AStoreThatRefusesChangesIsReported)
{
  apptest::WriteText(standin::RegistryPath(), "lumivex-registry 1\nthis line is not understood\n");
  standin::RegistryReload();
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(Store(apptest::Record(9)));
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(apptest::Messages(), std::vector<std::string>{kSaveFailedMessage});
  EXPECT_EQ(standin::IdleStepsLeft(), 0u) << "no name was asked for";
  EXPECT_EQ(apptest::ReadText(standin::RegistryPath()), "lumivex-registry 1\nthis line is not understood\n");
}

TEST_F(NameDialog, OnlyOKAndCancelEndItAndTheFieldTakes255Characters)
{
  SavePresetDialog dialog(&AppResources(), nullptr, false);
  std::string typed(300, 'n');
  bool focused = false;
  standin::AddIdleStep([&] {
    focused = GetFocus() == dialog.EditWindow();
    // Commands that are not the dialog's: the edit field's notification
    // (code in the high word), a row's click and the label's message.
    PostMessageA(dialog.GetWnd(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), 0);
    PostMessageA(dialog.GetWnd(), WM_COMMAND, 128, 0);
    PostMessageA(dialog.GetWnd(), WM_COMMAND, MAKEWPARAM(SavePresetDialog::kOK, EN_CHANGE), 0);
    standin::Type(typed.c_str());
  });
  QueueName("", true);
  char name[kNameSize];
  EXPECT_TRUE(dialog.Run(name, sizeof name));
  EXPECT_TRUE(focused) << "the name field has the focus when the dialog opens";
  EXPECT_EQ(std::string(name), std::string(255, 'n'));

  SavePresetDialog cancelled(&AppResources(), nullptr, false);
  QueueName("Gone", false);
  char kept[kNameSize];
  EXPECT_FALSE(cancelled.Run(kept, sizeof kept));
  EXPECT_STREQ(kept, "Gone") << "the text is copied either way";
}

TEST_F(NameDialog, LayoutAndSnapshot)
{
  OpenSaveDialog dialog;
  const QVRect frame = dialog.GetWindowRect();
  EXPECT_EQ(frame.Left(), 100);
  EXPECT_EQ(frame.Top(), 100);
  EXPECT_EQ(frame.Width(), 200);
  EXPECT_EQ(frame.Height(), 125);
  const std::string path = SnapshotPath("save-preset.png");
  bool written = false;
  int title = 0;
  standin::AddIdleStep([&] { standin::Type("Evening light"); });
  standin::AddIdleStep([&] {
    written = standin::SnapshotPng(standin::SurfaceTarget::Whole(dialog.GetWnd()), path.c_str());
    title = TitleInk(dialog.GetWnd());
  });
  QueueName("", true);
  char name[kNameSize];
  EXPECT_TRUE(dialog.Run(name, sizeof name));
  EXPECT_STREQ(name, "Evening light");
  EXPECT_TRUE(written);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_GT(title, 20) << "\"Save Preset\" in the caption";
  // The label keeps its corner and is wide enough for its caption; OK and
  // Cancel keep theirs, OK as wide as its caption in the buttons' font
  // needs (so it reaches a pixel under Cancel, which lies on top).
  const RECT label = RectIn(dialog.Label(), dialog.GetWnd());
  const RECT ok = RectIn(dialog.OK(), dialog.GetWnd());
  const RECT cancel = RectIn(dialog.Cancel(), dialog.GetWnd());
  EXPECT_EQ(label.left, 25);
  EXPECT_EQ(label.top, 5);
  EXPECT_GT(label.right - label.left, 75);
  EXPECT_EQ(ok.left, 50);
  EXPECT_EQ(ok.top, 70);
  EXPECT_EQ(cancel.left, 80);
  EXPECT_GT(ok.right - ok.left, 25);
  EXPECT_LE(ok.right, cancel.left + 1);
  EXPECT_EQ(cancel.bottom - cancel.top, 25);
}
