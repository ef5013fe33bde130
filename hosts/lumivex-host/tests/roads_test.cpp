// LumivexPI's roads through the lumivex-host program on the sample
// photographs: the automatic road against lumivex-correct, the interactive
// road driven by the examples' UI scripts, the about window; and the
// program's UI-script, --times and --quality handling.
#include "image.h"
#include "programtest.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kExamples = lvxtest::Source("hosts/lumivex-host/examples") + "/";
const std::string kCoffee = lvxtest::Source("samples/coffee.png");
const std::string kPlugin = std::string("--plugin '") + LUMIVEXPI_PATH + "' ";

std::vector<uint8_t> Pixels(const std::string& path)
{
  lvhost::HostImage image;
  lvxtext::Error error;
  EXPECT_TRUE(lvhost::ReadImage(path, &image, &error)) << error.message;
  return {image.pixels.begin(), image.pixels.end()};
}

std::string Script(const std::string& name, const std::string& text)
{
  const std::string path = Temp(name);
  std::ofstream(path) << text;
  return path;
}

// Stderr from now on.
void ForgetStderr() { std::filesystem::remove(Temp("stderr.txt")); }

} // namespace

TEST(Roads, TheAutomaticRoadEqualsTheEngineWithTheWindowsDefaults)
{
  const std::string in = lvxtest::Source("samples/astronaut.png");
  ASSERT_EQ(RunHost(kPlugin + "--auto --record " + Temp("auto.params") + " " + in + " " + Temp("auto.png")), 0);
  const std::string correct = std::string("'") + CORRECT_PATH +
                              "' --quiet --contrast 7 --color 7 --sharpen 6 "
                              "--noise 7 --tonal-gamma 1.8 --target-gamma 1.8 --skin 229,190,168 " +
                              in + " " + Temp("engine.png") + " > /dev/null";
  ASSERT_EQ(std::system(correct.c_str()), 0);
  EXPECT_EQ(Pixels(Temp("auto.png")), Pixels(Temp("engine.png")));
  EXPECT_EQ(Contents(Temp("auto.params")), "lumivex-host parameters 1\nlvAU bool true\n");
}

TEST(Roads, TheExamplesDriveTheWindowsAsAPersonWould)
{
  const std::string folder = Temp("run");
  std::filesystem::create_directories(folder + "/out"); // where the example's snapshot goes
  // Custom, a slider, a snapshot of the panel, Apply: its recording
  // replays to the same bytes.
  ASSERT_EQ(RunHost(kPlugin + "--dialog --ui-script " + kExamples + "custom-apply.ui --record r.params " + kCoffee +
                        " custom.png",
                    "", folder),
            0)
      << Contents(Temp("stderr.txt"));
  EXPECT_TRUE(Exists(folder + "/out/custom-apply-panel.png"));
  const std::string recording = Contents(folder + "/r.params");
  EXPECT_NE(recording.find("lvAU bool false\n"), std::string::npos);
  EXPECT_EQ(std::count(recording.begin(), recording.end(), '\n'), 16) << "the header and fifteen keys";
  ASSERT_EQ(RunHost(kPlugin + "--replay r.params " + kCoffee + " replayed.png", "", folder), 0);
  EXPECT_EQ(Pixels(folder + "/custom.png"), Pixels(folder + "/replayed.png"));

  // Every way out without applying: Cancel, File -> Exit, the close box.
  const std::string exit = Script("exit.ui", "click main 92 269\nclick panel 285 14\nclick screen 290 80\n");
  const std::string close = Script("close.ui", "click main 92 269\nclose panel\n");
  for (const std::string& script : {kExamples + "cancel.ui", exit, close}) {
    EXPECT_EQ(RunHost(kPlugin + "--dialog --ui-script " + script + " " + kCoffee + " " + Temp("no.png")), 1) << script;
    EXPECT_FALSE(Exists(Temp("no.png")));
  }
  // The automatic button commits and records the automatic road.
  const std::string automatic = Script("automatic.ui", "click main 239 269\n");
  EXPECT_EQ(RunHost(kPlugin + "--dialog --ui-script " + automatic + " --record " + Temp("a.params") + " " + kCoffee +
                    " " + Temp("a.png")),
            0);
  EXPECT_EQ(Contents(Temp("a.params")), "lumivex-host parameters 1\nlvAU bool true\n");
}

TEST(Roads, TheAboutWindowEndsWithItsClick)
{
  EXPECT_EQ(RunHost(kPlugin + "--about"), 0) << "clicked away at the first idle point";
  const std::string folder = Temp("about");
  std::filesystem::create_directories(folder + "/out");
  EXPECT_EQ(RunHost(kPlugin + "--about --ui-script " + kExamples + "about.ui", "", folder), 0);
  EXPECT_TRUE(Exists(folder + "/out/about.png"));
}

TEST(Roads, UIScriptsThatDoNotFitTheirRun)
{
  struct Case {
    const char* text;
    int status;
    const char* said;
  };
  const Case cases[] = {
      {"click main 92\n", 3, "line 1:"}, // nothing runs
      {"# fine\nclick main 92 269\nwiggle\n", 3, "line 3:"},
      {"click \"Nowhere\" 1 1\n", 2, "no window titled \"Nowhere\""},
      {"click main 92 269\n", 2, "waited for input"}, // the script runs out
      {"click main 239 269\nclick main 1 1\nclick main 2 2\n", 0, "2 steps were left"},
  };
  for (const Case& c : cases) {
    ForgetStderr();
    const std::string script = Script("case.ui", c.text);
    EXPECT_EQ(RunHost(kPlugin + "--dialog --ui-script " + script + " " + kCoffee + " " + Temp("s.png")), c.status)
        << c.text;
    EXPECT_NE(Contents(Temp("stderr.txt")).find(c.said), std::string::npos) << Contents(Temp("stderr.txt"));
  }
}

TEST(Roads, TimesAndJpegQuality)
{
  ForgetStderr();
  ASSERT_EQ(RunHost(kPlugin + "--auto --times --quality 30 " + kCoffee + " " + Temp("low.jpg")), 0);
  const std::string said = Contents(Temp("stderr.txt"));
  for (const char* phase : {"decode", "start", "until input served", "until output requested", "encode", "total"})
    EXPECT_NE(said.find(phase), std::string::npos) << phase;
  ASSERT_EQ(RunHost(kPlugin + "--auto " + kCoffee + " " + Temp("default.jpg")), 0);
  EXPECT_LT(std::filesystem::file_size(Temp("low.jpg")), std::filesystem::file_size(Temp("default.jpg")));
  EXPECT_EQ(RunHost(kPlugin + "--auto --quality 0 " + kCoffee + " " + Temp("x.jpg")), 3);
  EXPECT_EQ(RunHost(kPlugin + "--auto --quality 101 " + kCoffee + " " + Temp("x.jpg")), 3);
}
