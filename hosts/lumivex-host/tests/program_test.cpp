// The lumivex-host program: option errors, exit statuses and files, run as
// a separate process with the stub plug-in.
#include "image.h"
#include "lvxtest/testenv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

namespace {

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

int RunHost(const std::string& arguments, const std::string& environment = "")
{
  const std::string command = environment + " '" HOST_PATH "' " + arguments + " 2>>'" + Temp("stderr.txt") + "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

const std::string kPlugin = std::string("--plugin '") + STUBMODULE_PATH + "' ";

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
