// Flat-colour art for the test executables' resource lists, so that a test
// can derive every expected pixel from one colour per picture. The faces'
// channels lie within 50..205, so the buttons' +-50 bevels never clamp.
#include "artset.h"

#include <array>

namespace artgen {

namespace {

constexpr Rgb kStateOne{60, 60, 180}, kStateTwo{180, 180, 60}, kStateThree{60, 180, 180};
constexpr Rgb kToggleA{200, 60, 60}, kToggleB{60, 160, 60};
constexpr Rgb kTrack{30, 30, 200}, kThumb{230, 120, 0}, kMarker{200, 0, 200};
constexpr Rgb kTileSeam{0, 0, 128}, kTile{255, 255, 255};
constexpr Rgb kSplash{30, 90, 160}, kSplashFrame{249, 229, 0};
constexpr Rgb kDial{0, 120, 255}, kKnob{220, 0, 0}, kLevel{120, 200, 120};
constexpr Rgb kScrollUp{200, 100, 0}, kScrollDown{100, 0, 200}, kRow{230, 230, 200}, kBrushFace{150, 60, 120};

Canvas Face(Rgb colour) { return Canvas(24, 24, colour); }
Canvas StateOne() { return Face(kStateOne); }
Canvas StateTwo() { return Face(kStateTwo); }
Canvas StateThree() { return Face(kStateThree); }
Canvas ToggleA() { return Face(kToggleA); }
Canvas ToggleB() { return Face(kToggleB); }
Canvas Track() { return Canvas(60, 3, kTrack); }
Canvas Thumb() { return Canvas(8, 15, kThumb); }
Canvas VerticalTrack() { return Canvas(3, 60, kTrack); }
Canvas VerticalThumb() { return Canvas(15, 8, kThumb); }
Canvas Marker() { return Canvas(9, 6, kMarker); }

Canvas Dial() { return Canvas(9, 9, kDial); }
Canvas Knob() { return Canvas(7, 7, kKnob); }
Canvas LevelBackground() { return Canvas(64, 60, kLevel); }
Canvas ScrollUp() { return Canvas(15, 9, kScrollUp); }
Canvas ScrollDown() { return Canvas(15, 9, kScrollDown); }
Canvas RowTile() { return Canvas(16, 20, kRow); }
Canvas BrushFace() { return Face(kBrushFace); }

// White with its top row and left column dark: every seam of the tiling
// shows where a tile starts.
Canvas Tile()
{
  Canvas tile(16, 16, kTile);
  tile.FillRect(0, 0, 16, 1, kTileSeam);
  tile.FillRect(0, 0, 1, 16, kTileSeam);
  return tile;
}

// A blue field in a 2-pixel accent frame.
Canvas Splash()
{
  Canvas splash(40, 30, kSplash);
  splash.FrameRect(0, 0, 40, 30, 2, kSplashFrame);
  return splash;
}

const std::array kTest = {
    ArtPicture{300, "300-state-one.bmp", 24, 24, "three-state face 1: flat (60,60,180)", StateOne},
    ArtPicture{301, "301-state-two.bmp", 24, 24, "three-state face 2: flat (180,180,60)", StateTwo},
    ArtPicture{302, "302-state-three.bmp", 24, 24, "three-state face 3: flat (60,180,180)", StateThree},
    ArtPicture{310, "310-toggle-a.bmp", 24, 24, "toggle face A: flat (200,60,60)", ToggleA},
    ArtPicture{311, "311-toggle-b.bmp", 24, 24, "toggle face B: flat (60,160,60)", ToggleB},
    ArtPicture{320, "320-track.bmp", 60, 3, "slider track: flat (30,30,200)", Track},
    ArtPicture{321, "321-thumb.bmp", 8, 15, "slider thumb: flat (230,120,0)", Thumb},
    ArtPicture{330, "330-marker.bmp", 9, 6, "menu marker: flat (200,0,200)", Marker},
    ArtPicture{340, "340-tile.bmp", 16, 16, "tile: white, top row and left column (0,0,128)", Tile},
    ArtPicture{350, "350-splash.bmp", 40, 30, "splash: (30,90,160) in a 2-pixel accent frame", Splash},
    ArtPicture{401, "401-dial.bmp", 9, 9, "ring dial: flat (0,120,255)", Dial},
    ArtPicture{402, "402-knob.bmp", 7, 7, "level knob: flat (220,0,0)", Knob},
    ArtPicture{403, "403-level.bmp", 64, 60, "level background: flat (120,200,120)", LevelBackground},
    ArtPicture{406, "406-scroll-up.bmp", 15, 9, "scroll arrow up: flat (200,100,0)", ScrollUp},
    ArtPicture{407, "407-scroll-down.bmp", 15, 9, "scroll arrow down: flat (100,0,200)", ScrollDown},
    ArtPicture{408, "408-row.bmp", 16, 20, "list row tile: flat (230,230,200)", RowTile},
    ArtPicture{409, "409-brush-face.bmp", 24, 24, "brush-size face: flat (150,60,120)", BrushFace},
    ArtPicture{410, "410-track-vertical.bmp", 3, 60, "vertical slider track: flat (30,30,200)", VerticalTrack},
    ArtPicture{411, "411-thumb-vertical.bmp", 15, 8, "vertical slider thumb: flat (230,120,0)", VerticalThumb},
};

} // namespace

std::span<const ArtPicture> TestArt() { return kTest; }

} // namespace artgen
