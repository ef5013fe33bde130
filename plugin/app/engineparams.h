#pragma once
// The plug-in's side of a correction run, apart from the window: the record
// handed to the engine's SetParams, and the two pixel steps the plug-in runs
// around the engine (the colour shift and the saturation and brightness
// step). The main window's members of the same names forward to these.
#include "lumivex.h"

#include <cstdint>

class QVImage;
class QVRect;

namespace engineparams {

// The slider range of the Anti-Noise control and the engine's level range.
enum : int32_t { kNoiseSliderMax = 40, kLowestLevel = 1, kHighestLevel = 13 };

// The record for SetParams from a copy of the window's settings: contrast,
// colour and sharpen levels held to 1..13; the noise level, which the window
// keeps as the Anti-Noise slider value, held to 0..40 and converted to
// 1 + 3v / 10 (truncated), so that 0..40 covers the engine's 1..13; the
// gammas and the skin colour copied (the engine itself replaces a gamma that
// is not finite or not above 0).
AdjustParams EngineRecord(const AdjustParams& settings);

// The record of the Sub-Detail pre-pass: every level 1, no noise reduction,
// both gammas 1.8, the window's skin colour; already in the engine's ranges.
AdjustParams PreparatoryRecord(const AdjustParams& settings);

// The pixels of the area (left and top inclusive, right and bottom
// exclusive) that lie inside both images, which must share their pixel
// layout; false (nothing done) for null or pixel-less images, layouts that
// differ, or an empty area. Only these pixels are ever read or written.
bool UsableArea(const QVImage* source, const QVImage* target, const QVRect& area, QVRect* inside);

// Target pixel := source pixel + (blue, green, red), each held to 0..255, over
// the area. The shifts are first held to -255..255; with all three 0 nothing
// happens. Grey images shift their one byte by blue.
void ColorShift(const QVImage* source, QVImage* target, const QVRect& area, int32_t red, int32_t green, int32_t blue);

// Per pixel of the area, from the source's R, G, B with s = saturation and
// b = brightness (both first held to -255..255), mix(a, c, w, d) = a w / d +
// c (d - w) / d (each quotient truncated toward zero; 0 when d is 0):
//   s < 0: L = (76 R + 150 G + 29 B) >> 8, each channel := mix(C, L, 255 + s, 255);
//   s > 0: d = (255 - s) / 2 + 128, R := mix(2R, G + B, 255, d) / 2 and
//          likewise G and B, each from the unchanged source values;
//   then each channel := clamp(value + b, 0, 255) into the target.
// Grey images take their one byte as R, G and B and keep the blue result.
void SaturationBrightness(const QVImage* source, QVImage* target, const QVRect& area, int32_t saturation,
                          int32_t brightness);

} // namespace engineparams
