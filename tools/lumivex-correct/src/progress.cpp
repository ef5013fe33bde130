#include "progress.h"

#include <algorithm>
#include <utility>

namespace lvxcorrect {
namespace {
constexpr int kBarWidth = 40;
}

ProgressMeter::ProgressMeter(std::FILE* bar, std::FILE* warnings, std::function<double()> now)
    : bar_(bar), warnings_(warnings), now_(std::move(now))
{
}

int ProgressMeter::OnProgress(int argument, bool cancel)
{
  if (argument < -1) {
    if (tasks_.empty())
      shown_ = 0; // a new top-level task starts the bar afresh
    tasks_.push_back({-int64_t{argument}, 0});
  } else if (argument == -1) {
    if (tasks_.empty())
      Warn(kUnbalancedEnd, "the engine ended a progress task it never began");
    else
      tasks_.pop_back();
  } else if (argument > 0) {
    Warn(kPositive, "the engine passed a positive progress argument");
    return 0;
  } else if (!tasks_.empty()) {
    Task& t = tasks_.back();
    t.done = std::min(t.done + 1, t.total); // extra ticks are clamped
  }
  MaybeRedraw();
  return (argument == 0 && cancel) ? 1 : 0;
}

double ProgressMeter::Fraction() const
{
  double fraction = 0;
  double span = 1;
  for (const Task& t : tasks_) {
    fraction += span * static_cast<double>(t.done) / static_cast<double>(t.total);
    if (t.done >= t.total)
      break; // a full task leaves no room for its children
    span /= static_cast<double>(t.total);
  }
  return std::min(fraction, 1.0);
}

void ProgressMeter::Finish()
{
  if (!tasks_.empty() && warnings_) {
    ClearBar();
    std::fprintf(warnings_, "lumivex-correct: warning: the engine left %zu progress task(s) open\n", tasks_.size());
  }
  tasks_.clear();
  ClearBar();
}

void ProgressMeter::Warn(Violation kind, const char* text)
{
  if (warned_[kind] || !warnings_)
    return;
  warned_[kind] = true; // once per kind: a faulty engine repeats itself
  ClearBar();
  std::fprintf(warnings_, "lumivex-correct: warning: %s\n", text);
}

void ProgressMeter::MaybeRedraw()
{
  if (!bar_)
    return;
  shown_ = std::max(shown_, Fraction());
  const int percent = static_cast<int>(shown_ * 100);
  const double now = now_();
  if ((barVisible_ && percent == shownPercent_) || (redraws_ > 0 && now - lastDraw_ < kMinRedrawInterval))
    return;
  const int filled = static_cast<int>(shown_ * kBarWidth);
  char line[kBarWidth + 1];
  std::fill(line, line + kBarWidth, ' ');
  std::fill(line, line + filled, '#');
  line[kBarWidth] = '\0';
  std::fprintf(bar_, "\rCorrecting [%s] %3d%%", line, percent);
  std::fflush(bar_);
  shownPercent_ = percent;
  lastDraw_ = now;
  barVisible_ = true;
  ++redraws_;
}

void ProgressMeter::ClearBar()
{
  if (!barVisible_)
    return;
  std::fprintf(bar_, "\r%*s\r", kBarWidth + 18, "");
  std::fflush(bar_);
  barVisible_ = false;
}

} // namespace lvxcorrect
