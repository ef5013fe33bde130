// Speed of the engine's per-pixel machinery on a generated photograph-like
// image: the colour-space conversions, the reduced copy, the replay of
// queued point operations, and the neighbourhood filters on its luminance.
//
//   build/bin/lumivex_bench                      full-size runs
//   build/bin/lumivex_bench --smoke              every benchmark once on a tiny image
#include "binomial.h"
#include "colorspace.h"
#include "image.h"
#include "iterate.h"
#include "pipeline.h"
#include "progress.h"
#include "rankfilter.h"
#include "rect.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using namespace lvx;

struct Size {
  int32_t rows, columns;
};
Size g_size{1500, 2000};
bool g_smoke = false;

// Smooth gradients with a little texture, so colours repeat the way they do
// in photographs (the replay cache depends on that).
std::vector<uint8_t> MakePicture(Size s)
{
  std::vector<uint8_t> bytes(size_t(s.rows) * s.columns * 3);
  for (int32_t y = 0; y < s.rows; ++y)
    for (int32_t x = 0; x < s.columns; ++x) {
      uint8_t* p = &bytes[(size_t(y) * s.columns + x) * 3];
      double fy = double(y) / s.rows, fx = double(x) / s.columns;
      int texture = int((x * 7 + y * 13) % 5);
      p[0] = uint8_t(255 * fy * fy) ^ uint8_t(texture);
      p[1] = uint8_t(127 + 120 * std::sin(6.0 * fx + 2.0 * fy));
      p[2] = uint8_t(255 * fx * (1 - 0.5 * fy) + texture);
    }
  return bytes;
}

ImageDesc Describe(std::vector<uint8_t>& bytes, Size s)
{
  return ColourView(bytes.data(), s.rows, s.columns, RowLayout::Contiguous);
}

void ColourToWorkingBench(benchmark::State& state, double gamma)
{
  std::vector<uint8_t> bytes = MakePicture(g_size);
  ImageDesc colour = Describe(bytes, g_size), working;
  for (auto _ : state)
    benchmark::DoNotOptimize(ColourToWorkingImage(colour, working, gamma, NoProgress));
  FreeImage(working);
  state.SetItemsProcessed(state.iterations() * colour.PixelCount());
}

void WorkingToColourBench(benchmark::State& state, double gamma)
{
  std::vector<uint8_t> bytes = MakePicture(g_size);
  ImageDesc colour = Describe(bytes, g_size), working;
  ColourToWorkingImage(colour, working, gamma, NoProgress);
  for (auto _ : state)
    benchmark::DoNotOptimize(WorkingToColourImage(working, colour, gamma, NoProgress));
  FreeImage(working);
  state.SetItemsProcessed(state.iterations() * colour.PixelCount());
}

void ReduceBench(benchmark::State& state)
{
  std::vector<uint8_t> bytes = MakePicture(g_size);
  ImageDesc colour = Describe(bytes, g_size);
  const int64_t budget = g_smoke ? 16 : kDefaultPixelBudget;
  for (auto _ : state) {
    ImageDesc out;
    benchmark::DoNotOptimize(Reduce(colour, budget, out, NoProgress));
    FreeImage(out);
  }
  state.SetItemsProcessed(state.iterations() * colour.PixelCount());
}

uint8_t g_curve[256];
void CurveOp(uint8_t* p)
{
  p[0] = g_curve[p[0]];
  p[1] = g_curve[p[1]];
  p[2] = g_curve[p[2]];
}
void HueTurnOp(uint8_t* p) { p[3] = uint8_t(p[3] + 3); }

// A colour curve, a working-space hue turn and another curve: the replay
// evaluates the chain once per distinct colour.
void ReplayBench(benchmark::State& state, double gamma)
{
  for (int i = 0; i < 256; ++i)
    g_curve[i] = uint8_t(255.0 * std::pow(i / 255.0, 0.9) + 0.5);
  std::vector<uint8_t> original = MakePicture(g_size), bytes = original;
  CorrectionImage full;
  full.colour = Describe(bytes, g_size);
  EngineControl control;
  control.workingGamma = gamma;
  QueueStep(control, CurveOp, false, false);
  QueueStep(control, HueTurnOp, true, true);
  QueueStep(control, CurveOp, false, false);
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(bytes.data(), original.data(), bytes.size());
    state.ResumeTiming();
    benchmark::DoNotOptimize(Replay(full, control, NoProgress));
  }
  state.SetItemsProcessed(state.iterations() * full.colour.PixelCount());
}

// Runs `filter` on the picture's luminance (prepared once by `prepare`),
// restored before each iteration without timing, and reports megapixels
// per second.
template <class Prepare, class Filter>
void PlaneBench(benchmark::State& state, Prepare prepare, Filter filter)
{
  std::vector<uint8_t> picture = MakePicture(g_size), original(size_t(g_size.rows) * g_size.columns);
  ImageDesc plane = Plane8View(original.data(), g_size.rows, g_size.columns, RowLayout::Contiguous);
  ExtractLuminance(Describe(picture, g_size), plane, NoProgress);
  prepare(plane);
  std::vector<uint8_t> bytes = original;
  plane.data = bytes.data();
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(bytes.data(), original.data(), bytes.size());
    state.ResumeTiming();
    benchmark::DoNotOptimize(filter(plane));
  }
  const double pixels = double(plane.PixelCount()) * double(state.iterations());
  state.counters["MP/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
}

void Unprepared(const ImageDesc&) {}

void MedianBench(benchmark::State& state)
{
  PlaneBench(state, Unprepared, [](const ImageDesc& p) { return GreyRankFilter(p, 2, 50, NoProgress); });
}

// The skin stage's majority filter on a 0/1 mask.
void MajorityBench(benchmark::State& state)
{
  PlaneBench(state, [](const ImageDesc& p) { ThresholdPlane(p, 127, NoProgress); },
             [](const ImageDesc& p) { return RankFilter(p, 3, 50, NoProgress); });
}

void BlurBench(benchmark::State& state, double x)
{
  PlaneBench(state, Unprepared, [x](const ImageDesc& p) { return BlurInPlace(p, x, NoProgress); });
}

// Through a strength plane like the sharpening's: off in flat areas, partly
// or fully on elsewhere.
void UnsharpBench(benchmark::State& state, double x)
{
  std::vector<uint8_t> bytes(size_t(g_size.rows) * g_size.columns);
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = uint8_t(i % 7 == 0 ? 255 : (i % 5) * 40);
  const ImageDesc strength = Plane8View(bytes.data(), g_size.rows, g_size.columns, RowLayout::Contiguous);
  PlaneBench(state, Unprepared,
             [&](const ImageDesc& p) { return UnsharpMask(p, strength, x, 133, NoProgress); });
}

} // namespace

int main(int argc, char** argv)
{
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--smoke") == 0)
      g_smoke = true;
    else
      args.push_back(argv[i]);
  }
  if (g_smoke)
    g_size = Size{12, 16};
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());

  std::vector<benchmark::internal::Benchmark*> all{
      benchmark::RegisterBenchmark("ColourToWorking/plain", ColourToWorkingBench, 1.0),
      benchmark::RegisterBenchmark("ColourToWorking/gamma2.2", ColourToWorkingBench, 2.2),
      benchmark::RegisterBenchmark("WorkingToColour/plain", WorkingToColourBench, 1.0),
      benchmark::RegisterBenchmark("WorkingToColour/gamma2.2", WorkingToColourBench, 2.2),
      benchmark::RegisterBenchmark("Reduce", ReduceBench),
      benchmark::RegisterBenchmark("Replay/plain", ReplayBench, 1.0),
      benchmark::RegisterBenchmark("Replay/gamma1.8", ReplayBench, 1.8),
      benchmark::RegisterBenchmark("Median5x5", MedianBench),
      benchmark::RegisterBenchmark("Majority7x7", MajorityBench),
      benchmark::RegisterBenchmark("Blur/x1.0", BlurBench, 1.0),
      benchmark::RegisterBenchmark("Blur/x3.4", BlurBench, 3.4),
      benchmark::RegisterBenchmark("UnsharpMask/x1.5/strength", UnsharpBench, 1.5),
  };
  for (auto* b : all) {
    b->Unit(benchmark::kMillisecond);
    if (g_smoke)
      b->Iterations(1);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
