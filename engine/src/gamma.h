#pragma once
// The gamma stage and the final display-gamma step. The stage estimates how
// strong a gamma the picture carries, chooses the run's working gamma from
// that estimate and the reference gamma, and where the two disagree applies
// a colour gamma that keeps each pixel's brightest channel and the order of
// its channels. The final step brings the picture from the working gamma to
// the target gamma.
#include "image.h"
#include "pipeline.h"
#include "settings.h"

#include <cstdint>

namespace lvx {

// The gamma a picture carries, from its brightness histogram (766 bins of
// R + G + B) and saturation histogram (256 bins): the gamma limit for dull
// pictures, the neutral gamma for saturated ones, a logarithmic blend in
// between.
double EstimateGamma(const uint32_t* brightness, const uint32_t* saturation, const GammaSettings& settings);

// The colour gamma of one B,G,R pixel through a 256-entry power table: the
// weakest channel goes through the table relative to the strongest, the
// middle one keeps its relative place between them, the strongest stays.
void ColourGammaPixel(uint8_t* pixel, const uint8_t* table);
// Builds the process-wide colour-gamma table for `ratio` and, when it is not
// the identity, applies the colour gamma to every pixel (`changed` tells).
// kStatusBadArgument for another image kind or a ratio that is not positive and
// finite.
int ApplyColourGamma(const ImageDesc& colour, double ratio, bool& changed, AdjustProgressProc cb);

// The queued operations on a B,G,R,0 pixel. Each reads its own process-wide
// table (both may be replayed in one chain), kept until the next run that
// rebuilds it.
void ColourGammaOp(uint8_t* pixel);
void DisplayGammaOp(uint8_t* pixel);

int GammaStage(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb);
int DisplayGammaStep(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb);

} // namespace lvx
