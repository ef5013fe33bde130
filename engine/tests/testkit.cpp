#include "testkit.h"

#include "alloc.h"
#include "colorspace.h"
#include "iterate.h"
#include "progress.h"
#include "rect.h"
#include "stats.h"
#include "status.h"

#include "win32/automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace lvxtest {

ProgressLog& Progress()
{
  static ProgressLog log;
  return log;
}

void ResetProgress(int cancelAtPoll)
{
  Progress() = ProgressLog{};
  Progress().cancelAtPoll = cancelAtPoll;
}

int RecordProgress(int n)
{
  ProgressLog& log = Progress();
  log.calls.push_back(n);
  if (n != 0)
    return 0;
  ++log.polls;
  return log.polls == log.cancelAtPoll ? 1 : 0;
}

std::string ProtocolError(const std::vector<int>& calls)
{
  int depth = 0;
  for (size_t i = 0; i < calls.size(); ++i) {
    int n = calls[i];
    if (n > 0)
      return "positive argument at call " + std::to_string(i);
    if (n < -1)
      ++depth;
    if (n == -1 && --depth < 0)
      return "end without a begin at call " + std::to_string(i);
    if (n == 0 && depth == 0)
      return "tick outside a task at call " + std::to_string(i);
  }
  return depth == 0 ? "" : std::to_string(depth) + " tasks left open";
}

void ExpectEachAllocationFailureReported(const std::function<int(AdjustProgressProc)>& run)
{
  standin::ResetAllocationFaults();
  ASSERT_EQ(run(lvx::NoProgress), lvx::kStatusOk);
  const long requests = standin::AllocationRequests();
  for (long i = 0; i < requests; ++i) {
    standin::ResetAllocationFaults();
    standin::FailAllocations(i, 1);
    ResetProgress();
    EXPECT_EQ(run(RecordProgress), lvx::kStatusNoMemory) << "request " << i;
    EXPECT_EQ(ProtocolError(Progress().calls), "") << "request " << i;
    EXPECT_EQ(lvx::LiveAllocations(), 0) << "request " << i;
  }
  standin::ResetAllocationFaults();
}

TestImage::TestImage(int32_t r, int32_t c, int32_t px, int32_t extra)
    : rows(r), columns(c), rowBytes(c * px + extra), pixelBytes(px), bytes(size_t(r) * size_t(c * px + extra), kCanary)
{
  for (int32_t y = 0; y < rows; ++y)
    for (int32_t x = 0; x < columns; ++x)
      Pixel(y, x)[0] = Pixel(y, x)[1] = Pixel(y, x)[2] = 0;
}

void TestImage::FillRandom(uint32_t seed)
{
  std::mt19937 rng(seed);
  for (int32_t y = 0; y < rows; ++y)
    for (int32_t x = 0; x < columns; ++x)
      for (int i = 0; i < 3; ++i)
        Pixel(y, x)[i] = uint8_t(rng());
}

bool TestImage::CanariesIntact() const
{
  for (int32_t y = 0; y < rows; ++y)
    for (int32_t b = 0; b < rowBytes; ++b) {
      bool pixelByte = b < columns * pixelBytes && b % pixelBytes < 3;
      if (!pixelByte && bytes[size_t(y) * rowBytes + b] != kCanary)
        return false;
    }
  return true;
}

TestPlane::TestPlane(int32_t rows, int32_t columns, Layout layout)
    : bytes(size_t(rows) * size_t(lvx::PaddedRowBytes(columns, layout == kChannel ? 3 : 1)))
{
  if (layout == kChannel)
    desc = lvx::ChannelView(lvx::ColourView(bytes.data(), rows, columns, lvx::RowLayout::Padded), 1);
  else
    desc = lvx::Plane8View(bytes.data(), rows, columns,
                           layout == kBottomUp ? lvx::RowLayout::PaddedBottomUp : lvx::RowLayout::Contiguous);
}

void TestPlane::FillRandom(uint32_t seed, int levels)
{
  std::mt19937 rng(seed);
  for (int64_t i = 0; i < desc.PixelCount(); ++i)
    At(int32_t(i / desc.columns), int32_t(i % desc.columns)) = uint8_t(rng() % unsigned(levels));
}

void TestPlane::Set(const std::vector<uint8_t>& values)
{
  for (size_t i = 0; i < values.size(); ++i)
    At(int32_t(i / desc.columns), int32_t(i % desc.columns)) = values[i];
}

std::vector<uint8_t> TestPlane::Values() const
{
  std::vector<uint8_t> values(size_t(desc.PixelCount()));
  for (size_t i = 0; i < values.size(); ++i)
    values[i] = *desc.At(int64_t(i) / desc.columns, int64_t(i) % desc.columns);
  return values;
}

namespace {

// Level of a step from `lo` to `hi` at position `edge`, blurred by a
// Gaussian of width sigma, sampled at pixel centre x.
double BlurredStep(double x, double edge, double sigma, double lo, double hi)
{
  return lo + (hi - lo) * 0.5 * std::erfc(-(x - edge) / (sigma * std::sqrt(2.0)));
}

} // namespace

TestImage SoftEdges(int32_t rows, int32_t columns, double sigma, bool grey, int noise)
{
  TestImage image(rows, columns, 4, 3);
  std::mt19937 rng(5);
  const double lo[3] = {40, 50, 60}, hi[3] = {170, 190, 200}; // blue, green, red
  for (int32_t y = 0; y < rows; ++y)
    for (int32_t x = 0; x < columns; ++x) {
      const int32_t cell = x / 24;
      const double edge = cell * 24 + 11.5;
      for (int c = 0; c < 3; ++c) {
        const double a = grey ? 60 : lo[c], b = grey ? 200 : hi[c];
        double v = cell % 2 == 0 ? BlurredStep(x, edge, sigma, a, b) : BlurredStep(x, edge, sigma, b, a);
        if (noise)
          v += int(rng() % (2 * noise + 1)) - noise;
        image.Pixel(y, x)[c] = uint8_t(std::clamp(std::lround(v), 0L, 255L));
      }
      if (grey)
        image.Pixel(y, x)[0] = image.Pixel(y, x)[1] = image.Pixel(y, x)[2];
    }
  return image;
}

TestImage CastPicture(int32_t rows, int32_t columns, uint32_t seed)
{
  TestImage image(rows, columns, 4, 3);
  std::mt19937 rng(seed);
  for (int32_t y = 0; y < rows; ++y)
    for (int32_t x = 0; x < columns; ++x) {
      int t = int(rng() % 100 + rng() % 100);
      uint8_t* p = image.Pixel(y, x);
      p[0] = uint8_t(t + 50), p[1] = uint8_t(t + 20), p[2] = uint8_t(t + 40);
    }
  return image;
}

lvx::CorrectionImage ImagePair(TestImage& image, AdjustRect rect)
{
  lvx::CorrectionImage pair;
  pair.colour = image.Desc();
  pair.rect = rect;
  return pair;
}

std::vector<std::string>& Trace()
{
  static std::vector<std::string> trace;
  return trace;
}

std::string Traced(const char* name, const lvx::CorrectionImage& image)
{
  std::string entry =
      std::string(name) + ":" + std::to_string(image.colour.rows) + "x" + std::to_string(image.colour.columns);
  Trace().push_back(entry);
  return entry;
}

uint8_t StubLut(uint8_t v) { return uint8_t(v * 7 + 13); }

void LookupOp(uint8_t* p)
{
  for (int i = 0; i < 3; ++i)
    p[i] = StubLut(p[i]);
}

int LookupStage(lvx::CorrectionImage& image, lvx::EngineControl& control, AdjustProgressProc cb)
{
  Traced("lookup", image);
  lvx::Task task(cb, 2);
  if (int s = lvx::EnsureColour(image, cb))
    return s;
  uint32_t *r = nullptr, *g = nullptr, *b = nullptr;
  int s = lvx::GatherColourHistograms(lvx::RectView(image.colour, image.rect), r, g, b, cb);
  lvx::Release(r);
  lvx::Release(g);
  lvx::Release(b);
  if (s)
    return s;
  if (task.Poll())
    return lvx::kStatusCancelled;
  uint8_t table[256];
  for (int i = 0; i < 256; ++i)
    table[i] = StubLut(uint8_t(i));
  if ((s = lvx::ApplyColourTables(image.colour, table, table, table, cb))) {
    image.ColourStale();
    return s;
  }
  image.ColourWritten();
  if ((s = lvx::QueueStep(control, LookupOp, false, false)))
    return s;
  return task.Poll() ? lvx::kStatusCancelled : lvx::kStatusOk;
}

void HueOp(uint8_t* p) { p[3] = uint8_t(p[3] + 40); }

int WorkingStage(lvx::CorrectionImage& image, lvx::EngineControl& control, AdjustProgressProc cb)
{
  Traced("working", image);
  lvx::Task task(cb, 2);
  if (int s = lvx::EnsureWorking(image, cb))
    return s;
  if (task.Poll())
    return lvx::kStatusCancelled;
  if (int s = lvx::ForEachPixel(
          image.working, [](uint8_t* p) { HueOp(p); }, cb)) {
    image.WorkingStale();
    return s;
  }
  image.WorkingWritten();
  if (int s = lvx::QueueStep(control, HueOp, true, true))
    return s;
  return task.Poll() ? lvx::kStatusCancelled : lvx::kStatusOk;
}

int& FailingStatus()
{
  static int status = lvx::kStatusNoMemory;
  return status;
}

int FailingStage(lvx::CorrectionImage& image, lvx::EngineControl&, AdjustProgressProc)
{
  Traced("failing", image);
  return FailingStatus();
}

int PollingStage(lvx::CorrectionImage& image, lvx::EngineControl&, AdjustProgressProc cb)
{
  Traced("polling", image);
  lvx::Task task(cb, 3);
  for (int i = 0; i < 3; ++i)
    if (task.Poll())
      return lvx::kStatusCancelled;
  return lvx::kStatusOk;
}

AdjustRect& SharpenRect()
{
  static AdjustRect rect{};
  return rect;
}

int SharpenStage(lvx::CorrectionImage& image, lvx::EngineControl&, AdjustProgressProc cb)
{
  Traced("sharpen", image);
  SharpenRect() = image.rect;
  lvx::Task task(cb, 2);
  if (int s = lvx::EnsureColour(image, cb))
    return s;
  lvx::ImageDesc luma, gradient;
  int s = lvx::ExtractLuminance(image.colour, luma, cb);
  if (!s)
    s = lvx::GradientMap(luma, gradient, 1, cb);
  if (!s)
    s = lvx::MergeLuminance(image.colour, luma, cb);
  lvx::FreeImage(luma);
  lvx::FreeImage(gradient);
  if (s) {
    image.ColourStale();
    return s;
  }
  image.ColourWritten();
  return task.Poll() ? lvx::kStatusCancelled : lvx::kStatusOk;
}

int PeakStage(lvx::CorrectionImage& image, lvx::EngineControl&, AdjustProgressProc cb)
{
  Traced("peaks", image);
  uint32_t *r = nullptr, *g = nullptr, *b = nullptr;
  int s = lvx::GatherColourHistograms(lvx::RectView(image.colour, image.rect), r, g, b, cb);
  double list[21];
  uint16_t count = 0;
  if (!s)
    s = lvx::HistogramPeakList(g, 256, 0.95, 0.9, 10, 2, list, 21, count);
  lvx::Release(r);
  lvx::Release(g);
  lvx::Release(b);
  return s;
}

int BorderStage(lvx::CorrectionImage& image, lvx::EngineControl&, AdjustProgressProc)
{
  Traced("border", image);
  image.rect = lvx::GrowRect(image.rect, -1);
  return lvx::kStatusOk;
}

int FinalStage(lvx::CorrectionImage& image, lvx::EngineControl&, AdjustProgressProc)
{
  Traced("final", image);
  return lvx::kStatusOk;
}

lvx::EngineControl StubControl(std::vector<lvx::StageFn> slots, int32_t budget)
{
  lvx::EngineControl control;
  for (size_t i = 0; i < slots.size() && i < lvx::kStageSlots; ++i)
    control.stages[i] = slots[i];
  control.pixelBudget = budget;
  control.sharpening = SharpenStage;
  return control;
}

} // namespace lvxtest
