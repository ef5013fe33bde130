// The effect modules' pictures: each module's icon (8 bits, with a colour
// table), the popup arrow, the mask brush's three faces, the marker and the
// crosshair cursor. Despeckle and Descreen share all but the icon.
#include "artset.h"
#include "palette.h"
#include "shapes.h"

#include <array>

namespace artgen {

namespace {

using namespace palette;

// A light line colour and the marker's transparent key (pure white, which
// no other pixel of the marker uses).
constexpr Rgb kLight{236, 236, 236};
constexpr Rgb kKey{255, 255, 255};

// v from a to b by t / of.
Rgb Mix(Rgb a, Rgb b, int t, int of)
{
  const auto m = [&](uint8_t p, uint8_t q) { return uint8_t((p * (of - t) + q * t) / of); };
  return Rgb{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// Whether pixel (x, y) lies within the circle of diameter d around the
// centre (cx2 / 2, cy2 / 2), in doubled coordinates so that a centre may
// fall between pixels.
bool InCircle(int x, int y, int cx2, int cy2, int d)
{
  const int dx = 2 * x + 1 - cx2, dy = 2 * y + 1 - cy2;
  return dx * dx + dy * dy <= d * d;
}

// The icons' smooth field: a diagonal ramp of blue-grey tones.
Rgb Field(int x, int y) { return Mix(Rgb{70, 90, 120}, Rgb{150, 175, 200}, x + y, 98); }

Canvas SmoothField()
{
  Canvas icon(50, 50, kFace);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x)
      icon.Set(x, y, Field(x, y));
  return icon;
}

// Despeckle's icon: dark specks on the left half of a smooth field, the
// right half cleared, an accent divide between them.
Canvas DespeckleIcon101()
{
  Canvas icon = SmoothField();
  static const int kSpecks[][2] = {{5, 7}, {15, 4}, {9, 18}, {19, 14}, {4, 30}, {14, 26}, {8, 41}, {18, 37}, {12, 45}};
  for (const auto& s : kSpecks) {
    icon.FillRect(s[0], s[1], 2, 2, kShadow);
    icon.Set(s[0] + 2, s[1], kLight);
  }
  icon.FillRect(24, 0, 2, 50, kAccent);
  icon.FrameRect(0, 0, 50, 50, 1, kFrame);
  return icon;
}

// Descreen's icon: a dot screen whose dots shrink and fade from left to
// right into the smooth tone.
Canvas DescreenIcon101()
{
  Canvas icon = SmoothField();
  for (int cy = 3; cy < 50; cy += 6)
    for (int cx = 3; cx < 36; cx += 6)
      for (int y = cy - 3; y < cy + 3; ++y)
        for (int x = cx - 3; x < cx + 3; ++x)
          if (InCircle(x, y, 2 * cx, 2 * cy, (36 - cx) / 5))
            icon.Set(x, y, Mix(kShadow, Field(x, y), cx, 40));
  icon.FrameRect(0, 0, 50, 50, 1, kFrame);
  return icon;
}

// The popup arrow: an accent triangle pointing down on the face colour.
Canvas PopupArrow102()
{
  Canvas arrow(11, 7, kFace);
  DownTriangle(arrow, 5, 1, 5, kAccent);
  return arrow;
}

// The crosshair cursor (hot spot 15, 15): light lines in a dark outline on
// the white of a cursor's unused area.
Canvas Crosshair103()
{
  Canvas cursor(32, 32, kKey);
  cursor.FillRect(14, 2, 3, 27, kShadow);
  cursor.FillRect(2, 14, 27, 3, kShadow);
  cursor.FillRect(15, 3, 1, 25, kLight);
  cursor.FillRect(3, 15, 25, 1, kLight);
  cursor.Set(15, 15, kShadow);
  return cursor;
}

// A 24 x 24 button face in its frame.
Canvas ButtonFace()
{
  Canvas face(24, 24, kFace);
  face.FrameRect(0, 0, 24, 24, 1, kFrame);
  return face;
}

// The show-mask toggle (control 300): a disc, its masked half in the accent.
Canvas ShowMask105()
{
  Canvas face = ButtonFace();
  for (int y = 4; y < 20; ++y)
    for (int x = 4; x < 20; ++x)
      if (InCircle(x, y, 24, 24, 16))
        face.Set(x, y, x < 12 ? kAccent : kLight);
  return face;
}

// The brush button (control 301): a round accent tip on a frame-coloured
// handle.
Canvas Brush109()
{
  Canvas face = ButtonFace();
  face.Line(12, 11, 19, 4, 2, kFrame);
  for (int y = 10; y < 21; ++y)
    for (int x = 3; x < 14; ++x)
      if (InCircle(x, y, 17, 31, 10))
        face.Set(x, y, kAccent);
  return face;
}

// The brush-size pair (control 302): a small and a large disc.
Canvas BrushSize111()
{
  Canvas face = ButtonFace();
  for (int y = 2; y < 22; ++y)
    for (int x = 2; x < 22; ++x) {
      if (InCircle(x, y, 13, 25, 6))
        face.Set(x, y, kLight);
      if (InCircle(x, y, 31, 25, 14))
        face.Set(x, y, kAccent);
    }
  return face;
}

// The marker: an accent ring in a dark outline on the white key, which its
// middle keeps too, so the picture under it shows through.
Canvas Marker106()
{
  Canvas marker(11, 11, kKey);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x) {
      if (!InCircle(x, y, 11, 11, 11) || InCircle(x, y, 11, 11, 3))
        continue;
      const bool ring = InCircle(x, y, 11, 11, 9) && !InCircle(x, y, 11, 11, 5);
      marker.Set(x, y, ring ? kAccent : kShadow);
    }
  return marker;
}

// A module's set: its icon, then the pictures both modules share.
constexpr std::array<ArtPicture, 7> EffectSet(ArtPicture icon)
{
  return {
      icon,
      ArtPicture{102, "102-popup-arrow.bmp", 11, 7, "popup arrow: accent triangle on the face", PopupArrow102},
      ArtPicture{103, "103-crosshair.bmp", 32, 32, "cursor: light crosshair, dark outline, hot spot (15, 15)",
                 Crosshair103},
      ArtPicture{105, "105-show-mask.bmp", 24, 24, "show-mask toggle face: half-accent disc", ShowMask105},
      ArtPicture{106, "106-marker.bmp", 11, 11, "marker: accent ring, dark outline, on the white key", Marker106},
      ArtPicture{109, "109-brush.bmp", 24, 24, "brush button face: round accent tip on a handle", Brush109},
      ArtPicture{111, "111-brush-size.bmp", 24, 24, "brush-size pair face: a small and a large disc", BrushSize111},
  };
}

const auto kDespeckle = EffectSet(
    ArtPicture{101, "101-icon.bmp", 50, 50, "icon: specks cleared from a smooth field (8 bits)", DespeckleIcon101, 8});
const auto kDescreen = EffectSet(ArtPicture{
    101, "101-icon.bmp", 50, 50, "icon: a dot screen fading into a smooth tone (8 bits)", DescreenIcon101, 8});

} // namespace

std::span<const ArtPicture> DespeckleArt() { return kDespeckle; }
std::span<const ArtPicture> DescreenArt() { return kDescreen; }

} // namespace artgen
