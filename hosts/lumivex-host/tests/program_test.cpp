// The lumivex-host program: option errors, exit statuses and files, run as
// a separate process with the stub plug-in, the pass-through test module and
// LumivexPI.
#include "host.h"
#include "hosttest.h"
#include "image.h"
#include "imaging/imaging.h"
#include "lvxtest/childrun.h"
#include "lvxtest/testenv.h"
#include "params.h"
#include "programtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

const std::string kPlugin = std::string("--plugin '") + STUBMODULE_PATH + "' ";
const std::string kPassthrough = std::string("--plugin '") + PASSTHROUGH_PATH + "' ";
const std::string kLumivexPI = std::string("--plugin '") + LUMIVEXPI_PATH + "' ";

} // namespace

TEST(HostProgram, OptionErrorsAreHostErrors)
{
  const std::string in = lvxtest::Source("samples/coffee.png");
  EXPECT_EQ(RunHost(""), 3);
  EXPECT_EQ(RunHost("--bogus a b"), 3);
  EXPECT_EQ(RunHost(kPlugin + "--silent " + in + " " + Temp("o.png")), 3);
  EXPECT_EQ(RunHost(kPlugin + "--auto --replay x " + in + " " + Temp("o.png")), 3);
  EXPECT_EQ(RunHost(kPlugin + "--rect 1,2,3 " + in + " " + Temp("o.png")), 3);
  EXPECT_EQ(RunHost(kPlugin + "--screen 800x600 --about"), 3);
  EXPECT_EQ(RunHost(kPlugin + "--rect 0,0,99999,1 " + in + " " + Temp("o.png")), 3);
  EXPECT_EQ(RunHost(kPlugin + Temp("missing.png") + " " + Temp("o.png")), 3);
  EXPECT_EQ(RunHost("--plugin /no/such.so " + in + " " + Temp("o.png")), 3);
  // Once an uncaught exception (134) and a read until memory ran out.
  EXPECT_EQ(RunHost(kPlugin + "--replay " + lvxtest::TempDir() + " " + in + " " + Temp("o.png")), 3);
  EXPECT_EQ(RunHost(kPlugin + "--replay /dev/zero " + in + " " + Temp("o.png")), 3);
  EXPECT_EQ(RunHost(kPlugin + "--ui-script /dev/zero " + in + " " + Temp("o.png")), 3);
  EXPECT_FALSE(Exists(Temp("o.png")));

  // CMYK cannot go to PNG: refused before the plug-in is even loaded.
  lvhost::HostImage cmyk;
  cmyk.width = cmyk.height = 2;
  cmyk.mode = 4;
  cmyk.pixels.assign(16, 1);
  ASSERT_TRUE(lvhost::WriteImage(Temp("in.pam"), cmyk, nullptr));
  EXPECT_EQ(RunHost(kPlugin + "--log " + Temp("log.txt") + " " + Temp("in.pam") + " " + Temp("o.png")), 3);
  EXPECT_FALSE(Exists(Temp("log.txt")));
}

TEST(HostProgram, HelpPrintsTheUsageOnStandardOutput)
{
  for (const std::string option : {"--help", "-h"}) {
    EXPECT_EQ(RunHost(option + " --bogus >'" + Temp("usage.txt") + "'"), 0) << option;
    EXPECT_EQ(Contents(Temp("usage.txt")).rfind("usage: lumivex-host [options] INPUT OUTPUT\n", 0), 0u) << option;
  }
}

TEST(HostProgram, HostileImagesAreRefusedInLittleMemoryAndTheLimitCanBeMoved)
{
  // Headers claiming gigabytes the files do not hold: status 3, a clear
  // message, and the host stays small.
  const std::string pam = "P7\nWIDTH 30000\nHEIGHT 30000\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n";
  const std::pair<std::string, std::string> files[] = {
      {"a.ppm", "P6 715000000\n1\n65535\n"},
      {"b.ppm", "P6 535643663\n\n1 534"},
      {"c.pam", pam + "0123456789"},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    std::ofstream(Temp(name), std::ios::binary) << bytes;
    const std::string arguments = kPassthrough + "--auto " + Temp(name) + " " + Temp("o.png");
    const lvxtest::ChildRun run = lvxtest::RunInChild([&] { return RunHost(arguments); });
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.result, 3);
    EXPECT_LT(run.programsPeakKb, 200 * 1024);
  }
  EXPECT_NE(Contents(Temp("stderr.txt"))
                .find("PAM data is not exactly WIDTH x HEIGHT x DEPTH bytes (2700000000 bytes; "
                      "the file holds 10)"),
            std::string::npos)
      << Contents(Temp("stderr.txt"));

  // A sound 4 x 3 PAM and PNG against limits of 11 and 12 pixels.
  lvhost::HostImage rgb;
  rgb.width = 4;
  rgb.height = 3;
  rgb.mode = plugInModeRGBColor;
  rgb.pixels.assign(36, 9);
  for (const char* name : {"small.pam", "small.png"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(lvhost::WriteImage(Temp(name), rgb, nullptr));
    std::remove(Temp("stderr.txt").c_str());
    EXPECT_EQ(RunHost(kPassthrough + "--auto --max-pixels 11 " + Temp(name) + " " + Temp("o.png")), 3);
    EXPECT_NE(Contents(Temp("stderr.txt"))
                  .find("12 pixels (4 x 3) is more than the limit of 11 (raise it with "
                        "--max-pixels N or LUMIVEX_MAX_PIXELS)"),
              std::string::npos)
        << Contents(Temp("stderr.txt"));
    EXPECT_EQ(RunHost(kPassthrough + "--auto " + Temp(name) + " " + Temp("o.png"), "LUMIVEX_MAX_PIXELS=11"), 3);
    EXPECT_FALSE(Exists(Temp("o.png")));
    EXPECT_EQ(
        RunHost(kPassthrough + "--auto --max-pixels 12 " + Temp(name) + " " + Temp("o.png"), "LUMIVEX_MAX_PIXELS=11"),
        0);
    EXPECT_TRUE(Exists(Temp("o.png")));
    std::remove(Temp("o.png").c_str());
  }
  for (const char* bad : {"0", "-1", "12x", "10000000000000000"})
    EXPECT_EQ(RunHost(kPassthrough + "--auto --max-pixels " + bad + " " + Temp("small.png") + " " + Temp("o.png")), 3)
        << bad;
}

TEST(HostProgram, ExitStatusFollowsThePluginsResult)
{
  const std::string in = lvxtest::Source("samples/coffee.png");
  EXPECT_EQ(RunHost(kPlugin + "--about"), 0);

  // The stub requests no output: the image is written unchanged, and it
  // records nothing, so no record file appears.
  EXPECT_EQ(RunHost(kPlugin + "--auto --record " + Temp("r.txt") + " --log " + Temp("log.txt") + " " + in + " " +
                    Temp("out.png")),
            0);
  lvhost::HostImage original, written;
  ASSERT_TRUE(lvhost::ReadImage(in, &original, nullptr));
  ASSERT_TRUE(lvhost::ReadImage(Temp("out.png"), &written, nullptr));
  EXPECT_EQ(written.pixels, original.pixels);
  EXPECT_FALSE(Exists(Temp("r.txt")));
  std::ifstream log(Temp("log.txt"));
  std::string first;
  std::getline(log, first);
  EXPECT_EQ(first, "ENTRYPOINT(1) = 0"); // the process's data word starts at 0

  EXPECT_EQ(RunHost(kPlugin + in + " " + Temp("cancelled.png"), "STUB_START_RESULT=-128"), 1);
  EXPECT_EQ(RunHost(kPlugin + in + " " + Temp("failed.png"), "STUB_START_RESULT=-5"), 2);
  EXPECT_FALSE(Exists(Temp("cancelled.png")));
  EXPECT_FALSE(Exists(Temp("failed.png")));
}

TEST(HostProgram, PassthroughGivesEveryImageBackAndEchoesItsParameters)
{
  const std::string params = Temp("p.txt"), record = Temp("r.txt");
  ASSERT_TRUE(lvhost::WriteParameterFile(params,
                                         {lvhost::DescriptorEntry{FourCC("lvAU"), typeBoolean, false, 0, 0},
                                          lvhost::DescriptorEntry{FourCC("lvCT"), typeInteger, false, -12, 0},
                                          lvhost::DescriptorEntry{FourCC("lvGA"), typeFloat, false, 0, 1.8}},
                                         nullptr));
  const std::string replay = kPassthrough + "--replay " + params + " --record " + record + " ";

  // A bundled PNG: the same pixels come back, and the parameters unchanged.
  const std::string png = lvxtest::Source("samples/coffee.png");
  ASSERT_EQ(RunHost(replay + png + " " + Temp("out.png")), 0);
  lvhost::HostImage original, written;
  ASSERT_TRUE(lvhost::ReadImage(png, &original, nullptr));
  ASSERT_TRUE(lvhost::ReadImage(Temp("out.png"), &written, nullptr));
  EXPECT_EQ(written.pixels, original.pixels);
  EXPECT_EQ(Contents(record), Contents(params));

  // PAM grey and RGB with alpha: byte for byte; with --rect too.
  for (const int16_t mode : {plugInModeGrayScale, plugInModeRGBColor}) {
    ASSERT_TRUE(lvhost::WriteImage(Temp("in.pam"), TestImage(mode, true, 5, 4), nullptr));
    std::remove(record.c_str());
    ASSERT_EQ(RunHost(replay + Temp("in.pam") + " " + Temp("out.pam")), 0) << mode;
    EXPECT_EQ(Contents(Temp("out.pam")), Contents(Temp("in.pam"))) << mode;
    EXPECT_EQ(Contents(record), Contents(params)) << mode;
    ASSERT_EQ(RunHost(kPassthrough + "--auto --rect 1,1,3,2 --log " + Temp("log.txt") + " " + Temp("in.pam") + " " +
                      Temp("out.pam")),
              0);
    EXPECT_EQ(Contents(Temp("out.pam")), Contents(Temp("in.pam")));
    EXPECT_NE(Contents(Temp("log.txt")).find("in=(1,1,2,3)"), std::string::npos);
  }

  // CMYK with alpha goes through the host's conversion both ways: the inks
  // may change, the colour they make and the alpha may not.
  const lvhost::HostImage cmyk = TestImage(plugInModeCMYKColor, true, 5, 4);
  ASSERT_TRUE(lvhost::WriteImage(Temp("in.pam"), cmyk, nullptr));
  ASSERT_EQ(RunHost(replay + Temp("in.pam") + " " + Temp("out.pam")), 0);
  ASSERT_TRUE(lvhost::ReadImage(Temp("out.pam"), &written, nullptr));
  ASSERT_EQ(written.pixels.size(), cmyk.pixels.size());
  for (size_t i = 0; i < cmyk.pixels.size(); i += 5) {
    const int16_t in[4] = {cmyk.pixels[i], cmyk.pixels[i + 1], cmyk.pixels[i + 2], cmyk.pixels[i + 3]};
    const int16_t out[4] = {written.pixels[i], written.pixels[i + 1], written.pixels[i + 2], written.pixels[i + 3]};
    int16_t a[3], b[3];
    lvhost::CmykToRgb(in, a);
    lvhost::CmykToRgb(out, b);
    EXPECT_TRUE(std::equal(a, a + 3, b)) << i / 5;
    EXPECT_EQ(written.pixels[i + 4], cmyk.pixels[i + 4]) << i / 5;
  }
}

TEST(HostProgram, WrittenFilesHaveTheModeOfOrdinaryFiles)
{
  const std::string params = Temp("p.txt"), record = Temp("r.txt"), out = Temp("out.pam");
  ASSERT_TRUE(
      lvhost::WriteParameterFile(params, {lvhost::DescriptorEntry{FourCC("lvCT"), typeInteger, false, 4, 0}}, nullptr));
  // A 16-bit grey input, which the host reduces and says so.
  {
    std::ofstream file(Temp("in16.pgm"), std::ios::binary);
    file << std::string("P5\n1 1\n65535\n\xFF\xFF", 15);
  }
  const mode_t before = umask(022);
  const int status =
      RunHost(kPassthrough + "--replay " + params + " --record " + record + " " + Temp("in16.pgm") + " " + out);
  umask(before);
  ASSERT_EQ(status, 0) << Contents(Temp("stderr.txt"));
  for (const std::string& path : {out, record}) {
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0) << path;
    EXPECT_EQ(st.st_mode & 0777, 0644u) << path;
  }
  EXPECT_NE(Contents(Temp("stderr.txt")).find("in16.pgm has 16-bit samples; the picture was reduced to 8 bits"),
            std::string::npos);
}

TEST(HostProgram, CancelsDeadlocksAndRunsLumivexPIsRoads)
{
  const std::string in = lvxtest::Source("samples/coffee.png");
  EXPECT_EQ(RunHost(kPassthrough + in + " " + Temp("cancelled.png"), "LUMIVEX_PASSTHROUGH='acquire deliver quit=1'"),
            1);
  EXPECT_FALSE(Exists(Temp("cancelled.png")));
  // Waiting for a window nobody uses.
  EXPECT_EQ(RunHost(kPassthrough + "--dialog " + in + " " + Temp("waited.png"), "LUMIVEX_PASSTHROUGH=quit=none"), 2);
  EXPECT_FALSE(Exists(Temp("waited.png")));

  // The about window is clicked away at the first idle point.
  EXPECT_EQ(RunHost(kLumivexPI + "--about"), 0);
  EXPECT_EQ(RunHost(kLumivexPI + "--auto --log " + Temp("log.txt") + " " + in + " " + Temp("auto.png")), 0);
  EXPECT_NE(Contents(Temp("log.txt")).find("advanceState"), std::string::npos);
  EXPECT_TRUE(Exists(Temp("auto.png")));
  // A screen of 256 colours: refused before the application starts.
  EXPECT_EQ(RunHost(kLumivexPI + "--screen 1024x768x8 --auto " + in + " " + Temp("low.png")), 1);
  EXPECT_FALSE(Exists(Temp("low.png")));
}
