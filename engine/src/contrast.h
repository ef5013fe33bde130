#pragma once
// The lightness contrast stage: measures the lightness distribution tile by
// tile, keeps the tiles typical of the whole, and builds one tone curve for
// the working image's lightness: a lower black point where the picture has
// no deep shadows, mid-tones spread by a limited blend of histogram
// equalisation and the straight line, highlights above the top percentile
// left as they are.
#include "image.h"
#include "pipeline.h"
#include "settings.h"

#include <cstdint>

namespace lvx {

enum : int { kContrastTableSize = 4096, kMaxContrastTiles = 10 };

// How far a 256-bin histogram of `total` pixels is from flat, its bins'
// differences from the mean quantised down to whole steps of
// mean / divisor; 0 is perfectly flat. Below 256 pixels the mean (and so the
// step) is 0 and the plain differences count. No pixel at all reads 100.
double Flatness(const uint32_t* h, uint64_t total, double divisor);

// Marks the tiles whose flatness is at most `limit`; when fewer than `quota`
// qualify, marks instead the flattest tiles one by one (the first of equals,
// each taken tile's flatness set to 1000) until the quota is met or no tile
// below 1000 is left. Returns how many were marked.
int ChooseTiles(double* flatness, int tiles, double limit, int quota, bool* chosen);

// The blend percentage of histogram equalisation for a global flatness g.
int BlendPercentage(double g, const ContrastSettings& settings);

// Measures the lightness plane of `working` inside `rect` into the global and
// the selected 257-entry histograms (256 bins, then the total), and writes the
// blend percentage into the settings. kStatusNoMemory, or 1 on cancel.
int MeasureContrast(const ImageDesc& working, const AdjustRect& rect, ContrastSettings& settings, uint32_t* global,
                    uint32_t* selected, AdjustProgressProc cb);

// The blended middle part of the curve over h[0..n], rising from 0 to `span` in
// out[0..n]. kStatusBadArgument for spans that cannot arise from a measurement.
int MiddleCurve(const uint32_t* h, int n, int span, int percent, double lowerSlope, double upperSlope, float* out);

struct ContrastCurveInfo {
  int low = 0;   // the bottom percentile level
  int high = 0;  // the top percentile level; the curve is the identity above it
  int black = 0; // the new black point
};
// The 256-level curve from the global and the selected histograms (the
// selected one's end bins are flattened in place), with the settings' blend
// percentage. kStatusBadArgument for an empty global histogram.
int BuildContrastCurve(const uint32_t* global, uint32_t* selected, const ContrastSettings& settings, float* curve,
                       ContrastCurveInfo* info = nullptr);
// The 4096-entry lightness table of the curve; true when some entry is more
// than 16 from its index.
bool CurveTable(const float* curve, int16_t* table);

// The queued operation on a working pixel's lightness, through the
// process-wide table (kept for the replay of the run that built it).
void ContrastOp(uint8_t* pixel);
const int16_t* ContrastTable();

int ContrastStage(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb);

} // namespace lvx
