// The framework's own pictures, which libQVCommon carries in its resources
// for windows made without a resource file of their own.
#include "artset.h"
#include "palette.h"

#include <array>

namespace artgen {

namespace {

using namespace palette;

// An empty check box: a frame-coloured 1-pixel border around a 13 x 13 face.
Canvas CheckBoxOff207()
{
  Canvas box(15, 15, kFace);
  box.FrameRect(0, 0, 15, 15, 1, kFrame);
  return box;
}

// The same box with an accent tick, 2 pixels thick, that stays inside the
// face (columns 3..12, rows 4..10).
Canvas CheckBoxOn206()
{
  Canvas box = CheckBoxOff207();
  box.Line(3, 6, 6, 9, 2, kAccent);
  box.Line(6, 9, 11, 4, 2, kAccent);
  return box;
}

const std::array kFramework = {
    ArtPicture{206, "206-checkbox-on.bmp", 15, 15, "check box, checked: accent tick on the dark face", CheckBoxOn206},
    ArtPicture{207, "207-checkbox-off.bmp", 15, 15, "check box, unchecked: the dark face in its frame", CheckBoxOff207},
};

} // namespace

std::span<const ArtPicture> FrameworkArt() { return kFramework; }

} // namespace artgen
