#pragma once
// The skin-tone stage: finds skin inside the analysis rectangle (on a copy
// reduced to the stage's pixel budget), measures its mean colour, and when
// that colour lies within `strength` of the target skin colour turns the
// hues of skin-like colours in the whole picture part of the way toward the
// target's hue. Only the hue byte of working pixels is rewritten, through two
// process-wide 256-entry tables (a weight by saturation, a shift by hue), so
// the rewrite is a point operation the step queue replays on the full image.
#include "colorspace.h"
#include "pipeline.h"
#include "settings.h"

#include <cstdint>

namespace lvx {

// Finds skin in a colour image and measures its colour, (0, 0, 0) when none:
// the likelihood plane of the skin model, cut at the threshold (estimated
// anew and stored into the settings when their estimate flag is set; below
// the lowest accepted estimate it becomes 255), a majority filter, colour-
// coherent regions, regions below the minimum area dropped, and all skin
// refused when the regions together cover more than the border fraction of
// any edge row or column. Too many regions count as no skin (status 0).
// Statuses: 0, 1 cancelled, kStatusNoMemory, and the model loader's errors.
int DetectSkinColour(const ImageDesc& colour, SkinSettings& settings, Rgb& measured, AdjustProgressProc cb);

// The colour whose hue the correction turns toward: the target moved toward
// the measured colour in the chroma plane by dist x blend reduction /
// strength, or (0, 0, 0) (no correction) when the rounded chroma distance
// between the two exceeds the strength.
Rgb CorrectionTarget(Rgb measured, const SkinSettings& settings);

// The parameters of the hue rewrite: skin saturation and hue, target hue,
// the saturation and hue half-widths and the edge weights in percent.
struct HueCorrection {
  int skinSaturation = 0, skinHue = 0, targetHue = 0;
  int saturationHalfWidth = 100, hueHalfWidth = 21;
  int saturationEdgeWeight = 10, hueEdgeWeight = 30;
};
// Fills the process-wide tables for `c`.
void BuildHueTables(const HueCorrection& c);
// The rewritten hue of a working pixel of saturation s and hue h by the
// tables as they stand: (h + trunc(D[h] W[s] + 0.5)) mod 256.
uint8_t CorrectedHue(uint8_t s, uint8_t h);
// Fills the tables and rewrites the hue plane pixel by pixel (pairs cached,
// sentinels 0 and 192). Both planes must be 8-bit planes of one size
// (kStatusBadArgument); kStatusNoMemory when the caches cannot be allocated; 1
// on cancel.
int HueSelectiveCorrection(const ImageDesc& saturation, const ImageDesc& hue, const HueCorrection& c,
                           AdjustProgressProc cb);
// The queued form: byte 3 (hue) of a working element from bytes 2 and 3.
void SkinHueOp(uint8_t* pixel);

int SkinToneStage(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb);

} // namespace lvx
