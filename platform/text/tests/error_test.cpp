// The hosts' and tools' error type: the first problem is the one kept,
// failing functions can report through a null pointer, and nothing cuts a
// message short or ends a program unreported.
#include "lvxtext/error.h"

#include <gtest/gtest.h>

#include <stdexcept>

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

TEST(Error, ANulByteIsShownAndAnUncaughtExceptionIsReported)
{
  EXPECT_EQ(lvxtext::Printable(std::string("a\0b", 3)), "a\\0b") << "the message goes on past it";
  testing::internal::CaptureStderr();
  int status = 0;
  try {
    throw std::runtime_error("basic_filebuf::underflow error reading the file");
  } catch (...) {
    status = lvxtext::ReportUncaught("tool", 3);
  }
  try {
    throw 7;
  } catch (...) {
    lvxtext::ReportUncaught("tool", 3);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tool: internal error: basic_filebuf::underflow error reading the file; the run was stopped\n"
            "tool: internal error; the run was stopped\n");
  EXPECT_EQ(status, 3);
}
