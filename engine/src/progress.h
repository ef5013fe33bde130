#pragma once
// The progress and cancel protocol of AdjustProgressProc. Every call the
// engine makes to a progress callback goes through Progress(), which also
// keeps begins well formed: a task always announces at least 2 ticks, since
// an argument of 0 or -1 would read as a tick or an end.
#include "lumivex.h"

#include <cstdint>

namespace lvx {

// The callback used when the caller gives none: answers 0 to everything.
int NoProgress(int);

enum class ProgressStep { Begin, Tick, End };

// Begin: announces a task of max(ticks, 2) ticks (limited to what an int
// carries). Tick: one tick and a cancel poll; returns the callback's answer
// (non-zero: cancel). End: ends the innermost task. A null callback is
// treated as NoProgress.
int Progress(AdjustProgressProc cb, ProgressStep step, int64_t ticks = 0);

inline void BeginTask(AdjustProgressProc cb, int64_t ticks) { Progress(cb, ProgressStep::Begin, ticks); }
// True when the callback asks to cancel.
inline bool Poll(AdjustProgressProc cb) { return Progress(cb, ProgressStep::Tick) != 0; }
inline void EndTask(AdjustProgressProc cb) { Progress(cb, ProgressStep::End); }

// A task that ends when it goes out of scope, so every path that begins one
// also ends it:
//   Task task(cb, 4);
//   if (task.Poll()) return kStatusCancelled;
class Task {
public:
  Task(AdjustProgressProc cb, int64_t ticks) : cb_(cb) { BeginTask(cb_, ticks); }
  Task(const Task&) = delete;
  Task& operator=(const Task&) = delete;
  ~Task() { EndTask(cb_); }
  bool Poll() const { return lvx::Poll(cb_); }
  AdjustProgressProc callback() const { return cb_; }

private:
  AdjustProgressProc cb_;
};

} // namespace lvx
