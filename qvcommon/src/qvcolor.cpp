#include "qvcommon/qvcolor.h"

QVColor::QVColor() = default;
QVColor::QVColor(int32_t packed) { QVColor::SetRGB(packed); }
QVColor::QVColor(unsigned char red, unsigned char green, unsigned char blue) : r(red), g(green), b(blue) {}
QVColor::QVColor(const QVColor& other) { QVColor::SetRGB(other.GetRGB()); }
QVColor::~QVColor() = default;

void QVColor::SetRGB(int32_t packed)
{
  const uint32_t bits = static_cast<uint32_t>(packed);
  r = static_cast<unsigned char>(bits & 0xFF);
  g = static_cast<unsigned char>((bits >> 8) & 0xFF);
  b = static_cast<unsigned char>((bits >> 16) & 0xFF);
}

void QVColor::SetRGB(unsigned char red, unsigned char green, unsigned char blue)
{
  r = red;
  g = green;
  b = blue;
}

unsigned char QVColor::R() const { return r; }
unsigned char QVColor::G() const { return g; }
unsigned char QVColor::B() const { return b; }

int32_t QVColor::GetRGB() const { return r | (g << 8) | (b << 16); }

int32_t QVColor::GetIntensity() const { return (r + g + b) / 3; }

int32_t QVColor::GetSaturation() const
{
  const int32_t high = r > g ? (r > b ? r : b) : (g > b ? g : b);
  const int32_t low = r < g ? (r < b ? r : b) : (g < b ? g : b);
  return high - low;
}

// Green 0, blue 120, red 240; on a tie for the least component the earlier
// case wins.
int32_t QVColor::GetHue() const
{
  const int32_t red = r, green = g, blue = b;
  if (red == green && green == blue)
    return 0;
  if (red <= green && red <= blue)
    return 120 * (blue - red) / ((green - red) + (blue - red));
  if (green <= red && green <= blue)
    return 120 + 120 * (red - green) / ((red - green) + (blue - green));
  return 240 + 120 * (green - blue) / ((red - blue) + (green - blue));
}
