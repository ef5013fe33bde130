// The table of committed hashes: every kind of difference fails the test
// and names the result.
#include "lvxtest/goldentable.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <utility>

using lvxtest::GoldenEntry;
using lvxtest::GoldenTable;

namespace {

constexpr GoldenEntry kTable[] = {{"first", "aa"}, {"second", "bb"}};

class Golden : public ::testing::Test {
protected:
  // The printing mode would compare nothing.
  void SetUp() override { unsetenv("LUMIVEX_GOLDEN_PRINT"); }
};

} // namespace

// Records the results in order and checks them against kTable.
void CheckResults(std::initializer_list<std::pair<const char*, const char*>> results)
{
  GoldenTable table(kTable);
  for (const auto& [name, hash] : results)
    table.Add(name, hash);
  table.Check();
}

TEST_F(Golden, TheSameResultsPassInAnyOrder) { CheckResults({{"second", "bb"}, {"first", "aa"}}); }

TEST_F(Golden, EachDifferenceFailsNamingTheResult)
{
  EXPECT_NONFATAL_FAILURE(CheckResults({{"first", "aa"}, {"second", "bc"}}), "\"second\" changed");
  EXPECT_NONFATAL_FAILURE(CheckResults({{"first", "aa"}}), "No result \"second\"");
  EXPECT_NONFATAL_FAILURE(CheckResults({{"first", "aa"}, {"second", "bb"}, {"third", "cc"}}),
                          "\"third\" (cc) is not in the table");
  EXPECT_NONFATAL_FAILURE(CheckResults({{"first", "aa"}, {"first", "aa"}, {"second", "bb"}}), "recorded twice");
}

TEST_F(Golden, ThePrintingModeComparesNothing)
{
  setenv("LUMIVEX_GOLDEN_PRINT", "1", 1);
  GoldenTable table(kTable);
  table.Add("third", "cc");
  testing::internal::CaptureStdout();
  table.Check();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "    // Golden.ThePrintingModeComparesNothing\n    {\"third\", \"cc\"},\n");
  setenv("LUMIVEX_GOLDEN_PRINT", "0", 1);
  EXPECT_FALSE(GoldenTable::Printing());
}
