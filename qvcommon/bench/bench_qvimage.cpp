// Speed of the image blurs on a 2048 x 2048 colour image at radii 1, 8 and
// 24; the time per pixel should not depend on the radius.
//
//   build/bin/bench_qvimage            full-size runs
//   build/bin/bench_qvimage --smoke    every benchmark once on a tiny image
#include "lvxtest/benchargs.h"
#include "qvcommon/qvimage.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

int32_t g_side = 2048;

// Smooth ramps with a little texture; the blurs do not care, but the
// sharpening clamps should see ordinary values.
void Paint(QVImage& image)
{
  for (int32_t y = 0; y < image.height; ++y) {
    unsigned char* p = image.pixels + static_cast<ptrdiff_t>(y) * image.rowBytes;
    for (int32_t x = 0; x < image.width; ++x, p += 3) {
      p[0] = static_cast<unsigned char>(x * 255 / image.width);
      p[1] = static_cast<unsigned char>(y * 255 / image.height);
      p[2] = static_cast<unsigned char>((x * 7 + y * 13) % 251);
    }
  }
}

template <void (QVImage::*Filter)(int32_t)>
void BlurBench(benchmark::State& state)
{
  QVImage original(g_side, g_side, 3, nullptr), image(g_side, g_side, 3, nullptr);
  Paint(original);
  const int32_t radius = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    // Every run starts from the same pixels, not from the last run's blur.
    state.PauseTiming();
    original.FastCopy(&image);
    state.ResumeTiming();
    (image.*Filter)(radius);
  }
  state.SetItemsProcessed(state.iterations() * int64_t{g_side} * g_side);
}

} // namespace

int main(int argc, char** argv)
{
  const bool smoke = lvxbench::TakeFlag(argc, argv, "--smoke");
  if (smoke)
    g_side = 16;
  benchmark::Initialize(&argc, argv);
  for (auto* b : {benchmark::RegisterBenchmark("Blur", BlurBench<&QVImage::Blur>),
                  benchmark::RegisterBenchmark("SquareBlur", BlurBench<&QVImage::SquareBlur>)}) {
    b->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);
    if (smoke)
      b->Iterations(1);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
