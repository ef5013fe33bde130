// The framework's own pictures, which libQVCommon carries in its resources
// for windows made without a resource file of their own.
#include "artset.h"
#include "palette.h"
#include "shapes.h"

#include <array>
#include <cstdlib>

namespace artgen {

namespace {

using namespace palette;

// An empty check box: a frame-coloured 1-pixel border around a 13 x 13 face.
Canvas CheckBoxOff207() { return CheckBox(false, kFace, kFrame, kAccent); }

// The same box with an accent tick, 2 pixels thick, that stays inside the
// face (columns 3..12, rows 4..10).
Canvas CheckBoxOn206() { return CheckBox(true, kFace, kFrame, kAccent); }

// Whether (x, y) lies in the nudge arrow's triangle, which points up: rows
// 1..10, widening from the two middle columns 7-8 to columns 1-14. A pixel
// belongs when its centre lies within 0.5 + 2/3 (row - 1) of the middle
// (7.5), which is 3 |2x - 15| <= 3 + 4 (row - 1) in whole numbers; the
// test is mirror-symmetric about the middle.
bool InNudgeArrow(int x, int y)
{
  return y >= 1 && y <= 10 && x >= 0 && x < 16 && 3 * std::abs(2 * x - 15) <= 3 + 4 * (y - 1);
}

// The nudge control's top arrow: a dark triangle on the control grey. The
// control turns copies of it for the other three sides.
Canvas NudgeArrow701()
{
  Canvas arrow(16, 12, kControlGrey);
  for (int y = 0; y < arrow.Height(); ++y)
    for (int x = 0; x < arrow.Width(); ++x)
      if (InNudgeArrow(x, y))
        arrow.Set(x, y, kFace);
  return arrow;
}

// The same arrow hot: the triangle in the accent colour inside a 1-pixel
// outline of the face colour (the triangle's pixels with a side neighbour
// outside it).
Canvas HotNudgeArrow702()
{
  Canvas arrow(16, 12, kControlGrey);
  for (int y = 0; y < arrow.Height(); ++y)
    for (int x = 0; x < arrow.Width(); ++x)
      if (InNudgeArrow(x, y)) {
        const bool edge =
            !InNudgeArrow(x - 1, y) || !InNudgeArrow(x + 1, y) || !InNudgeArrow(x, y - 1) || !InNudgeArrow(x, y + 1);
        arrow.Set(x, y, edge ? kFace : kAccent);
      }
  return arrow;
}

// The ring control's ring: a dark disc of radius 36 around (39, 40) with a
// frame-coloured rim, a recessed track between radius 20 and 28 on which the
// dial rides (its circle has radius 24 around the same point) and accent
// ticks at 0, 90, 180 and 270 degrees between radius 31 and 34. Distances
// are compared squared, so the picture is mirror-symmetric about column 39
// and row 40; columns 79 and 80 lie beyond the disc.
Canvas Ring208()
{
  Canvas ring(81, 81, kControlGrey);
  for (int y = 0; y < ring.Height(); ++y)
    for (int x = 0; x < ring.Width(); ++x) {
      const int dx = std::abs(x - 39), dy = std::abs(y - 40);
      const int d2 = dx * dx + dy * dy;
      const bool tick = (dy <= 1 && dx >= 31 && dx <= 34) || (dx <= 1 && dy >= 31 && dy <= 34);
      if (d2 > 36 * 36)
        continue;
      if (d2 > 35 * 35)
        ring.Set(x, y, kFrame);
      else if (tick)
        ring.Set(x, y, kAccent);
      else if (d2 >= 20 * 20 && d2 <= 28 * 28)
        ring.Set(x, y, kShadow);
      else
        ring.Set(x, y, kFace);
    }
  return ring;
}

const std::array kFramework = {
    ArtPicture{206, "206-checkbox-on.bmp", 15, 15, "check box, checked: accent tick on the dark face", CheckBoxOn206},
    ArtPicture{207, "207-checkbox-off.bmp", 15, 15, "check box, unchecked: the dark face in its frame", CheckBoxOff207},
    ArtPicture{208, "208-ring.bmp", 81, 81, "ring control: dark disc with a recessed track and accent ticks", Ring208},
    ArtPicture{701, "701-nudge-arrow.bmp", 16, 12, "nudge arrow, pointing up: dark triangle", NudgeArrow701},
    ArtPicture{702, "702-nudge-arrow-hot.bmp", 16, 12, "nudge arrow, hot: accent triangle in a dark outline",
               HotNudgeArrow702},
};

} // namespace

std::span<const ArtPicture> FrameworkArt() { return kFramework; }

} // namespace artgen
