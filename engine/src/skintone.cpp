#include "skintone.h"

#include "alloc.h"
#include "iterate.h"
#include "labelling.h"
#include "module.h"
#include "progress.h"
#include "rankfilter.h"
#include "rect.h"
#include "skinmodel.h"
#include "stats.h"
#include "status.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lvx {
namespace {

// The hue tables: the weight by saturation W[s] and the shift by hue D[h].
// The queued operation reads them when the queue is replayed, after the
// stage has returned, so they live for the whole process.
double g_weight[256];
double g_shift[256];

// Pixel-cache sentinels of the hue rewrite (saturation, hue).
constexpr uint8_t kSentinelSaturation = 0, kSentinelHue = 192;

// Releases the skin model when the detection ends, on every path.
struct ModelRelease {
  ~ModelRelease() { ReleaseSkinModel(); }
};

// v - u on the hue circle, in -128..127 except that half a turn gives -128
// when v - u = 128 and 128 when v - u = -128.
int HueDifference(int u, int v)
{
  int d = v - u;
  return d < -127 ? d + 256 : (d > 127 ? d - 256 : d);
}

uint8_t RoundedMean(double sum, double count) { return uint8_t(std::floor(sum / count + 0.5)); }

// The mean colour of the labelled regions 1 .. n - 1, or (0, 0, 0) when
// their pixels together cover more than the border fraction of the top or
// bottom row or of the left or right column.
int RegionColour(const ImageDesc& colour, const ImageDesc& labels, int32_t n, const SkinSettings& settings,
                 Rgb& measured, AdjustProgressProc cb)
{
  RegionTable table;
  int32_t position = 0;
  int s = RegionColourStatistics(colour, labels, n, table, position, cb);
  if (s == kStatusOk)
    s = RegionBorderCounts(colour, labels, n, table, position, cb);
  if (s != kStatusOk) {
    FreeRegionTable(table);
    return s;
  }
  const double* const* statistics = table.slot;
  const double* const* border = table.slot + 4;
  int64_t edge[4] = {0, 0, 0, 0};
  for (int32_t i = 1; i < n; ++i)
    for (int side = 0; side < 4; ++side)
      edge[side] += int64_t(border[side][i]);
  const int64_t across = int64_t(std::floor(settings.borderFraction * colour.columns));
  const int64_t down = int64_t(std::floor(settings.borderFraction * colour.rows));
  const bool alongBorder = edge[kBorderTop] > across || edge[kBorderBottom] > across || edge[kBorderLeft] > down ||
                           edge[kBorderRight] > down;
  double pixels = 0, red = 0, green = 0, blue = 0;
  if (!alongBorder)
    for (int32_t i = 1; i < n; ++i) {
      const double count = statistics[kRegionPixels][i];
      pixels += count;
      red += count * statistics[kRegionRed][i];
      green += count * statistics[kRegionGreen][i];
      blue += count * statistics[kRegionBlue][i];
    }
  measured = pixels > 0 ? Rgb{RoundedMean(red, pixels), RoundedMean(green, pixels), RoundedMean(blue, pixels)} : Rgb{};
  FreeRegionTable(table);
  return kStatusOk;
}

} // namespace

int DetectSkinColour(const ImageDesc& colour, SkinSettings& settings, Rgb& measured, AdjustProgressProc cb)
{
  measured = Rgb{};
  Task task(cb, 8);
  ModelRelease release;
  if (int s = LoadSkinModel(settings))
    return s;
  const SkinModel& model = LoadedSkinModel();
  ScopedImage map, labels;
  if (int s = LikelihoodPlane(colour, map.desc, model.table, model.bits, settings, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;

  if (settings.estimateThreshold) {
    int16_t level = 0;
    if (int s = StrongestGradientLevel(map.desc, settings.populationDivisor, settings.halfWindow, level, cb))
      return s;
    settings.likelihoodThreshold = level < settings.lowestEstimate ? int16_t(255) : level;
  }
  if (task.Poll())
    return kStatusCancelled;
  const uint8_t threshold = uint8_t(std::clamp<int>(settings.likelihoodThreshold, 0, 255));
  if (int s = ThresholdPlane(map.desc, threshold, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  if (int s = RankFilter(map.desc, settings.filterRadius, 50, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;

  int32_t n = 0;
  const int labelled = LabelRegions(map.desc, colour, settings.colourTolerance, labels.desc, n, cb);
  if (labelled == kStatusTooManyRegions)
    return kStatusOk; // too fragmented to be skin
  if (labelled != kStatusOk)
    return labelled;
  if (task.Poll())
    return kStatusCancelled;
  if (n < 2)
    return kStatusOk;

  Buffer<uint32_t> areas;
  if (!areas.Allocate(size_t(n)))
    return kStatusNoMemory;
  uint32_t* bins = areas.data();
  if (int s = GatherPlane16Histogram(labels.desc, bins, n, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  if (settings.minimumRegionArea > 1) {
    // Small regions go to the background; the others are numbered afresh.
    Buffer<int16_t> renumber;
    if (!renumber.Allocate(size_t(n)))
      return kStatusNoMemory;
    int16_t kept = 0;
    renumber[0] = 0;
    for (int32_t i = 1; i < n; ++i)
      renumber[size_t(i)] = int64_t(areas[size_t(i)]) < settings.minimumRegionArea ? int16_t(0) : ++kept;
    if (int s = ApplyTable16(labels.desc, renumber.data(), size_t(n), cb))
      return s;
    n = kept + 1;
    if (task.Poll())
      return kStatusCancelled;
  }
  if (n < 2)
    return kStatusOk;
  if (int s = RegionColour(colour, labels.desc, n, settings, measured, cb))
    return s;
  return task.Poll() ? kStatusCancelled : kStatusOk;
}

Rgb CorrectionTarget(Rgb measured, const SkinSettings& settings)
{
  const WorkingPixel m = RgbToWorking(measured);
  const WorkingPixel t =
      RgbToWorking(Rgb{settings.targetColour[0], settings.targetColour[1], settings.targetColour[2]});
  const double* cosine = CosTable();
  const double xm = m.S * cosine[m.H], ym = m.S * cosine[(m.H + 192) & 255];
  const double xt = t.S * cosine[t.H], yt = t.S * cosine[(t.H + 192) & 255];
  const double dist = std::floor(std::sqrt((xt - xm) * (xt - xm) + (yt - ym) * (yt - ym)) + 0.5);
  if (dist > settings.strength)
    return Rgb{};
  // At distance 0 (the only one a strength of 0 lets through) the target stands.
  const double w = settings.strength > 0 ? 1 - dist * settings.blendReduction / settings.strength : 1.0;
  const double x = w * xt + (1 - w) * xm, y = w * yt + (1 - w) * ym;
  return WorkingToRgb(WorkingPixel{t.L, uint8_t(Chroma(x, y)), uint8_t(HueAngle(x, y))});
}

void BuildHueTables(const HueCorrection& c)
{
  const double fs = float(c.saturationEdgeWeight / 100.0), fh = float(c.hueEdgeWeight / 100.0);
  const int a = c.saturationHalfWidth, b = c.hueHalfWidth;
  const int m = HueDifference(c.skinHue, c.targetHue);
  for (int s = 0; s < 256; ++s) {
    const int r = std::abs(s - c.skinSaturation);
    g_weight[s] = r > a ? 0.0 : 1 - (a > 0 ? double(r) / a : 0.0) * (1 - fs);
  }
  for (int h = 0; h < 256; ++h) {
    const int r = std::abs(HueDifference(c.skinHue, h));
    g_shift[h] = r < b ? m * (1 - double(r) / b * (1 - fh)) : 0.0;
  }
}

uint8_t CorrectedHue(uint8_t s, uint8_t h)
{
  return uint8_t((h + int(std::trunc(g_shift[h] * g_weight[s] + 0.5))) & 255);
}

int HueSelectiveCorrection(const ImageDesc& saturation, const ImageDesc& hue, const HueCorrection& c,
                           AdjustProgressProc cb)
{
  if (saturation.kind != kKindPlane8 || hue.kind != kKindPlane8)
    return kStatusBadArgument;
  BuildHueTables(c);
  return ApplyPairCached(
      saturation, hue, kSentinelSaturation, kSentinelHue, [](uint8_t& s, uint8_t& h) { h = CorrectedHue(s, h); }, cb);
}

void SkinHueOp(uint8_t* pixel) { pixel[3] = CorrectedHue(pixel[2], pixel[3]); }

int SkinToneStage(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb)
{
  SkinSettings& settings = SkinSettingsOf(control);
  ScopedImage reduced;
  Task task(cb, 5);
  if (int s = EnsureColour(image, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;
  // An empty analysis rectangle has no skin to find: no copy, no detection.
  const bool empty = RectIsEmpty(image.rect);
  if (!empty)
    if (int s = Reduce(RectView(image.colour, image.rect), settings.pixelBudget, reduced.desc, cb, true))
      return s;
  if (task.Poll())
    return kStatusCancelled;
  Rgb measured;
  if (!empty)
    if (int s = DetectSkinColour(reduced.desc, settings, measured, cb))
      return s;
  if (task.Poll())
    return kStatusCancelled;

  // The skin colour in the run's gamma, where the target colour lives.
  const Rgb skin = AdjustColourGamma(measured, image.workingGamma);
  if (skin == Rgb{})
    return kStatusOk;
  const Rgb target = CorrectionTarget(skin, settings);
  if (target == Rgb{})
    return kStatusOk;
  if (int s = EnsureWorking(image, cb))
    return s;
  if (task.Poll())
    return kStatusCancelled;

  // Skin and target hues from the plain conversion, whatever the gamma.
  const WorkingPixel m = RgbToWorking(skin), t = RgbToWorking(target);
  HueCorrection c;
  c.skinSaturation = m.S, c.skinHue = m.H, c.targetHue = t.H;
  c.saturationHalfWidth = settings.saturationHalfWidth;
  c.hueHalfWidth = int(std::floor(settings.hueWindow * 256.0 / 720.0 + 0.5));
  c.saturationEdgeWeight = settings.saturationEdgeWeight;
  c.hueEdgeWeight = settings.hueEdgeWeight;
  int status = HueSelectiveCorrection(SaturationPlane(image.working), HuePlane(image.working), c, cb);
  status = FinishRewrite(image, control, status, SkinHueOp, true);
  if (task.Poll())
    status = kStatusCancelled;
  return status;
}

} // namespace lvx
