#include "colorspace.h"

#include "iterate.h"
#include "luminancerows.h"
#include "status.h"

#include <cmath>
#include <cstring>

namespace lvx {
namespace {

enum Channel { kRed = 0, kGreen = 1, kBlue = 2 };

// The six orderings of R, G, B.
struct Case {
  uint8_t max, mid, min;
  int32_t midWeight, minWeight, hueBase, hueFlip, span, q;
};
constexpr Case kCases[6] = {
    {kGreen, kRed, kBlue, 57, 18, 65, 255, 42, 75},    {kGreen, kBlue, kRed, 18, 57, 64, 0, 42, 75},
    {kBlue, kGreen, kRed, 181, 57, 150, 255, 43, 238}, {kBlue, kRed, kGreen, 57, 181, 149, 0, 43, 238},
    {kRed, kBlue, kGreen, 18, 181, 236, 255, 43, 199}, {kRed, kGreen, kBlue, 181, 18, 235, 0, 43, 199},
};

int CaseOf(int r, int g, int b)
{
  if (r < b)
    return b < g ? 1 : (g < r ? 3 : 2);
  return r < g ? 0 : (b < g ? 5 : 4);
}

int SectorOf(int h)
{
  if (h <= 21)
    return 5;
  if (h <= 63)
    return 0;
  if (h <= 105)
    return 1;
  if (h <= 148)
    return 2;
  if (h <= 191)
    return 3;
  if (h <= 234)
    return 4;
  return 5;
}

// Saturation and hue of channels ordered by case `k`, common to both forms.
void SaturationAndHue(const Case& k, int64_t mx, int64_t dMid, int64_t dMin, WorkingPixel& w)
{
  w.S = uint8_t(dMin == mx ? 255 : 256 * dMin / mx);
  w.H = uint8_t((k.hueBase + ((k.span * (dMin - dMid) / dMin) ^ k.hueFlip)) & 255);
}

// The inverse up to the three channel values on the scale `top` (255 plain,
// 4095 linearised); `shift` is 12 plain, 8 linearised. Working pixels hold
// L <= 4095; larger values are treated as 4095.
void Unpack(WorkingPixel w, int64_t top, int shift, int64_t out[3])
{
  const Case& k = kCases[SectorOf(w.H)];
  int64_t L = w.L > 4095 ? 4095 : w.L;
  int64_t s = w.S;
  int64_t x = ((w.H - k.hueBase) & 255) ^ k.hueFlip;
  int64_t t = x * s / k.span;
  int64_t f = (k.midWeight * t - k.q * (s + 1)) & 0xFFFF;
  int64_t g = (f ? 5898240 / f : 0) + 166;
  int64_t m = top;
  if (L * g < 1048576) {
    m = (L * g) >> shift;
  } else {
    int64_t room = k.q * (s + 1) - k.midWeight * t; // > 0 for every S, H
    int64_t scale = (4096 - L) * 1048576 / (room > 0 ? room : 1) + ((L * 166) >> 4);
    s = (s * scale) >> 16;
    s = s < 0 ? 0 : (s > 255 ? 255 : s);
    t = x * s / k.span;
  }
  out[k.max] = m;
  out[k.min] = (m * (256 - s)) >> 8;
  out[k.mid] = (m * (256 - s + t)) >> 8;
}

uint16_t g_linear[256];
uint8_t g_delinear[4096];
double g_linearGamma = std::nan("");
double g_delinearGamma = std::nan("");

// floor(v + 0.5) limited to 0..top (NaN gives 0).
int RoundCapped(double v, int top)
{
  double r = std::floor(v + 0.5);
  if (!(r > 0))
    return 0;
  return r >= top ? top : int(r);
}

double g_cos[256];
double g_tan[33];
uint8_t g_atanStep[129];
double g_atanThreshold[129];
bool g_cosBuilt = false;
bool g_atanBuilt = false;

// Writes a colour into the B, G, R bytes of a pixel.
void StoreColour(uint8_t* p, Rgb c)
{
  p[0] = c.b;
  p[1] = c.g;
  p[2] = c.r;
}

int AngleStep(double f)
{
  double scaled = 128.0 * f;
  int j = int(scaled);
  if (j < 128 && scaled >= g_atanThreshold[j])
    ++j;
  return g_atanStep[j > 128 ? 128 : j];
}

} // namespace

WorkingPixel RgbToWorking(Rgb c)
{
  int ch[3] = {c.r, c.g, c.b};
  const Case& k = kCases[CaseOf(c.r, c.g, c.b)];
  int64_t mx = ch[k.max], dMid = mx - ch[k.mid], dMin = mx - ch[k.min];
  WorkingPixel w;
  if (dMin == 0) {
    w.L = uint16_t(16 * mx);
    return w;
  }
  int64_t a = k.midWeight * dMid + k.minWeight * dMin;
  int64_t d = 256 * mx - a;
  w.L = uint16_t(mx * 256 * d / ((90 * a + 256 * d) >> 4));
  SaturationAndHue(k, mx, dMid, dMin, w);
  return w;
}

Rgb WorkingToRgb(WorkingPixel w)
{
  int64_t ch[3];
  Unpack(w, 255, 12, ch);
  return Rgb{uint8_t(ch[kRed]), uint8_t(ch[kGreen]), uint8_t(ch[kBlue])};
}

WorkingPixel RgbToWorkingLinear(Rgb c)
{
  int ch[3] = {g_linear[c.r], g_linear[c.g], g_linear[c.b]};
  const Case& k = kCases[CaseOf(ch[kRed], ch[kGreen], ch[kBlue])];
  int64_t mx = ch[k.max], dMid = mx - ch[k.mid], dMin = mx - ch[k.min];
  WorkingPixel w;
  if (dMin == 0) {
    w.L = uint16_t(mx);
    return w;
  }
  // The shifts act on the already-shifted values: this is the form that the
  // inverse undoes.
  int64_t a = (k.midWeight * dMid + k.minWeight * dMin) >> 4;
  int64_t o = (256 * mx - (k.midWeight * dMid + k.minWeight * dMin)) >> 4;
  int64_t r = (o >> 4) << 4;
  int64_t den = (((a >> 4) * 90) >> 4) + r;
  // Some near-black colours (linearised max 1, min 0) leave nothing in the
  // denominator; their lightness is 0, as for their neighbours with r = 0.
  w.L = uint16_t(den ? mx * r / den : 0);
  SaturationAndHue(k, mx, dMid, dMin, w);
  return w;
}

Rgb WorkingToRgbLinear(WorkingPixel w)
{
  int64_t ch[3];
  Unpack(w, 4095, 8, ch);
  return Rgb{g_delinear[ch[kRed]], g_delinear[ch[kGreen]], g_delinear[ch[kBlue]]};
}

WorkingPixel LoadWorking(const uint8_t* e)
{
  WorkingPixel w;
  w.L = Load16(e);
  w.S = e[2];
  w.H = e[3];
  return w;
}

void StoreWorking(uint8_t* e, WorkingPixel w)
{
  Store16(e, w.L);
  e[2] = w.S;
  e[3] = w.H;
}

void PrepareLinearising(double gamma)
{
  if (gamma == g_linearGamma)
    return;
  for (int i = 0; i < 256; ++i)
    g_linear[i] = uint16_t(RoundCapped(4096.0 * std::pow(i / 256.0, gamma), 4095));
  g_linearGamma = gamma;
}

void PrepareDelinearising(double gamma)
{
  if (!(gamma > 0) || gamma == g_delinearGamma)
    return;
  for (int i = 0; i < 4096; ++i)
    g_delinear[i] = uint8_t(RoundCapped(256.0 * std::pow(i / 4096.0, 1.0 / gamma), 255));
  g_delinearGamma = gamma;
}

const uint16_t* LinearisingTable() { return g_linear; }
const uint8_t* DelinearisingTable() { return g_delinear; }

void ColourToWorkingPlainOp(uint8_t* p) { StoreWorking(p, RgbToWorking(Rgb{p[2], p[1], p[0]})); }
void ColourToWorkingGammaOp(uint8_t* p) { StoreWorking(p, RgbToWorkingLinear(Rgb{p[2], p[1], p[0]})); }

void WorkingToColourPlainOp(uint8_t* p)
{
  StoreColour(p, WorkingToRgb(LoadWorking(p)));
  p[3] = 0;
}

void WorkingToColourGammaOp(uint8_t* p)
{
  StoreColour(p, WorkingToRgbLinear(LoadWorking(p)));
  p[3] = 0;
}

int ColourToWorkingImage(const ImageDesc& colour, ImageDesc& working, double gamma, AdjustProgressProc cb)
{
  bool made = false;
  if (int s = MakeLike(colour, working, kKindColour, kKindWorking, &made))
    return s;
  bool plain = gamma == 1.0;
  if (!plain)
    PrepareLinearising(gamma);
  int s = ForEachRowPair(
      colour, working,
      [&](uint8_t* c, uint8_t* w, int32_t n, ptrdiff_t sc, ptrdiff_t sw) {
        for (int32_t x = 0; x < n; ++x, c += sc, w += sw) {
          Rgb rgb{c[2], c[1], c[0]};
          StoreWorking(w, plain ? RgbToWorking(rgb) : RgbToWorkingLinear(rgb));
        }
      },
      cb);
  FreeImageIf(working, s != kStatusOk, made);
  return s;
}

int WorkingToColourImage(const ImageDesc& working, const ImageDesc& colour, double gamma, AdjustProgressProc cb)
{
  if (working.kind != kKindWorking || colour.kind != kKindColour)
    return kStatusBadArgument;
  bool plain = gamma == 1.0;
  if (!plain)
    PrepareDelinearising(gamma);
  return ForEachRowPair(
      working, colour,
      [&](uint8_t* w, uint8_t* c, int32_t n, ptrdiff_t sw, ptrdiff_t sc) {
        for (int32_t x = 0; x < n; ++x, c += sc, w += sw) {
          StoreColour(c, plain ? WorkingToRgb(LoadWorking(w)) : WorkingToRgbLinear(LoadWorking(w)));
        }
      },
      cb);
}

WorkingPixel ColourToWorking(Rgb c, double gamma)
{
  if (gamma == 1.0)
    return RgbToWorking(c);
  PrepareLinearising(gamma);
  return RgbToWorkingLinear(c);
}

Rgb WorkingToColour(WorkingPixel w, double gamma)
{
  if (gamma == 1.0)
    return WorkingToRgb(w);
  PrepareDelinearising(gamma);
  return WorkingToRgbLinear(w);
}

Rgb AdjustColourGamma(Rgb c, double p)
{
  auto adjust = [p](uint8_t v) { return uint8_t(RoundCapped(255.0 * std::pow(v / 255.0, p), 255)); };
  return Rgb{adjust(c.r), adjust(c.g), adjust(c.b)};
}

int ExtractLuminance(const ImageDesc& colour, ImageDesc& plane, AdjustProgressProc cb, int wr, int wg, int wb)
{
  bool made = false;
  if (int s = MakeLike(colour, plane, kKindColour, kKindPlane8, &made))
    return s;
  int s = ForEachRowPair(
      colour, plane,
      [&](uint8_t* c, uint8_t* y, int32_t n, ptrdiff_t sc, ptrdiff_t sy) {
        if (sc == 3 && sy == 1)
          ExtractRow(c, std::integral_constant<ptrdiff_t, 3>{}, y, std::integral_constant<ptrdiff_t, 1>{}, n, wr, wg,
                     wb);
        else
          ExtractRow(c, sc, y, sy, n, wr, wg, wb);
      },
      cb);
  FreeImageIf(plane, s != kStatusOk, made);
  return s;
}

int MergeLuminance(const ImageDesc& colour, const ImageDesc& plane, AdjustProgressProc cb, int wr, int wg, int wb)
{
  if (colour.kind != kKindColour || plane.kind != kKindPlane8)
    return kStatusBadArgument;
  return ForEachRowPair(
      colour, plane,
      [&](uint8_t* row, uint8_t* yRow, int32_t n, ptrdiff_t sc, ptrdiff_t sy) {
        WithPixelStrideOf<3>(sc, [&](auto cStep) { MergeRow(row, cStep, yRow, sy, n, wr, wg, wb); });
      },
      cb);
}

void BuildFixedTables()
{
  const double pi = std::acos(-1.0);
  if (!g_cosBuilt) {
    for (int i = 0; i < 256; ++i)
      g_cos[i] = std::cos(2.0 * pi * i / 256.0);
    g_cosBuilt = true;
  }
  if (!g_atanBuilt) {
    for (int i = 0; i <= 32; ++i)
      g_tan[i] = std::tan(pi / 128.0 * (i + 0.5));
    for (int i = 0; i <= 128; ++i) {
      int step = int(std::floor(std::atan(i / 128.0) / (pi / 128.0) + 0.5));
      g_atanStep[i] = uint8_t(step);
      g_atanThreshold[i] = 128.0 * std::tan(pi / 128.0 * (step + 0.5));
    }
    g_atanBuilt = true;
  }
}

const double* CosTable() { return g_cos; }
const double* TanTable() { return g_tan; }

int Chroma(double a, double b) { return RoundCapped(std::sqrt(a * a + b * b), 255); }

int HueAngle(double a, double b)
{
  int angle;
  if (a == 0)
    angle = b >= 0 ? 64 : 192;
  else if (a > 0 && b >= 0)
    angle = a >= b ? AngleStep(b / a) : 64 - AngleStep(a / b);
  else if (a < 0 && b >= 0)
    angle = b > -a ? 64 + AngleStep(-a / b) : 128 - AngleStep(b / -a);
  else if (a < 0)
    angle = -a >= -b ? 128 + AngleStep(-b / -a) : 192 - AngleStep(-a / -b);
  else
    angle = a < -b ? 192 + AngleStep(a / -b) : 256 - AngleStep(-b / a);
  return angle & 255;
}

} // namespace lvx
