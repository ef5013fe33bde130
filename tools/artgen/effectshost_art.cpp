// effects-host's panel: its tile, the slider's track and thumb and the
// menus' background.
#include "artset.h"
#include "palette.h"

#include <array>

namespace artgen {

namespace {

using namespace palette;

// The panel's tile: the control grey with a faint diagonal weave that
// continues across the tile's edges.
Canvas PanelTile1001()
{
  Canvas tile(32, 32, kControlGrey);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if ((x + y) % 8 == 0)
        tile.Set(x, y, Rgb{176, 176, 176});
  return tile;
}

// The slider's track: a recessed groove with a frame-coloured lower edge.
Canvas SliderTrack1002()
{
  Canvas track(16, 4, kFace);
  track.FillRect(0, 0, 16, 1, kShadow);
  track.FillRect(0, 3, 16, 1, kFrame);
  return track;
}

// The slider's thumb, its 8 x 15 hit box: an accent bar framed in shadow.
Canvas SliderThumb1003()
{
  Canvas thumb(8, 15, kAccent);
  thumb.FrameRect(0, 0, 8, 15, 1, kShadow);
  return thumb;
}

// The menus' background: the face under a frame-coloured top line.
Canvas MenuBackground1004()
{
  Canvas menu(16, 16, kFace);
  menu.FillRect(0, 0, 16, 1, kFrame);
  return menu;
}

const std::array kEffectsHost = {
    ArtPicture{1001, "1001-panel-tile.bmp", 32, 32, "panel tile: control grey with a faint weave", PanelTile1001},
    ArtPicture{1002, "1002-slider-track.bmp", 16, 4, "slider track: recessed groove", SliderTrack1002},
    ArtPicture{1003, "1003-slider-thumb.bmp", 8, 15, "slider thumb: accent bar in a dark frame", SliderThumb1003},
    ArtPicture{1004, "1004-menu-background.bmp", 16, 16, "menu background: the face under a light line",
               MenuBackground1004},
};

} // namespace

std::span<const ArtPicture> EffectsHostArt() { return kEffectsHost; }

} // namespace artgen
