// The preferences popup under the application's message loop, driven by
// injected clicks and typing with scripted answers: the check boxes'
// interplay, OK and Cancel, the parent disabled while it is open and the
// deferred delete carried out once.
#include "appshell.h"
#include "prefsrecord.h"
#include "prefswindow.h"
#include "testpanel.h"

#include <cstring>

namespace {

int g_deleted = 0;

// The popup with its controls in reach and its deletion counted.
class OpenPrefs : public PrefsWindow {
public:
  using PrefsWindow::PrefsWindow;
  ~OpenPrefs() override { ++g_deleted; }
  bool AutoSaveOn() const { return m_AutoSave->ButtonOn(); }
  bool DragDropOn() const { return m_AutoDragDrop->ButtonOn(); }
  bool OverwriteOn() const { return m_AutoOverwrite->ButtonOn(); }
  HWND Box(int i) const { return (i == 0 ? m_AutoSave : i == 1 ? m_AutoDragDrop : m_AutoOverwrite)->GetWnd(); }
  HWND OKButton() const { return m_OK->GetWnd(); }
  HWND CancelButton() const { return m_Cancel->GetWnd(); }
};

// The parent: records the commands that reach it.
class Parent : public QVWindow {
public:
  Parent() : QVWindow(&Rect(), "Lumivex", eQVWindowStyleStaticMainCaption, &AppResources(), nullptr, nullptr) {}
  bool HandleCommand(QVEvent& event) override
  {
    commands.push_back(static_cast<int32_t>(event.m_Command));
    return true;
  }
  static const QVRect& Rect()
  {
    static const QVRect rect(100, 50, 700, 450);
    return rect;
  }
  std::vector<int32_t> commands;
};

constexpr int kAutoSave = 0, kDragDrop = 1, kOverwrite = 2;

class PrefsPopup : public apptest::Registry {
protected:
  void SetUp() override
  {
    apptest::Registry::SetUp();
    g_deleted = 0;
    standin::ClearDialogLog();
    parent.ShowWindow(QVWindow::eQVShowNormal);
    standin::Pump();
  }
  void TearDown() override { standin::Reset(); }

  // Opens the popup on the record; the steps run while the loop waits,
  // then the loop is ended.
  void Run(PrefsRecord& record, std::vector<std::function<void(OpenPrefs&)>> steps)
  {
    auto* prefs = new OpenPrefs(&parent, &record);
    prefs->CreateControls();
    standin::Pump();
    opened = prefs->GetWindowRect();
    parentEnabledWhileOpen = IsWindowEnabled(parent.GetWnd());
    for (auto& step : steps)
      standin::AddIdleStep([prefs, step, this] {
        // Nothing may touch the popup once it has been deleted.
        if (g_deleted == 0)
          step(*prefs);
      });
    standin::AddIdleStep([] { PostQuitMessage(0); });
    StandaloneAppShell shell(nullptr);
    shell.MessageLoop();
    if (g_deleted == 0)
      delete prefs;
  }

  Parent parent;
  QVRect opened;
  BOOL parentEnabledWhileOpen = TRUE;
};

} // namespace

TEST_F(PrefsPopup, OpensCentredOnItsParentWhichItDisables)
{
  PrefsRecord record;
  bool boxesAsRecorded = false;
  bool editEnabled = false;
  char edit[16] = "";
  Run(record, {[&](OpenPrefs& p) {
                 boxesAsRecorded = p.AutoSaveOn() && p.DragDropOn() && !p.OverwriteOn();
                 editEnabled = IsWindowEnabled(p.EditWindow());
                 GetWindowTextA(p.EditWindow(), edit, sizeof edit);
               },
               [&](OpenPrefs& p) { ClickAt(p.CancelButton(), 5, 5); }});
  // Parent 600 x 400 at (100, 50): (100 + (600 - 250) / 2, 50 + (400 - 147) / 2).
  EXPECT_EQ(opened.Left(), 275);
  EXPECT_EQ(opened.Top(), 176);
  EXPECT_EQ(opened.Width(), 250);
  EXPECT_EQ(opened.Height(), 147);
  EXPECT_FALSE(parentEnabledWhileOpen);
  EXPECT_TRUE(boxesAsRecorded);
  EXPECT_TRUE(editEnabled);
  EXPECT_STREQ(edit, "LMV");
  EXPECT_TRUE(IsWindowEnabled(parent.GetWnd())) << "enabled again when the popup closed";
  EXPECT_EQ(g_deleted, 1);
}

TEST_F(PrefsPopup, TheCheckBoxesKeepAutoSaveAndOverwriteApart)
{
  PrefsRecord record;
  struct State {
    bool autoSave, overwrite, editEnabled;
  };
  std::vector<State> seen;
  bool focusedInEdit = false;
  auto look = [&](OpenPrefs& p) {
    seen.push_back({p.AutoSaveOn(), p.OverwriteOn(), bool(IsWindowEnabled(p.EditWindow()))});
  };
  Run(record,
      {// Overwrite on, answered Yes: it stays on and Auto-Save goes off,
       // the edit field as it was.
       [&](OpenPrefs& p) { ClickAt(p.Box(kOverwrite), 5, 10); }, look,
       // Auto-Save on again: the edit field enabled and focused,
       // Overwrite off.
       [&](OpenPrefs& p) { ClickAt(p.Box(kAutoSave), 5, 10); }, look,
       [&](OpenPrefs& p) { focusedInEdit = GetFocus() == p.EditWindow(); },
       // Overwrite on, answered No: it goes off again, and so does
       // Auto-Save.
       [&](OpenPrefs& p) {
         standin::QueueMessageBoxAnswer(IDNO);
         ClickAt(p.Box(kOverwrite), 5, 10);
       },
       look,
       // Auto-Save off (from on) disables the edit field.
       [&](OpenPrefs& p) { ClickAt(p.Box(kAutoSave), 5, 10); }, [&](OpenPrefs& p) { ClickAt(p.Box(kAutoSave), 5, 10); },
       look, [&](OpenPrefs& p) { ClickAt(p.CancelButton(), 5, 5); }});
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_TRUE(seen[0].overwrite);
  EXPECT_FALSE(seen[0].autoSave);
  EXPECT_TRUE(seen[0].editEnabled) << "unchecking Auto-Save this way leaves the field";
  EXPECT_TRUE(seen[1].autoSave);
  EXPECT_FALSE(seen[1].overwrite);
  EXPECT_TRUE(seen[1].editEnabled);
  EXPECT_TRUE(focusedInEdit);
  EXPECT_FALSE(seen[2].overwrite);
  EXPECT_FALSE(seen[2].autoSave);
  EXPECT_FALSE(seen[3].autoSave);
  EXPECT_FALSE(seen[3].editEnabled);

  std::vector<std::string> warnings;
  for (const standin::DialogRequest& r : standin::DialogLog())
    if (r.kind == "MessageBox" && r.caption == "Warning!" && (r.style & 0xF) == MB_YESNO)
      warnings.push_back(r.text);
  EXPECT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0].rfind("This option will overwrite your files during Automatic mode!", 0), 0u);
}

TEST_F(PrefsPopup, OKStoresTheRecordAndTellsTheParent)
{
  PrefsRecord stored;
  stored.DrawBkg = 1;
  stored.AutoDragDrop = 1;
  stored.Save();
  PrefsRecord record;
  record.Load();
  ASSERT_EQ(record.DrawBkg, 1u);
  Run(record,
      {[&](OpenPrefs& p) {
         // The field is emptied, then nine characters and more typed,
         // separators among them.
         ClickAt(p.EditWindow(), 75, 10); // the caret after the text
         standin::Type("\b\b\ba/b\\cdefghijkl");
       },
       [&](OpenPrefs& p) { ClickAt(p.Box(kDragDrop), 5, 10); }, [&](OpenPrefs& p) { ClickAt(p.OKButton(), 5, 5); }});
  // Nine characters reached the field ("a/b\cdefg"); the separators are
  // dropped on OK.
  EXPECT_STREQ(record.SaveNameExt, "abcdefg");
  EXPECT_EQ(record.DrawBkg, 0u);
  EXPECT_EQ(record.AutoDragDrop, 0u);
  PrefsRecord loaded;
  loaded.Load();
  EXPECT_STREQ(loaded.SaveNameExt, "abcdefg");
  EXPECT_EQ(loaded.DrawBkg, 0u) << "DrawBkg reads 0 whatever it held";
  EXPECT_EQ(loaded.AutoDragDrop, 0u);
  EXPECT_EQ(loaded.AutoSave, 1u);
  EXPECT_EQ(parent.commands, std::vector<int32_t>{PrefsWindow::kPrefsChanged});
  EXPECT_EQ(g_deleted, 1);
}

TEST_F(PrefsPopup, NineTypedCharactersSurviveOKAndALaterLoad)
{
  PrefsRecord record;
  Run(record, {[&](OpenPrefs& p) {
                 ClickAt(p.EditWindow(), 75, 10); // the caret after the text
                 standin::Type("\b\b\bNINECHARS");
               },
               [&](OpenPrefs& p) { ClickAt(p.OKButton(), 5, 5); }});
  PrefsRecord loaded;
  loaded.Load();
  EXPECT_STREQ(loaded.SaveNameExt, "NINECHARS");
}

TEST_F(PrefsPopup, CancelReloadsTheRecordAndStoresNothing)
{
  PrefsRecord stored;
  stored.AutoOverwrite = 0;
  stored.AutoSave = 1;
  std::strcpy(stored.SaveNameExt, "KEEP");
  stored.Save();
  PrefsRecord record;
  record.Load();
  record.AutoDragDrop = 0; // changed in memory, never saved
  Run(record, {[&](OpenPrefs& p) { ClickAt(p.Box(kAutoSave), 5, 10); },
               [&](OpenPrefs& p) {
                 ClickAt(p.EditWindow(), 75, 10); // the caret after the text
                 standin::Type("XY");
               },
               [&](OpenPrefs& p) { ClickAt(p.CancelButton(), 5, 5); }});
  EXPECT_EQ(record.AutoSave, 1u);
  EXPECT_EQ(record.AutoDragDrop, 1u) << "reloaded from the registry";
  EXPECT_STREQ(record.SaveNameExt, "KEEP");
  PrefsRecord loaded;
  loaded.Load();
  EXPECT_STREQ(loaded.SaveNameExt, "KEEP");
  EXPECT_TRUE(parent.commands.empty());
  EXPECT_EQ(g_deleted, 1);
}

TEST_F(PrefsPopup, Snapshot)
{
  PrefsRecord record;
  record.AutoOverwrite = 1;
  record.AutoSave = 0;
  const std::string path = SnapshotPath("preferences.png");
  bool written = false;
  COLORREF corner = 0, inside = 0;
  Run(record, {[&](OpenPrefs& p) {
                 written = standin::SnapshotPng(standin::SurfaceTarget::Whole(p.GetWnd()), path.c_str());
                 corner = standin::ReadPixel(p.GetWnd(), 0, 0);
                 inside = standin::ReadPixel(p.GetWnd(), 40, 30);
               },
               [&](OpenPrefs& p) {
                 // The title's ink lies in the band at y 5 to 22, left of x 180.
                 int dark = 0;
                 for (int y = 5; y < 22; ++y)
                   for (int x = 5; x < 180; ++x)
                     dark += standin::ReadPixel(p.GetWnd(), x, y) == RGB(0, 0, 0);
                 EXPECT_GT(dark, 50) << "the title is drawn";
                 for (int x = 5; x < 180; ++x)
                   EXPECT_NE(standin::ReadPixel(p.GetWnd(), x, 30), RGB(0, 0, 0)) << "nothing of it below y 30";
               },
               [&](OpenPrefs& p) { ClickAt(p.CancelButton(), 5, 5); }});
  EXPECT_TRUE(written);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(corner, RGB(0, 0, 0)) << "the black frame";
  EXPECT_NE(inside, RGB(0, 0, 0));
}
