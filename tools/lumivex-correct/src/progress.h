#pragma once
// Follows the engine's progress protocol (n < -1 begins a nested task of -n
// ticks, 0 ticks the current task and polls for cancel, -1 ends it), draws a
// bar of the overall fraction and reports protocol violations.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace lvxcorrect {

class ProgressMeter {
public:
  // `bar`: where the bar is drawn (a terminal), or null for no bar.
  // `warnings`: where protocol violations are reported. `now`: seconds.
  ProgressMeter(std::FILE* bar, std::FILE* warnings, std::function<double()> now);

  // One callback from the engine. Returns non-zero at a poll when `cancel`
  // is set, else 0.
  int OnProgress(int argument, bool cancel);

  // After the engine returned: reports tasks left open and clears the bar.
  void Finish();

  // The overall fraction done, 0..1: each task contributes its share of the
  // tick its parent is working on.
  double Fraction() const;
  size_t Depth() const { return tasks_.size(); }
  int Redraws() const { return redraws_; }

  static constexpr double kMinRedrawInterval = 0.1; // at most 10 redraws a second

private:
  struct Task {
    int64_t total;
    int64_t done;
  };
  enum Violation { kPositive, kUnbalancedEnd, kCount };

  void Warn(Violation kind, const char* text);
  void MaybeRedraw();
  void ClearBar();

  std::FILE* bar_;
  std::FILE* warnings_;
  std::function<double()> now_;
  std::vector<Task> tasks_;
  double shown_ = 0; // what the bar shows; never moves backwards
  int shownPercent_ = -1;
  double lastDraw_ = 0;
  int redraws_ = 0;
  bool barVisible_ = false;
  bool warned_[kCount] = {};
};

} // namespace lvxcorrect
