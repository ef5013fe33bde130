#pragma once
// Helpers shared by the engine tests: a recording progress callback with a
// protocol check, test images with canary padding, and stub stages that
// exercise the pipeline driver through the internal API.
#include "lumivex.h"
#include "pipeline.h"
#include "progress.h"
#include "rect.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lvxtest {

// ---- Progress --------------------------------------------------------------
struct ProgressLog {
  std::vector<int> calls;
  int polls = 0;
  int cancelAtPoll = 0; // 1-based poll that answers "cancel"; 0: never
};
ProgressLog& Progress();
void ResetProgress(int cancelAtPoll = 0);
// The recording callback.
int RecordProgress(int n);
// "" when the calls follow the protocol (begins below -1, no positive
// argument, depth never negative, ending at 0), else what went wrong.
std::string ProtocolError(const std::vector<int>& calls);

// Runs `run` once to count its allocation requests, then once with each
// request failing in turn: each of those must return -108 with a balanced
// protocol and leak nothing. `run` restores its inputs itself.
void ExpectEachAllocationFailureReported(const std::function<int(AdjustProgressProc)>& run);

// ---- Images ----------------------------------------------------------------
// A B,G,R buffer whose padding bytes (row tail and pixel bytes past 3) hold a
// canary value.
struct TestImage {
  int32_t rows = 0, columns = 0, rowBytes = 0, pixelBytes = 3;
  std::vector<uint8_t> bytes;
  static constexpr uint8_t kCanary = 0xA5;

  TestImage(int32_t rows, int32_t columns, int32_t pixelBytes = 3, int32_t extraRowBytes = 0);
  uint8_t* Pixel(int32_t y, int32_t x) { return bytes.data() + size_t(y) * rowBytes + size_t(x) * pixelBytes; }
  lvx::ImageDesc Desc() { return lvx::CallerImage(bytes.data(), rows, columns, rowBytes, pixelBytes); }
  // Random pixels (padding keeps its canary).
  void FillRandom(uint32_t seed);
  bool CanariesIntact() const;
};

// An 8-bit plane over its own bytes in one of the layouts the filters must
// handle: contiguous; padded rows stored bottom-up; or the green channel of a
// padded colour buffer (pixel stride 3). Values are set and read row-major.
struct TestPlane {
  enum Layout { kContiguous, kBottomUp, kChannel };
  std::vector<uint8_t> bytes;
  lvx::ImageDesc desc;

  TestPlane(int32_t rows, int32_t columns, Layout layout = kContiguous);
  uint8_t& At(int32_t y, int32_t x) { return *desc.At(y, x); }
  void FillRandom(uint32_t seed, int levels = 256); // values 0 .. levels - 1
  void Set(const std::vector<uint8_t>& values);
  std::vector<uint8_t> Values() const;
};

// The image pair the driver builds over a test image: colour current, no
// working image yet, working gamma 1.0. Release with FreeCorrectionImage.
lvx::CorrectionImage ImagePair(TestImage& image, AdjustRect rect);

// A picture every tone stage corrects: a triangular distribution of
// lightness with unused ends, and a colour cast. Its rows carry 4-byte
// pixels and 3 bytes of padding.
TestImage CastPicture(int32_t rows, int32_t columns, uint32_t seed);

// Vertical step edges every 24 columns, halfway between two pixels, blurred
// by sigma, between the colours (60, 50, 40) and (200, 190, 170), or the
// greys 60 and 200; a little deterministic noise when asked.
TestImage SoftEdges(int32_t rows, int32_t columns, double sigma, bool grey = false, int noise = 0);

// ---- Stub stages --------------------------------------------------------------
// Each stub appends "name:rowsxcolumns" to the trace when it runs.
std::vector<std::string>& Trace();
std::string Traced(const char* name, const lvx::CorrectionImage& image);

// Colour lookup: gathers the channel histograms of the rectangle, maps the
// whole colour image through StubLut (a fixed scramble) and queues it.
int LookupStage(lvx::CorrectionImage& image, lvx::EngineControl& control, AdjustProgressProc cb);
uint8_t StubLut(uint8_t v);
void LookupOp(uint8_t* pixel);
// Working space: turns every hue by 40 steps and queues that.
int WorkingStage(lvx::CorrectionImage& image, lvx::EngineControl& control, AdjustProgressProc cb);
void HueOp(uint8_t* pixel);
// Fails with FailingStatus() without touching the image.
int FailingStage(lvx::CorrectionImage& image, lvx::EngineControl& control, AdjustProgressProc cb);
int& FailingStatus();
// A 3-tick task with three polls.
int PollingStage(lvx::CorrectionImage& image, lvx::EngineControl& control, AdjustProgressProc cb);
// Plays sharpening: extracts luminance, takes its gradient map, merges
// luminance back unchanged, queues nothing; records the rectangle it saw.
int SharpenStage(lvx::CorrectionImage& image, lvx::EngineControl& control, AdjustProgressProc cb);
AdjustRect& SharpenRect();
// Computes the peak list of the rectangle's green histogram; passes on -1.
int PeakStage(lvx::CorrectionImage& image, lvx::EngineControl& control, AdjustProgressProc cb);
// Border pre-pass: moves each side of the rectangle in by one pixel.
int BorderStage(lvx::CorrectionImage& image, lvx::EngineControl& control, AdjustProgressProc cb);
// Final step: only traces.
int FinalStage(lvx::CorrectionImage& image, lvx::EngineControl& control, AdjustProgressProc cb);

// A control block with the given slots (nulls allowed), no pre-pass, no
// final step, the given pixel budget.
lvx::EngineControl StubControl(std::vector<lvx::StageFn> slots, int32_t budget = 50);

} // namespace lvxtest
