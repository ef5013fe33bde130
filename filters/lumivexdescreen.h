#pragma once
#include "qvcommon/qvimage.h"

#include <cstdint>

namespace lvxfilters {

// The fine texture of an image: the mean absolute difference between a
// sample pixel and each of its nine neighbours (itself included), per
// channel, over a fixed irregular lattice of samples. `count` counts every
// neighbour visited, nine per sample. Images narrower or lower than 3
// pixels take no sample and measure 0 throughout.
struct TextureMeasure {
  double mean[3] = {}; // channels 0..2; only those the image has are set
  double average = 0;  // the mean of the channels present, up to three
  int64_t count = 0;
};

// Samples start at (1, 1); after each sample the step goes 2, 3, ..., 8, 1,
// 2, ... and x moves on by it; after a row y moves on by the step reached.
// An image the filters cannot work on measures 0.
TextureMeasure MeasureTexture(const QVImage& image);

} // namespace lvxfilters

// Whose analysis rules Analyze follows.
enum class DescreenRules {
  // The plug-in's: a blur of at most 2.25 pixels and never a sharpening.
  PlugIn,
  // The effect modules': a textureless image gets a fixed blur and
  // sharpening, other images a blur without limit and a sharpening that
  // grows with it.
  Effect,
};

// The descreen filter: removes the regular dot pattern of printed halftone
// images by a box blur in steps of an eighth of a pixel, whose amount is
// measured from the image (how much of its fine texture a one- and a
// two-pixel blur remove), optionally followed by a sharpening.
//
// Works in place on a QVImage of 1 to 4 bytes per pixel. An image without
// pixels, with its error flag set, of no size or of another pixel size is
// left alone (result 0).
class LumivexDescreen {
public:
  // Blur amount 1, sharpen amount 2, preset code 12, nothing analysed.
  LumivexDescreen();
  virtual ~LumivexDescreen();

  // Measures the image and sets the blur factor k, the sharpen value and
  // from them the blur amount and the integer sharpen amount. Result 1; 0
  // when no working copy can be had or the image cannot be worked on, with
  // k, the sharpen value and both amounts 0 (so a later Apply changes
  // nothing).
  int32_t Analyze(QVImage* image, DescreenRules rules = DescreenRules::PlugIn);
  // Blurs the image by the blur amount a (in eighths of a pixel): a box of
  // radius a / 8, and for a fraction f = a mod 8 a blend f / 8 of the way
  // toward the box of radius a / 8 + 1; then sharpens with radius s. Result
  // 1; 0, with the image untouched, when the image cannot be worked on or
  // the working copy a fraction needs cannot be had.
  int32_t Apply(QVImage* image);
  // Sets a and s, negative values as 0.
  void SetAmounts(int32_t blur, int32_t sharpen);
  // The amounts for an image shown at `zoom`: x times each, truncated,
  // above 1; unchanged at 1; halved (shifted) below 1. A zoom that is not
  // finite or not positive counts as 1; results saturate at INT32_MAX.
  static void ZoomAmounts(double zoom, int32_t& blur, int32_t& sharpen);

  // Results of the last analysis: the texture averages of the image (A), of
  // its one-pixel blur (B1) and of its two-pixel blur (B2), k and the
  // sharpen value.
  double Texture() const { return means[3]; }
  double BlurredTexture1() const { return blurred1; }
  double BlurredTexture2() const { return blurred2; }
  double BlurFactor() const { return blurFactor; }
  double SharpenValue() const { return sharpenValue; }
  int32_t BlurAmount() const { return blurAmount; }
  int32_t SharpenAmount() const { return sharpenAmount; }

private:
  // Sets k and the sharpen value from the three texture averages.
  void Decide(DescreenRules rules);
  void Reset();

  double means[4] = {}; // the image's channels 0..2 and their average A
  double blurred1 = 0;
  double blurred2 = 0;
  double blurFactor = 0;
  double sharpenValue = 0;
  const QVImage* image = nullptr; // the image last analysed, and its size then
  int32_t width = 0;
  int32_t height = 0;
  int32_t blurAmount = 1;
  int32_t sharpenAmount = 2;
  int32_t presetCode = 12; // kept beside the amounts; the filter does not use it
};
