// Speed of the engine on a generated 24-megapixel photograph-like picture
// (photo.h): whole corrections through DoAdjustments, each full-resolution
// pass of the reduced-copy correction on its own, and the per-pixel machinery beneath
// them. Every case reports megapixels per second.
//
//   build/bin/lumivex-bench                        every case, 6000 x 4000
//   build/bin/lumivex-bench --benchmark_filter=Pass  a selection
//   build/bin/lumivex-bench --smoke                every case once on a tiny picture
//   build/bin/lumivex-bench --write-image PATH     writes the picture as binary PPM
//   build/bin/lumivex-bench --baseline             the vector paths in the build's baseline
//                                                  instruction set only (no AVX2)
//   build/bin/lumivex-bench --avx2                 no vector path wider than AVX2
//   build/bin/lumivex-bench --image PATH           every case on a binary PPM instead
#include "lvxtest/benchargs.h"
#include "photo.h"

#include "binomial.h"
#include "colorspace.h"
#include "gamma.h"
#include "image.h"
#include "instructionset.h"
#include "iterate.h"
#include "module.h"
#include "pipeline.h"
#include "progress.h"
#include "rankfilter.h"
#include "rect.h"
#include "sharpen.h"
#include "stats.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace lvx;
using lvxbench::Photo;

struct Size {
  int32_t rows, columns;
};
Size g_size{4000, 6000};
bool g_smoke = false;
std::string g_imagePath; // --image: a picture read instead of the generated one

const Photo& ThePhoto()
{
  static const Photo photo = [] {
    Photo p;
    if (g_imagePath.empty())
      p = lvxbench::MakePhoto(g_size.rows, g_size.columns);
    else if (!lvxbench::ReadPpm(g_imagePath, p))
      p = Photo{}; // main refuses such a file before any case runs
    return p;
  }();
  return photo;
}

ImageDesc Describe(std::vector<uint8_t>& bytes)
{
  const Photo& p = ThePhoto();
  return CallerImage(bytes.data(), p.rows, p.columns, p.rowBytes, 3);
}

// Owns an engine plane for the life of the process's benchmarks.
struct OwnedPlane {
  ImageDesc desc;
  std::vector<uint8_t> Copy() const { return std::vector<uint8_t>(desc.data, desc.data + desc.PixelCount()); }
  ~OwnedPlane() { FreeImage(desc); }
};

// What the passes work on, as the default correction of the picture would
// see it: the luminance, its gradient map, the median-filtered luminance,
// the gradient threshold, the measures of the adaptive variant, the
// strength plane, the sharpened luminance, and the queue and working gamma
// of the analysis on the reduced copy.
struct Inputs {
  OwnedPlane luma, gradient, median, strength, sharpened;
  int32_t threshold = 1;
  SharpenMeasures measures;
  EngineControl reducedControl;
};

const Inputs& TheInputs()
{
  static const std::unique_ptr<Inputs> inputs = [] {
    auto in = std::make_unique<Inputs>();
    SetParams(nullptr);
    std::vector<uint8_t> bytes = ThePhoto().bytes;
    const ImageDesc colour = Describe(bytes);
    const SharpenAdaptiveSettings& settings = Module().sharpen.adaptive;
    ExtractLuminance(colour, in->luma.desc, NoProgress);
    GradientMap(in->luma.desc, in->gradient.desc, 1, NoProgress);
    uint32_t* h = nullptr;
    GatherPlane8Histogram(in->gradient.desc, h, 256, NoProgress);
    in->threshold =
        std::max(PercentileFromBottom(h, 256, uint64_t(RangeSum(h, 256, 0, 255) * settings.noisePercentile)), 1);
    Release(h);
    ExtractLuminance(colour, in->median.desc, NoProgress);
    GreyRankFilter(in->median.desc, settings.medianRadius, 50, NoProgress);

    std::vector<uint8_t> scratch = bytes;
    AdaptiveSharpen(Describe(scratch), WholeRect(colour.rows, colour.columns), settings, in->measures, NoProgress);
    GradientMap(in->luma.desc, in->strength.desc, 1, NoProgress);
    BoxMean(in->strength.desc, settings.noiseBoxRadius, NoProgress);
    uint8_t curve[256];
    BuildStrengthCurve(in->measures, curve);
    ApplyTable8(in->strength.desc, curve, NoProgress);
    ExtractLuminance(colour, in->sharpened.desc, NoProgress);
    UnsharpMask(in->sharpened.desc, in->strength.desc, in->measures.sharpenBlur, in->measures.amount, NoProgress);

    // The reduced-copy correction's analysis: every stage but the sharpening on the
    // copy, without the final step, queueing what the replay repeats.
    in->reducedControl = Module().control;
    in->reducedControl.stages[kSlotSharpen] = nullptr;
    in->reducedControl.finalFlag = 0;
    CorrectionImage reduced;
    Reduce(colour, in->reducedControl.pixelBudget, reduced.colour, NoProgress);
    reduced.rect = WholeRect(reduced.colour.rows, reduced.colour.columns);
    RunStages(reduced, in->reducedControl, NoProgress);
    FreeCorrectionImage(reduced);
    return in;
  }();
  return *inputs;
}

void ReportMegapixels(benchmark::State& state)
{
  const double pixels = double(ThePhoto().rows) * ThePhoto().columns * double(state.iterations());
  state.counters["MP/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
}

// False (and the case marked failed) for a non-zero status.
bool Check(benchmark::State& state, int status)
{
  if (status != 0)
    state.SkipWithError(("status " + std::to_string(status)).c_str());
  return status == 0;
}

// Runs `pass` on a fresh copy of `original` each time (the copy not timed).
template <class Pass>
void OnCopies(benchmark::State& state, const std::vector<uint8_t>& original, std::vector<uint8_t>& bytes, Pass pass)
{
  bytes = original;
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(bytes.data(), original.data(), bytes.size());
    state.ResumeTiming();
    if (!Check(state, pass()))
      break;
  }
  ReportMegapixels(state);
}

// ---- Whole corrections -------------------------------------------------------

void CorrectBench(benchmark::State& state, int16_t sharpenLevel, bool smallRect)
{
  const Photo& photo = ThePhoto();
  AdjustParams params = DefaultParams();
  params.sharpenLevel = sharpenLevel;
  SetParams(&params);
  // A small rectangle (400 x 400 = 160000 pixels, within twice the pixel
  // budget) keeps every stage at full size.
  AdjustRect rect = WholeRect(photo.rows, photo.columns);
  if (smallRect)
    rect = CentreRect(rect, std::min(400, photo.columns), std::min(400, photo.rows));
  std::vector<uint8_t> bytes;
  OnCopies(state, photo.bytes, bytes, [&] {
    return DoAdjustments(bytes.data(), photo.rows, photo.columns, int32_t(photo.rowBytes), 3, &rect, nullptr);
  });
  SetParams(nullptr);
}

// ---- The full-resolution passes of the reduced-copy correction ------------

void ExtractBench(benchmark::State& state)
{
  std::vector<uint8_t> bytes = ThePhoto().bytes;
  ImageDesc luma;
  for (auto _ : state)
    if (!Check(state, ExtractLuminance(Describe(bytes), luma, NoProgress)))
      break;
  FreeImage(luma);
  ReportMegapixels(state);
}

void GradientBench(benchmark::State& state)
{
  const Inputs& in = TheInputs();
  ImageDesc gradient;
  for (auto _ : state)
    if (!Check(state, GradientMap(in.luma.desc, gradient, 1, NoProgress)))
      break;
  FreeImage(gradient);
  ReportMegapixels(state);
}

// The 256-bin histogram of the gradient map, as the edge blur estimate and
// the noise floor gather it.
void GradientHistogramBench(benchmark::State& state)
{
  const Inputs& in = TheInputs();
  uint32_t* h = nullptr;
  for (auto _ : state)
    if (!Check(state, GatherPlane8Histogram(in.gradient.desc, h, 256, NoProgress)))
      break;
  Release(h);
  ReportMegapixels(state);
}

// A pass that rewrites an 8-bit plane in place, on copies of `source`.
template <class Pass>
void PlanePassBench(benchmark::State& state, const OwnedPlane& source, Pass pass)
{
  const std::vector<uint8_t> original = source.Copy();
  std::vector<uint8_t> bytes = original;
  const ImageDesc plane = Plane8View(bytes.data(), source.desc.rows, source.desc.columns, RowLayout::Contiguous);
  OnCopies(state, original, bytes, [&] { return pass(plane); });
}

void MedianBench(benchmark::State& state)
{
  PlanePassBench(state, TheInputs().luma, [](const ImageDesc& p) { return GreyRankFilter(p, 2, 50, NoProgress); });
}

void SharpnessMapBench(benchmark::State& state)
{
  const Inputs& in = TheInputs();
  const SharpenAdaptiveSettings& settings = Module().sharpen.adaptive;
  for (auto _ : state) {
    ImageDesc S;
    const int status = SharpnessMap(in.median.desc, in.gradient.desc, in.threshold, 0.0, settings, S, NoProgress);
    FreeImage(S);
    if (!Check(state, status))
      break;
  }
  ReportMegapixels(state);
}

void BoxMeanBench(benchmark::State& state)
{
  PlanePassBench(state, TheInputs().gradient, [](const ImageDesc& p) { return BoxMean(p, 4, NoProgress); });
}

void PreBlurBench(benchmark::State& state)
{
  // The measured pre-blur, or a typical one when the picture needs none.
  const double x = TheInputs().measures.preBlur > 0 ? TheInputs().measures.preBlur : 0.5;
  char label[40];
  std::snprintf(label, sizeof label, "x=%.3f", x);
  state.SetLabel(label);
  std::vector<uint8_t> bytes;
  OnCopies(state, ThePhoto().bytes, bytes, [&] { return BlurColourInPlace(Describe(bytes), x, NoProgress); });
}

void UnsharpLumaBench(benchmark::State& state)
{
  const Inputs& in = TheInputs();
  char label[120];
  std::snprintf(label, sizeof label, "edge blur %.2f, noise floor %.1f, comb %.2f: x=%.2f amount=%d",
                in.measures.edgeBlur, in.measures.noiseFloor, in.measures.combScore, in.measures.sharpenBlur,
                in.measures.amount);
  state.SetLabel(label);
  PlanePassBench(state, in.luma, [&](const ImageDesc& p) {
    return UnsharpMask(p, in.strength.desc, in.measures.sharpenBlur, in.measures.amount, NoProgress);
  });
}

void MergeBench(benchmark::State& state)
{
  const ImageDesc& sharpened = TheInputs().sharpened.desc;
  std::vector<uint8_t> bytes;
  OnCopies(state, ThePhoto().bytes, bytes, [&] { return MergeLuminance(Describe(bytes), sharpened, NoProgress); });
}

// The adaptive variant's corrections as four passes over the picture: the
// colour pre-blur, the luminance taken afresh, its unsharp mask through the
// strength plane, and the merge.
void SharpenApplySeparateBench(benchmark::State& state)
{
  const Inputs& in = TheInputs();
  const double preBlur = in.measures.preBlur > 0 ? in.measures.preBlur : 0.5;
  char label[80];
  std::snprintf(label, sizeof label, "pre-blur x=%.3f, mask x=%.2f amount=%d", preBlur, in.measures.sharpenBlur,
                in.measures.amount);
  state.SetLabel(label);
  std::vector<uint8_t> bytes;
  ImageDesc Y;
  OnCopies(state, ThePhoto().bytes, bytes, [&] {
    const ImageDesc colour = Describe(bytes);
    int s = BlurColourInPlace(colour, preBlur, NoProgress);
    if (s == 0)
      s = ExtractLuminance(colour, Y, NoProgress);
    if (s == 0)
      s = UnsharpMask(Y, in.strength.desc, in.measures.sharpenBlur, in.measures.amount, NoProgress);
    if (s == 0)
      s = MergeLuminance(colour, Y, NoProgress);
    return s;
  });
  FreeImage(Y);
}

// The same corrections in one pass over the rows.
void SharpenApplyBench(benchmark::State& state)
{
  const Inputs& in = TheInputs();
  HalfKernel preBlur, mask;
  KernelFromParameter(in.measures.preBlur > 0 ? in.measures.preBlur : 0.5, preBlur);
  KernelFromParameter(in.measures.sharpenBlur, mask);
  std::vector<uint8_t> bytes;
  OnCopies(state, ThePhoto().bytes, bytes, [&] {
    return SharpenApply(Describe(bytes), preBlur, mask, in.strength.desc, in.measures.amount, NoProgress);
  });
}

// The whole adaptive variant: measurements and corrections.
void AdaptiveSharpenBench(benchmark::State& state)
{
  const SharpenAdaptiveSettings& settings = Module().sharpen.adaptive;
  std::vector<uint8_t> bytes;
  OnCopies(state, ThePhoto().bytes, bytes, [&] {
    SharpenMeasures measures;
    return AdaptiveSharpen(Describe(bytes), WholeRect(ThePhoto().rows, ThePhoto().columns), settings, measures,
                           NoProgress);
  });
}

void ReplayBench(benchmark::State& state)
{
  const EngineControl& control = TheInputs().reducedControl;
  state.SetLabel(std::to_string(control.queueCount) + " queued steps");
  std::vector<uint8_t> bytes;
  CorrectionImage full;
  OnCopies(state, ThePhoto().bytes, bytes, [&] {
    full.colour = Describe(bytes);
    return Replay(full, control, NoProgress);
  });
}

void FinalTableBench(benchmark::State& state)
{
  const EngineControl& kept = TheInputs().reducedControl;
  state.SetLabel("gamma " + std::to_string(kept.workingGamma) + " to " + std::to_string(kept.targetGamma));
  std::vector<uint8_t> bytes;
  OnCopies(state, ThePhoto().bytes, bytes, [&] {
    EngineControl control = kept; // the step queues itself
    CorrectionImage image;
    image.colour = Describe(bytes);
    image.workingGamma = control.workingGamma;
    return DisplayGammaStep(image, control, NoProgress);
  });
}

// ---- The machinery beneath -----------------------------------------------------

void ColourToWorkingBench(benchmark::State& state, double gamma)
{
  std::vector<uint8_t> bytes = ThePhoto().bytes;
  ImageDesc working;
  for (auto _ : state)
    if (!Check(state, ColourToWorkingImage(Describe(bytes), working, gamma, NoProgress)))
      break;
  FreeImage(working);
  ReportMegapixels(state);
}

void WorkingToColourBench(benchmark::State& state, double gamma)
{
  std::vector<uint8_t> bytes = ThePhoto().bytes;
  ImageDesc working;
  ColourToWorkingImage(Describe(bytes), working, gamma, NoProgress);
  for (auto _ : state)
    if (!Check(state, WorkingToColourImage(working, Describe(bytes), gamma, NoProgress)))
      break;
  FreeImage(working);
  ReportMegapixels(state);
}

void ReduceBench(benchmark::State& state)
{
  std::vector<uint8_t> bytes = ThePhoto().bytes;
  for (auto _ : state) {
    ImageDesc out;
    const int status = Reduce(Describe(bytes), g_smoke ? 16 : kDefaultPixelBudget, out, NoProgress);
    FreeImage(out);
    if (!Check(state, status))
      break;
  }
  ReportMegapixels(state);
}

// The skin stage's majority filter on a 0/1 mask.
void MajorityBench(benchmark::State& state)
{
  std::vector<uint8_t> bytes = ThePhoto().bytes;
  OwnedPlane mask;
  ExtractLuminance(Describe(bytes), mask.desc, NoProgress);
  ThresholdPlane(mask.desc, 127, NoProgress);
  PlanePassBench(state, mask, [](const ImageDesc& p) { return RankFilter(p, 3, 50, NoProgress); });
}

void BlurBench(benchmark::State& state, double x)
{
  PlanePassBench(state, TheInputs().luma, [x](const ImageDesc& p) { return BlurInPlace(p, x, NoProgress); });
}

} // namespace

int main(int argc, char** argv)
{
  g_smoke = lvxbench::TakeFlag(argc, argv, "--smoke");
  const bool baseline = lvxbench::TakeFlag(argc, argv, "--baseline");
  const bool avx2 = lvxbench::TakeFlag(argc, argv, "--avx2");
  LimitInstructionSet(baseline ? InstructionSet::kBaseline : avx2 ? InstructionSet::kAvx2 : InstructionSet::kAvx512);
  std::vector<char*> args;
  std::string writePath;
  for (int i = 0; i < argc; ++i) {
    // --write-image PATH and --image PATH, also as --name=PATH.
    std::string* value = nullptr;
    const char* name = nullptr;
    for (auto [option, target] : {std::pair{"--write-image", &writePath}, std::pair{"--image", &g_imagePath}}) {
      const size_t n = std::strlen(option);
      if (std::strncmp(argv[i], option, n) == 0 && (argv[i][n] == 0 || argv[i][n] == '=')) {
        name = option, value = target;
        if (argv[i][n] == '=')
          *value = argv[i] + n + 1;
        else if (i + 1 < argc)
          *value = argv[++i];
      }
    }
    if (!name) {
      args.push_back(argv[i]);
    } else if (value->empty()) {
      std::fprintf(stderr, "lumivex-bench: %s needs a file name\n", name);
      return 2;
    }
  }
  if (g_smoke)
    g_size = Size{48, 64};
  if (!g_imagePath.empty() && ThePhoto().rows == 0) {
    std::fprintf(stderr, "lumivex-bench: %s is not a binary PPM with 8-bit samples\n", g_imagePath.c_str());
    return 3;
  }
  if (!writePath.empty()) {
    if (!lvxbench::WritePpm(ThePhoto(), writePath)) {
      std::fprintf(stderr, "lumivex-bench: cannot write %s\n", writePath.c_str());
      return 3;
    }
    std::printf("%s: %d x %d\n", writePath.c_str(), ThePhoto().columns, ThePhoto().rows);
    return 0;
  }
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  benchmark::AddCustomContext("picture", (g_imagePath.empty() ? "generated, " : g_imagePath + ", ") +
                                             std::to_string(ThePhoto().columns) + " x " +
                                             std::to_string(ThePhoto().rows));
  benchmark::AddCustomContext("engine build", LVX_BENCH_BUILD);
  benchmark::AddCustomContext("instruction set", UseAvx512() ? "AVX-512 or AVX2 where the engine has them"
                                                 : UseAvx2() ? "AVX2 where the engine has it"
                                                             : "baseline");

  std::vector<benchmark::internal::Benchmark*> all{
      benchmark::RegisterBenchmark("DoAdjustments/reduced/defaults", CorrectBench, int16_t(3), false),
      benchmark::RegisterBenchmark("DoAdjustments/reduced/sharpen1", CorrectBench, int16_t(1), false),
      benchmark::RegisterBenchmark("DoAdjustments/full/rect400", CorrectBench, int16_t(3), true),
      benchmark::RegisterBenchmark("Pass/LuminanceExtract", ExtractBench),
      benchmark::RegisterBenchmark("Pass/GradientMap", GradientBench),
      benchmark::RegisterBenchmark("Pass/GradientHistogram", GradientHistogramBench),
      benchmark::RegisterBenchmark("Pass/Median5x5", MedianBench),
      benchmark::RegisterBenchmark("Pass/SharpnessMap", SharpnessMapBench),
      benchmark::RegisterBenchmark("Pass/BoxMean", BoxMeanBench),
      benchmark::RegisterBenchmark("Pass/PreBlur3", PreBlurBench),
      benchmark::RegisterBenchmark("Pass/UnsharpMaskY", UnsharpLumaBench),
      benchmark::RegisterBenchmark("Pass/LuminanceMerge", MergeBench),
      benchmark::RegisterBenchmark("Pass/SharpenApply", SharpenApplyBench),
      benchmark::RegisterBenchmark("Pass/SharpenApply/separate", SharpenApplySeparateBench),
      benchmark::RegisterBenchmark("Pass/AdaptiveSharpen", AdaptiveSharpenBench),
      benchmark::RegisterBenchmark("Pass/Replay", ReplayBench),
      benchmark::RegisterBenchmark("Pass/FinalTable", FinalTableBench),
      benchmark::RegisterBenchmark("ColourToWorking/plain", ColourToWorkingBench, 1.0),
      benchmark::RegisterBenchmark("ColourToWorking/gamma2.2", ColourToWorkingBench, 2.2),
      benchmark::RegisterBenchmark("WorkingToColour/plain", WorkingToColourBench, 1.0),
      benchmark::RegisterBenchmark("WorkingToColour/gamma2.2", WorkingToColourBench, 2.2),
      benchmark::RegisterBenchmark("Reduce", ReduceBench),
      benchmark::RegisterBenchmark("Majority7x7", MajorityBench),
      benchmark::RegisterBenchmark("Blur/x1.0", BlurBench, 1.0),
      benchmark::RegisterBenchmark("Blur/x3.4", BlurBench, 3.4),
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
