// The bridge as modules a host loads: LumivexPI, which has no application
// yet, and the pass-through test module, side by side in one process.
#include "host.h"
#include "hosttest.h"
#include "plugin.h"
#include "qvcommon/qvresourcefile.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

using namespace lvhost;

namespace {

template <class Proc>
Proc Export(const LoadedPlugin& plugin, const char* name)
{
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(plugin.module, name)));
}

class Modules : public ::testing::Test {
protected:
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(LoadPlugin(LUMIVEXPI_PATH, plugInModeRGBColor, &lumivex, &error)) << error;
    ASSERT_TRUE(LoadPlugin(PASSTHROUGH_PATH, plugInModeRGBColor, &passthrough, &error)) << error;
    configure = Export<bool (*)(const char*)>(passthrough, "PassthroughConfigure");
    count = Export<long (*)(const char*)>(passthrough, "PassthroughCount");
    quit = Export<void (*)(int)>(passthrough, "PassthroughQuit");
    aboutWindow = Export<HWND (*)()>(passthrough, "PassthroughAboutWindow");
    ASSERT_TRUE(configure && count && quit && aboutWindow);
  }
  RunResult Run(const LoadedPlugin& plugin, RunOptions options = {})
  {
    HostImage image = TestImage(plugInModeRGBColor, false, 3, 2);
    return host.Run(plugin.entry, image, options);
  }
  RunResult About(const LoadedPlugin& plugin)
  {
    RunOptions options;
    options.about = true;
    return Run(plugin, options);
  }
  void ClickAboutLater()
  {
    standin::AddIdleStep([this] { standin::Click(aboutWindow(), 5, 5); });
  }

  LoadedPlugin lumivex, passthrough;
  bool (*configure)(const char*) = nullptr;
  long (*count)(const char*) = nullptr;
  void (*quit)(int) = nullptr;
  HWND (*aboutWindow)() = nullptr;
  Host host;
};

} // namespace

TEST_F(Modules, LumivexPIRunsItsChecksThenRefuses)
{
  RunOptions automatic;
  automatic.playInfo = playInfoDontDisplay;
  automatic.descriptor = Descriptor{DescriptorEntry{FourCC("lvAU"), typeBoolean, true, 0, 0}};
  const RunResult run = Run(lumivex, automatic);
  EXPECT_EQ(run.result, userCanceledErr);
  EXPECT_FALSE(run.committed);
  EXPECT_EQ(host.Count("advanceState("), 0);
  EXPECT_EQ(About(lumivex).result, noErr); // no about window yet: done at once
  EXPECT_FALSE(About(lumivex).deadlock);
}

TEST_F(Modules, EachModuleRunsItsOwnShellOnItsOwnResources)
{
  RunOptions replay;
  replay.playInfo = playInfoDontDisplay;
  replay.descriptor = Descriptor{DescriptorEntry{FourCC("lvCT"), typeInteger, false, -12, 0},
                                 DescriptorEntry{FourCC("lvGA"), typeFloat, false, 0, 1.8}};
  RunResult run = Run(passthrough, replay);
  EXPECT_TRUE(run.committed);
  EXPECT_EQ(run.recorded, replay.descriptor); // echoed
  EXPECT_EQ(Run(lumivex).result, userCanceledErr);
  EXPECT_EQ(GetHostInstance(), reinterpret_cast<HINSTANCE>(lumivex.module));
  EXPECT_TRUE(Run(passthrough).committed);
  EXPECT_EQ(count("foreign-instance"), 0);
  EXPECT_EQ(count("start"), 2);
  EXPECT_EQ(count("end"), 2);
}

TEST_F(Modules, AboutEndsWithTheClickAndNeverEndsALaterRun)
{
  ClickAboutLater();
  EXPECT_EQ(About(passthrough).result, noErr);
  EXPECT_EQ(count("about-deleted"), 1);
  EXPECT_EQ(standin::IdleStepsLeft(), 0u);

  // A run whose about window is clicked away goes on until its own quit.
  ASSERT_TRUE(configure("acquire deliver about quit=none"));
  ClickAboutLater();
  bool quitStep = false;
  standin::AddIdleStep([&] { quitStep = true, quit(0); });
  EXPECT_TRUE(Run(passthrough).committed);
  EXPECT_TRUE(quitStep);
  EXPECT_EQ(count("about-deleted"), 2);
  EXPECT_FALSE(configure("nonsense"));
}
