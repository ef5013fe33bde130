// The hosts' and tools' error type: the first problem is the one kept, and
// failing functions can report through a null pointer.
#include "lvxtext/error.h"

#include <gtest/gtest.h>

TEST(Error, KeepsTheFirstProblemWithItsStatus)
{
  lvxtext::Error error;
  EXPECT_FALSE(error.Failed());
  error.Keep("first", 2);
  error.Keep("second", 3);
  EXPECT_TRUE(error.Failed());
  EXPECT_EQ(error.message, "first");
  EXPECT_EQ(error.status, 2);
}

TEST(Error, FailReturnsFalseAndToleratesNoError)
{
  lvxtext::Error error{"earlier", 1};
  EXPECT_FALSE(lvxtext::Fail(&error, "now", 3)) << "so that `return Fail(...)` reports failure";
  EXPECT_EQ(error.message, "now");
  EXPECT_EQ(error.status, 3);
  EXPECT_FALSE(lvxtext::Fail(nullptr, "nobody asked"));
  try {
    lvxtext::Throw("stop", 4);
    ADD_FAILURE() << "Throw returned";
  } catch (const lvxtext::Error& thrown) {
    EXPECT_EQ(thrown.message, "stop");
    EXPECT_EQ(thrown.status, 4);
  }
}
