#pragma once
// The correction pipeline: the image pair of a run, the control block with
// its stage slots and step queue, the stage runner, the reduced-copy correction
// and the replay of queued point operations on the full image.
//
// Writing a stage (engine/src/<stage>.cpp, installed in stages.cpp):
//
//   int LevelsStage(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb)
//   {
//     LevelsSettings& settings = LevelsSettingsOf(control); // module.h
//     Task task(cb, 4);                          // progress.h; ends on return
//     if (int s = EnsureColour(image, cb)) return s;
//     if (task.Poll()) return kStatusCancelled;
//     ... measure inside image.rect (RectView), buffers from alloc.h ...
//     int s = ApplyColourTables(image.colour, ...); // the whole picture
//     if (int q = FinishRewrite(image, control, s, LevelsLookupOp, false)) return q;
//     return task.Poll() ? kStatusCancelled : kStatusOk;
//   }
//
// A stage never frees the image pair; the driver does.
#include "image.h"
#include "lumivex.h"
#include "settings.h"

#include <cstdint>

namespace lvx {

// The image pair of one run.
struct CorrectionImage {
  ImageDesc colour;            // the B,G,R picture (the caller's buffer, or a reduced copy the run owns)
  ImageDesc working;           // its working-space twin, allocated on first need, owned by the run
  int32_t colourValid = 1;     // colour holds the current picture
  int32_t workingValid = 0;    // working holds the current picture
  AdjustRect rect{0, 0, 0, 0}; // analysis rectangle: stages measure inside it only
  double workingGamma = 1.0;   // gamma of the data relative to linear light

  // After a stage rewrote one representation successfully.
  void ColourWritten() { colourValid = 1, workingValid = 0; }
  void WorkingWritten() { workingValid = 1, colourValid = 0; }
  // After a stage failed part-way through writing one representation.
  void ColourStale() { colourValid = 0; }
  void WorkingStale() { workingValid = 0; }
};

struct EngineControl;
// Stages, the border pre-pass and the final display-gamma step: status 0,
// 1 (cancelled) or a negative error, which stops the run.
using StageFn = int (*)(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb);
// A per-pixel point operation for the step queue: rewrites one pixel held as
// 4 bytes (B, G, R, 0 for colour pixels; the working element otherwise).
using PixelOp = void (*)(uint8_t* pixel);

struct StepEntry {
  PixelOp op = nullptr;
  int32_t inWorking = 0;  // expects working-space pixels
  int32_t outWorking = 0; // leaves working-space pixels
};

enum StageSlot : int { kSlotLevels, kSlotGamma, kSlotContrast, kSlotSkin, kSlotSharpen, kStageSlots };
enum : int { kQueueCapacity = 20, kDefaultPixelBudget = 100000 };

// The pipeline control block. The module holds one (module.h); each run
// works on copies, so stages that store settings pointers or queue steps
// never change the module's block.
struct EngineControl {
  int32_t borderFlag = 1;                    // run the border pre-pass
  int32_t finalFlag = 1;                     // run the final display-gamma step
  StageFn stages[kStageSlots] = {};          // running order; empty slots are skipped
  int32_t pixelBudget = kDefaultPixelBudget; // analysis areas above twice this are corrected on a reduced copy
  int32_t passCallback = 0;                  // 0: stages get the do-nothing callback inside the runner
  int32_t reserved = 0;
  double workingGamma = 1.0; // written by the gamma stage
  double targetGamma = 2.2;
  // Settings in use; null: the module's, stored here on first use (module.h).
  BorderSettings* border = nullptr;
  GammaSettings* gamma = nullptr;
  LevelsSettings* levels = nullptr;
  ContrastSettings* contrast = nullptr;
  SkinSettings* skin = nullptr;
  SharpenSettings* sharpen = nullptr;
  StepEntry queue[kQueueCapacity] = {};
  int16_t queueCount = 0;
  // The operations the runner calls by flag (absent: skipped), and which
  // slot operation is the sharpening stage, which always runs on the
  // full-resolution image.
  StageFn borderPrePass = nullptr;
  StageFn finalStep = nullptr;
  StageFn sharpening = nullptr;
};

// Makes the working image current: allocates it when empty (kStatusNoMemory),
// converts the colour image with the run's working gamma.
int EnsureWorking(CorrectionImage& image, AdjustProgressProc cb);
// Makes the colour image current by converting the working image back, when
// one exists.
int EnsureColour(CorrectionImage& image, AdjustProgressProc cb);
// Appends a point operation to the control's queue, preceded by the
// colour-space converter its input needs (plain at working gamma 1.0, else
// linearised). kStatusBadArgument when the queue cannot hold them, leaving it
// unchanged.
int QueueStep(EngineControl& control, PixelOp op, bool inWorking, bool outWorking);
// Ends a stage's rewrite of one representation (the working image when
// `working`, else the colour image) by the point operation `op`, given the
// rewrite's status: on success that representation becomes the current one
// and `op` is queued (working in, working out, or colour in, colour out),
// the queueing status returned; on failure (cancel included) it is marked
// stale, since it may be half written, and `status` is passed on.
int FinishRewrite(CorrectionImage& image, EngineControl& control, int status, PixelOp op, bool working);

// A nearest-sampled copy of a colour image of about `budget` pixels on a
// centred grid. A source without pixels gives the empty description and 0.
// With viewWhenSameSize, a source already within the budget comes back as a
// plain view instead of a copy. kStatusNoMemory, or 1 on cancel (nothing kept).
int Reduce(const ImageDesc& source, int64_t budget, ImageDesc& out, AdjustProgressProc cb,
           bool viewWhenSameSize = false);
// Replays the control's queue on every pixel of the full colour image, the
// chain evaluated once per distinct colour (replaycache.h). kStatusNoMemory
// when the cache cannot be allocated, before any pixel is touched; 1 on
// cancel, the rows already walked rewritten.
int Replay(CorrectionImage& full, const EngineControl& control, AdjustProgressProc cb);
// The stage runner: border pre-pass, the five slots, the final step.
int RunStages(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb);
// The driver both exports call, with any control block (tests pass blocks
// with stub stages). The rectangle must lie inside the image.
int RunPipeline(const EngineControl& control, const ImageDesc& image, const AdjustRect& rect, AdjustProgressProc cb);
// Frees what a run owns of an image pair (a reduced copy, working images).
void FreeCorrectionImage(CorrectionImage& image);

} // namespace lvx
