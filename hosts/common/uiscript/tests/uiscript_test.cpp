// UI scripts: what each line means, which lines are refused, and how a run
// feeds a message loop.
#include "uiscript/uiscript.h"

#include "lvxtest/testenv.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace uiscript;

namespace {

Script Parsed(const std::string& text, const NamedTargets& names = {})
{
  Script script;
  lvxtext::Error error;
  EXPECT_TRUE(Parse(text, names, &script, &error)) << error.message;
  return script;
}

std::string ParseError(const std::string& text, const NamedTargets& names = {})
{
  Script script;
  lvxtext::Error error;
  EXPECT_FALSE(Parse(text, names, &script, &error)) << text;
  EXPECT_TRUE(script.steps.empty());
  return error.message;
}

// A visible captioned window whose messages the stand-in traces.
class Loop : public ::testing::Test {
protected:
  void SetUp() override
  {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "ScriptProbe";
    RegisterClassExA(&wc);
    window = CreateWindowExA(0, "ScriptProbe", "Probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 150, nullptr,
                             nullptr, nullptr, nullptr);
    standin::TraceMessages(true);
  }
  void TearDown() override { standin::Reset(); }

  // The client points of the window's mouse messages of one kind, in order.
  std::vector<POINT> Points(UINT message) const
  {
    std::vector<POINT> out;
    for (const standin::TracedMessage& m : standin::MessageTrace())
      if (m.window == window && m.message == message)
        out.push_back(POINT{static_cast<int16_t>(m.lParam & 0xFFFF), static_cast<int16_t>(m.lParam >> 16)});
    return out;
  }
  // Runs a message loop until it ends; true when it ended as a deadlock.
  bool RunLoop()
  {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    const bool deadlock = !standin::Failures().empty();
    standin::ClearFailures();
    return deadlock;
  }

  HWND window = nullptr;
};

} // namespace

TEST(Parse, EveryStepKindWithItsArguments)
{
  const NamedTargets names{{"panel", [] { return HWND(nullptr); }}};
  const Script s = Parsed("# a comment\n"
                          "click \"My Title\" 1 2\n"
                          "\n"
                          "drag panel 1 2 30 -4   # trailing comment\n"
                          "key down ctrl\n"
                          "key press F12\n"
                          "type hello world\n"
                          "type \"a \\\"b\\\"\"\n"
                          "close panel\n"
                          "answer No\n"
                          "file /tmp/some file.png\n"
                          "file-cancel\n"
                          "snapshot screen \"/tmp/a b.png\"\n"
                          "release screen 5 6\n",
                          names);
  ASSERT_EQ(s.steps.size(), 12u);
  EXPECT_EQ(s.steps[0].action, Action::Click);
  EXPECT_EQ(s.steps[0].target.kind, Target::Title);
  EXPECT_EQ(s.steps[0].target.name, "My Title");
  EXPECT_EQ(s.steps[0].line, 2);
  EXPECT_EQ(s.steps[1].target.kind, Target::Named);
  EXPECT_EQ(s.steps[1].x2, 30);
  EXPECT_EQ(s.steps[1].y2, -4);
  EXPECT_EQ(s.steps[2].action, Action::KeyDown);
  EXPECT_EQ(s.steps[2].key, VK_CONTROL);
  EXPECT_EQ(s.steps[3].key, VK_F12);
  EXPECT_EQ(s.steps[4].text, "hello world");
  EXPECT_EQ(s.steps[5].text, "a \"b\"");
  EXPECT_EQ(s.steps[7].key, IDNO);
  EXPECT_EQ(s.steps[8].text, "/tmp/some file.png");
  EXPECT_EQ(s.steps[10].target.kind, Target::Screen);
  EXPECT_EQ(s.steps[10].text, "/tmp/a b.png");
  EXPECT_EQ(s.steps[11].line, 14);
  // Only the queue and snapshot steps let an idle point go on.
  EXPECT_TRUE(s.steps[4].IsInput());
  EXPECT_FALSE(s.steps[7].IsInput());
  EXPECT_FALSE(s.steps[10].IsInput());
}

TEST(Parse, AnyBadLineIsNamedAndNothingIsKept)
{
  EXPECT_EQ(ParseError("click \"A\" 1 2\nclick \"A\" 1\n"), "line 2: a number is missing");
  EXPECT_EQ(ParseError("click main 1 2\n"), "line 1: unknown target main (give a window title in double quotes)");
  EXPECT_EQ(ParseError("\n\nhover \"A\" 1 2\n"), "line 3: unknown step hover");
  EXPECT_EQ(ParseError("move screen 1 2 3\n"), "line 1: unexpected 3");
  EXPECT_EQ(ParseError("move screen x 2\n"), "line 1: not a coordinate: x");
  EXPECT_EQ(ParseError("move screen 99999999999 2\n"), "line 1: not a coordinate: 99999999999");
  EXPECT_EQ(ParseError("key press Hyper\n"), "line 1: unknown key Hyper");
  EXPECT_EQ(ParseError("key tap A\n"), "line 1: key needs down, up or press");
  EXPECT_EQ(ParseError("answer maybe\n"), "line 1: answer needs ok, cancel, yes or no");
  EXPECT_EQ(ParseError("close screen\n"), "line 1: the screen has no close box");
  EXPECT_EQ(ParseError("snapshot \"A\"\n"), "line 1: snapshot needs a target and a path");
  EXPECT_EQ(ParseError("type \"open\n"), "line 1: unterminated quoted string");
  EXPECT_EQ(ParseError("type a \"b\"\n"), "line 1: quote the whole text or none of it");
}

TEST(Parse, LoadNamesTheFile)
{
  Script script;
  lvxtext::Error error;
  EXPECT_FALSE(Load(lvxtest::TempDir() + "/missing.ui", {}, &script, &error));
  EXPECT_EQ(error.message, lvxtest::TempDir() + "/missing.ui: cannot be read: No such file or directory");
}

TEST_F(Loop, EachIdlePointRunsUpToTheNextInputStep)
{
  const std::string shot = lvxtest::TempDir() + "/probe.png";
  Runner runner(Parsed("answer yes\nclick \"Probe\" 5 6\nsnapshot \"Probe\" " + shot + "\nmove \"Probe\" 7 8\n"), {});
  runner.Install();
  // Two idle points: (answer, click) and (snapshot, move).
  EXPECT_EQ(standin::IdleStepsLeft(), 2u);
  EXPECT_TRUE(RunLoop()) << "the script ran out while the loop waited";
  EXPECT_FALSE(runner.Failed()) << runner.Failure();
  EXPECT_EQ(runner.StepsLeft(), 0u);
  ASSERT_EQ(Points(WM_LBUTTONDOWN).size(), 1u);
  EXPECT_EQ(Points(WM_LBUTTONDOWN)[0].x, 5);
  EXPECT_EQ(Points(WM_LBUTTONDOWN)[0].y, 6);
  EXPECT_EQ(Points(WM_MOUSEMOVE).back().x, 7);
  struct stat info {};
  EXPECT_EQ(stat(shot.c_str(), &info), 0) << "the snapshot ran at the second idle point";
  // The answer was queued before the click: the next message box takes it.
  EXPECT_EQ(MessageBoxA(window, "?", "Q", MB_YESNO), IDYES);
}

TEST_F(Loop, ADragMovesAtMostEightPixelsAtATime)
{
  Runner runner(Parsed("drag \"Probe\" 10 10 40 21\n"), {});
  runner.Install();
  RunLoop();
  const std::vector<POINT> moves = Points(WM_MOUSEMOVE);
  ASSERT_GE(moves.size(), 4u);
  EXPECT_EQ(moves.back().x, 40);
  EXPECT_EQ(moves.back().y, 21);
  for (size_t i = 1; i < moves.size(); ++i) {
    EXPECT_LE(std::abs(moves[i].x - moves[i - 1].x), 8);
    EXPECT_LE(std::abs(moves[i].y - moves[i - 1].y), 8);
  }
  EXPECT_EQ(Points(WM_LBUTTONUP).size(), 1u);
}

TEST_F(Loop, AMissingTargetFailsTheRunAndDropsTheRest)
{
  const NamedTargets names{{"popup", [] { return HWND(nullptr); }}};
  Runner runner(Parsed("click \"Probe\" 1 1\nclick popup 2 2\nclick \"Probe\" 3 3\n", names), names);
  runner.Install();
  EXPECT_TRUE(RunLoop());
  EXPECT_TRUE(runner.Failed());
  EXPECT_EQ(runner.Failure(), "line 2: no window popup");
  EXPECT_EQ(runner.StepsLeft(), 1u);
  EXPECT_EQ(Points(WM_LBUTTONDOWN).size(), 1u);
}

TEST_F(Loop, HiddenWindowsAreNoTargets)
{
  ShowWindow(window, SW_HIDE);
  EXPECT_EQ(FindWindowTitled("Probe"), nullptr);
  ShowWindow(window, SW_SHOW);
  EXPECT_EQ(FindWindowTitled("Probe"), window);
}
