// The bridge as modules a host loads: LumivexPI with its application and
// the pass-through test module, side by side in one process.
#include "host.h"
#include "hosttest.h"
#include "plugin.h"
#include "qvcommon/qvresourcefile.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

using namespace lvhost;

namespace {

template <class Proc>
void Export(const LoadedPlugin& plugin, const char* name, Proc* proc)
{
  *proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(plugin.module, name)));
  ASSERT_NE(*proc, nullptr) << name;
}

class Modules : public ::testing::Test {
protected:
  void SetUp() override
  {
    lvxtext::Error error;
    ASSERT_TRUE(LoadPlugin(LUMIVEXPI_PATH, plugInModeRGBColor, &lumivex, &error)) << error.message;
    ASSERT_TRUE(LoadPlugin(PASSTHROUGH_PATH, plugInModeRGBColor, &passthrough, &error)) << error.message;
    Export(passthrough, "PassthroughConfigure", &configure);
    Export(passthrough, "PassthroughCount", &count);
    Export(passthrough, "PassthroughQuit", &quit);
    Export(passthrough, "PassthroughAboutWindow", &aboutWindow);
  }
  RunResult Run(const LoadedPlugin& plugin, RunOptions options = {})
  {
    HostImage image = TestImage(plugInModeRGBColor, false, 3, 2);
    return host.Run(plugin.entry, image, options);
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

TEST_F(Modules, EachModuleRunsItsOwnShellOnItsOwnResources)
{
  EXPECT_TRUE(Run(passthrough).committed);
  RunOptions automatic;
  automatic.playInfo = playInfoDontDisplay;
  automatic.descriptor = Descriptor{{FourCC("lvAU"), typeBoolean, true, 0, 0}};
  const RunResult corrected = Run(lumivex, automatic);
  EXPECT_EQ(corrected.result, noErr);
  EXPECT_TRUE(corrected.committed) << "LumivexPI's own application took the automatic road";
  EXPECT_EQ(GetHostInstance(), reinterpret_cast<HINSTANCE>(lumivex.module));
  EXPECT_TRUE(Run(passthrough).committed);
  EXPECT_EQ(count("foreign-instance"), 0);
  EXPECT_EQ(count("start"), 2);
  EXPECT_EQ(count("end"), 2);
}

TEST_F(Modules, AboutEndsWithTheClickAndNeverEndsALaterRun)
{
  ClickAboutLater();
  RunOptions about;
  about.about = true;
  EXPECT_EQ(Run(passthrough, about).result, noErr);
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
