// The stand-in's dialogs on an X server of the test's own, worked with
// xdotool as a person would, on a bare server and under a reparenting
// window manager: a preset exported through the real save dialog by typing
// an absolute path and Enter, and the "Alert!" message box answered with
// Enter and with Esc, or ended by Ctrl-C or the loss of the display; and a
// UI script that works the real save dialog by its title. Under a manager
// each dialog is one framed window with the manager's title bar alone; on
// both it is transient for its owner, above it and has the keyboard's
// focus.
#include "lvxtest/testenv.h"
#include "lvxtest/xserver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using lvxtest::Manager;
using lvxtest::Program;
using lvxtest::Window;
using lvxtest::XServer;

// Window frames as the stand-in draws them: the start window's and the
// dialogs' caption frame (3-pixel border, 19-pixel caption), the control
// panel's sizing frame (4-pixel border, 19-pixel caption). Under a window
// manager the X window shows the client area alone.
constexpr int kFrameLeft = 3, kFrameTop = 22;
constexpr int kPanelLeft = 4, kPanelTop = 23;
// xdotool words that move the pointer to the screen's bottom right corner,
// where no window is.
constexpr char kNowhere[] = "mousemove 1275 1019";
// The colour of the stand-in's caption while its window is active, and of
// a dialog's face.
constexpr uint32_t kActiveCaption = 0x000080, kFaceGrey = 0xC0C0C0;

// The file's size once it reaches `size` bytes within `seconds`; else the
// last size seen (-1: missing).
long WaitForSize(const std::string& path, long size, double seconds = 60)
{
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(long(seconds * 1000));
  long seen = -1;
  do {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    seen = error ? -1 : long(bytes);
    if (seen == size)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (std::chrono::steady_clock::now() < deadline);
  return seen;
}

std::vector<std::string> Dialog(const std::vector<std::string>& options = {})
{
  std::vector<std::string> argv{HOST_PATH, "--plugin", LUMIVEX_PI_PATH, "--dialog"};
  argv.insert(argv.end(), options.begin(), options.end());
  argv.push_back(lvxtest::Source("samples/coffee.png"));
  argv.push_back(lvxtest::TempDir() + "/unused.png");
  return argv;
}

class Dialogs : public testing::TestWithParam<Manager> {
protected:
  Dialogs() : server(GetParam()) {}
  void SetUp() override { ASSERT_TRUE(server.Ok()) << server.Problem(); }

  // xdotool words that move to client point (x, y) of a window whose
  // stand-in frame has the insets given (none shows under a manager).
  std::string At(Window window, int x, int y, int frameLeft = kFrameLeft, int frameTop = kFrameTop) const
  {
    if (server.Managed())
      frameLeft = frameTop = 0;
    return "mousemove --window " + std::to_string(window) + " " + std::to_string(x + frameLeft) + " " +
           std::to_string(y + frameTop);
  }
  bool Click(Window window, int x, int y) { return server.Xdotool(At(window, x, y) + " click 1") == 0; }
  bool ClickPanel(Window panel, int x, int y)
  {
    return server.Xdotool(At(panel, x, y, kPanelLeft, kPanelTop) + " click 1") == 0;
  }

  // How many pixels of the window's top 22 rows show the stand-in's
  // active caption, once the face of the stand-in's dialog shows there
  // too (the window is drawn).
  size_t CaptionPixels(Window window)
  {
    int width = 0, height = 0;
    std::vector<uint32_t> top;
    for (int look = 0; look < 500 && server.Size(window, &width, &height); ++look) {
      top = server.Grab(window, 0, 0, width, std::min(height, kFrameTop));
      if (std::count(top.begin(), top.end(), kFaceGrey) > 0)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return size_t(std::count(top.begin(), top.end(), kActiveCaption));
  }

  // A window shows with one title bar: the stand-in's own on a bare
  // server, the manager's alone under a manager.
  void ExpectOneTitleBar(Window dialog)
  {
    if (server.Managed())
      EXPECT_EQ(CaptionPixels(dialog), 0u) << "the manager's title bar is the only one";
    else
      EXPECT_GT(CaptionPixels(dialog), 0u) << "the stand-in draws the caption";
  }

  // A window is transient for `owner` (its nearest owner on the display,
  // when it has one), above it and has the keyboard's focus; under a
  // manager it is framed.
  void ExpectInFrontOf(Window window, Window owner)
  {
    if (server.Managed()) {
      EXPECT_TRUE(server.Framed(window));
    }
    if (owner) {
      EXPECT_EQ(server.TransientFor(window), owner);
      EXPECT_TRUE(server.WaitUntilAbove(window, owner, 10));
    }
    EXPECT_TRUE(server.WaitForFocus(window, 10));
  }

  std::string Snapshot(const std::string& name) const
  {
    std::filesystem::create_directories(lvxtest::BuildDir() + "/snapshots/x11");
    return lvxtest::BuildDir() + "/snapshots/x11/" + name +
           (server.Managed() ? "-" + lvxtest::ManagerName(GetParam()) : "") + ".png";
  }

  XServer server;
};

} // namespace

TEST_P(Dialogs, APresetIsExportedThroughTheRealSaveDialogByTypingAnAbsolutePath)
{
  const std::string exported = lvxtest::TempDir() + "/exported-by-hand-" + lvxtest::ManagerName(GetParam());
  Program program(Dialog(), server);
  const Window start = server.WaitForWindow("Tarnwell Corporation");
  ASSERT_NE(start, 0u) << program.Errors();
  if (server.Managed()) {
    ASSERT_TRUE(server.WaitForSize(start, 347, 290)) << "framed by the manager";
  }
  ASSERT_TRUE(Click(start, 92, 269)); // Custom
  const Window panel = server.WaitForWindow("Lumivex");
  ASSERT_NE(panel, 0u) << program.Errors();
  // The presets menu (75 x 25 at 50, 110), then its third row, "Edit Preset",
  // in the popup under it (rows of 25 from 2 down).
  ASSERT_TRUE(ClickPanel(panel, 80, 122));
  ASSERT_TRUE(ClickPanel(panel, 90, 135 + 2 + 50 + 11));
  const Window manager = server.WaitForWindow("Preset Manager");
  ASSERT_NE(manager, 0u) << program.Errors();
  ExpectInFrontOf(manager, panel);
  // Export, the fourth button (80 x 22 from 310, 240), on the current row "Default".
  ASSERT_TRUE(Click(manager, 350, 251));
  const Window save = server.WaitForWindow("Save this preset");
  ASSERT_NE(save, 0u) << program.Errors();
  // The Preset Manager hides while its file dialog is up: the dialog
  // belongs to the panel on the display.
  ExpectInFrontOf(save, panel);
  ExpectOneTitleBar(save);
  int width = 0, height = 0;
  ASSERT_TRUE(server.Size(save, &width, &height));
  const std::vector<uint32_t> shown = server.Grab(save, 0, 0, 0, 0);
  EXPECT_FALSE(shown.empty());
  lvxtest::WritePng(Snapshot("save-dialog"), shown, width, height);
  // The name field has the focus and its text is selected: typing replaces
  // it, wherever the pointer is.
  ASSERT_EQ(server.Xdotool(std::string(kNowhere) + " type --delay 20 '" + exported + "'"), 0);
  ASSERT_EQ(server.Xdotool("key Return"), 0);
  EXPECT_EQ(WaitForSize(exported + ".cxp", 64), 64) << "the default extension is added\n" << program.Errors();
  EXPECT_TRUE(server.WaitUntilUnmapped(save));
  // Done, then the panel's Cancel.
  ASSERT_TRUE(Click(manager, 450, 251));
  EXPECT_TRUE(server.WaitUntilUnmapped(manager));
  ASSERT_TRUE(ClickPanel(panel, 1090, 14));
  EXPECT_EQ(program.Wait(120), 1) << program.Errors();
  EXPECT_NE(program.Errors().find("GetSaveFileName \"Save this preset\": " + exported + ".cxp"), std::string::npos)
      << program.Errors();
  EXPECT_EQ(program.Errors().find("X error"), std::string::npos) << program.Errors();
}

TEST_P(Dialogs, TheAlertBoxIsOnTheDisplayAndEnterOrEscAnswersIt)
{
  for (const char* key : {"Return", "Escape"}) {
    // The keys reach the box wherever the pointer is.
    ASSERT_EQ(server.Xdotool(kNowhere), 0);
    // A screen below 800 x 600 makes LumivexPI say so and quit.
    Program program(Dialog({"--screen", "640x480x32"}), server);
    const Window alert = server.WaitForWindow("Alert!");
    ASSERT_NE(alert, 0u) << program.Errors();
    // The box has no owner: nothing to be transient for.
    ExpectInFrontOf(alert, 0);
    ExpectOneTitleBar(alert);
    int width = 0, height = 0;
    ASSERT_TRUE(server.Size(alert, &width, &height));
    EXPECT_GT(width, 300) << "the one line of text fits beside the icon";
    lvxtest::WritePng(Snapshot("alert"), server.Grab(alert, 0, 0, 0, 0), width, height);
    ASSERT_EQ(server.Xdotool(std::string("key ") + key), 0);
    EXPECT_TRUE(server.WaitUntilUnmapped(alert)) << key;
    EXPECT_EQ(program.Wait(60), 1) << key << "\n" << program.Errors();
    EXPECT_NE(program.Errors().find("Alert!: Lumivex requires a minimum 800x600 resolution."), std::string::npos);
  }
}

TEST_P(Dialogs, CtrlCOrALostDisplayWhileTheAlertBoxIsUpEndsIt)
{
  for (const bool interrupt : {true, false}) {
    Program program(Dialog({"--screen", "640x480x32"}), server);
    ASSERT_NE(server.WaitForWindow("Alert!"), 0u) << program.Errors();
    if (interrupt)
      program.Signal(SIGINT); // the box closes, and the run ends as interrupted
    else
      server.Kill(); // the box ends as cancelled
    EXPECT_EQ(program.Wait(30), interrupt ? 130 : 1) << program.Errors();
  }
}

TEST_P(Dialogs, AUIScriptWorksTheRealSaveDialogByItsTitle)
{
  const std::string exported = lvxtest::TempDir() + "/exported-by-script-" + lvxtest::ManagerName(GetParam()) + ".cxp";
  const std::string snapshot = lvxtest::TempDir() + "/save-dialog-scripted.png";
  const std::string script = lvxtest::TempDir() + "/export.ui";
  std::ofstream(script) << "click main 92 269\n"
                           "click panel 80 122\n"
                           "click panel 90 198\n"
                           "click \"Preset Manager\" 350 251\n"
                           "snapshot \"Save this preset\" "
                        << snapshot << "\ntype " << exported
                        << "\nkey press Enter\n"
                           "click \"Preset Manager\" 450 251\n"
                           "click panel 1090 14\n";
  Program program(Dialog({"--ui-script", script}), server);
  EXPECT_EQ(program.Wait(120), 1) << program.Errors();
  std::error_code missing;
  EXPECT_EQ(std::filesystem::file_size(exported, missing), 64u) << program.Errors();
  EXPECT_GT(std::filesystem::file_size(snapshot, missing), 0u) << "the dialog was found by its title";
}

// Under a window manager only.
class ManagedDialogs : public Dialogs {};

TEST_P(ManagedDialogs, TheFocusParkedOnTheManagersOwnWindowLeavesTheDialogActive)
{
  const std::string exported = lvxtest::TempDir() + "/exported-after-parking.cxp";
  Program program(Dialog(), server);
  const Window start = server.WaitForWindow("Tarnwell Corporation");
  ASSERT_NE(start, 0u) << program.Errors();
  ASSERT_TRUE(server.WaitForSize(start, 347, 290)) << "framed by the manager";
  ASSERT_TRUE(Click(start, 92, 269)); // Custom
  const Window panel = server.WaitForWindow("Lumivex");
  ASSERT_NE(panel, 0u) << program.Errors();
  ASSERT_TRUE(ClickPanel(panel, 80, 122));
  ASSERT_TRUE(ClickPanel(panel, 90, 198)); // Edit Preset
  const Window manager = server.WaitForWindow("Preset Manager");
  ASSERT_NE(manager, 0u) << program.Errors();
  ASSERT_TRUE(Click(manager, 350, 251)); // Export
  const Window save = server.WaitForWindow("Save this preset");
  ASSERT_NE(save, 0u) << program.Errors();
  ASSERT_TRUE(server.WaitForFocus(save, 10));
  // A manager passing the focus on parks it on its own window for a while
  // (openbox does when a window is hidden): no application took it, so
  // the dialog stays the active window and keeps the keys sent to it.
  ASSERT_NE(server.ManagerWindow(), 0u);
  server.SetFocus(server.ManagerWindow());
  ASSERT_EQ(server.Xdotool("type --window " + std::to_string(save) + " --delay 20 '" + exported + "'"), 0);
  ASSERT_EQ(server.Xdotool("key --window " + std::to_string(save) + " Return"), 0);
  ASSERT_EQ(WaitForSize(exported, 64, 20), 64) << program.Errors();
  ASSERT_TRUE(Click(manager, 450, 251));    // Done
  ASSERT_TRUE(ClickPanel(panel, 1090, 14)); // Cancel
  EXPECT_EQ(program.Wait(120), 1) << program.Errors();
}

INSTANTIATE_TEST_SUITE_P(Managers, ManagedDialogs, testing::Values(Manager::Openbox),
                         [](const testing::TestParamInfo<Manager>& info) { return lvxtest::ManagerName(info.param); });

INSTANTIATE_TEST_SUITE_P(Desktops, Dialogs, testing::Values(Manager::Bare, Manager::Openbox),
                         [](const testing::TestParamInfo<Manager>& info) { return lvxtest::ManagerName(info.param); });
