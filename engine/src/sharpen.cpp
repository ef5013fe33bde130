// The sharpening stage and its two variants.
#include "sharpen.h"

#include "alloc.h"
#include "binomial.h"
#include "colorspace.h"
#include "iterate.h"
#include "module.h"
#include "progress.h"
#include "rect.h"
#include "stats.h"
#include "status.h"

namespace lvx {

int AdaptiveSharpen(const ImageDesc& colour, const AdjustRect& rect, const SharpenAdaptiveSettings& settings,
                    SharpenMeasures& m, AdjustProgressProc cb)
{
  if (int s = CheckKind(colour, kKindColour))
    return s;
  const AdjustRect area = ClipRect(rect, colour.rows, colour.columns);
  Task task(cb, 12);
  ScopedImage Y, E;

  // Measurements, inside the analysis rectangle.
  if (int s = ExtractLuminance(colour, Y.desc, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  if (int s = GradientMap(Y.desc, E.desc, 1, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  {
    Buffer<uint32_t> gradientHistogram;
    if (!gradientHistogram.Allocate(256))
      return kStatusNoMemory;
    if (int s = EstimateEdgeBlur(Y.desc, E.desc, area, settings, gradientHistogram.data(), m.edgeBlur, cb))
      return s;
    // Nothing reads Y after the estimate (which filtered part of it); the
    // corrections take the luminance afresh, row by row.
    FreeImage(Y.desc);
    if (task.Poll())
      return kStatusCancelled;
    m.combScore = CombScore(gradientHistogram.data(), settings);
    if (task.Poll())
      return kStatusCancelled;
  }
  if (int s = EstimateNoiseFloor(E.desc, area, settings, m.noiseFloor, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  DeriveSharpenParameters(settings, m);
  if (m.amount == 0)
    return kStatusOk;

  // The box-filtered gradient becomes the strength plane.
  uint8_t curve[256];
  BuildStrengthCurve(m, curve);
  if (int s = ApplyTable8(E.desc, curve, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;

  // Corrections, on the whole picture, in one pass over the rows. The
  // derived parameters stay below the blur's limit, so neither kernel can
  // fail.
  HalfKernel kernel, preKernel;
  if (int s = KernelFromParameter(m.sharpenBlur, kernel))
    return s;
  const bool preBlurs = m.sharpenBlur != 0;
  if (int s = KernelFromParameter(preBlurs ? m.preBlur : 0.0, preKernel))
    return s;
  if (int s = SharpenApply(colour, preKernel, kernel, E.desc, m.amount, cb))
    return s;
  // The polls of the steps the pass stands for: the pre-blur's three
  // channels (when it runs), the luminance, the mask and the merge.
  for (int step = preBlurs ? 0 : 3; step < 6; ++step)
    if (task.Poll())
      return kStatusCancelled;
  return kStatusOk;
}

int PlainSharpen(const ImageDesc& colour, const SharpenSettings& settings, AdjustProgressProc cb)
{
  Task task(cb, 3);
  if (!(settings.plainBlurParameter > 0) || settings.plainAmount == 0)
    return kStatusOk;
  HalfKernel kernel, none;
  if (int s = KernelFromParameter(settings.plainBlurParameter, kernel))
    return s;
  KernelFromParameter(0.0, none);
  if (int s = SharpenApply(colour, none, kernel, EmptyImage(), settings.plainAmount, cb))
    return s;
  // The polls of the luminance, the mask and the merge.
  for (int step = 0; step < 3; ++step)
    if (task.Poll())
      return kStatusCancelled;
  return kStatusOk;
}

int SharpenStage(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb)
{
  const SharpenSettings& settings = SharpenSettingsOf(control);
  Task task(cb, 2);
  if (int s = EnsureColour(image, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  int status;
  if (settings.variant) {
    SharpenMeasures measures;
    status = AdaptiveSharpen(image.colour, image.rect, settings.adaptive, measures, cb);
  } else {
    status = PlainSharpen(image.colour, settings, cb);
  }
  // Either way the working image no longer matches; after a failure the
  // colour image may be half written.
  if (status != kStatusOk)
    image.ColourStale();
  else
    image.workingValid = 0;
  if (task.Poll())
    status = kStatusCancelled;
  return status;
}

} // namespace lvx
