#pragma once
// The working colour space: lightness L on a 12-bit scale (0..4095, 16 x the
// 8-bit level for greys), saturation S and hue H (256 steps per turn) packed
// in 4 bytes per pixel: bytes 0-1 L (unsigned 16-bit), byte 2 S, byte 3 H.
// Conversions are pure integer arithmetic on fixed tables, so a colour
// converted on a reduced copy gives exactly the same result on the full
// image. The round trip is lossy by design (saturated blues move, near-black
// greys shift in the linearised form); the formulas must not be "improved".
#include "image.h"

#include <cstdint>

namespace lvx {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct WorkingPixel {
  uint16_t L = 0;
  uint8_t S = 0;
  uint8_t H = 0;
  friend bool operator==(const WorkingPixel&, const WorkingPixel&) = default;
};

// Luminance weights out of 256 (red, green, blue).
enum : int { kLumaRed = 57, kLumaGreen = 181, kLumaBlue = 18 };

// ---- One pixel -------------------------------------------------------------
WorkingPixel RgbToWorking(Rgb c);
Rgb WorkingToRgb(WorkingPixel w);
// Gamma-linearised forms: they read the process-wide linearising and
// delinearising tables as last prepared (PrepareGammaTables).
WorkingPixel RgbToWorkingLinear(Rgb c);
Rgb WorkingToRgbLinear(WorkingPixel w);

// Reads and writes the 4-byte working element.
WorkingPixel LoadWorking(const uint8_t* element);
void StoreWorking(uint8_t* element, WorkingPixel w);

// ---- Gamma tables (process-wide, rebuilt only when the gamma changes) -------
// Linearising: 256 entries floor(4096 (i/256)^g + 0.5), capped at 4095.
// Delinearising: 4096 entries floor(256 (i/4096)^(1/g) + 0.5), capped at 255;
// only built for g > 0.
void PrepareLinearising(double gamma);
void PrepareDelinearising(double gamma);
inline void PrepareGammaTables(double gamma)
{
  PrepareLinearising(gamma);
  PrepareDelinearising(gamma);
}
const uint16_t* LinearisingTable();
const uint8_t* DelinearisingTable();

// ---- Step-queue operations on one pixel held as 4 bytes (B, G, R, 0 for a
// colour pixel, the working element otherwise), rewritten in place ----------
void ColourToWorkingPlainOp(uint8_t* pixel);
void WorkingToColourPlainOp(uint8_t* pixel);
void ColourToWorkingGammaOp(uint8_t* pixel); // tables prepared by the caller
void WorkingToColourGammaOp(uint8_t* pixel);

// ---- Whole images ------------------------------------------------------------
// Colour image into a working image (made like it when empty): plain at gamma
// 1.0, else linearised with the tables for `gamma`.
int ColourToWorkingImage(const ImageDesc& colour, ImageDesc& working, double gamma, AdjustProgressProc cb);
// The reverse, into an existing colour image of the same size.
int WorkingToColourImage(const ImageDesc& working, const ImageDesc& colour, double gamma, AdjustProgressProc cb);

// Single colours, plain at gamma 1.0, else linearised.
WorkingPixel ColourToWorking(Rgb c, double gamma);
Rgb WorkingToColour(WorkingPixel w, double gamma);
// Each channel c := floor(255 (c/255)^p + 0.5).
Rgb AdjustColourGamma(Rgb c, double p);

// ---- Luminance ---------------------------------------------------------------
// Y := (wr R + wg G + wb B) >> 8 into an 8-bit plane (made like the image
// when empty).
int ExtractLuminance(const ImageDesc& colour, ImageDesc& plane, AdjustProgressProc cb, int wr = kLumaRed,
                     int wg = kLumaGreen, int wb = kLumaBlue);
// Writes an edited luminance plane back: each pixel is scaled by Y'/Y; a
// pixel that would overflow is scaled so its largest channel becomes 255
// instead of clipping; a black pixel with Y' > 0 becomes grey Y'.
int MergeLuminance(const ImageDesc& colour, const ImageDesc& plane, AdjustProgressProc cb, int wr = kLumaRed,
                   int wg = kLumaGreen, int wb = kLumaBlue);

// ---- Fixed tables and hue angles -------------------------------------------
// Builds the cosine and arctangent tables; each is built once per process.
void BuildFixedTables();
// cos(2 pi i / 256), i = 0..255.
const double* CosTable();
// tan(pi/128 (i + 0.5)), i = 0..32 (kept for completeness; nothing reads it).
const double* TanTable();
// floor(sqrt(a^2 + b^2) + 0.5), capped at 255.
int Chroma(double a, double b);
// Direction of (a, b) in 256 steps per turn (a along step 0, b along 64).
int HueAngle(double a, double b);

} // namespace lvx
