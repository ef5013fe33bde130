#include "lumivexdescreen.h"

#include "filterimage.h"
#include "qvcommon/qvpixelclamp.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

// This module's own clamp table, built when the module is loaded.
const QVPixelClamp g_clamp;

// The largest blur amount the plug-in's rules give: 2.25 pixels.
constexpr int32_t kPlugInMaxBlur = 18;
// A blur that leaves at most this share of the texture removes the screen.
constexpr double kScreenGone = 0.25;

// trunc(zoom * v), saturated to the int32 range.
int32_t Scaled(double zoom, int32_t v)
{
  const double t = std::trunc(zoom * v);
  return static_cast<int32_t>(std::clamp(t, double{INT32_MIN}, double{INT32_MAX}));
}

} // namespace

namespace lvxfilters {

TextureMeasure MeasureTexture(const QVImage& image)
{
  TextureMeasure m;
  if (!Workable(&image))
    return m;
  const int32_t bpp = image.bytesPerPixel;
  const int32_t channels = std::min(bpp, 3);
  // 64-bit: a large busy image passes 2^31 in a 32-bit sum.
  int64_t sums[3] = {};
  // The step carries on from sample to sample and from row to row.
  int32_t step = 1;
  for (int32_t y = 1; y < image.height - 1; y += step) {
    const unsigned char* above = Row(image, y - 1);
    const unsigned char* rows[3] = {above, above + image.rowBytes, above + 2 * static_cast<ptrdiff_t>(image.rowBytes)};
    for (int32_t x = 1; x < image.width - 1; x += step) {
      const unsigned char* centre = rows[1] + static_cast<ptrdiff_t>(x) * bpp;
      for (const unsigned char* r : rows) {
        const unsigned char* p = r + static_cast<ptrdiff_t>(x - 1) * bpp;
        for (int32_t dx = 0; dx < 3; ++dx, p += bpp)
          for (int32_t c = 0; c < channels; ++c)
            sums[c] += std::abs(centre[c] - p[c]);
      }
      m.count += 9;
      step = step % 8 + 1;
    }
  }
  // Without samples the image counts as flat.
  if (m.count == 0)
    return m;
  for (int32_t c = 0; c < channels; ++c) {
    m.mean[c] = static_cast<double>(sums[c]) / static_cast<double>(m.count);
    m.average += m.mean[c];
  }
  m.average /= channels;
  return m;
}

} // namespace lvxfilters

LumivexDescreen::LumivexDescreen() = default;

LumivexDescreen::~LumivexDescreen() = default;

void LumivexDescreen::Reset()
{
  std::fill(std::begin(means), std::end(means), 0.0);
  blurred1 = blurred2 = blurFactor = sharpenValue = 0;
  image = nullptr;
  width = height = 0;
  blurAmount = sharpenAmount = 0;
}

int32_t LumivexDescreen::Analyze(QVImage* source, DescreenRules rules)
{
  if (!lvxfilters::Workable(source)) {
    Reset();
    return 0;
  }
  QVImage copy(source);
  if (copy.error || !copy.HasPixels()) {
    Reset();
    return 0;
  }
  const lvxfilters::TextureMeasure measure = lvxfilters::MeasureTexture(copy);
  std::copy(std::begin(measure.mean), std::end(measure.mean), means);
  means[3] = measure.average;
  copy.SquareBlur(1);
  blurred1 = lvxfilters::MeasureTexture(copy).average;
  source->FastCopy(&copy);
  copy.SquareBlur(2);
  blurred2 = lvxfilters::MeasureTexture(copy).average;

  Decide(rules);
  image = source;
  width = source->width;
  height = source->height;
  // k and the sharpen value are small and finite here (k at most 2.2).
  if (rules == DescreenRules::PlugIn)
    blurAmount = std::min(static_cast<int32_t>(blurFactor * 13), kPlugInMaxBlur);
  else
    blurAmount = static_cast<int32_t>(blurFactor * 8);
  sharpenAmount = -static_cast<int32_t>(sharpenValue);
  return 1;
}

void LumivexDescreen::Decide(DescreenRules rules)
{
  const double a = means[3];
  // The effect's rules give a textureless image a fixed blur and
  // sharpening; testing that first keeps its ratios from dividing by 0.
  if (rules == DescreenRules::Effect && a < 10) {
    blurFactor = 1.0;
    sharpenValue = -2.0;
    return;
  }
  // How much texture survives each blur. The plug-in's divisor is never 0;
  // the effect's is at least 10 here.
  const double d = rules == DescreenRules::PlugIn ? a + 0.001 : a;
  const double c1 = blurred1 / d;
  double k = 0;
  if (c1 <= kScreenGone)
    k = 0.75 / (1 - c1);
  if (k == 0) {
    // c1 is above a quarter here, so when c2 is not, c1 - c2 > 0.
    const double c2 = blurred2 / d;
    if (c2 <= kScreenGone)
      k = (c1 - kScreenGone) / (c1 - c2) + 1;
  }
  if (k == 0) {
    if (rules == DescreenRules::Effect)
      k = 2.2;
    else if (d > 10)
      k = 2.0;
  }
  blurFactor = k;
  sharpenValue = -(2 * k) - 1;
  if (rules == DescreenRules::PlugIn && sharpenValue < 0)
    sharpenValue = 0;
}

int32_t LumivexDescreen::Apply(QVImage* target)
{
  if (!lvxfilters::Workable(target))
    return 0;
  const int32_t whole = blurAmount >> 3;
  const int32_t fraction = blurAmount & 7;
  // The copy for the fraction comes first: without it the image is left as
  // it was rather than half blurred.
  std::unique_ptr<QVImage> wider;
  if (fraction != 0) {
    wider = std::make_unique<QVImage>(target);
    if (wider->error || !wider->HasPixels())
      return 0;
  }
  target->SquareBlur(whole);
  if (fraction != 0) {
    target->FastCopy(wider.get());
    wider->SquareBlur(whole + 1);
    // The arithmetic shift rounds a negative step toward minus infinity.
    const uint8_t* clamp = g_clamp.Zero();
    const int64_t length = int64_t{target->width} * target->bytesPerPixel;
    for (int32_t y = 0; y < target->height; ++y) {
      unsigned char* v = lvxfilters::Row(*target, y);
      const unsigned char* w = lvxfilters::Row(*wider, y);
      for (int64_t p = 0; p < length; ++p)
        v[p] = clamp[v[p] + (((w[p] - v[p]) * fraction) >> 3)];
    }
  }
  target->SquareBlur(-sharpenAmount);
  return 1;
}

void LumivexDescreen::SetAmounts(int32_t blur, int32_t sharpen)
{
  blurAmount = std::max(blur, 0);
  sharpenAmount = std::max(sharpen, 0);
}

void LumivexDescreen::ZoomAmounts(double zoom, int32_t& blur, int32_t& sharpen)
{
  if (!std::isfinite(zoom) || zoom <= 0 || zoom == 1)
    return;
  if (zoom < 1) {
    blur >>= 1;
    sharpen >>= 1;
    return;
  }
  blur = Scaled(zoom, blur);
  sharpen = Scaled(zoom, sharpen);
}
