// lumivex-host on an X server of the test's own, worked with xdotool as a
// person would: the interactive road's start window and control panel as
// real windows showing the pixels a headless UI script sees, Apply writing
// the corrected photograph, Cancel and a lost display writing nothing, and
// the about window waiting for its click.
#include "lvxtest/testenv.h"
#include "lvxtest/xserver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace {

using lvxtest::Program;
using lvxtest::Window;
using lvxtest::XServer;

// Window frames as the stand-in draws them: the start window's caption
// frame (3-pixel border, 19-pixel caption) and the control panel's sizing
// frame (4-pixel border, 19-pixel caption).
constexpr int kStartLeft = 3, kStartTop = 22;
constexpr int kPanelLeft = 4, kPanelTop = 23, kPanelBottom = 4;

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

std::string Coffee() { return lvxtest::Source("samples/coffee.png"); }

std::vector<std::string> Dialog(const std::string& output)
{
  return {HOST_PATH, "--plugin", LUMIVEXPI_PATH, "--dialog", Coffee(), output};
}

// xdotool words that move to window point (x, y).
std::string To(Window window, int x, int y)
{
  return "mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " + std::to_string(y);
}

// Clicks the start window's Custom button; the control panel it opens, or
// 0 when it did not show.
Window OpenPanel(XServer& server, Program& program)
{
  const Window start = server.WaitForWindow("Tarnwell Corporation");
  EXPECT_NE(start, 0u) << program.Errors();
  if (!start)
    return 0;
  EXPECT_EQ(server.Xdotool(To(start, 92 + kStartLeft, 269 + kStartTop) + " click 1"), 0);
  const Window panel = server.WaitForWindow("Lumivex");
  EXPECT_NE(panel, 0u) << program.Errors();
  return panel;
}

class Interactive : public testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(server.Ok()) << server.Problem(); }
  XServer server;
};

} // namespace

TEST_F(Interactive, APersonsDragShowsTheScriptsPixelsAndApplyWritesTheCorrection)
{
  // The same steps headless, by UI script: the panel's snapshot after the
  // Contrast drag, then Cancel.
  const std::string script = Temp("drag.ui"), reference = Temp("reference.png");
  std::ofstream(script) << "click main 92 269\ndrag panel 140 227 225 227\nsnapshot panel " << reference
                        << "\nclick panel 1090 14\n";
  const std::string command = "LUMIVEX_HEADLESS=1 '" HOST_PATH "' --plugin '" LUMIVEXPI_PATH "' --dialog --ui-script '" +
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
  const Window panel = OpenPanel(server, program);
  ASSERT_NE(panel, 0u);
  std::string drag = To(panel, 140 + kPanelLeft, 227 + kPanelTop) + " mousedown 1";
  for (int x = 148; x < 225; x += 8)
    drag += " " + To(panel, x + kPanelLeft, 227 + kPanelTop);
  drag += " " + To(panel, 225 + kPanelLeft, 227 + kPanelTop) + " mouseup 1";
  ASSERT_EQ(server.Xdotool(drag), 0);
  std::vector<uint32_t> shown;
  std::string why;
  EXPECT_TRUE(server.WaitForPixels(panel, kPanelLeft, kPanelTop, client, width, &shown, &why)) << why;
  std::filesystem::create_directories(lvxtest::BuildDir() + "/snapshots/x11");
  lvxtest::WritePng(lvxtest::BuildDir() + "/snapshots/x11/control-panel.png", shown, width, height);

  // Apply, the menu at the top bar's right end.
  ASSERT_EQ(server.Xdotool(To(panel, 1150 + kPanelLeft, 14 + kPanelTop) + " click 1"), 0);
  EXPECT_EQ(program.Wait(120), 0) << program.Errors();
  int inWidth = 0, inHeight = 0, outWidth = 0, outHeight = 0;
  const std::vector<uint32_t> in = lvxtest::ReadPng(Coffee(), &inWidth, &inHeight);
  const std::vector<uint32_t> out = lvxtest::ReadPng(output, &outWidth, &outHeight);
  ASSERT_FALSE(out.empty()) << program.Errors();
  EXPECT_EQ(outWidth, inWidth);
  EXPECT_NE(out, in) << "the photograph was corrected";
}

TEST_F(Interactive, CancelWritesNothing)
{
  const std::string output = Temp("cancelled.png");
  Program program(Dialog(output), server);
  const Window panel = OpenPanel(server, program);
  ASSERT_NE(panel, 0u);
  ASSERT_EQ(server.Xdotool(To(panel, 1090 + kPanelLeft, 14 + kPanelTop) + " click 1"), 0);
  EXPECT_EQ(program.Wait(120), 1) << program.Errors();
  EXPECT_FALSE(Exists(output));
}

TEST_F(Interactive, LosingTheDisplayEndsTheRunAsACancel)
{
  const std::string output = Temp("lost.png");
  Program program(Dialog(output), server);
  ASSERT_NE(server.WaitForWindow("Tarnwell Corporation"), 0u) << program.Errors();
  server.Kill();
  EXPECT_EQ(program.Wait(30), 1) << program.Errors();
  EXPECT_FALSE(Exists(output));
}

TEST_F(Interactive, TheAboutWindowWaitsForItsClick)
{
  Program program({HOST_PATH, "--plugin", LUMIVEXPI_PATH, "--about"}, server);
  const Window about = server.WaitForWindow("");
  ASSERT_NE(about, 0u) << program.Errors();
  int width = 0, height = 0;
  ASSERT_TRUE(server.Size(about, &width, &height));
  ASSERT_EQ(server.Xdotool(To(about, width / 2, height / 2) + " click 1"), 0);
  EXPECT_EQ(program.Wait(), 0) << program.Errors();
}
