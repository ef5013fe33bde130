// The progress meter: nested fractions, clamping, cancel, redraw rate and
// protocol warnings.
#include "progress.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

namespace lvxcorrect {
namespace {

// Captures what the meter writes.
class Capture {
public:
  Capture() : file_(open_memstream(&data_, &size_)) {}
  ~Capture()
  {
    std::fclose(file_);
    std::free(data_);
  }
  std::FILE* file() { return file_; }
  std::string text()
  {
    std::fflush(file_);
    return std::string(data_, size_);
  }

private:
  char* data_ = nullptr;
  size_t size_ = 0;
  std::FILE* file_;
};

TEST(CorrectProgressMeter, NestedTasksShareTheirParentsTick)
{
  ProgressMeter m(nullptr, nullptr, [] { return 0.0; });
  m.OnProgress(-4, false);
  m.OnProgress(0, false); // 1/4
  m.OnProgress(-2, false);
  m.OnProgress(0, false); // + 1/4 * 1/2
  EXPECT_DOUBLE_EQ(m.Fraction(), 0.375);
  m.OnProgress(-5, false);
  m.OnProgress(0, false); // + 1/4 * 1/2 * 1/5
  EXPECT_DOUBLE_EQ(m.Fraction(), 0.4);
  EXPECT_EQ(m.Depth(), 3u);
  m.OnProgress(-1, false);
  m.OnProgress(-1, false);
  m.OnProgress(0, false); // the parent's own second tick
  EXPECT_DOUBLE_EQ(m.Fraction(), 0.5);
}

TEST(CorrectProgressMeter, ExtraTicksAreClampedAndAFullTaskHidesItsChildren)
{
  ProgressMeter m(nullptr, nullptr, [] { return 0.0; });
  m.OnProgress(-2, false);
  for (int i = 0; i < 7; ++i)
    m.OnProgress(0, false);
  EXPECT_DOUBLE_EQ(m.Fraction(), 1.0);
  m.OnProgress(-3, false);
  m.OnProgress(0, false);
  EXPECT_DOUBLE_EQ(m.Fraction(), 1.0);
  // The most negative argument is a task of 2^31 ticks, not an overflow.
  m.OnProgress(INT_MIN, false);
  EXPECT_EQ(m.Depth(), 3u);
}

TEST(CorrectProgressMeter, OnlyPollsCancel)
{
  ProgressMeter m(nullptr, nullptr, [] { return 0.0; });
  EXPECT_EQ(m.OnProgress(-3, true), 0);
  EXPECT_EQ(m.OnProgress(0, false), 0);
  EXPECT_EQ(m.OnProgress(0, true), 1);
  EXPECT_EQ(m.OnProgress(-1, true), 0);
  EXPECT_EQ(m.OnProgress(0, true), 1); // a poll outside any task still cancels
}

TEST(CorrectProgressMeter, RedrawsAtMostTenTimesASecond)
{
  // 2000 ticks spread evenly over one simulated second.
  double now = 0;
  Capture bar;
  ProgressMeter m(bar.file(), nullptr, [&] { return now; });
  m.OnProgress(-2000, false);
  for (int i = 0; i < 2000; ++i) {
    now += 0.0005;
    m.OnProgress(0, false);
  }
  // The first draw, then one per full 0.1 s: 11 at most.
  EXPECT_GE(m.Redraws(), 9);
  EXPECT_LE(m.Redraws(), 11);
  m.OnProgress(-1, false);
  m.Finish();
  const std::string text = bar.text();
  EXPECT_NE(text.find("Correcting ["), std::string::npos);
  EXPECT_NE(text.find("  0%"), std::string::npos);
  // The line is wiped at the end: it finishes with a carriage return.
  EXPECT_EQ(text.back(), '\r');
}

TEST(CorrectProgressMeter, UnchangedPercentIsNotRedrawnAndTheBarNeverGoesBack)
{
  double now = 0;
  Capture bar;
  ProgressMeter m(bar.file(), nullptr, [&] { return now; });
  m.OnProgress(-2, false);
  m.OnProgress(-1000, false);
  for (int i = 0; i < 5; ++i) {
    now += 1;
    m.OnProgress(0, false); // 0.05% each: still 0%
  }
  EXPECT_EQ(m.Redraws(), 1);
  for (int i = 0; i < 1000; ++i)
    m.OnProgress(0, false);
  now += 1;
  m.OnProgress(-1, false); // child gone, parent not yet ticked: 0% computed
  EXPECT_DOUBLE_EQ(m.Fraction(), 0.0);
  const std::string text = bar.text();
  EXPECT_NE(text.rfind(" 50%"), std::string::npos) << text;
  EXPECT_EQ(text.find("  0%", text.find(" 50%")), std::string::npos) << text;
}

TEST(CorrectProgressMeter, ViolationsAreReportedOncePerKind)
{
  Capture warnings;
  ProgressMeter m(nullptr, warnings.file(), [] { return 0.0; });
  EXPECT_EQ(m.OnProgress(3, true), 0); // not a poll: never cancels
  m.OnProgress(7, false);
  m.OnProgress(-1, false);
  m.OnProgress(-1, false);
  m.OnProgress(-5, false);
  m.OnProgress(-5, false);
  m.Finish();
  EXPECT_EQ(warnings.text(), "lumivex-correct: warning: the engine passed a positive progress argument\n"
                             "lumivex-correct: warning: the engine ended a progress task it never began\n"
                             "lumivex-correct: warning: the engine left 2 progress task(s) open\n");
  EXPECT_EQ(m.Depth(), 0u);
}

} // namespace
} // namespace lvxcorrect
