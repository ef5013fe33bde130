// The layering checker on a fixture tree that plants one problem of each
// kind: it must fail and name every offending file and line, and only those.
#include "layering.h"
#include "lvxtest/commandrun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Runs the tool with stderr joined to stdout.
lvxtest::CommandRun RunChecker(const std::string& arguments)
{
  return lvxtest::RunCommand(std::string(LAYERING_TOOL) + " " + arguments + " 2>&1");
}

const std::string kFixture = LAYERING_FIXTURE;

TEST(LayeringTest, PlantedViolationsFailNamingEachFileAndLine)
{
  const lvxtest::CommandRun run = RunChecker("--rules " + kFixture + "/rules.txt --root " + kFixture +
                                             "/tree --generated " + kFixture + "/generated");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output,
            kFixture +
                "/generated/module_resources.cpp:2: generated may not include "
                "platform/include/platform/automation.h (automation)\n" +
                kFixture + "/tree/engine/src/stage.cpp:3: engine may not include plugin/window.h (plugin)\n" +
                kFixture + "/tree/plugin/a.h:2: include cycle between the headers of plugin: a.h -> b.h -> a.h\n" +
                kFixture +
                "/tree/plugin/window.h:4: plugin may not include "
                "platform/include/platform/automation.h (automation)\n"
                "layering: 8 files checked, 4 problems\n");
}

TEST(LayeringTest, TheTreeWithoutItsGeneratedSourcesHasOnlyItsOwnProblems)
{
  const lvxtest::CommandRun run = RunChecker("--rules " + kFixture + "/rules.txt --root " + kFixture + "/tree");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output.find("module_resources.cpp"), std::string::npos);
  EXPECT_NE(run.output.find("7 files checked, 3 problems"), std::string::npos) << run.output;
}

TEST(LayeringTest, AnUnreadableTableOrMissingArgumentsStopTheCheck)
{
  EXPECT_EQ(RunChecker("--root " + kFixture + "/tree").status, 2);
  const lvxtest::CommandRun missing = RunChecker("--rules " + kFixture + "/none.txt --root " + kFixture + "/tree");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.output.find("none.txt: cannot read the table"), std::string::npos) << missing.output;
}

TEST(LayeringTest, TableLinesItCannotReadOrUnknownUnitsAreReportedWithTheirLine)
{
  layering::Rules rules;
  lvxtext::Error error;
  EXPECT_FALSE(layering::ParseRules("unit a a\nallow a b\n", "t.txt", &rules, &error));
  EXPECT_EQ(error.message, "t.txt:2: cannot read the line 'allow a b'");
  layering::Rules other;
  EXPECT_FALSE(layering::ParseRules("unit a a\n# the table\nallow a -> b\n", "t.txt", &other, &error));
  EXPECT_EQ(error.message, "t.txt:3: no unit line names 'b'");
}

TEST(LayeringTest, AFileOfNoUnitIsReported)
{
  layering::Rules rules;
  ASSERT_TRUE(layering::ParseRules("unit engine engine\n", "t.txt", &rules, nullptr));
  const auto problems = layering::Check({{kFixture + "/tree/plugin/a.h", "plugin/a.h"}}, rules);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], kFixture + "/tree/plugin/a.h:1: the file belongs to no unit of the table");
}

} // namespace
