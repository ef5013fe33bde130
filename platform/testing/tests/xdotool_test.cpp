// The x11 tests' xdotool words, split into the commands that run one at a
// time.
#include "lvxtest/xserver.h"

#include <gtest/gtest.h>

TEST(XdotoolCommands, ADragThenAClickBecomeOneCommandEach)
{
  const std::vector<std::string> expected{"mousemove --window 7 10 20", "mousedown 1", "mousemove --window 7 30 20",
                                          "mouseup 1", "click 1"};
  EXPECT_EQ(lvxtest::XdotoolCommands("mousemove --window 7 10 20 mousedown 1  mousemove --window 7 30 20 mouseup 1 "
                                     "click 1"),
            expected);
}

TEST(XdotoolCommands, QuotedTextIsNeverACommandAndLeadingWordsStandAlone)
{
  const std::vector<std::string> expected{"--sync", "type --delay 20 '/tmp/a key click'", "key Return"};
  EXPECT_EQ(lvxtest::XdotoolCommands("--sync type --delay 20 '/tmp/a key click' key Return"), expected);
  EXPECT_TRUE(lvxtest::XdotoolCommands("   ").empty());
}
