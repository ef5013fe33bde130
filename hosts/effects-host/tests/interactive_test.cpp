// effects-host --interactive on an X server of the test's own, worked with
// xdotool as a person would, on a bare server and under a reparenting
// window manager: the panel and preview are real windows showing the same
// client pixels as headless snapshots, a dragged slider and Apply write the
// result, a close box or the window manager's close write nothing, and
// losing the display or SIGTERM ends the run as a cancel.
#include "lvxtest/testenv.h"
#include "lvxtest/xserver.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sys/stat.h>

namespace {

using lvxtest::Manager;
using lvxtest::Program;
using lvxtest::Window;
using lvxtest::XServer;

// The captioned framework window's frame: a 3-pixel border and a 19-pixel
// caption, so client point (x, y) lies at window point (x + 3, y + 22) on a
// bare server; under a window manager the X window is the client area.
constexpr int kLeft = 3, kTop = 22;

bool Exists(const std::string& path)
{
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

std::string Coffee() { return lvxtest::Source("samples/coffee.png"); }

std::vector<std::string> Arguments(const std::string& output, const std::vector<std::string>& more = {})
{
  std::vector<std::string> argv{EFFECTS_HOST, "--interactive"};
  argv.insert(argv.end(), more.begin(), more.end());
  argv.insert(argv.end(), {"Despeckle", Coffee(), output});
  return argv;
}

class Interactive : public testing::TestWithParam<Manager> {
protected:
  Interactive() : server(GetParam()) {}
  void SetUp() override { ASSERT_TRUE(server.Ok()) << server.Problem(); }

  // The frame's share of the X window's left and top.
  int Left() const { return server.Managed() ? 0 : kLeft; }
  int Top() const { return server.Managed() ? 0 : kTop; }
  // xdotool words that move to client point (x, y) of the window.
  std::string At(Window window, int x, int y) const
  {
    return "mousemove --window " + std::to_string(window) + " " + std::to_string(x + Left()) + " " +
           std::to_string(y + Top());
  }

  XServer server;
};

} // namespace

TEST_P(Interactive, TheWindowsShowTheHeadlessPixelsAndADragThenApplyWritesTheResult)
{
  // The headless picture of the panel as it first shows.
  const std::string headless = Temp("headless");
  const std::string command = "LUMIVEX_HEADLESS=1 '" EFFECTS_HOST "' --snapshot '" + headless + "' Despeckle '" +
                              Coffee() + "' '" + Temp("headless.png") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  int wholeWidth = 0, wholeHeight = 0;
  const std::vector<uint32_t> whole = lvxtest::ReadPng(headless + "/panel.png", &wholeWidth, &wholeHeight);
  ASSERT_FALSE(whole.empty());
  // What the X window shows: all of it on a bare server, the client area
  // (inside a 3-pixel border) under a manager.
  const int left = server.Managed() ? kLeft : 0, top = server.Managed() ? kTop : 0;
  const int width = wholeWidth - 2 * left, height = wholeHeight - top - left;
  std::vector<uint32_t> expected;
  for (int y = 0; y < height; ++y)
    expected.insert(expected.end(), whole.begin() + (y + top) * wholeWidth + left,
                    whole.begin() + (y + top) * wholeWidth + left + width);

  const std::string output = Temp("out.png"), report = Temp("report.txt");
  Program program(Arguments(output, {"--report", report}), server);
  const Window panel = server.WaitForWindow("Despeckle");
  ASSERT_NE(panel, 0u) << program.Errors();
  ASSERT_NE(server.WaitForWindow("Preview"), 0u) << program.Errors();
  // The pixels arrive as the loop pushes them; they must come to match.
  std::vector<uint32_t> shown;
  std::string why;
  EXPECT_TRUE(server.WaitForPixels(panel, 0, 0, expected, width, &shown, &why)) << why;
  std::filesystem::create_directories(lvxtest::BuildDir() + "/snapshots/x11");
  const std::string name = server.Managed() ? "effects-panel-" + lvxtest::ManagerName(GetParam()) : "effects-panel";
  lvxtest::WritePng(lvxtest::BuildDir() + "/snapshots/x11/" + name + ".png", shown, width, height);

  // The first slider's thumb (Size 7, at x 141 of the client) goes right,
  // then Apply.
  ASSERT_EQ(server.Xdotool(At(panel, 144, 57) + " mousedown 1 " + At(panel, 165, 57) + " " + At(panel, 185, 57) +
                           " mouseup 1 " + At(panel, 170, 153) + " click 1"),
            0);
  EXPECT_EQ(program.Wait(), 0) << program.Errors();
  EXPECT_TRUE(Exists(output));
  std::smatch size;
  const std::string text = lvxtest::FileContents(report);
  ASSERT_TRUE(std::regex_search(text, size, std::regex("sliders: Size (-?[0-9]+)"))) << text;
  EXPECT_GT(std::stoi(size[1]), 7) << "the drag moved the slider";
  EXPECT_EQ(program.Errors().find("X error"), std::string::npos) << program.Errors();
}

TEST_P(Interactive, TheCloseBoxAndTheWindowManagersCloseWriteNothing)
{
  const std::string boxed = Temp("boxed.png");
  {
    Program program(Arguments(boxed), server);
    const Window panel = server.WaitForWindow("Despeckle");
    ASSERT_NE(panel, 0u) << program.Errors();
    int width = 0, height = 0;
    ASSERT_TRUE(server.Size(panel, &width, &height));
    if (server.Managed()) {
      // The manager's frame holds the close box: it asks the window to close.
      server.RequestClose(panel);
    } else {
      // The stand-in's close box: 16 x 14 pixels, 2 inside the border's top right.
      ASSERT_EQ(server.Xdotool("mousemove --window " + std::to_string(panel) + " " + std::to_string(width - 13) +
                               " 12 click 1"),
                0);
    }
    EXPECT_EQ(program.Wait(), 1) << program.Errors();
  }
  EXPECT_FALSE(Exists(boxed));

  const std::string closed = Temp("closed.png");
  Program program(Arguments(closed), server);
  const Window preview = server.WaitForWindow("Preview");
  ASSERT_NE(preview, 0u) << program.Errors();
  server.RequestClose(preview);
  EXPECT_EQ(program.Wait(), 1) << program.Errors();
  EXPECT_FALSE(Exists(closed));
}

TEST_P(Interactive, LosingTheDisplayEndsTheRunAsACancel)
{
  const std::string output = Temp("lost.png");
  Program program(Arguments(output), server);
  ASSERT_NE(server.WaitForWindow("Despeckle"), 0u) << program.Errors();
  server.Kill();
  EXPECT_EQ(program.Wait(30), 1) << program.Errors();
  EXPECT_FALSE(Exists(output));
  EXPECT_NE(program.Errors().find("the windows close as cancelled"), std::string::npos) << program.Errors();
}

TEST_P(Interactive, SigtermWhileTheWindowsWaitEndsTheRunWritingNothing)
{
  const std::string output = Temp("terminated.png");
  Program program(Arguments(output), server);
  ASSERT_NE(server.WaitForWindow("Despeckle"), 0u) << program.Errors();
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(30), 143) << program.Errors();
  EXPECT_FALSE(Exists(output));
}

INSTANTIATE_TEST_SUITE_P(Desktops, Interactive, testing::Values(Manager::Bare, Manager::Openbox),
                         [](const testing::TestParamInfo<Manager>& info) { return lvxtest::ManagerName(info.param); });
