// Speed of the despeckle and descreen filters on generated 24- and
// 6-megapixel colour images; the counter per_MP (time per megapixel) shows
// whether the cost grows linearly with the pixel count.
//
//   build/bin/filters_bench            full-size runs
//   build/bin/filters_bench --smoke    every benchmark once on a tiny image
//
// Figures worth comparing come from a Release build at -O2 (configure with
// -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG").
#include "lumivexdescreen.h"
#include "lumivexdespeckle.h"
#include "lvxtest/benchargs.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// A small deterministic generator (the same pictures on every machine).
struct Lcg {
  uint32_t state = 12345;
  uint32_t Next()
  {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
};

unsigned char* PixelAt(QVImage& image, int32_t x, int32_t y)
{
  return image.pixels + static_cast<ptrdiff_t>(y) * image.rowBytes + static_cast<ptrdiff_t>(x) * 3;
}

// Smooth gradients with noise of +-3 and about one speck per thousand
// pixels: mostly the steady path, with regular probes.
void PaintSpeckled(QVImage& image)
{
  Lcg rng;
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x) {
      unsigned char* p = PixelAt(image, x, y);
      const int32_t base[3] = {40 + 160 * x / image.width, 40 + 160 * y / image.height,
                               120 + 60 * (x + y) / (image.width + image.height)};
      const bool speck = rng.Next() % 1000 == 0;
      for (int32_t c = 0; c < 3; ++c) {
        const int32_t v = base[c] + static_cast<int32_t>(rng.Next() % 7) - 3;
        p[c] = static_cast<unsigned char>(speck ? (v < 128 ? v + 100 : v - 100) : v);
      }
    }
}

// A printed halftone: round dark dots on a 5-pixel screen whose size
// follows a smooth tone.
void PaintHalftone(QVImage& image)
{
  constexpr int32_t kCell = 5;
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x) {
      const double tone = 0.5 + 0.45 * std::sin(x * 0.002) * std::cos(y * 0.003);
      const double dx = x % kCell - 2, dy = y % kCell - 2;
      const bool ink = dx * dx + dy * dy < tone * kCell * kCell / 3.0;
      unsigned char* p = PixelAt(image, x, y);
      p[0] = ink ? 40 : 230;
      p[1] = ink ? 30 : 225;
      p[2] = ink ? 20 : 235;
    }
}

struct Frame {
  QVImage original, work;
  Frame(int32_t width, int32_t height, void (*paint)(QVImage&))
      : original(width, height, 3, nullptr), work(width, height, 3, nullptr)
  {
    paint(original);
  }
  double Megapixels() const { return original.width * static_cast<double>(original.height) / 1e6; }
  // Every timed run starts from the same pixels.
  void Restore(benchmark::State& state)
  {
    state.PauseTiming();
    original.FastCopy(&work);
    state.ResumeTiming();
  }
};

void Report(benchmark::State& state, const Frame& frame)
{
  // Seconds per megapixel, printed with its prefix (6.1ms).
  state.counters["per_MP"] = benchmark::Counter(static_cast<double>(state.iterations()) * frame.Megapixels(),
                                                benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void DespeckleApply(benchmark::State& state)
{
  Frame frame(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)), PaintSpeckled);
  LumivexDespeckle despeckle;
  int32_t repainted = 0;
  for (auto _ : state) {
    frame.Restore(state);
    repainted = despeckle.Apply(&frame.work);
  }
  state.counters["repainted"] = repainted;
  Report(state, frame);
}

void DescreenAnalyze(benchmark::State& state)
{
  Frame frame(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)), PaintHalftone);
  LumivexDescreen descreen;
  for (auto _ : state)
    descreen.Analyze(&frame.original);
  state.counters["k"] = descreen.BlurFactor();
  state.counters["blur"] = descreen.BlurAmount();
  Report(state, frame);
}

// Blur and sharpen amounts from the analysis when `blur` is negative.
template <int32_t blur, int32_t sharpen>
void DescreenApply(benchmark::State& state)
{
  Frame frame(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)), PaintHalftone);
  LumivexDescreen descreen;
  if (blur < 0)
    descreen.Analyze(&frame.original);
  else
    descreen.SetAmounts(blur, sharpen);
  for (auto _ : state) {
    frame.Restore(state);
    descreen.Apply(&frame.work);
  }
  state.counters["blur"] = descreen.BlurAmount();
  state.counters["sharpen"] = descreen.SharpenAmount();
  Report(state, frame);
}

} // namespace

int main(int argc, char** argv)
{
  const bool smoke = lvxbench::TakeFlag(argc, argv, "--smoke");
  benchmark::Initialize(&argc, argv);
  for (auto* b : {benchmark::RegisterBenchmark("Despeckle/Apply", DespeckleApply),
                  benchmark::RegisterBenchmark("Descreen/Analyze", DescreenAnalyze),
                  benchmark::RegisterBenchmark("Descreen/Apply/analysed", DescreenApply<-1, 0>),
                  benchmark::RegisterBenchmark("Descreen/Apply/a20s5", DescreenApply<20, 5>)}) {
    b->Unit(benchmark::kMillisecond)->UseRealTime();
    if (smoke)
      b->Args({64, 48})->Iterations(1);
    else
      b->Args({6000, 4000})->Args({3000, 2000});
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
