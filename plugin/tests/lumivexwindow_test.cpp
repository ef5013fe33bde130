// The main window: its gamma table, defaults and controls, the command
// table, the help commands, Shift and Control, its placement, the preset
// menu and its destruction.
#include "appshell.h"
#include "filterpluginshell.h"
#include "infowindow.h"
#include "lumivexapp.h"
#include "lvxtest/testenv.h"
#include "prefsrecord.h"
#include "prefswindow.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvmenu.h"
#include "qvcommon/qvmenuitem.h"
#include "qvcommon/qvpicturedisplay.h"
#include "win32/shell.h"
#include "windowstest.h"

#include <cstdlib>
#include <fstream>

using namespace wintest;

namespace {

const char* const kProductKey = "Software\\Tarnwell\\Lumivex\\";
const char* const kPresetsKey = "Software\\Tarnwell\\Lumivex\\Presets";

// The framework window whose object a handle carries.
template <class T>
T* ObjectOf(HWND window)
{
  return reinterpret_cast<T*>(GetWindowLongA(window, GWL_USERDATA));
}

class MainWindow : public Windows {};

} // namespace

TEST(GammaTable, IndicesAndClamping)
{
  EXPECT_EQ(LumivexWindow::FindGammaIndex(1.8), 6);
  EXPECT_EQ(LumivexWindow::FindGammaIndex(1.0), 0);
  EXPECT_EQ(LumivexWindow::FindGammaIndex(3.0), 12);
  EXPECT_EQ(LumivexWindow::FindGammaIndex(1.85), 6) << "no entry: the default index";
  // Indices beyond the table take its ends.
  const std::pair<int32_t, double> cases[] = {{0, 1.0},  {5, 1.75},        {12, 3.0},       {13, 3.0},
                                              {-1, 1.0}, {INT32_MIN, 1.0}, {INT32_MAX, 3.0}};
  for (const auto& [index, gamma] : cases)
    EXPECT_EQ(LumivexWindow::GammaForIndex(index), gamma) << index;
}

TEST_F(MainWindow, StartsWithTheDefaultsAsTheKeyWindowAndReadsTheScriptingParameters)
{
  TestWindow window;
  EXPECT_EQ(QVWindow::m_HotKeyWindow, &window);
  EXPECT_EQ(window.m_Settings.contrastLevel, 7);
  EXPECT_EQ(window.m_Settings.colorLevel, 7);
  EXPECT_EQ(window.m_Settings.sharpenLevel, 6);
  EXPECT_EQ(window.m_Settings.noiseLevel, 20) << "the Anti-Noise slider's value, not an engine level";
  EXPECT_EQ(window.m_Settings.tonalGamma, 1.8);
  EXPECT_EQ(window.m_Settings.targetGamma, 1.8);
  EXPECT_EQ(window.m_Settings.skinColor[0] * 65536 + window.m_Settings.skinColor[1] * 256 +
                window.m_Settings.skinColor[2],
            229 * 65536 + 190 * 256 + 168);
  EXPECT_EQ(window.m_ReducedPreview, 1);
  EXPECT_FALSE(window.Visible()) << "hidden until its controls are made";
  EXPECT_EQ(window.m_DialogWanted, 1) << "no host, no recorded settings: the dialog";
}

TEST_F(MainWindow, ItsArtAndStringsComeFromThePlugInsModuleNeverTheFrameworks)
{
  TestWindow window;
  window.CreateControls();
  ASSERT_NE(window.m_ControlPanel, nullptr);
  ASSERT_NE(GetModuleInstance(), standin::MainModule());
  EXPECT_EQ(window.GetResourceFile()->GetResFile(), standin::MainModule());
  EXPECT_EQ(window.m_ControlPanel->GetResourceFile()->GetResFile(), standin::MainModule());
  EXPECT_EQ(window.m_PreviewPane->GetResourceFile()->GetResFile(), standin::MainModule());
  // The start window's pictures are the plug-in's art: its snapshots check
  // them (popups_test.cpp).
  // The panel's captions are the plug-in's strings.
  EXPECT_STREQ(window.m_ControlPanel->GetPresetsMenu()->GetControlText(), "Presets");
  EXPECT_STREQ(window.m_ControlPanel->GetSlider(117)->GetControlText(), "Tonal Range");
  EXPECT_STREQ(window.m_PresetMenu->GetItemName(0), "Default");
}

TEST_F(MainWindow, SliderAndBoxCommandsSetTheirFieldAndRunThePreview)
{
  TestWindow window;
  window.CreateControls();
  auto image = Image(40, 30);
  window.SetImage(image.get(), false);
  struct Case {
    int32_t id;
    LPARAM value;
    int32_t (*field)(TestWindow&);
    int32_t expected;
  };
  auto colour = [](TestWindow& w) -> int32_t { return w.m_Settings.colorLevel; };
  auto contrast = [](TestWindow& w) -> int32_t { return w.m_Settings.contrastLevel; };
  auto sharpen = [](TestWindow& w) -> int32_t { return w.m_Settings.sharpenLevel; };
  auto noise = [](TestWindow& w) -> int32_t { return w.m_Settings.noiseLevel; };
  const Case cases[] = {
      {111, 5, colour, 5},
      {16010, 9, colour, 9},
      {113, 4, contrast, 4},
      {16011, 12, contrast, 12},
      // Sharpen never goes below 2.
      {114, 0, sharpen, 2},
      {114, 1, sharpen, 2},
      {114, 11, sharpen, 11},
      {16012, 3, sharpen, 3},
      {115, 35, noise, 35},
      {112, -30, [](TestWindow& w) { return w.m_Saturation; }, -30},
      {16013, 44, [](TestWindow& w) { return w.m_Saturation; }, 44},
      {116, -7, [](TestWindow& w) { return w.m_Brightness; }, -7},
      {16014, 25, [](TestWindow& w) { return w.m_Brightness; }, 25},
      {118, -40, [](TestWindow& w) { return w.m_Red; }, -40},
      {119, 17, [](TestWindow& w) { return w.m_Green; }, 17},
      {120, 40, [](TestWindow& w) { return w.m_Blue; }, 40},
      {121, 1, [](TestWindow& w) { return w.m_DespeckleOn; }, 1},
      {16036, 0, [](TestWindow& w) { return w.m_DespeckleOn; }, 0},
      {122, 1, [](TestWindow& w) { return w.m_DescreenOn; }, 1},
      {16035, 0, [](TestWindow& w) { return w.m_DescreenOn; }, 0},
  };
  for (const Case& c : cases) {
    window.ForgetPreview();
    window.Send(c.id, c.value);
    EXPECT_EQ(c.field(window), c.expected) << c.id << " " << c.value;
    EXPECT_TRUE(window.PreviewRan()) << c.id;
  }
  // Tonal Range: gamma A from the table (index 9 is 2.1), gamma B kept; an
  // index past the table takes its last entry.
  window.Send(117, 9);
  EXPECT_EQ(window.m_Settings.tonalGamma, 2.1);
  EXPECT_EQ(window.m_Settings.targetGamma, 1.8);
  window.Send(16015, 40);
  EXPECT_EQ(window.m_Settings.tonalGamma, 3.0);
  // An id outside the table changes nothing and runs nothing.
  window.ForgetPreview();
  const AdjustParams before = window.m_Settings;
  window.Send(4242, 7);
  window.Send(LumivexWindow::kSeparator, 1);
  EXPECT_EQ(std::memcmp(&before, &window.m_Settings, sizeof before), 0);
  EXPECT_FALSE(window.PreviewRan());
  window.ForgetPreview();
}

TEST_F(MainWindow, SubDetailResetPresetAndScannerCommandsReachTheirOperations)
{
  apptest::PutBytes(kPresetsKey, "Warm", apptest::DistinctRecord().Bytes());
  TestWindow window;
  window.CreateControls();
  auto image = Image(40, 30);
  window.SetImage(image.get(), false);
  struct Case {
    int32_t id;
    LPARAM value;
    int32_t extra;
    int on, amount;
  };
  // The box on with the amount menu at item 3, off at item 2, amount item "5".
  for (const Case& c : {Case{107, 1, 4, 1, 4}, Case{107, 0, 3, 0, 3}, Case{109, 5, 0, 1, 5}}) {
    window.ForgetPreview();
    window.Send(c.id, c.value, c.extra);
    EXPECT_EQ(window.m_SubDetailOn, c.on) << c.id;
    EXPECT_EQ(window.m_SubDetailAmount, c.amount) << c.id;
    EXPECT_TRUE(window.PreviewRan()) << c.id;
  }
  // Reset: the panel's defaults, every shift 0, the boxes off.
  window.Send(113, 11);
  window.Send(118, 30);
  window.Send(121, 1);
  window.Send(108);
  EXPECT_EQ(window.m_Settings.contrastLevel, 7);
  EXPECT_EQ(window.m_Red, 0);
  EXPECT_EQ(window.m_DespeckleOn, 0);
  EXPECT_EQ(window.m_SubDetailAmount, 2);
  // "Default" and the registry items are remembered; the separator is not.
  window.Send(32, 0);
  EXPECT_EQ(CurrentPreset(window), "Default");
  window.m_PresetMenu->SetSelectedNum(2);
  window.Send(33, 1);
  EXPECT_EQ(CurrentPreset(window), "Default");
  window.Send(1006, 2);
  EXPECT_EQ(CurrentPreset(window), "Warm");
  window.ForgetPreview();
  window.Send(16032); // a drag ended
  EXPECT_TRUE(window.PreviewRan());
  // The scanner: no source on this machine, so nothing changes.
  window.Send(131);
  window.Send(132);
  ASSERT_EQ(standin::DialogLog().size(), 2u);
  EXPECT_EQ(standin::DialogLog()[0].kind, "twain-acquire");
  EXPECT_EQ(standin::DialogLog()[1].kind, "twain-select");
  EXPECT_EQ(window.m_CurrentImage, image.get());
}

TEST_F(MainWindow, TheRollOverCommandsChangeTheHintAndSwitchOrFinish)
{
  TestWindow window;
  window.CreateControls();
  standin::Pump();
  const HWND hint = window.m_HintPane->GetWnd();
  struct Case {
    int32_t id;
    LPARAM value;
    int32_t hint;
    bool panelShown;
  };
  const Case cases[] = {
      {16001, 1, 135, false},                               // entering the custom button
      {16001, 0, 136, false},                               // leaving it
      {16002, 1, 134, false},                               // entering the automatic button
      {16002, 0, 136, false},    {16001, 16001, 136, true}, // a click: the normal hint and the custom view
      {16002, 16002, 136, true},                            // no image: the automatic road does nothing
  };
  for (const Case& c : cases) {
    window.Send(c.id, c.value);
    EXPECT_EQ(PixelsUnlike(hint, c.hint), 0) << c.id << " " << c.value;
    EXPECT_EQ(window.m_ControlPanel->Visible(), c.panelShown) << c.id << " " << c.value;
    EXPECT_NE(window.Visible(), c.panelShown) << c.id << " " << c.value;
  }
  EXPECT_EQ(window.GetClientRect().Height(), 290) << "no busy strip without an image";
  // Without an image the custom view shows the no-image picture, and the
  // pane waits with the busy picture as its background.
  EXPECT_TRUE(window.m_EmptyPicture->Visible());
  EXPECT_FALSE(Shown(window.m_PreviewPane));
  EXPECT_FALSE(Shown(window.m_BusyPicture));
}

TEST_F(MainWindow, TheViewCommandsNeedAnImageAndAChange)
{
  TestWindow window;
  window.CreateControls();
  window.Send(16007);
  EXPECT_EQ(window.m_FullSizeView, 0) << "no current image";
  EXPECT_EQ(window.m_ReducedPreview, 1);
  auto image = Image(1000, 800);
  window.SetImage(image.get(), false);
  window.Send(16007); // into the full-size view: the preview is the image's size
  window.Send(16007); // already there
  EXPECT_EQ(window.m_FullSizeView, 1);
  EXPECT_EQ(window.m_ReducedPreview, 0);
  ASSERT_TRUE(window.PreviewRan());
  EXPECT_EQ(window.m_CorrectedPreview->width, 1000);
  window.Send(16008); // back: a reduced preview again
  window.Send(16008);
  EXPECT_EQ(window.m_FullSizeView, 0);
  EXPECT_EQ(window.m_ReducedPreview, 1);
  EXPECT_LT(window.m_CorrectedPreview->width, 1000);
}

TEST_F(MainWindow, ApplyAndCancelCommands)
{
  StandaloneAppShell shell(standin::MainModule());
  LumivexApp app(&shell);
  TestWindow window;
  window.CreateControls();
  // Apply: the busy strip, the shell asks where to save (and is cancelled),
  // the loop is asked to end with 0.
  window.Send(16040);
  EXPECT_EQ(window.GetClientRect().Height(), 49);
  EXPECT_TRUE(Shown(window.m_BusyPicture));
  MSG applied{};
  ASSERT_TRUE(PeekMessageA(&applied, reinterpret_cast<HWND>(intptr_t{-1}), WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(applied.wParam, 0u);
  // 130 without a current image goes on to the empty view.
  window.Send(130);
  EXPECT_TRUE(Shown(window.m_EmptyPicture));
  EXPECT_FALSE(Shown(window.m_BusyPicture));
  ASSERT_EQ(standin::DialogLog().size(), 2u);
  EXPECT_EQ(standin::DialogLog()[0].kind, "GetSaveFileName");
  EXPECT_EQ(standin::DialogLog()[1].kind, "GetSaveFileName");
  // Cancel, and closing the window, quit with 1.
  for (int closing = 0; closing < 2; ++closing) {
    if (closing)
      DestroyWindow(window.GetWnd());
    else
      window.Send(16041);
    MSG quit{};
    ASSERT_TRUE(PeekMessageA(&quit, reinterpret_cast<HWND>(intptr_t{-1}), WM_QUIT, WM_QUIT, PM_REMOVE)) << closing;
    EXPECT_EQ(quit.wParam, 1u);
  }
}

TEST_F(MainWindow, HelpOpensOnlyAStringThatTheRegistryEnds)
{
  // The viewer that opens the file: any program that starts.
  setenv("LUMIVEX_OPENER", "/bin/true", 1);
  const std::string help = lvxtest::TempDir() + "/Lumivex.hlp";
  std::ofstream(help) << "help";
  struct Case {
    const char* what;
    DWORD type;
    std::string bytes; // nothing stored when empty
    bool opens;
  };
  const Case cases[] = {
      {"no value", REG_SZ, "", false},
      {"not a string", REG_BINARY, help + '\0', false},
      {"256 bytes, unterminated", REG_SZ, std::string(256, 'x'), false},
      {"a good path", REG_SZ, help + '\0', true},
      {"a good path stored without its terminator", REG_SZ, help, true},
  };
  TestWindow window;
  for (const Case& c : cases) {
    apptest::FreshRegistry();
    if (!c.bytes.empty())
      apptest::PutValue(kProductKey, "HelpPath", c.type, c.bytes.data(), c.bytes.size());
    standin::ClearShellRequests();
    window.Send(16100);
    const auto& requests = standin::ShellRequests();
    ASSERT_EQ(requests.size(), c.opens ? 1u : 0u) << c.what;
    if (c.opens) {
      EXPECT_EQ(requests[0].kind, "WinHelp");
      EXPECT_EQ(requests[0].command, UINT{HELP_CONTENTS});
      EXPECT_EQ(requests[0].owner, window.GetWnd());
      EXPECT_TRUE(requests[0].started);
      EXPECT_EQ(requests[0].argument, help) << "the viewer gets the one path";
    }
  }
  setenv("LUMIVEX_OPENER", "", 1);
}

TEST_F(MainWindow, TheWebCommandsOpenTheMakersPages)
{
  TestWindow window;
  window.Send(16101);
  window.Send(16106);
  const auto& requests = standin::ShellRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].kind, "ShellExecute");
  EXPECT_EQ(requests[0].verb, "open");
  EXPECT_EQ(requests[0].target, "https://www.tarnwell.example/");
  EXPECT_EQ(requests[1].target, "https://www.tarnwell.example/HTML/SUPPORT/SUPPORT.HTM");
  EXPECT_EQ(requests[1].show, SW_SHOW);
}

TEST_F(MainWindow, AboutPreferencesAndFileAttributesOpenTheirPopups)
{
  TestWindow window;
  window.CreateControls();
  // About: over the panel's client area.
  window.Send(16103);
  const HWND about = GetActiveWindow();
  ASSERT_NE(about, window.GetWnd());
  RECT r{};
  GetWindowRect(about, &r);
  const QVRect client = window.m_ControlPanel->GetClientRect();
  EXPECT_EQ(r.left, window.m_ControlPanel->Left() + (client.Width() - 331) / 2);
  EXPECT_EQ(r.top, window.m_ControlPanel->Top() + (client.Height() - 486) / 2);
  delete ObjectOf<QVWindow>(about);

  // Preferences: only with a record to edit.
  window.Send(16104);
  EXPECT_EQ(GetActiveWindow(), window.GetWnd()) << "nothing opened";
  auto app = std::make_unique<LumivexApp>(nullptr);
  window.Send(16104);
  const HWND prefs = GetActiveWindow();
  ASSERT_NE(prefs, window.GetWnd());
  EXPECT_FALSE(IsWindowEnabled(window.GetWnd()));
  delete ObjectOf<PrefsWindow>(prefs);
  window.EnableWindow(1);

  // File attributes without an image: no record.
  window.Send(16105);
  auto* info = ObjectOf<InfoWindow>(GetActiveWindow());
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->Record(), nullptr);
  delete info;
  window.EnableWindow(1);

  // With an image that the stand-alone shell opened from a file: its size,
  // the file's name and size, no resolution.
  const std::string path = lvxtest::Source("samples/coffee.png");
  StandaloneAppShell shell(standin::MainModule());
  app.reset();
  app = std::make_unique<LumivexApp>(&shell);
  standin::QueueFileDialogAnswer(path.c_str());
  ASSERT_TRUE(shell.AcquireImage(0, &window));
  window.SetImage(shell.GetImage(), false);
  window.Send(16105);
  info = ObjectOf<InfoWindow>(GetActiveWindow());
  ASSERT_NE(info, nullptr);
  ASSERT_EQ(info->Record(), &window.m_FileInfo);
  EXPECT_EQ(window.m_FileInfo.width, shell.GetImage()->width);
  EXPECT_EQ(window.m_FileInfo.height, shell.GetImage()->height);
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  EXPECT_EQ(window.m_FileInfo.fileSize, static_cast<int64_t>(file.tellg()));
  EXPECT_EQ(window.m_FileInfo.xDpi, 0);
  char lines[InfoWindow::kLineCount][InfoWindow::kLineSize];
  InfoWindow::Lines(*info->Record(), info->File(), lines);
  EXPECT_STREQ(lines[0], "Filename: coffee.png");
  delete info;
}

TEST_F(MainWindow, TheHelpMenuOffersPreferencesAndAttributesOnlyStandAlone)
{
  TestWindow window;
  StandaloneAppShell standalone(standin::MainModule());
  FilterPlugInShell plugin(standin::MainModule());
  struct Case {
    AppShell* bridge;
    std::vector<std::string> items;
  };
  const std::vector<std::string> common = {"Help", "Tarnwell on the web", "About Lumivex 1.0"};
  std::vector<std::string> all = common;
  all.insert(all.end(), {"Preferences", "File Attributes"});
  const Case cases[] = {{&standalone, all}, {&plugin, common}, {nullptr, common}};
  for (const Case& c : cases) {
    std::unique_ptr<LumivexApp> app(c.bridge ? new LumivexApp(c.bridge) : nullptr);
    QVMenu* menu = window.CreateHelpMenu();
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> items;
    for (int32_t i = 0; i < menu->GetItemCount(); ++i)
      items.emplace_back(menu->GetItemName(i));
    EXPECT_EQ(items, c.items);
  }
  EXPECT_EQ(window.CreateHelpMenu()->GetItem(2)->GetControlMessage(), 16103);
}

TEST_F(MainWindow, ShiftAndControlFromAnyFrameworkWindow)
{
  TestWindow window;
  window.CreateControls();
  auto current = Image(30, 20), corrected = Image(30, 20), uncorrected = Image(15, 10);
  window.m_CurrentImage = current.get();
  window.m_CorrectedPreview = corrected.release();
  window.m_UncorrectedPreview = uncorrected.release();
  // The keys go to another framework window, which has the focus.
  const QVRect rect(600, 100, 700, 200);
  QVWindow other(&rect, "Other", QVWindow::eQVWindowStyleStaticMainCaption, nullptr, nullptr, nullptr);
  other.ShowWindow(QVWindow::eQVShowNormal);
  SetFocus(other.GetWnd());
  PreviewPane* pane = window.m_PreviewPane;
  auto press = [](int key, bool down) {
    if (down)
      standin::KeyDown(key);
    else
      standin::KeyUp(key);
    standin::Pump();
  };
  press(VK_SHIFT, true);
  EXPECT_EQ(pane->GetImage(), window.m_UncorrectedPreview) << "the reduced uncorrected picture";
  press(VK_SHIFT, true); // auto-repeat
  EXPECT_EQ(pane->GetImage(), window.m_UncorrectedPreview);
  press(VK_SHIFT, false);
  EXPECT_EQ(pane->GetImage(), window.m_CorrectedPreview);
  window.m_ReducedPreview = 0;
  press(VK_SHIFT, true);
  EXPECT_EQ(pane->GetImage(), current.get()) << "the full-size view shows the image itself";
  press(VK_SHIFT, false);

  // While Control is held no preview runs; releasing it runs one.
  window.ForgetPreview();
  press(VK_CONTROL, true);
  EXPECT_EQ(window.m_ControlDown, 1);
  window.RunPreviewCorrection(true, true);
  EXPECT_FALSE(window.PreviewRan());
  press(VK_CONTROL, false);
  EXPECT_EQ(window.m_ControlDown, 0);
  EXPECT_TRUE(window.PreviewRan());
  window.ForgetPreview();
  press('A', true);
  press('A', false);
  EXPECT_FALSE(window.PreviewRan()) << "other keys are not the window's";
  window.m_CurrentImage = nullptr;
}

TEST_F(MainWindow, PlaceWindowGivesTheClientSizeCentredOnEveryScreen)
{
  struct Case {
    int screenWidth, screenHeight;
    bool dialog;
    int clientHeight;
  };
  const Case cases[] = {{1024, 768, true, 290},
                        {800, 600, true, 290},
                        {1600, 1200, true, 290},
                        {1024, 768, false, 10},
                        {801, 601, false, 10}};
  for (const Case& c : cases) {
    standin::SetScreen(c.screenWidth, c.screenHeight, 32);
    TestWindow window(c.dialog);
    window.CreateControls();
    SCOPED_TRACE(testing::Message() << c.screenWidth << "x" << c.screenHeight << (c.dialog ? " dialog" : ""));
    const QVRect client = window.GetClientRect();
    EXPECT_EQ(client.Width(), 347);
    EXPECT_EQ(client.Height(), c.clientHeight);
    const QVRect whole = window.GetWindowRect();
    EXPECT_EQ(whole.Left(), (c.screenWidth - whole.Width()) / 2);
    EXPECT_EQ(whole.Top(), (c.screenHeight - whole.Height()) / 2);
    EXPECT_TRUE(window.Visible());
    // Not centred: the client area starts where the window did (the
    // window's rectangle is widened around it).
    window.PlaceWindow(347, 49, false);
    POINT origin{0, 0};
    ClientToScreen(window.GetWnd(), &origin);
    EXPECT_EQ(origin.x, whole.Left());
    EXPECT_EQ(origin.y, whole.Top());
    EXPECT_EQ(window.GetClientRect().Height(), 49);
  }
}

TEST_F(MainWindow, ThePresetMenuListsTheRegistryAndSelectsTheRememberedName)
{
  for (const char* name : {"Alpha", "Beta", "Gamma"})
    apptest::PutBytes(kPresetsKey, name, apptest::DistinctRecord().Bytes());
  struct Case {
    const char* remembered; // null: none
    int32_t selected;
  };
  const Case cases[] = {{"Beta", 3}, {"Default", 0}, {"Gamma", 4}, {"Gone", 0}, {"", 0}, {nullptr, 0}};
  for (const Case& c : cases) {
    apptest::FreshRegistry();
    for (const char* name : {"Alpha", "Beta", "Gamma"})
      apptest::PutBytes(kPresetsKey, name, apptest::DistinctRecord().Bytes());
    if (c.remembered)
      apptest::PutValue(kProductKey, "Current Preset", REG_SZ, c.remembered, std::strlen(c.remembered) + 1);
    TestWindow window;
    window.CreateControls();
    QVMenu* menu = window.m_PresetMenu;
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->GetItemCount(), 5);
    EXPECT_STREQ(menu->GetItemName(0), "Default");
    EXPECT_STREQ(menu->GetItemName(1), "") << "the separator has no text";
    EXPECT_STREQ(menu->GetItemName(2), "Alpha");
    EXPECT_STREQ(menu->GetItemName(4), "Gamma");
    EXPECT_EQ(menu->GetItem(0)->GetControlMessage(), 32);
    EXPECT_EQ(menu->GetItem(1)->GetControlMessage(), 33);
    EXPECT_EQ(menu->GetItem(3)->GetControlMessage(), 1006);
    EXPECT_EQ(menu->GetSelectedNum(), c.selected) << (c.remembered ? c.remembered : "(none)");
  }
}

TEST_F(MainWindow, AChosenRegistryItemIsRememberedByName)
{
  apptest::PutBytes(kPresetsKey, "Warm", apptest::DistinctRecord().Bytes());
  TestWindow window;
  window.CreateControls();
  standin::Pump();
  QVMenu* menu = window.m_PresetMenu;
  // A click on the menu opens it (its release sends 1006 too, so the item
  // selected at that moment is stored again), one on the item chooses it.
  ClickAt(menu->GetWnd(), 5, 5);
  standin::Pump();
  EXPECT_EQ(CurrentPreset(window), "Default");
  ClickAt(menu->GetItem(2)->GetWnd(), 10, 10);
  standin::Pump();
  EXPECT_EQ(menu->GetSelectedNum(), 2);
  EXPECT_EQ(CurrentPreset(window), "Warm");
  EXPECT_EQ(window.commands.back(), (Command{1006, 2, 0}));
}

TEST_F(MainWindow, DeletingItLeavesNoWindowAndNoKeyWindow)
{
  auto* window = new TestWindow;
  window->CreateControls();
  auto image = Image(20, 20);
  window->SetImage(image.get(), false);
  window->m_CorrectedPreview = Image(10, 10).release();
  standin::Pump();
  delete window;
  EXPECT_EQ(QVWindow::m_HotKeyWindow, nullptr);
  EXPECT_EQ(standin::DumpWindowTree(), "(no windows)\n");
  EXPECT_TRUE(image->HasPixels()) << "the current image is not the window's";
}
