// The stand-in's dialogs on an X server of the test's own, worked with
// xdotool as a person would: a preset exported through the real save
// dialog by typing an absolute path and Enter, and the "Alert!" message box
// answered with Enter and with Esc, or ended by the loss of the display;
// and a UI script that works the real save dialog by its title.
#include "lvxtest/testenv.h"
#include "lvxtest/xserver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using lvxtest::Program;
using lvxtest::Window;
using lvxtest::XServer;

// Window frames as the stand-in draws them: the start window's and the
// dialogs' caption frame (3-pixel border, 19-pixel caption), the control
// panel's sizing frame (4-pixel border, 19-pixel caption).
constexpr int kFrameLeft = 3, kFrameTop = 22;
constexpr int kPanelLeft = 4, kPanelTop = 23;

std::string To(Window window, int x, int y)
{
  return "mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " + std::to_string(y);
}

// Clicks a point of a window's client area, below a frame of that size.
int ClickClient(XServer& server, Window window, int left, int top, int x, int y)
{
  return server.Xdotool(To(window, left + x, top + y) + " click 1");
}

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

class Dialogs : public testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(server.Ok()) << server.Problem(); }
  XServer server;
};

} // namespace

TEST_F(Dialogs, APresetIsExportedThroughTheRealSaveDialogByTypingAnAbsolutePath)
{
  const std::string exported = lvxtest::TempDir() + "/exported-by-hand";
  Program program({HOST_PATH, "--plugin", LUMIVEX_PI_PATH, "--dialog", lvxtest::Source("samples/coffee.png"),
                   lvxtest::TempDir() + "/unused.png"},
                  server);
  const Window start = server.WaitForWindow("Tarnwell Corporation");
  ASSERT_NE(start, 0u) << program.Errors();
  ASSERT_EQ(ClickClient(server, start, kFrameLeft, kFrameTop, 92, 269), 0); // Custom
  const Window panel = server.WaitForWindow("Lumivex");
  ASSERT_NE(panel, 0u) << program.Errors();
  // The presets menu (75 x 25 at 50, 110), then its third row, "Edit Preset",
  // in the popup under it (rows of 25 from 2 down).
  ASSERT_EQ(ClickClient(server, panel, kPanelLeft, kPanelTop, 80, 122), 0);
  ASSERT_EQ(ClickClient(server, panel, kPanelLeft, kPanelTop, 90, 135 + 2 + 50 + 11), 0);
  const Window manager = server.WaitForWindow("Preset Manager");
  ASSERT_NE(manager, 0u) << program.Errors();
  // Export, the fourth button (80 x 22 from 310, 240), on the current row "Default".
  ASSERT_EQ(ClickClient(server, manager, kFrameLeft, kFrameTop, 350, 251), 0);
  const Window save = server.WaitForWindow("Save this preset");
  ASSERT_NE(save, 0u) << program.Errors();
  int width = 0, height = 0;
  ASSERT_TRUE(server.Size(save, &width, &height));
  std::filesystem::create_directories(lvxtest::BuildDir() + "/snapshots/x11");
  const std::vector<uint32_t> shown = server.Grab(save, 0, 0, 0, 0);
  EXPECT_FALSE(shown.empty());
  lvxtest::WritePng(lvxtest::BuildDir() + "/snapshots/x11/save-dialog.png", shown, width, height);
  // The name field has the focus and its text is selected: typing replaces it.
  ASSERT_EQ(server.Xdotool(To(save, width / 2, height / 2) + " type --delay 20 '" + exported + "'"), 0);
  ASSERT_EQ(server.Xdotool("key Return"), 0);
  EXPECT_EQ(WaitForSize(exported + ".cxp", 64), 64) << "the default extension is added\n" << program.Errors();
  EXPECT_TRUE(server.WaitUntilUnmapped(save));
  // Done, then the panel's Cancel.
  ASSERT_EQ(ClickClient(server, manager, kFrameLeft, kFrameTop, 450, 251), 0);
  EXPECT_TRUE(server.WaitUntilUnmapped(manager));
  ASSERT_EQ(ClickClient(server, panel, kPanelLeft, kPanelTop, 1090, 14), 0);
  EXPECT_EQ(program.Wait(120), 1) << program.Errors();
  EXPECT_NE(program.Errors().find("GetSaveFileName \"Save this preset\": " + exported + ".cxp"), std::string::npos)
      << program.Errors();
}

TEST_F(Dialogs, TheAlertBoxIsOnTheDisplayAndEnterOrEscAnswersIt)
{
  for (const char* key : {"Return", "Escape"}) {
    // A screen below 800 x 600 makes LumivexPI say so and quit.
    Program program({HOST_PATH, "--plugin", LUMIVEX_PI_PATH, "--screen", "640x480x32", "--dialog",
                     lvxtest::Source("samples/coffee.png"), lvxtest::TempDir() + "/unused.png"},
                    server);
    const Window alert = server.WaitForWindow("Alert!");
    ASSERT_NE(alert, 0u) << program.Errors();
    int width = 0, height = 0;
    ASSERT_TRUE(server.Size(alert, &width, &height));
    EXPECT_GT(width, 300) << "the one line of text fits beside the icon";
    ASSERT_EQ(server.Xdotool(To(alert, width / 2, 10) + " key " + key), 0);
    EXPECT_TRUE(server.WaitUntilUnmapped(alert)) << key;
    EXPECT_EQ(program.Wait(60), 1) << key << "\n" << program.Errors();
    EXPECT_NE(program.Errors().find("Alert!: Lumivex requires a minimum 800x600 resolution."), std::string::npos);
  }
}

TEST_F(Dialogs, LosingTheDisplayWhileTheAlertBoxIsUpEndsItAsCancelled)
{
  Program program({HOST_PATH, "--plugin", LUMIVEX_PI_PATH, "--screen", "640x480x32", "--dialog",
                   lvxtest::Source("samples/coffee.png"), lvxtest::TempDir() + "/unused.png"},
                  server);
  ASSERT_NE(server.WaitForWindow("Alert!"), 0u) << program.Errors();
  server.Kill();
  EXPECT_EQ(program.Wait(30), 1) << program.Errors();
}

TEST_F(Dialogs, AUIScriptWorksTheRealSaveDialogByItsTitle)
{
  const std::string exported = lvxtest::TempDir() + "/exported-by-script.cxp";
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
  Program program({HOST_PATH, "--plugin", LUMIVEX_PI_PATH, "--dialog", "--ui-script", script,
                   lvxtest::Source("samples/coffee.png"), lvxtest::TempDir() + "/unused.png"},
                  server);
  EXPECT_EQ(program.Wait(120), 1) << program.Errors();
  std::error_code missing;
  EXPECT_EQ(std::filesystem::file_size(exported, missing), 64u) << program.Errors();
  EXPECT_GT(std::filesystem::file_size(snapshot, missing), 0u) << "the dialog was found by its title";
}
