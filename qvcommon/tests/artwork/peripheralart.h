#pragma once
// Pictures for the ring, nudge and level controls, drawn in code: the
// framework's own ring (208) and nudge arrows (701, 702), and flat test art.
// Each picture is made by one function, with integer geometry only, so the
// same call always gives the same pixels.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace art {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// The framework's palette.
constexpr Rgb kControlGrey{187, 187, 187};
constexpr Rgb kFace{40, 40, 40};
constexpr Rgb kFrame{160, 160, 160};
constexpr Rgb kShadow{24, 24, 24};
constexpr Rgb kAccent{249, 229, 0};

// An opaque picture, rows top-down.
struct Picture {
  Picture(int w, int h, Rgb fill) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
  Rgb& At(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  const Rgb& At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  int width;
  int height;
  std::vector<Rgb> pixels;
};

// 208, 81 x 81: a face-coloured disc of radius 36 around (39, 40) with a
// frame-coloured rim, a shadow-coloured track between radius 20 and 28 and
// accent ticks at 0, 90, 180 and 270 degrees between radius 31 and 34.
Picture RingPicture();
// 701, 16 x 12: an up arrow, a face-coloured triangle from columns 7-8 of
// row 1 to row 10's columns 1-14.
Picture NudgeArrowPicture();
// 702: the same triangle in the accent colour with a face-coloured outline.
Picture HotNudgeArrowPicture();

// A picture of one colour.
Picture FlatPicture(int width, int height, Rgb color);

// The picture as a packed DIB (a 24-bit BMP without its file header: the
// info header, then bottom-up rows padded to 4 bytes).
std::vector<uint8_t> PackedDib(const Picture& picture);

} // namespace art
