// lumivex-host on an X server of the test's own, worked with xdotool as a
// person would, on a bare server and under a reparenting window manager:
// the interactive road's start window and control panel as real windows
// showing the pixels a headless UI script sees, Apply writing the
// corrected photograph, Cancel and a lost display writing nothing, a typed
// letter outside ASCII reaching a preset's name, an X protocol error
// leaving the run going, the about window waiting for its click, and the
// windows coming on the screen when a manager starts with the program.
#include "lvxtest/testenv.h"
#include "lvxtest/xserver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace {

using lvxtest::Manager;
using lvxtest::Program;
using lvxtest::Window;
using lvxtest::XServer;

// Window frames as the stand-in draws them: the start window's and the
// "Save Preset" dialog's caption frame (3-pixel border, 19-pixel caption)
// and the control panel's sizing frame (4-pixel border, 19-pixel caption).
// Under a window manager the X window shows the client area alone.
constexpr int kCaptionLeft = 3, kCaptionTop = 22;
constexpr int kPanelLeft = 4, kPanelTop = 23, kPanelBottom = 4;
// The start window's client size.
constexpr int kStartWidth = 347, kStartHeight = 290;
// The control panel's top bar: its "Cancel" and "Apply" menus.
struct Point {
  int x, y;
};
constexpr Point kCancel{1090, 14}, kApply{1150, 14};

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

std::string Coffee() { return lvxtest::Source("samples/coffee.png"); }

std::vector<std::string> Dialog(const std::string& output)
{
  return {HOST_PATH, "--plugin", LUMIVEXPI_PATH, "--dialog", Coffee(), output};
}

size_t Count(const std::string& text, const std::string& part)
{
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++n;
  return n;
}

class Interactive : public testing::TestWithParam<Manager> {
protected:
  Interactive() : server(GetParam()) {}
  explicit Interactive(Manager manager) : server(manager) {}
  void SetUp() override { ASSERT_TRUE(server.Ok()) << server.Problem(); }

  // xdotool words that move to client point (x, y) of a window whose
  // stand-in frame has the insets given (none shows under a manager).
  std::string At(Window window, int x, int y, int frameLeft = kCaptionLeft, int frameTop = kCaptionTop) const
  {
    if (server.Managed())
      frameLeft = frameTop = 0;
    return "mousemove --window " + std::to_string(window) + " " + std::to_string(x + frameLeft) + " " +
           std::to_string(y + frameTop);
  }
  std::string InPanel(Window panel, int x, int y) const { return At(panel, x, y, kPanelLeft, kPanelTop); }
  // Clicks the panel at client point p; false when xdotool failed.
  bool ClickPanel(Window panel, Point p) { return server.Xdotool(InPanel(panel, p.x, p.y) + " click 1") == 0; }
  // Leaves the run through a menu of the panel's top bar: the program's
  // exit status (-1 when it did not end).
  int Leave(Program& program, Window panel, Point menu)
  {
    EXPECT_TRUE(ClickPanel(panel, menu));
    return program.Wait(120);
  }

  // Clicks the start window's Custom button; the control panel it opens,
  // or 0 when it did not show.
  Window OpenPanel(Program& program)
  {
    const Window start = server.WaitForWindow("Tarnwell Corporation");
    EXPECT_NE(start, 0u) << program.Errors();
    if (!start)
      return 0;
    // The X window shows the client area alone once a manager framed it.
    if (server.Managed()) {
      EXPECT_TRUE(server.WaitForSize(start, kStartWidth, kStartHeight)) << program.Errors();
    }
    EXPECT_EQ(server.Xdotool(At(start, 92, 269) + " click 1"), 0);
    const Window panel = server.WaitForWindow("Lumivex");
    EXPECT_NE(panel, 0u) << program.Errors();
    return panel;
  }

  XServer server;
};

} // namespace

TEST_P(Interactive, APersonsDragShowsTheScriptsPixelsAndApplyWritesTheCorrection)
{
  // The same steps headless, by UI script: the panel's snapshot after the
  // Contrast drag, then Cancel.
  const std::string script = Temp("drag.ui"), reference = Temp("reference.png");
  std::ofstream(script) << "click main 92 269\ndrag panel 140 227 225 227\nsnapshot panel " << reference
                        << "\nclick panel 1090 14\n";
  const std::string command = "LUMIVEX_HEADLESS=1 '" HOST_PATH "' --plugin '" LUMIVEXPI_PATH
                              "' --dialog --ui-script '" +
                              script + "' '" + Coffee() + "' '" + Temp("scripted.png") + "' 2>/dev/null";
  const int scripted = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(scripted) && WEXITSTATUS(scripted) == 1) << "the scripted run is cancelled";
  int wholeWidth = 0, wholeHeight = 0;
  const std::vector<uint32_t> whole = lvxtest::ReadPng(reference, &wholeWidth, &wholeHeight);
  ASSERT_FALSE(whole.empty());
  // Its client area: the panel reaches past the screen's edges by its frame.
  const int width = wholeWidth - 2 * kPanelLeft, height = wholeHeight - kPanelTop - kPanelBottom;
  std::vector<uint32_t> client;
  for (int y = 0; y < height; ++y)
    client.insert(client.end(), whole.begin() + (y + kPanelTop) * wholeWidth + kPanelLeft,
                  whole.begin() + (y + kPanelTop) * wholeWidth + kPanelLeft + width);

  const std::string output = Temp("out.png");
  Program program(Dialog(output), server);
  const Window panel = OpenPanel(program);
  ASSERT_NE(panel, 0u);
  std::string drag = InPanel(panel, 140, 227) + " mousedown 1";
  for (int x = 148; x < 225; x += 8)
    drag += " " + InPanel(panel, x, 227);
  drag += " " + InPanel(panel, 225, 227) + " mouseup 1";
  ASSERT_EQ(server.Xdotool(drag), 0);
  // The same client pixels on a bare server and inside a manager's frame.
  std::vector<uint32_t> shown;
  std::string why;
  const int left = server.Managed() ? 0 : kPanelLeft, top = server.Managed() ? 0 : kPanelTop;
  EXPECT_TRUE(server.WaitForPixels(panel, left, top, client, width, &shown, &why)) << why;
  std::filesystem::create_directories(lvxtest::BuildDir() + "/snapshots/x11");
  const std::string name = server.Managed() ? "control-panel-" + lvxtest::ManagerName(GetParam()) : "control-panel";
  lvxtest::WritePng(lvxtest::BuildDir() + "/snapshots/x11/" + name + ".png", shown, width, height);

  EXPECT_EQ(Leave(program, panel, kApply), 0) << program.Errors();
  int inWidth = 0, inHeight = 0, outWidth = 0, outHeight = 0;
  const std::vector<uint32_t> in = lvxtest::ReadPng(Coffee(), &inWidth, &inHeight);
  const std::vector<uint32_t> out = lvxtest::ReadPng(output, &outWidth, &outHeight);
  ASSERT_FALSE(out.empty()) << program.Errors();
  EXPECT_EQ(outWidth, inWidth);
  EXPECT_NE(out, in) << "the photograph was corrected";
  EXPECT_EQ(program.Errors().find("X error"), std::string::npos) << program.Errors();
}

TEST_P(Interactive, CancelWritesNothing)
{
  const std::string output = Temp("cancelled.png");
  Program program(Dialog(output), server);
  const Window panel = OpenPanel(program);
  ASSERT_NE(panel, 0u);
  EXPECT_EQ(Leave(program, panel, kCancel), 1) << program.Errors();
  EXPECT_FALSE(Exists(output));
}

TEST_P(Interactive, ATypedLetterOutsideAsciiArrivesInAPresetName)
{
  // A key of the keyboard types "ü" and, with Shift, "Ü", as on a German
  // layout.
  ASSERT_TRUE(server.AddKey("udiaeresis", "Udiaeresis"));
  Program program(Dialog(Temp("named.png")), server);
  const Window panel = OpenPanel(program);
  ASSERT_NE(panel, 0u);
  // The "Presets" menu, then its "Save Preset" item.
  ASSERT_TRUE(ClickPanel(panel, {60, 110}));
  ASSERT_TRUE(ClickPanel(panel, {100, 147}));
  const Window dialog = server.WaitForWindow("Save Preset");
  ASSERT_NE(dialog, 0u) << program.Errors();
  // Into the name field (the pointer stays over the dialog, which keeps the
  // keys on a server without a manager), then OK.
  ASSERT_EQ(server.Xdotool(At(dialog, 90, 50) + " click 1 type --delay 30 Über"), 0);
  ASSERT_EQ(server.Xdotool(At(dialog, 60, 80) + " click 1"), 0);
  ASSERT_TRUE(server.WaitUntilUnmapped(dialog)) << program.Errors();
  EXPECT_EQ(Leave(program, panel, kCancel), 1) << program.Errors();
  // The registry file keeps the name's Windows-1252 bytes (0xDC is "Ü").
  const std::string registry = lvxtest::FileContents(Temp("registry"));
  EXPECT_NE(registry.find("value \"\\xdcber\" binary"), std::string::npos) << registry;
}

TEST_P(Interactive, AProtocolErrorIsReportedOnceAndTheRunGoesOn)
{
  // A manager's check window that no longer exists, as a crashed manager
  // leaves it: every look at it is a BadWindow error.
  server.SetRootWindowProperty("_NET_SUPPORTING_WM_CHECK", 0x7fff0001);
  const std::string output = Temp("errors.png");
  Program program(Dialog(output), server);
  // A manager that framed the windows is known by the framing alone.
  const Window panel = OpenPanel(program);
  ASSERT_NE(panel, 0u);
  EXPECT_EQ(Leave(program, panel, kApply), 0) << program.Errors();
  EXPECT_TRUE(Exists(output));
  const std::string errors = program.Errors();
  EXPECT_EQ(Count(errors, "X error: "), 1u) << errors;
  EXPECT_NE(errors.find("BadWindow"), std::string::npos) << errors;
  EXPECT_NE(errors.find("GetProperty"), std::string::npos) << "the request is named: " << errors;
}

TEST_P(Interactive, LosingTheDisplayEndsTheRunAsACancel)
{
  const std::string output = Temp("lost.png");
  Program program(Dialog(output), server);
  ASSERT_NE(server.WaitForWindow("Tarnwell Corporation"), 0u) << program.Errors();
  server.Kill();
  EXPECT_EQ(program.Wait(30), 1) << program.Errors();
  EXPECT_FALSE(Exists(output));
}

TEST_P(Interactive, TheAboutWindowWaitsForItsClick)
{
  Program program({HOST_PATH, "--plugin", LUMIVEXPI_PATH, "--about"}, server);
  const Window about = server.WaitForWindow("");
  ASSERT_NE(about, 0u) << program.Errors();
  int width = 0, height = 0;
  ASSERT_TRUE(server.Size(about, &width, &height));
  // A splash window shows whole, without a manager's frame.
  EXPECT_EQ(width, 331);
  EXPECT_EQ(height, 486);
  ASSERT_EQ(server.Xdotool("mousemove --window " + std::to_string(about) + " " + std::to_string(width / 2) + " " +
                           std::to_string(height / 2) + " click 1"),
            0);
  EXPECT_EQ(program.Wait(), 0) << program.Errors();
}

TEST_P(Interactive, LosingTheDisplayBeforeTheAboutWindowWasClickedIsNoSuccess)
{
  Program program({HOST_PATH, "--plugin", LUMIVEXPI_PATH, "--about"}, server);
  ASSERT_NE(server.WaitForWindow(""), 0u) << program.Errors();
  server.Kill();
  EXPECT_EQ(program.Wait(30), 1) << program.Errors();
  EXPECT_NE(program.Errors().find("the display was lost"), std::string::npos) << program.Errors();
}

// A program started while the window manager starts: the server begins
// bare, the first request to map a window is dropped as a manager in its
// first moments may drop it, and then the manager of the test's parameter
// (none for bare) starts.
class ManagerStartingWithTheProgram : public Interactive {
protected:
  ManagerStartingWithTheProgram() : Interactive(Manager::Bare) {}
};

TEST_P(ManagerStartingWithTheProgram, TheWindowsStillComeOnTheScreen)
{
  Program program(Dialog(Temp("late.png")), server);
  ASSERT_TRUE(server.DropMapRequests()) << program.Errors();
  if (GetParam() != Manager::Bare) {
    ASSERT_TRUE(server.StartManager(GetParam())) << server.Problem();
  }
  // The start window shows (framed by the manager, at its client size,
  // where there is one), and the run goes on as usual.
  const Window panel = OpenPanel(program);
  ASSERT_NE(panel, 0u);
  if (server.Managed()) {
    EXPECT_TRUE(server.Framed(panel));
  }
  EXPECT_EQ(Leave(program, panel, kCancel), 1) << program.Errors();
}

INSTANTIATE_TEST_SUITE_P(Desktops, ManagerStartingWithTheProgram, testing::Values(Manager::Bare, Manager::Openbox),
                         [](const testing::TestParamInfo<Manager>& info) { return lvxtest::ManagerName(info.param); });

INSTANTIATE_TEST_SUITE_P(Desktops, Interactive, testing::Values(Manager::Bare, Manager::Openbox),
                         [](const testing::TestParamInfo<Manager>& info) { return lvxtest::ManagerName(info.param); });
