#pragma once
// The levels and colour balance stage: a black and a white point per
// channel, from the channel histograms of the analysis rectangle and the
// mean colours of its darkest and lightest pixels, applied through three
// lookup tables.
#include "pipeline.h"
#include "settings.h"

#include <cstdint>

namespace lvx {

// Red, green, blue.
struct LevelPoints {
  int black[3] = {0, 0, 0};
  int white[3] = {255, 255, 255};
};

// What the stage gathers over the analysis rectangle.
struct LevelsHistograms {
  const uint32_t* channel[3]; // red, green, blue: 256 bins each
  const uint32_t* brightness; // 766 bins of R + G + B
  const uint32_t* sums[3];    // per brightness bin, the sums of red, green, blue
};

// The black and white points the histograms call for. Histograms without a
// pixel give the identity points (0 and 255).
LevelPoints EstimateLevelPoints(const LevelsHistograms& h, const LevelsSettings& settings);
// Fills the three tables (red, green, blue) from the points: 0 below the
// black point, 255 above the white point, linear in between (a black point
// above the white point makes a hard threshold). When black equals white in
// any channel all three become the identity. True when some entry differs
// from its index.
bool BuildLevelTables(const LevelPoints& points, uint8_t* red, uint8_t* green, uint8_t* blue);

// The queued operation: each channel of a B,G,R,0 pixel through the stage's
// process-wide tables, which keep their contents until the next run of the
// stage so that the replay of a run reads what its analysis built.
void LevelsLookupOp(uint8_t* pixel);
// The process-wide tables (0 red, 1 green, 2 blue).
const uint8_t* LevelsTable(int channel);

int LevelsStage(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb);

} // namespace lvx
