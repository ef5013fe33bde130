// The lumivex-correct program against a scripted fake engine: options, exit
// codes, what reaches the engine, statuses, progress and interrupts.
#include "run_tool.h"

#include "imaging/imaging.h"
#include "lvxtest/childprocess.h"
#include "lvxtest/childrun.h"
#include "lvxtest/testenv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace lvxtest {
namespace {

std::string Temp(const std::string& name) { return TempDir() + "/" + name; }

// A 5 x 3 picture (24-bit rows of 15 bytes, padded to 16) saved as PPM, or
// its grey version as PGM.
std::string MakeInput(const std::string& name, int bits)
{
  imaging::Bitmap b;
  EXPECT_EQ(imaging::Create(&b, 5, 3, bits), imaging::kSuccess);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t i = 0; i < 5 * bits / 8; ++i)
      b.Row(y)[i] = static_cast<uint8_t>(17 * y + 3 * i);
  const std::string path = Temp(name);
  EXPECT_EQ(imaging::SaveFile(path.c_str(), &b, imaging::FileFormat::kPnm, 0), imaging::kSuccess);
  return path;
}

imaging::Bitmap Load(const std::string& path)
{
  imaging::Bitmap b;
  EXPECT_EQ(imaging::LoadFile(path.c_str(), &b, 24), imaging::kSuccess) << path;
  return b;
}

ToolRun WithFake(std::map<std::string, std::string> env = {})
{
  env["LUMIVEX_ENGINE"] = FakeEnginePath();
  return ToolRun{env};
}

TEST(CorrectOptions, BadOptionsExitTwoAndWriteNothing)
{
  const std::string in = MakeInput("in.ppm", 24);
  const std::string out = Temp("out.png");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {in},
      {in, out, Temp("third.png")},
      {"--contrast", "0", in, out},
      {"--contrast", "14", in, out},
      {"--color=-3", in, out},
      {"--sharpen", "3.5", in, out},
      {"--noise", "", in, out},
      {"--noise", in, out}, // the value would be IN's path
      {in, out, "--contrast"},
      {"--tonal-gamma", "0", in, out},
      {"--target-gamma", "-2.2", in, out},
      {"--tonal-gamma", "nan", in, out},
      {"--target-gamma", "inf", in, out},
      {"--skin", "1,2", in, out},
      {"--skin", "1,2,256", in, out},
      {"--skin", "1,2,3,4", in, out},
      {"--rect", "1,2,3", in, out},
      {"--rect", "0,0,x,1", in, out},
      {"--rect", "0,0,4294967296,1", in, out},
      {"--quality", "0", in, out},
      {"--quality=101", in, out},
      {"--engine=", in, out},
      {"--quiet=yes", in, out},
      {"--bogus", in, out},
      {"--max-pixels", "0", in, out},
      {"--max-pixels=2e6", in, out},
      {in, Temp("out.gif")},
      {in, Temp("out")},
  };
  for (const auto& args : cases) {
    std::string shown;
    for (const auto& a : args)
      shown += "[" + a + "] ";
    SCOPED_TRACE(shown);
    const ToolResult r = RunTool(args, WithFake());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("Usage: lumivex-correct"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_FALSE(FileExists(out));
  }
}

TEST(CorrectOptions, HelpListsEveryOption)
{
  const ToolResult r = RunTool({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  for (const char* option :
       {"--contrast", "--color", "--sharpen", "--noise", "--tonal-gamma", "--target-gamma", "--skin", "--rect",
        "--quality", "--engine", "--quiet", "--no-correct", "--times", "--max-pixels"})
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

TEST(CorrectEngine, MissingLibraryOrSymbolExitsThree)
{
  const std::string in = MakeInput("in.ppm", 24);
  const std::string out = Temp("out.png");
  const ToolResult missing = RunTool({"--engine", Temp("nowhere/libLumivex.so"), in, out});
  EXPECT_EQ(missing.exitCode, 3);
  EXPECT_NE(missing.err.find("cannot load the engine"), std::string::npos) << missing.err;

  const ToolResult fromEnv = RunTool({in, out}, ToolRun{{{"LUMIVEX_ENGINE", Temp("nowhere.so")}}});
  EXPECT_EQ(fromEnv.exitCode, 3);
  EXPECT_NE(fromEnv.err.find("nowhere.so"), std::string::npos) << fromEnv.err;

  const ToolResult symbol = RunTool({"--engine", FakeEngineWithoutDoAllPath(), in, out});
  EXPECT_EQ(symbol.exitCode, 3);
  EXPECT_NE(symbol.err.find("does not export doAllAutoAdjustments"), std::string::npos) << symbol.err;
  EXPECT_FALSE(FileExists(out));
}

TEST(CorrectEngine, OptionBeatsEnvironment)
{
  const std::string in = MakeInput("in.ppm", 24);
  const ToolResult r =
      RunTool({"--engine", FakeEnginePath(), in, Temp("out.png")}, ToolRun{{{"LUMIVEX_ENGINE", Temp("nowhere.so")}}});
  EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(CorrectEngine, DefaultsAndSettingsReachTheEngine)
{
  const std::string in = MakeInput("in.ppm", 24);
  const std::string record = Temp("record.txt");
  ToolResult r = RunTool({in, Temp("a.png")}, WithFake({{"FAKE_ENGINE_RECORD", record}}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // 5 x 3 pixels, rows of 15 bytes padded to 16, 3 bytes a pixel.
  EXPECT_EQ(ReadFile(record), "image 3 5 16 3\nrect null\nlevels 3 3 3 3\ngammas 2.2 2.2\nskin 233 200 181\n");

  r = RunTool({"--contrast", "5", "--color=7", "--sharpen", "1", "--noise", "13", "--tonal-gamma", "1.8",
               "--target-gamma", "2.5", "--skin", "10,20,30", "--rect", "-5,0,100,2", in, Temp("b.png")},
              WithFake({{"FAKE_ENGINE_RECORD", record}}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(record), "image 3 5 16 3\nrect -5 0 100 2\nlevels 5 7 1 13\ngammas 1.8 2.5\nskin 10 20 30\n");
}

TEST(CorrectEngine, WritesTheCorrectedPixelsOfColourAndGreyFiles)
{
  // The fake engine inverts every pixel byte; a grey file reaches it as
  // B = G = R, so the output is the inverted grey in all three channels.
  for (int bits : {24, 8}) {
    SCOPED_TRACE(bits);
    const std::string in = MakeInput(bits == 8 ? "in.pgm" : "in.ppm", bits);
    const std::string out = Temp("inverted.ppm");
    const ToolResult r = RunTool({in, out}, WithFake({{"FAKE_ENGINE_INVERT", "1"}}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "output: " + out + "\nengine status: LUMIVEX_OK (0)\n");
    imaging::Bitmap source = Load(in), result = Load(out);
    ASSERT_EQ(result.width, 5);
    for (int32_t y = 0; y < 3; ++y)
      for (int32_t i = 0; i < 15; ++i)
        EXPECT_EQ(result.Row(y)[i], 255 - source.Row(y)[i]) << y << "," << i;
  }
}

TEST(CorrectEngine, NonZeroStatusIsPrintedByNameAndWritesNothing)
{
  const std::string in = MakeInput("in.ppm", 24);
  const std::string out = Temp("out.png");
  const std::pair<const char*, const char*> cases[] = {
      {"-108", "LUMIVEX_ERR_NO_MEMORY (-108)"},
      {"-200", "LUMIVEX_ERR_BAD_ARGUMENT (-200)"},
      {"1", "LUMIVEX_CANCELLED (1)"},
      {"-1", "LUMIVEX_ERR_PEAK_LIST (-1)"},
      {"77", "unknown status (77)"},
  };
  for (const auto& [status, shown] : cases) {
    const ToolResult r = RunTool({in, out}, WithFake({{"FAKE_ENGINE_STATUS", status}}));
    EXPECT_EQ(r.exitCode, 1) << status;
    EXPECT_NE(r.err.find(shown), std::string::npos) << r.err;
    EXPECT_FALSE(FileExists(out));
  }
}

TEST(CorrectProgress, ProtocolViolationsAreReported)
{
  const std::string in = MakeInput("in.ppm", 24);
  // A positive argument, an end without a begin, and one of two tasks left open.
  ToolResult r = RunTool({in, Temp("out.png")}, WithFake({{"FAKE_ENGINE_SCRIPT", "5,-1,-4,0,-3,0,-1,0"}}));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("positive progress argument"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ended a progress task it never began"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("left 1 progress task(s) open"), std::string::npos) << r.err;

  r = RunTool({in, Temp("out.png")}, WithFake({{"FAKE_ENGINE_SCRIPT", "-4,0,-3,0,0,0,0,-1,0,-1"}}));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
}

TEST(CorrectProgress, BarOnlyOnATerminalAndNotWhenQuiet)
{
  const std::string in = MakeInput("in.ppm", 24);
  auto run = WithFake({{"FAKE_ENGINE_SCRIPT", "-10,0,0,0,0,0,0,0,0,0,0,-1"}});
  run.terminalStderr = true;
  ToolResult r = RunTool({in, Temp("out.png")}, run);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.err.find("Correcting ["), std::string::npos) << r.err;

  r = RunTool({"--quiet", in, Temp("out.png")}, run);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err.find("Correcting"), std::string::npos) << r.err;

  run.terminalStderr = false;
  r = RunTool({in, Temp("out.png")}, run);
  EXPECT_EQ(r.err.find("Correcting"), std::string::npos) << r.err;
}

TEST(CorrectInterrupt, CtrlCCancelsAtTheNextPollAndWritesNothing)
{
  const std::string in = MakeInput("in.ppm", 24);
  const std::string out = Temp("out.png");
  const std::string ready = Temp("polling");
  ToolProcess tool({in, out}, WithFake({{"FAKE_ENGINE_SCRIPT", "-2,poll"}, {"FAKE_ENGINE_READY", ready}}));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!FileExists(ready) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(FileExists(ready)) << "the engine never started polling";
  ASSERT_EQ(kill(tool.pid(), SIGINT), 0);
  const ToolResult r = tool.Finish();
  EXPECT_EQ(r.exitCode, 130);
  EXPECT_NE(r.err.find("interrupted"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(out));
}

// The save waits at the writers' test gate with its temporary file made;
// the signal arrives there, and the save then stops at its next write.
TEST(CorrectInterrupt, ASignalDuringTheSaveKeepsTheOldOutputAndLeavesNothing)
{
  const std::string in = MakeInput("in.ppm", 24);
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    const std::string folder = Temp("save-" + std::to_string(signal));
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string out = folder + "/out.ppm", gate = Temp("gate-" + std::to_string(signal));
    std::ofstream(out) << "the old picture";
    ASSERT_TRUE(MakeGate(gate));
    ChildProcess tool(ToolPath(), {"--no-correct", in, out}, {{"LUMIVEX_TEST_WRITE_GATE", gate}});
    const int fd = OpenGate(gate, tool);
    ASSERT_GE(fd, 0) << "the save never began";
    EXPECT_EQ(FolderEntries(folder).size(), 2u) << "the temporary file beside the old one";
    ASSERT_EQ(kill(tool.pid(), signal), 0);
    ASSERT_TRUE(WaitUntilHandled(tool.pid(), signal));
    ReleaseGate(fd);
    const ChildResult r = tool.Finish();
    EXPECT_EQ(r.exitCode, signal == SIGINT ? 130 : 143) << r.err;
    EXPECT_NE(r.err.find(signal == SIGINT ? "interrupted; '" + out + "' not written" : "terminated"), std::string::npos)
        << r.err;
    EXPECT_EQ(ReadFile(out), "the old picture");
    EXPECT_EQ(FolderEntries(folder), (std::set<std::string>{"out.ppm"}));
  }
}

// A second Ctrl-C ends the save at once: only its temporary file may stay,
// and the next save to that output removes it.
TEST(CorrectInterrupt, ASecondCtrlCEndsAtOnceAndTheNextSaveCleansUp)
{
  const std::string in = MakeInput("in.ppm", 24);
  const std::string folder = Temp("twice");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string out = folder + "/out.ppm", gate = Temp("twice-gate");
  std::ofstream(out) << "the old picture";
  ASSERT_TRUE(MakeGate(gate));
  ChildProcess tool(ToolPath(), {"--no-correct", in, out}, {{"LUMIVEX_TEST_WRITE_GATE", gate}});
  const int fd = OpenGate(gate, tool);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(kill(tool.pid(), SIGINT), 0);
  ASSERT_TRUE(WaitUntilHandled(tool.pid(), SIGINT));
  ASSERT_EQ(kill(tool.pid(), SIGINT), 0);
  const ChildResult r = tool.Finish();
  close(fd);
  EXPECT_EQ(r.signal, SIGINT) << "exit " << r.exitCode << ": " << r.err;
  EXPECT_EQ(ReadFile(out), "the old picture");
  const std::set<std::string> left = FolderEntries(folder);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(std::next(left.begin())->rfind("out.ppm.tmp-" + std::to_string(tool.pid()) + "-", 0), 0u);

  ASSERT_EQ(RunTool({"--no-correct", in, out}).exitCode, 0);
  EXPECT_EQ(ReadFile(out), ReadFile(in));
  EXPECT_EQ(FolderEntries(folder), (std::set<std::string>{"out.ppm"}));
}

TEST(CorrectFiles, NoCorrectNeedsNoEngineAndKeepsThePixels)
{
  const std::string in = MakeInput("in.ppm", 24);
  const std::string out = Temp("copy.ppm");
  const ToolResult r = RunTool({"--no-correct", "--times", "--engine", Temp("nowhere.so"), in, out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(out), ReadFile(in));
  EXPECT_NE(r.out.find("not run"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("times: load"), std::string::npos) << r.err;
}

TEST(CorrectFiles, SixteenBitInputIsReducedToEightBitsAndSaysSo)
{
  // 2 x 1 pixels with maxval 65535: (65535, 32896, 0) and (257, 0, 65535).
  const std::string in = Temp("in16.ppm");
  {
    std::ofstream file(in, std::ios::binary);
    file << "P6\n2 1\n65535\n";
    for (const int v : {65535, 32896, 0, 257, 0, 65535})
      file << char(v >> 8) << char(v & 0xFF);
  }
  const std::string out = Temp("out16.ppm");
  const ToolResult r = RunTool({"--no-correct", in, out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("16-bit samples; the picture was reduced to 8 bits"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(out), std::string("P6\n2 1\n255\n\xFF\x80\x00\x01\x00\xFF", 17));
  // With the engine, too; an eight-bit file says nothing of depth.
  ASSERT_EQ(RunTool({in, out}, WithFake()).exitCode, 0);
  EXPECT_EQ(RunTool({"--no-correct", MakeInput("in8.ppm", 24), out}).err.find("reduced"), std::string::npos);
}

TEST(CorrectFiles, FormatFollowsTheExtension)
{
  const std::string in = MakeInput("in.ppm", 24);
  const std::pair<const char*, std::string> cases[] = {
      {"o.png", "\x89PNG"}, {"o.JPG", "\xFF\xD8\xFF"}, {"o.jpeg", "\xFF\xD8\xFF"}, {"o.ppm", "P6\n"}};
  for (const auto& [name, magic] : cases) {
    const ToolResult r = RunTool({"--quality", "50", in, Temp(name)}, WithFake());
    ASSERT_EQ(r.exitCode, 0) << name << r.err;
    EXPECT_EQ(ReadFile(Temp(name)).substr(0, magic.size()), magic) << name;
  }
}

TEST(CorrectFiles, HostileHeadersAreRefusedInLittleMemoryAndTheLimitCanBeMoved)
{
  // 21 bytes claiming 4.29 GB of samples: a clear message, status 3, and the
  // program stays small.
  const std::string hostile = Temp("hostile.ppm");
  std::ofstream(hostile, std::ios::binary) << "P6 715000000\n1\n65535\n";
  const std::string out = Temp("out.png");
  const ChildRun run = RunInChild([&] { return RunTool({hostile, out}, WithFake()).exitCode; });
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.result, 3);
  EXPECT_LT(run.programsPeakKb, 200 * 1024);
  const ToolResult r = RunTool({hostile, out}, WithFake());
  EXPECT_NE(r.err.find("truncated PPM/PGM data"), std::string::npos) << r.err;
  EXPECT_FALSE(FileExists(out));

  // The 5 x 3 input against limits of 14 and 15 pixels, by option and by
  // the environment; the option wins.
  const std::string in = MakeInput("in.ppm", 24);
  const ToolResult low = RunTool({"--max-pixels", "14", in, out}, WithFake());
  EXPECT_EQ(low.exitCode, 3);
  EXPECT_NE(low.err.find("in.ppm': 15 pixels (5 x 3) is more than the limit of 14 (raise it with --max-pixels N or "
                         "LUMIVEX_MAX_PIXELS)"),
            std::string::npos)
      << low.err;
  EXPECT_FALSE(FileExists(out));
  EXPECT_EQ(RunTool({"--max-pixels=15", in, out}, WithFake()).exitCode, 0);
  EXPECT_EQ(RunTool({in, out}, WithFake({{"LUMIVEX_MAX_PIXELS", "14"}})).exitCode, 3);
  EXPECT_EQ(RunTool({"--max-pixels", "15", in, out}, WithFake({{"LUMIVEX_MAX_PIXELS", "14"}})).exitCode, 0);
  const ToolResult bad = RunTool({in, out}, WithFake({{"LUMIVEX_MAX_PIXELS", "lots"}}));
  EXPECT_EQ(bad.exitCode, 3);
  EXPECT_NE(bad.err.find("LUMIVEX_MAX_PIXELS must be a whole number"), std::string::npos) << bad.err;
}

TEST(CorrectFiles, UnreadableInputOrUnwritableOutputExitsThree)
{
  const std::string in = MakeInput("in.ppm", 24);
  ToolResult r = RunTool({Temp("missing.png"), Temp("out.png")}, WithFake());
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("missing.png"), std::string::npos) << r.err;

  r = RunTool({in, Temp("no/such/folder/out.png")}, WithFake());
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("cannot create"), std::string::npos) << r.err;
}

} // namespace
} // namespace lvxtest
