#include "pipeline.h"

#include "alloc.h"
#include "colorspace.h"
#include "iterate.h"
#include "progress.h"
#include "rect.h"
#include "replaycache.h"
#include "status.h"

#include <algorithm>
#include <cmath>

namespace lvx {
namespace {

AdjustRect WholeOf(const ImageDesc& image) { return WholeRect(image.rows, image.columns); }

// The reduced copy of the full image's analysis rectangle, with its own
// rectangle covering all of it.
int MakeReducedCopy(const CorrectionImage& full, int64_t budget, CorrectionImage& reduced, AdjustProgressProc cb)
{
  reduced = CorrectionImage{};
  if (int s = Reduce(RectView(full.colour, full.rect), budget, reduced.colour, cb))
    return s;
  reduced.rect = WholeOf(reduced.colour);
  reduced.workingGamma = full.workingGamma;
  return kStatusOk;
}

// Ends a stretch of full-resolution work in the reduced-copy correction: the colour
// image made current, a poll, the working image given back.
int FinishFullResolution(CorrectionImage& full, const Task& task, AdjustProgressProc cb)
{
  if (int s = EnsureColour(full, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  FreeImage(full.working);
  full.workingValid = 0;
  return kStatusOk;
}

int CorrectFullSize(CorrectionImage& full, EngineControl& control, AdjustProgressProc cb)
{
  Task task(cb, 2);
  if (int s = RunStages(full, control, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  if (int s = EnsureColour(full, cb))
    return s;
  return task.Poll() ? kStatusCancelled : kStatusOk;
}

// Analysis on a reduced copy, replayed on the full image; the sharpening
// stage (position `sharpen`, 1-based, 0 when absent) runs on the full image
// before (first) or after (last) the others. `last` is the position of the
// last filled slot.
int CorrectOnReducedCopy(CorrectionImage& full, CorrectionImage& reduced, EngineControl& reducedControl,
                         EngineControl& keptControl, int sharpen, int last, AdjustProgressProc cb)
{
  Task task(cb, 4);
  const int64_t budget = reducedControl.pixelBudget;
  StageFn sharpening = sharpen ? keptControl.stages[sharpen - 1] : nullptr;
  bool sharpenLast = sharpen != 0 && sharpen == last; // also when it is the only stage
  bool haveReduced = false;

  if (sharpen == 1 && !sharpenLast) {
    if (reducedControl.borderFlag) {
      if (int s = MakeReducedCopy(full, budget, reduced, cb))
        return s;
      haveReduced = true;
      if (reducedControl.borderPrePass)
        if (int s = reducedControl.borderPrePass(reduced, reducedControl, cb))
          return s;
      full.rect = MapRect(WholeOf(reduced.colour), reduced.rect, full.rect);
      reducedControl.borderFlag = 0;
    }
    if (int s = sharpening(full, keptControl, cb))
      return s;
    if (int s = FinishFullResolution(full, task, cb))
      return s;
  }

  if (!haveReduced)
    if (int s = MakeReducedCopy(full, budget, reduced, cb))
      return s;
  if (sharpen)
    reducedControl.stages[sharpen - 1] = nullptr;
  if (sharpenLast)
    reducedControl.finalFlag = 0;

  if (int s = RunStages(reduced, reducedControl, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;

  const AdjustRect reducedWhole = WholeOf(reduced.colour);
  const AdjustRect reducedRect = reduced.rect;
  const double reducedGamma = reduced.workingGamma;
  FreeCorrectionImage(reduced);
  if (int s = Replay(full, reducedControl, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;

  if (sharpenLast) {
    full.rect = MapRect(reducedWhole, reducedRect, full.rect);
    full.workingGamma = reducedGamma;
    keptControl.workingGamma = reducedControl.workingGamma;
    if (int s = sharpening(full, keptControl, cb))
      return s;
    if (task.Poll())
      return kStatusCancelled;
    if (keptControl.finalFlag && keptControl.finalStep)
      if (int s = keptControl.finalStep(full, keptControl, cb))
        return s;
    return FinishFullResolution(full, task, cb);
  }
  return kStatusOk;
}

} // namespace

int EnsureWorking(CorrectionImage& image, AdjustProgressProc cb)
{
  if (image.workingValid)
    return kStatusOk;
  if (!image.working.Allocated()) {
    image.working = AllocWorking(image.colour.rows, image.colour.columns);
    if (!image.working.Allocated())
      return kStatusNoMemory;
  }
  if (int s = ColourToWorkingImage(image.colour, image.working, image.workingGamma, cb))
    return s;
  image.workingValid = 1;
  return kStatusOk;
}

int EnsureColour(CorrectionImage& image, AdjustProgressProc cb)
{
  if (image.colourValid || !image.working.Allocated())
    return kStatusOk;
  if (int s = WorkingToColourImage(image.working, image.colour, image.workingGamma, cb))
    return s;
  image.colourValid = 1;
  return kStatusOk;
}

int QueueStep(EngineControl& control, PixelOp op, bool inWorking, bool outWorking)
{
  int count = control.queueCount;
  bool convert = count > 0 ? (control.queue[count - 1].outWorking != 0) != inWorking : inWorking;
  if (count < 0 || count + (convert ? 2 : 1) > kQueueCapacity)
    return kStatusBadArgument;
  if (convert) {
    bool plain = control.workingGamma == 1.0;
    if (inWorking)
      control.queue[count++] = StepEntry{plain ? ColourToWorkingPlainOp : ColourToWorkingGammaOp, 0, 1};
    else
      control.queue[count++] = StepEntry{plain ? WorkingToColourPlainOp : WorkingToColourGammaOp, 1, 0};
  }
  control.queue[count++] = StepEntry{op, inWorking ? 1 : 0, outWorking ? 1 : 0};
  control.queueCount = int16_t(count);
  return kStatusOk;
}

int FinishRewrite(CorrectionImage& image, EngineControl& control, int status, PixelOp op, bool working)
{
  if (status != kStatusOk) {
    if (working)
      image.WorkingStale();
    else
      image.ColourStale();
    return status;
  }
  if (working)
    image.WorkingWritten();
  else
    image.ColourWritten();
  return QueueStep(control, op, working, working);
}

int Reduce(const ImageDesc& source, int64_t budget, ImageDesc& out, AdjustProgressProc cb, bool viewWhenSameSize)
{
  out = EmptyImage();
  if (source.kind != kKindColour)
    return kStatusBadArgument;
  const int64_t H = source.rows, W = source.columns;
  if (H <= 0 || W <= 0)
    return kStatusOk;
  double d = std::sqrt(double(H) * double(W) / double(budget > 0 ? budget : 1));
  if (d < 1)
    d = 1;
  // Thin images must keep at least one row and column.
  int64_t h = int64_t(std::floor(H / d + 0.5)), w = int64_t(std::floor(W / d + 0.5));
  h = h < 1 ? 1 : h;
  w = w < 1 ? 1 : w;
  if (viewWhenSameSize && h == H && w == W) {
    out = source;
    out.ownsBuffer = 0;
    return kStatusOk;
  }
  ImageDesc copy = AllocColour(int32_t(h), int32_t(w));
  if (!copy.Allocated())
    return kStatusNoMemory;
  // The sampling grid is centred: the leftover source rows (columns) are
  // split evenly before the first and after the last sample.
  const int64_t rowStart = (H - H * (h - 1) / h - 1) >> 1;
  const int64_t colStart = (W - W * (w - 1) / w - 1) >> 1;
  for (int c = 0; c < 3; ++c) {
    Buffer<ptrdiff_t> rowOffset, colOffset;
    if (!rowOffset.Allocate(size_t(h)) || !colOffset.Allocate(size_t(w))) {
      FreeImage(copy);
      return kStatusNoMemory;
    }
    for (int64_t i = 0; i < h; ++i)
      rowOffset[size_t(i)] = (rowStart + H * i / h) * source.rowStride;
    for (int64_t j = 0; j < w; ++j)
      colOffset[size_t(j)] = (colStart + W * j / w) * source.pixelStride + c;
    Task task(cb, h / 16);
    for (int64_t i = 0; i < h; ++i) {
      const uint8_t* from = source.data + rowOffset[size_t(i)];
      uint8_t* to = copy.Row(i) + c;
      for (int64_t j = 0; j < w; ++j)
        to[j * 3] = from[colOffset[size_t(j)]];
      if ((i + 1) % 16 == 0 && task.Poll()) {
        FreeImage(copy);
        return kStatusCancelled;
      }
    }
  }
  out = copy;
  return kStatusOk;
}

int Replay(CorrectionImage& full, const EngineControl& control, AdjustProgressProc cb)
{
  PixelOp ops[kQueueCapacity + 1];
  int count = 0;
  bool endsInWorking = false;
  int queued = std::clamp<int>(control.queueCount, 0, kQueueCapacity);
  for (int i = 0; i < queued; ++i) {
    if (control.queue[i].op) {
      ops[count++] = control.queue[i].op;
      endsInWorking = control.queue[i].outWorking != 0;
    }
  }
  if (count == 0)
    return kStatusOk;
  const double gamma = control.workingGamma;
  if (endsInWorking)
    ops[count++] = gamma == 1.0 ? WorkingToColourPlainOp : WorkingToColourGammaOp;
  PrepareGammaTables(gamma);

  // The chain is evaluated once per distinct colour (replaycache.h).
  ReplayCache cache(ops, count);
  if (!cache.Allocate())
    return kStatusNoMemory;
  full.workingValid = 0;
  return ForEachRow(
      full.colour,
      [&](uint8_t* row, int32_t columns, ptrdiff_t pixelStride) { cache.MapRow(row, columns, pixelStride); }, cb);
}

int RunStages(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb)
{
  AdjustProgressProc stageCb = control.passCallback ? cb : NoProgress;
  Task task(cb, 6);
  if (control.borderFlag && control.borderPrePass)
    if (int s = control.borderPrePass(image, control, stageCb))
      return s;
  control.queueCount = 0;
  for (int slot = 0; slot < kStageSlots; ++slot) {
    if (StageFn stage = control.stages[slot])
      if (int s = stage(image, control, stageCb))
        return s;
    if (task.Poll())
      return kStatusCancelled;
  }
  if (control.finalFlag && control.finalStep)
    if (int s = control.finalStep(image, control, stageCb))
      return s;
  return task.Poll() ? kStatusCancelled : kStatusOk;
}

int RunPipeline(const EngineControl& control, const ImageDesc& image, const AdjustRect& rect, AdjustProgressProc cb)
{
  if (!cb)
    cb = NoProgress;
  EngineControl reducedControl = control; // for the stage runner
  EngineControl keptControl = control;    // for the full-resolution steps of the reduced-copy correction
  const uint64_t limit = 2 * uint64_t(uint32_t(control.pixelBudget));
  const uint64_t area = uint64_t(RectArea(rect));
  if (image.kind != kKindColour)
    return kStatusBadArgument;

  CorrectionImage full;
  full.colour = image;
  full.rect = rect;

  int sharpen = 0, last = 0;
  bool reduced = false;
  if (area > limit) {
    for (int slot = 0; slot < kStageSlots; ++slot) {
      if (!control.stages[slot])
        continue;
      last = slot + 1;
      if (!sharpen && control.stages[slot] == control.sharpening)
        sharpen = slot + 1;
    }
    if (last == 0)
      return kStatusOk;
    // Sharpening in the middle needs every stage at full resolution.
    reduced = sharpen == 0 || sharpen == 1 || sharpen == last;
  }

  int status;
  if (reduced) {
    CorrectionImage copy;
    status = CorrectOnReducedCopy(full, copy, reducedControl, keptControl, sharpen, last, cb);
    FreeCorrectionImage(copy);
  } else {
    status = CorrectFullSize(full, reducedControl, cb);
  }
  FreeImage(full.working);
  return status;
}

void FreeCorrectionImage(CorrectionImage& image)
{
  FreeImage(image.colour); // a view (the caller's buffer) is only reset
  FreeImage(image.working);
  image.colourValid = 0;
  image.workingValid = 0;
}

} // namespace lvx
