// effects-host without its windows: events from options and files in
// command-line order, refused input, exit statuses, what the effects do to
// generated pictures, and the report beside the call log.
#include "hosttest.h"

#include "lumivexdescreen.h"
#include "report.h"
#include "session.h"

#include "lvxtest/childrun.h"
#include "qvcommon/qvviewimage.h"
#include "qvcommon/qvvirtualimage.h"

#include "lvxtest/childprocess.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace hosttest;

namespace {

using Program = Host;

// The program itself with the arguments; its exit status and stderr.
std::pair<int, std::string> RunTool(const std::string& arguments)
{
  FILE* pipe = popen((std::string(EFFECTS_HOST) + " " + arguments + " 2>&1").c_str(), "r");
  std::string output;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::string Flat() { return Picture("flat.png", 40, 30, Smooth); }

} // namespace

TEST(Events, FileLinesAndOptionsBecomeEvents)
{
  std::vector<lvfx::HostEvent> events;
  lvxtext::Error error;
  ASSERT_TRUE(lvfx::ParseEvents("# comment\npreset fine\n\nslider 8 -3  # trailing\ncontrol 302 65538\n"
                                "marker 4 5\nmouse 2 -1 7\nundo\nredo\nrevert\n",
                                "f", &events, &error))
      << error.message;
  ASSERT_EQ(events.size(), 8u);
  EXPECT_EQ(events[0].id, 15);
  EXPECT_EQ(events[0].origin, "f:2");
  EXPECT_EQ(events[1].kind, lvfx::HostEvent::Slider);
  EXPECT_EQ(events[1].value, -3);
  EXPECT_EQ(events[2].id, 302);
  EXPECT_EQ(events[3].kind, lvfx::HostEvent::Mouse);
  EXPECT_EQ(events[3].id, 0);
  EXPECT_EQ(events[4].id * 100 + events[4].y, 207);
  EXPECT_EQ(events[7].kind, lvfx::HostEvent::Revert);

  lvfx::HostEvent e;
  ASSERT_TRUE(lvfx::OptionEvent("--threshold", "40", &e, &error));
  EXPECT_EQ(e.kind, lvfx::HostEvent::NamedSlider);
  EXPECT_EQ(e.name, "threshold");
  ASSERT_TRUE(lvfx::OptionEvent("--marker", "-3,9", &e, &error));
  EXPECT_EQ(e.x * 100 + e.y, -291);
  EXPECT_FALSE(lvfx::OptionEvent("--marker", "3", &e, &error));
  EXPECT_FALSE(lvfx::OptionEvent("--a", "1.5", &e, &error));
  EXPECT_FALSE(lvfx::OptionEvent("--preset", "Auto", &e, &error));
}

TEST(Events, ABadLineIsNamedWithItsNumberAndNothingIsKept)
{
  const std::pair<const char*, const char*> bad[] = {
      {"undo\nslider 9 1\n", "f:2: slider needs the slider's id (7 or 8) and a value"},
      {"preset rough\n", "f:1: preset needs auto, coarse, medium or fine"},
      {"marker 1\n", "f:1: marker needs an image point X Y"},
      {"\n\n\nmouse 0 1 2 3\n", "f:4: mouse needs a kind and an image point X Y"},
      {"control 7 99999999999\n", "f:1: control needs a control id and a value"},
      {"redo now\n", "f:1: redo takes nothing after it"},
      {"zoom 2\n", "f:1: unknown event zoom"},
  };
  for (const auto& [text, expected] : bad) {
    std::vector<lvfx::HostEvent> events;
    lvxtext::Error error;
    EXPECT_FALSE(lvfx::ParseEvents(text, "f", &events, &error));
    EXPECT_EQ(error.message, expected);
    EXPECT_TRUE(events.empty());
  }
  // A NUL byte neither cuts the message nor the number it sits in.
  const std::pair<std::string, std::string> nul[] = {
      {std::string("zo\0om 2\n", 8), "f:1: unknown event zo\\0om"},
      {std::string("slider 7 5\0junk\n", 16), "f:1: slider needs the slider's id (7 or 8) and a value"},
  };
  for (const auto& [text, expected] : nul) {
    std::vector<lvfx::HostEvent> events;
    lvxtext::Error error;
    EXPECT_FALSE(lvfx::ParseEvents(text, "f", &events, &error));
    EXPECT_EQ(error.message, expected);
  }
}

TEST_F(Program, AnEventFileOrScriptMustBeABoundedRegularFile)
{
  const std::string flat = Flat();
  ASSERT_EQ(mkfifo(Temp("fifo").c_str(), 0600), 0);
  const int fd = open(Temp("huge.txt").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(lvfx::kEventFileLimit) + 1), 0);
  close(fd);
  const std::pair<std::string, std::string> cases[] = {
      {lvxtest::TempDir(), ": is a directory"},
      {"/dev/zero", ": not a regular file"},
      {Temp("fifo"), ": not a regular file"},
      {Temp("huge.txt"), ": is larger than 1 MB"},
  };
  for (const auto& [path, reason] : cases) {
    for (const char* option : {"--events", "--ui-script"}) {
      const auto [status, output] =
          RunTool(std::string(option) + " " + path + " Despeckle " + flat + " " + Temp("e.png"));
      EXPECT_EQ(status, 3) << option << " " << path;
      EXPECT_NE(output.find("effects-host: " + path + reason), std::string::npos) << output;
    }
  }
  EXPECT_FALSE(Exists(Temp("e.png")));
}

// The writers' test gate holds the write with its temporary file made; the
// signal arrives there, and the write stops at its next buffer.
TEST_F(Program, ASignalDuringTheWriteKeepsTheOldOutputAndLeavesNothing)
{
  const std::string flat = Flat();
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    const std::string folder = Temp("signal-" + std::to_string(signal));
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string out = folder + "/out.png", gate = Temp("gate-" + std::to_string(signal));
    Write(out, "the old picture");
    ASSERT_TRUE(lvxtest::MakeGate(gate));
    lvxtest::ChildProcess host(EFFECTS_HOST, {"--preset", "auto", "Despeckle", flat, out},
                               {{"LUMIVEX_TEST_WRITE_GATE", gate}});
    const int fd = lvxtest::OpenGate(gate, host);
    ASSERT_GE(fd, 0) << "the write never began";
    EXPECT_EQ(lvxtest::FolderEntries(folder).size(), 2u) << "the temporary file beside the old one";
    ASSERT_EQ(kill(host.pid(), signal), 0);
    ASSERT_TRUE(lvxtest::WaitUntilHandled(host.pid(), signal));
    lvxtest::ReleaseGate(fd);
    const lvxtest::ChildResult r = host.Finish();
    EXPECT_EQ(r.exitCode, signal == SIGINT ? 130 : 143) << r.err;
    EXPECT_NE(r.err.find("; " + out + " not written"), std::string::npos) << r.err;
    EXPECT_EQ(Read(out), "the old picture");
    EXPECT_EQ(lvxtest::FolderEntries(folder), (std::set<std::string>{"out.png"}));
  }
}

TEST_F(Program, EventsRunInCommandLineOrderAcrossOptionsAndFiles)
{
  Write(Temp("edits.txt"), "slider 8 40\nmarker 3 4\n");
  lvfx::ProgramOptions options = Options(DESPECKLE_PATH, Flat(), "out.png");
  options.events = {Event("--a", "9"), lvfx::EventSource{{}, Temp("edits.txt")}, Event("--size", "11"),
                    Event("--undo")};
  options.report = Temp("report.txt");
  ASSERT_EQ(lvfx::RunProgram(options), lvfx::kExitDone);
  EXPECT_EQ(Stacks(Read(Temp("report.txt"))), "undo stack, oldest first:\n"
                                              "  kind 7 module 31 instance 0 new {9, 0} old {7, 0}\n"
                                              "  kind 8 module 31 instance 0 new {40, 0} old {37, 0}\n"
                                              "  kind 1 module 31 instance 0 new {3, 4} old {37, 0}\n"
                                              "redo stack, oldest first:\n"
                                              "  kind 7 module 31 instance 0 new {11, 4} old {9, 0}\n");
  // The second words of the blocks keep what the marker left there.
  EXPECT_TRUE(Exists(Temp("out.png")));
}

TEST_F(Program, HostSideProblemsExitThreeBeforeAnythingRuns)
{
  Write(Temp("bad.txt"), "preset auto\nslider 7\n");
  lvfx::ProgramOptions options = Options(DESPECKLE_PATH, Flat(), "refused.png");
  options.events = {lvfx::EventSource{{}, Temp("bad.txt")}};
  EXPECT_EQ(lvfx::RunProgram(options), lvfx::kExitHostError);
  options.events = {Event("--amount", "5")}; // Despeckle's sliders are Size and Threshold
  EXPECT_EQ(lvfx::RunProgram(options), lvfx::kExitHostError);
  options.events.clear();
  options.module = LUMIVEXPI_PATH; // no entry functions
  EXPECT_EQ(lvfx::RunProgram(options), lvfx::kExitHostError);
  options.module = DESPECKLE_PATH;
  options.input = Temp("missing.png");
  EXPECT_EQ(lvfx::RunProgram(options), lvfx::kExitHostError);
  options.input = Flat();
  options.output = Temp("out.gif");
  EXPECT_EQ(lvfx::RunProgram(options), lvfx::kExitHostError);
  options.output = Temp("refused.png");
  options.mask = Picture("small-mask.png", 10, 10, Smooth);
  EXPECT_EQ(lvfx::RunProgram(options), lvfx::kExitHostError) << "the mask must be the view's size";
  EXPECT_FALSE(Exists(Temp("refused.png")));
}

TEST_F(Program, TheToolsOptionsAndExitStatuses)
{
  const std::string flat = Flat();
  EXPECT_EQ(RunTool("--preset auto Despeckle " + flat + " " + Temp("a.png")).first, 0)
      << "a bare name is looked up beside the program";
  EXPECT_TRUE(Exists(Temp("a.png")));
  EXPECT_EQ(RunTool("--zoom 0 Despeckle " + flat + " " + Temp("b.png")).first, 3);
  EXPECT_EQ(RunTool("--zoom inf Despeckle " + flat + " " + Temp("b.png")).first, 3);
  EXPECT_EQ(RunTool("--quality 0 Despeckle " + flat + " " + Temp("b.png")).first, 3);
  EXPECT_EQ(RunTool("--frobnicate Despeckle " + flat + " " + Temp("b.png")).first, 3);
  EXPECT_EQ(RunTool("Despeckle " + flat).first, 3);
  for (const char* help : {"--help", "-h"}) {
    const auto usage = RunTool(std::string(help) + " 2>/dev/null");
    EXPECT_EQ(usage.first, 0) << help;
    EXPECT_EQ(usage.second.rfind("usage: effects-host [options] MODULE INPUT OUTPUT\n", 0), 0u) << "on stdout";
  }
  const auto [status, output] = RunTool("Nonesuch " + flat + " " + Temp("b.png"));
  EXPECT_EQ(status, 3);
  EXPECT_NE(output.find("Nonesuch.so"), std::string::npos) << output;
  // Without a display the windows cannot wait for a person.
  unsetenv("DISPLAY");
  const auto headless = RunTool("--interactive Despeckle " + flat + " " + Temp("b.png"));
  EXPECT_EQ(headless.first, 3);
  EXPECT_NE(headless.second.find("needs an X display, and there is none: DISPLAY is not set"), std::string::npos)
      << headless.second;
  // A display that cannot be opened leaves the windows headless, said once.
  setenv("DISPLAY", ":65000", 1);
  setenv("LUMIVEX_HEADLESS", "0", 1);
  const auto unopened = RunTool("--interactive Despeckle " + flat + " " + Temp("b.png"));
  EXPECT_EQ(unopened.first, 3);
  EXPECT_NE(unopened.second.find("lumivex: cannot open the display :65000; the windows stay headless\n"),
            std::string::npos)
      << unopened.second;
  setenv("LUMIVEX_HEADLESS", "1", 1);
  // An export giving 0 where 1 is due stops the run with 2: the test
  // effect's filter fails when asked to.
  const auto failed = RunTool("--times " + std::string(TESTMODULE_PATH) + " " + flat + " " + Temp("c.png"));
  EXPECT_EQ(failed.first, 0);
  EXPECT_NE(failed.second.find("do "), std::string::npos) << "--times reports the run";
  setenv("TESTEFFECT_FILTER_FAILS", "1", 1);
  const auto refused = RunTool(std::string(TESTMODULE_PATH) + " " + flat + " " + Temp("d.png"));
  unsetenv("TESTEFFECT_FILTER_FAILS");
  EXPECT_EQ(refused.first, 2);
  EXPECT_NE(refused.second.find("EffectDo(0) returned 0 instead of 1"), std::string::npos) << refused.second;
  EXPECT_FALSE(Exists(Temp("d.png")));
  EXPECT_FALSE(Exists(Temp("b.png")));
}

TEST_F(Program, HostileImagesAreRefusedInLittleMemoryAndTheLimitHoldsForTheView)
{
  // 21 bytes claiming 4.29 GB: status 3 and a small program.
  Write(Temp("hostile.ppm"), "P6 715000000\n1\n65535\n");
  const lvxtest::ChildRun run =
      lvxtest::RunInChild([&] { return RunTool("Despeckle " + Temp("hostile.ppm") + " " + Temp("h.png")).first; });
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.result, 3);
  EXPECT_LT(run.programsPeakKb, 200 * 1024);
  const auto hostile = RunTool("Despeckle " + Temp("hostile.ppm") + " " + Temp("h.png"));
  EXPECT_NE(hostile.second.find("effects-host: '" + Temp("hostile.ppm") + "': truncated PPM/PGM data"),
            std::string::npos)
      << hostile.second;

  // The 40 x 30 picture against limits of 1199 and 1200 pixels; its view at
  // zoom 2 is one more copy, of 4800 pixels.
  const std::string flat = Flat();
  const auto low = RunTool("--max-pixels 1199 Despeckle " + flat + " " + Temp("h.png"));
  EXPECT_EQ(low.first, 3);
  EXPECT_NE(low.second.find("1200 pixels (40 x 30) is more than the limit of 1199 (raise it with --max-pixels N"),
            std::string::npos)
      << low.second;
  const auto zoomed = RunTool("--max-pixels 1200 --zoom 2 Despeckle " + flat + " " + Temp("h.png"));
  EXPECT_EQ(zoomed.first, 3);
  EXPECT_NE(zoomed.second.find("the view at zoom 2: 4800 pixels (80 x 60) is more than the limit of 1200"),
            std::string::npos)
      << zoomed.second;
  EXPECT_EQ(RunTool("--max-pixels 0 Despeckle " + flat + " " + Temp("h.png")).first, 3);
  EXPECT_FALSE(Exists(Temp("h.png")));
  EXPECT_EQ(RunTool("--max-pixels 4800 --zoom 2 Despeckle " + flat + " " + Temp("h.png")).first, 0);
  EXPECT_TRUE(Exists(Temp("h.png")));
}

TEST_F(Program, TheOutputHasTheViewsSize)
{
  lvfx::ProgramOptions options = Options(DESCREEN_PATH, Flat(), "half.png");
  options.zoom = 0.5;
  ASSERT_EQ(lvfx::RunProgram(options), lvfx::kExitDone);
  auto half = Load(Temp("half.png"));
  EXPECT_EQ(half->width * 100 + half->height, 2015);
  options.zoom = 1.5;
  options.output = Temp("larger.png");
  ASSERT_EQ(lvfx::RunProgram(options), lvfx::kExitDone);
  auto larger = Load(Temp("larger.png"));
  EXPECT_EQ(larger->width * 100 + larger->height, 6045);
}

TEST_F(Program, DespeckleClearsGeneratedSpecks)
{
  // Dark 1-pixel specks on a smooth field, 7 apart, none near the edges.
  const auto speck = [](int32_t x, int32_t y) {
    return x >= 8 && y >= 3 && x < 72 && y < 45 && x % 7 == 1 && y % 6 == 3;
  };
  const std::string in = Picture("specks.png", 80, 48, [&](int32_t x, int32_t y, uint8_t* p) {
    Smooth(x, y, p);
    if (speck(x, y))
      p[0] = p[1] = p[2] = 10;
  });
  lvfx::ProgramOptions options = Options(DESPECKLE_PATH, in, "clean.png");
  options.events = {Event("--preset", "auto")};
  ASSERT_EQ(lvfx::RunProgram(options), lvfx::kExitDone);
  auto out = Load(Temp("clean.png"));
  int specks = 0;
  for (int32_t y = 0; y < 48; ++y)
    for (int32_t x = 0; x < 80; ++x)
      if (speck(x, y)) {
        ++specks;
        uint8_t field[3];
        Smooth(x, y, field);
        EXPECT_NEAR(At(*out, x, y)[1], field[1], 4) << x << "," << y;
      }
  EXPECT_GT(specks, 40);
}

TEST_F(Program, DescreenLowersADotScreensTexture)
{
  // A halftone: round dots every 4 pixels whose size follows a smooth tone.
  const std::string in = Picture("screen.png", 96, 64, [](int32_t x, int32_t y, uint8_t* p) {
    const int32_t dx = x % 4 - 2, dy = y % 4 - 2;
    const bool ink = dx * dx + dy * dy <= 1 + x / 32;
    p[0] = p[1] = p[2] = ink ? 30 : 225;
  });
  lvfx::ProgramOptions options = Options(DESCREEN_PATH, in, "descreened.png");
  options.events = {Event("--preset", "auto")};
  ASSERT_EQ(lvfx::RunProgram(options), lvfx::kExitDone);
  const double before = lvxfilters::MeasureTexture(*Load(in)).average;
  const double after = lvxfilters::MeasureTexture(*Load(Temp("descreened.png"))).average;
  EXPECT_LT(after, before / 2) << before << " -> " << after;
}

TEST_F(Program, TheReportAgreesWithTheCallLog)
{
  lvfx::EffectModule module;
  lvxtext::Error error;
  ASSERT_TRUE(module.Load(DESPECKLE_PATH, &error)) << error.message;
  auto document = Load(Flat());
  lvfx::Session session(module.Exports());
  ASSERT_TRUE(session.Open(module.Handle(), document.get()));
  QVVirtualImage source(document.get());
  auto view = lvfx::MakeView(&source, 1, &error);
  ASSERT_TRUE(session.Prepare(document.get(), view.get(), 0, 0));
  bool done = false;
  ASSERT_TRUE(session.ControlEvent(7, 3) && session.PreviewEvent(0, 5, 6, nullptr, view.get()) && session.Choose(15) &&
              session.UndoLast(&done) && session.AddChanged(QVRect(0, 0, 40, 30)));
  const std::string report = lvfx::FormatReport(session);
  // Every redraw of the log, in order, and nothing else.
  std::string logged;
  for (const std::string& entry : session.Log())
    if (entry.rfind("redraw(", 0) == 0)
      logged += "  " + entry + "\n";
  const size_t from = report.find('\n', report.find("redraws:")) + 1;
  EXPECT_EQ(report.substr(from, report.find("accumulated") - from), logged);
  // The pushes, less the one undone, make the undo stack.
  std::vector<std::string> pushes;
  for (const std::string& entry : session.Log())
    if (entry.rfind("push-undo ", 0) == 0)
      pushes.push_back("  " + entry.substr(10) + "\n");
  ASSERT_EQ(pushes.size(), 3u);
  EXPECT_EQ(Stacks(report),
            "undo stack, oldest first:\n" + pushes[0] + pushes[1] + "redo stack, oldest first:\n" + pushes[2]);
  EXPECT_NE(report.find("accumulated: (0, 0, 40, 30)"), std::string::npos);
  EXPECT_NE(report.find("sliders: Size 3 Threshold 37"), std::string::npos) << report;
  EXPECT_NE(report.find("11 kind 4 at (5, 8) label 15 \"Type\""), std::string::npos) << report;
}
