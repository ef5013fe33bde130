#pragma once
// The sharpening stage. It always runs on the full-resolution picture and
// queues nothing. Its adaptive variant measures, inside the analysis
// rectangle, how blurred the sharpest edges are (the edge blur, a Gaussian
// width in pixels), where the noise floor of the gradient magnitudes lies
// and how strongly the gradient histogram alternates between neighbouring
// levels (the comb score, high for pictures that were stretched or
// resampled). From these and the settings it derives an unsharp mask and an
// optional pre-blur, turns the smoothed gradient into a per-pixel strength
// plane that spares flat and noisy areas, and sharpens the luminance only,
// merging it back so that hue and saturation stay. The plain variant
// unsharp-masks the luminance with two fixed settings.
//
// sharpen.cpp holds the stage and the two variants, sharpen_measure.cpp the
// measurements and the parameter derivation, each callable on its own, and
// sharpen_apply.cpp the corrections, in one pass over the rows.
#include "binomial.h"
#include "image.h"
#include "pipeline.h"
#include "settings.h"

#include <cstdint>

namespace lvx {

// The adaptive variant's measurements and derived parameters.
struct SharpenMeasures {
  double edgeBlur = 0.0;   // pixels; 0: no usable edge found
  double noiseFloor = 0.0; // gradient levels
  double combScore = 0.0;
  double preBlur = 0.0;     // blur parameter (binomial.h) of the colour pre-blur, 0..6
  double sharpenBlur = 0.0; // blur parameter of the unsharp mask, 0..6
  int16_t amount = 0;       // percent
  // Knees of the strength curve; the top knees are always 255 and 256.
  int16_t kneeLow = 0, kneeHigh = 0, topKneeLow = 0, topKneeHigh = 0;
};

// The stage operation of slot 5 (task of 2 ticks).
int SharpenStage(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb);

// The adaptive variant on a colour image (kind 3), measuring inside `rect` and
// sharpening every pixel. Task of 12 ticks: one poll after each step that runs,
// 12 when every step runs. Statuses: 0, 1, kStatusNoMemory, kStatusBadArgument,
// and -1 when the peak list cannot allocate. The picture changes only through
// the pre-blur, the unsharp mask and the merge; an amount of 0 leaves it as it
// was.
int AdaptiveSharpen(const ImageDesc& colour, const AdjustRect& rect, const SharpenAdaptiveSettings& settings,
                    SharpenMeasures& measures, AdjustProgressProc cb);
// The plain variant: the luminance unsharp-masked with the plain blur
// parameter and amount, when the parameter is positive and the amount not
// 0 (task of 3 ticks). kStatusBadArgument for a parameter of 6.5 or more.
int PlainSharpen(const ImageDesc& colour, const SharpenSettings& settings, AdjustProgressProc cb);

// ---- Corrections (sharpen_apply.cpp) -------------------------------------------
// The corrections of both variants in one pass over the rows of a colour
// image (kind 3), with the same results as, in turn: the blur of all three
// channels with `preBlur` in place (BlurColourInPlace); the luminance Y
// (ExtractLuminance); Y unsharp-masked with `mask`, the strength plane (kind
// 1, the image's size; empty: none) and the amount (UnsharpMaskWithKernel);
// and Y merged back (MergeLuminance). A kernel with n = 0 leaves its step out,
// and a mask without width or an amount of 0 leaves out the luminance and the
// merge too (merging an unchanged luminance changes nothing). Only
// n(preBlur) + 1 rows of colour sums and 2 n(mask) + 1 rows of luminance are
// held at a time.
// Statuses: 0; 1 cancelled (the rows already merged are finished, the next
// 2 n(mask) rows only pre-blurred, the rest untouched); kStatusNoMemory and
// kStatusBadArgument (a kernel whose weights do not sum to 2^j with 2j <= 24,
// another kind, or a strength plane of another kind or size) with the image
// untouched. Progress: one task of rows + n(preBlur) + 2 n(mask) ticks, one
// poll per row pass.
int SharpenApply(const ImageDesc& colour, const HalfKernel& preBlur, const HalfKernel& mask, const ImageDesc& strength,
                 int16_t amount, AdjustProgressProc cb);

// ---- Measurements (sharpen_measure.cpp)
// --------------------------------------- The edge blur estimate on the
// luminance Y and its gradient map E (whole picture, kind 1, same size),
// measured inside `rect`: fills the 256-bin gradient histogram (of E inside the
// rectangle shrunk by median radius + 1) and `edgeBlur`. Filters Y inside the
// rectangle in place (median, then the luminance blur). kStatusBadArgument for
// profile steps outside 1..25 or a median or cleanup radius outside 0..7.
int EstimateEdgeBlur(const ImageDesc& Y, const ImageDesc& E, const AdjustRect& rect,
                     const SharpenAdaptiveSettings& settings, uint32_t* gradientHistogram, double& edgeBlur,
                     AdjustProgressProc cb);
// The edge level: the percentile from the bottom of the gradient histogram
// (total n) at the 0.999 fraction, or at 0.9995 when that is 0.
int32_t EdgeLevel(const uint32_t* gradientHistogram, uint64_t n);
// The sharpness map of a luminance view Yr and its gradient view Er (same
// size) for gradient threshold p and luminance blur parameter r: an 8-bit
// plane of Yr's size (allocated into the empty `S`), 0 wherever no
// measurable edge passes, else 100 times the steepest one-pixel step
// relative to the edge's whole contrast. A border of profile-steps pixels
// stays 0. Task of rows ticks, one poll per inner row.
int SharpnessMap(const ImageDesc& Yr, const ImageDesc& Er, int32_t p, double r, const SharpenAdaptiveSettings& settings,
                 ImageDesc& S, AdjustProgressProc cb);
// Clears every non-zero region (4-connected) of the sharpness map S that
// holds fewer than floor(rows x columns x fraction) pixels; a fraction of 0
// or less, or a minimum size below 2, does nothing.
int RemoveSmallRegions(const ImageDesc& S, double fraction, AdjustProgressProc cb);
// The edge blur from the 256-bin histogram of the sharpness map: the
// sharpness where the top share of the non-zero values begins, as the
// Gaussian width 100 / (sharpness sqrt(2 pi)); 0 when that sharpness is
// below the minimum or the histogram is empty.
double EdgeBlurFromSharpness(const uint32_t* sharpnessHistogram, const SharpenAdaptiveSettings& settings);
// The comb score of a 256-bin gradient histogram.
double CombScore(const uint32_t* gradientHistogram, const SharpenAdaptiveSettings& settings);
// Box mean in place: every pixel becomes floor(sum / (2r + 1)^2) over its
// window, edge pixels repeated. kStatusBadArgument for another kind or a radius
// outside 0..7; radius 0 changes nothing. Task of max(rows / 8, 2) ticks.
int BoxMean(const ImageDesc& plane, int radius, AdjustProgressProc cb);
// The noise floor: box-filters E in place with the noise box radius, then
// reads the significant peaks of E's histogram inside `rect` shrunk by
// radius + 1.
int EstimateNoiseFloor(const ImageDesc& E, const AdjustRect& rect, const SharpenAdaptiveSettings& settings,
                       double& noiseFloor, AdjustProgressProc cb);
// The noise floor from the 256-bin histogram of the box-filtered gradient:
// the largest noise weight of its significant peaks (a peak up to noise
// peak low counts with its level, above noise peak high not at all, linear
// in between). -1 when the peak list cannot allocate.
int NoiseFloorFromHistogram(const uint32_t* histogram, const SharpenAdaptiveSettings& settings, double& noiseFloor);
// Fills the blur parameters, the amount and the knees from the edge blur,
// comb score and noise floor already in `measures`.
void DeriveSharpenParameters(const SharpenAdaptiveSettings& settings, SharpenMeasures& measures);
// The strength curve: a soft step from about 0 below the lower knee to
// about 255 above the upper, with level 255 itself at 0.88 of the full
// strength.
void BuildStrengthCurve(const SharpenMeasures& measures, uint8_t* curve);

} // namespace lvx
