// LumivexPI's pictures: the start window's hint pane, title strip and
// roll-over buttons, the busy, no-image and about pictures, the control
// panel's face, corner, logo, view buttons, check boxes, markers and slider
// parts, the Preset Manager's slate and list arrows, the preferences' check
// boxes and the preview pane's hand cursor. Faces are the framework's dark
// grey with the yellow accent; the start and about windows are black.
//
// Pictures draw opaque, so a small picture that sits on another colour is
// drawn on that colour at its edges.
#include "artset.h"
#include "palette.h"
#include "shapes.h"
#include "text.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace artgen {

namespace {

using namespace palette;

constexpr Font kCaption{14, true};
constexpr Font kSmallCaption{11, true};
constexpr Font kHeadline{17, true};
constexpr Font kLine{13, false};

enum class State { Normal, Hover, Pressed };

// ---- The start window ------------------------------------------------------

// A roll-over button on black: a rounded dark face in a frame-coloured edge
// with the caption in white; on hover the edge and caption turn to the
// accent; pressed, the face is recessed and the caption moves one pixel
// down and to the right.
Canvas RollOver(int width, int height, const char* caption, Font font, State state)
{
  Canvas button(width, height, kBlack);
  const bool lit = state != State::Normal;
  RoundedRect(button, 0, 0, width, height, 5, state == State::Pressed ? kShadow : kFace, lit ? kAccent : kFrame,
              lit ? 2 : 1);
  const int shift = state == State::Pressed ? 1 : 0;
  if (caption)
    DrawTextCentred(button, width / 2 + shift, height / 2 + font.pixels / 2 - 1 + shift, caption, font,
                    lit ? kAccent : kWhite);
  return button;
}

Canvas CustomNormal126() { return RollOver(87, 34, "Custom", kCaption, State::Normal); }
Canvas CustomHover110() { return RollOver(87, 34, "Custom", kCaption, State::Hover); }
Canvas CustomPressed114() { return RollOver(87, 34, "Custom", kCaption, State::Pressed); }
Canvas AutomaticNormal111() { return RollOver(128, 34, "Automatic", kCaption, State::Normal); }
Canvas AutomaticHover127() { return RollOver(128, 34, "Automatic", kCaption, State::Hover); }
Canvas AutomaticPressed128() { return RollOver(128, 34, "Automatic", kCaption, State::Pressed); }
Canvas CancelNormal153() { return RollOver(58, 25, "Cancel", kSmallCaption, State::Normal); }
Canvas CancelHover154() { return RollOver(58, 25, "Cancel", kSmallCaption, State::Hover); }
Canvas CancelPressed155() { return RollOver(58, 25, "Cancel", kSmallCaption, State::Pressed); }

// The apply button carries a tick instead of a caption.
Canvas Apply(State state)
{
  Canvas button = RollOver(26, 25, nullptr, kSmallCaption, state);
  const Rgb tick = state == State::Normal ? kWhite : kAccent;
  button.Line(7, 12, 10, 15, 2, tick);
  button.Line(10, 15, 17, 8, 2, tick);
  return button;
}
Canvas ApplyNormal156() { return Apply(State::Normal); }
Canvas ApplyHover157() { return Apply(State::Hover); }
Canvas ApplyPressed158() { return Apply(State::Pressed); }

// A small landscape, the photograph of the hint pane and the about window:
// a sky that lightens toward the horizon, the sun, two hills and a meadow.
// Left of a slanted line it is shown dull and flat, as before a
// correction; right of it bright. The frame is the pure yellow of a chosen
// list row.
void Landscape(Canvas& canvas, int x0, int y0, int width, int height)
{
  const int horizon = height * 3 / 5;
  const int sunX = width * 72 / 100, sunY = height * 28 / 100, sunR = std::max(2, std::min(width, height) / 10);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      Rgb c;
      if (y < horizon) {
        c = Rgb{uint8_t(70 + 100 * y / horizon), uint8_t(120 + 80 * y / horizon), uint8_t(190 + 40 * y / horizon)};
        const int dx = x - sunX, dy = y - sunY;
        if (dx * dx + dy * dy <= sunR * sunR)
          c = kAccent;
      } else {
        const int depth = (y - horizon) * 60 / std::max(1, height - horizon);
        c = Rgb{uint8_t(110 - depth), uint8_t(160 - depth), uint8_t(70 - depth / 2)};
      }
      // Two hills standing on the horizon, the nearer one darker.
      const int far = height * 30 / 100 + std::abs(x - width * 30 / 100) * 3 / 4;
      const int near = height * 42 / 100 + std::abs(x - width * 66 / 100) * 2 / 3;
      if (y >= near && y < horizon + 2)
        c = Rgb{55, 95, 70};
      else if (y >= far && y < horizon + 2)
        c = Rgb{85, 120, 110};
      // Before the correction: grey-cast and without contrast.
      if (2 * x * height < width * height + (height - 2 * y) * width / 5) {
        const int grey = (30 * c.r + 59 * c.g + 11 * c.b) / 100;
        c = Rgb{uint8_t(60 + (grey + c.r) * 3 / 8), uint8_t(60 + (grey + c.g) * 3 / 8),
                uint8_t(50 + (grey + c.b) * 3 / 8)};
      }
      canvas.Set(x0 + x, y0 + y, c);
    }
  canvas.FrameRect(x0 - 1, y0 - 1, width + 2, height + 2, 1, kYellowFrame);
}

// The hint pane: the landscape, a headline in the accent and two short
// lines of hint in white, on black.
Canvas HintPane(const char* headline, const char* first, const char* second)
{
  Canvas pane(347, 211, kBlack);
  Landscape(pane, 113, 18, 120, 84);
  DrawTextCentred(pane, 173, 134, headline, kHeadline, kAccent);
  DrawTextCentred(pane, 173, 160, first, kLine, kWhite);
  DrawTextCentred(pane, 173, 178, second, kLine, kWhite);
  return pane;
}
Canvas HintNormal136() { return HintPane("Correct your photo", "Choose Custom to set it yourself,", "or Automatic."); }
Canvas HintCustom135() { return HintPane("Custom", "Set every correction yourself", "and watch the preview follow."); }
Canvas HintAutomatic134()
{
  return HintPane("Automatic", "Correct the photo at once", "with the preset chosen below.");
}

// The title strip: the product name in the accent on black, underlined.
Canvas TitleStrip109()
{
  Canvas strip(161, 36, kBlack);
  const Font font{22, true};
  const int right = 161 - 8, left = right - TextWidth("Lumivex", font);
  DrawText(strip, left, 26, "Lumivex", font, kAccent);
  strip.FillRect(left, 30, right - left, 2, kAccent);
  return strip;
}

// The help menu's button, all three of its state pictures.
Canvas HelpButton108()
{
  Canvas button(61, 36, kFace);
  DrawTextCentred(button, 30, 23, "Help", kCaption, kWhite);
  return button;
}

// The face of the start window's preset menu, its button and items.
Canvas PresetMenuFace179() { return Canvas(15, 20, kFace); }

// A menu marker: an accent triangle pointing down on the face colour.
Canvas MenuMarker()
{
  Canvas marker(9, 7, kFace);
  DownTriangle(marker, 4, 2, 4, kAccent);
  return marker;
}

// ---- The pictures of the preview area and the about window ----------------

// A 400 x 292 picture on the face colour in a frame-coloured border, with a
// headline and a line below it.
Canvas Notice(const char* headline, const char* line)
{
  Canvas notice(400, 292, kFace);
  notice.FrameRect(0, 0, 400, 292, 1, kFrame);
  DrawTextCentred(notice, 200, 150, headline, Font{18, true}, kWhite);
  DrawTextCentred(notice, 200, 176, line, kLine, kFrame);
  return notice;
}

// Busy: the notice over a row of ten squares, every other one lit.
Canvas Busy184()
{
  Canvas busy = Notice("Correcting the image", "Please wait.");
  for (int i = 0; i < 10; ++i)
    busy.FillRect(115 + 17 * i, 200, 12, 12, i % 2 == 0 ? kAccent : kShadow);
  return busy;
}

// No image: an empty picture frame above the notice.
Canvas NoImage186()
{
  Canvas empty = Notice("No image", "The host passed no pixels to correct.");
  empty.FrameRect(160, 60, 80, 56, 2, kFrame);
  empty.Line(162, 62, 237, 113, 1, kShadow);
  empty.Line(162, 113, 237, 62, 1, kShadow);
  return empty;
}

// The about window: the wordmark, the landscape, what the product does and
// who makes it, on black in a yellow frame.
Canvas About144()
{
  Canvas about(331, 486, kBlack);
  about.FrameRect(0, 0, 331, 486, 1, kYellowFrame);
  DrawTextCentred(about, 165, 92, "Lumivex", Font{40, true}, kAccent);
  DrawTextCentred(about, 165, 124, "Version 1.0", kLine, kWhite);
  Landscape(about, 65, 160, 200, 140);
  DrawTextCentred(about, 165, 348, "Automatic photo correction", Font{15, true}, kWhite);
  DrawTextCentred(about, 165, 372, "Tarnwell Corporation", kLine, kWhite);
  DrawTextCentred(about, 165, 460, "Click to close", Font{11, false}, kFrame);
  return about;
}

// ---- The control panel -----------------------------------------------------

// The face of the panel, its bars, controls and menu items: one flat colour,
// so it tiles from any origin.
Canvas Face160() { return Canvas(32, 32, kFace); }

// The corner where the two bars' shadows meet: from the shadows' dark at
// the top left to the face at the far edges.
Canvas Corner162()
{
  Canvas corner(8, 8, kFace);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const int v = kShadow.r + (kFace.r - kShadow.r) * std::max(x, y) / 7;
      corner.Set(x, y, Rgb{uint8_t(v), uint8_t(v), uint8_t(v)});
    }
  return corner;
}

// The logo on the top bar: the product name as a yellow wordmark.
Canvas Logo163()
{
  Canvas logo(139, 22, kFace);
  DrawText(logo, 2, 17, "LUMIVEX", Font{17, true}, kAccent);
  return logo;
}

// A tool button's face: dark in a frame-coloured border.
Canvas ToolFace()
{
  Canvas tool(28, 28, kFace);
  tool.FrameRect(0, 0, 28, 28, 1, kFrame);
  return tool;
}

// Fitted view: a picture shrunk into a white frame.
Canvas FittedView164()
{
  Canvas tool = ToolFace();
  tool.FrameRect(6, 8, 16, 12, 1, kWhite);
  tool.FillRect(9, 11, 10, 6, kAccent);
  return tool;
}

// Full-size view: "1:1".
Canvas FullSizeView165()
{
  Canvas tool = ToolFace();
  DrawTextCentred(tool, 14, 18, "1:1", kSmallCaption, kWhite);
  return tool;
}

Canvas PanelCheckOn169() { return CheckBox(true, kFace, kFrame, kAccent); }
Canvas PanelCheckOff168() { return CheckBox(false, kFace, kFrame, kAccent); }

// Slider thumbs: a frame-coloured border around the accent (the seven
// enhancement sliders) or a light grey (the colour shifts).
Canvas Thumb(Rgb inside)
{
  Canvas thumb(8, 15, inside);
  thumb.FrameRect(0, 0, 8, 15, 1, kFrame);
  return thumb;
}
Canvas EnhanceThumb171() { return Thumb(kAccent); }
Canvas ShiftThumb172() { return Thumb(Rgb{220, 220, 220}); }

// The slider track: each row one colour, so stretching it along keeps it
// whole: recessed at the top, lit at the bottom.
Canvas Track173()
{
  Canvas track(32, 4, kShadow);
  track.FillRect(0, 2, 32, 1, Rgb{70, 70, 70});
  track.FillRect(0, 3, 32, 1, kFrame);
  return track;
}

// ---- The Preset Manager and the preferences ---------------------------------

Canvas Slate138() { return Canvas(64, 64, kSlate); }

Canvas ListArrowUp182()
{
  Canvas arrow(15, 9, kSlate);
  UpTriangle(arrow, 7, 1, 6, kFace);
  return arrow;
}

Canvas ListArrowDown183()
{
  Canvas arrow(15, 9, kSlate);
  DownTriangle(arrow, 7, 2, 6, kFace);
  return arrow;
}

Canvas PrefsCheckOn143() { return CheckBox(true, kControlGrey, kFace, kFace); }
Canvas PrefsCheckOff142() { return CheckBox(false, kControlGrey, kFace, kFace); }

// ---- The hand cursor ----------------------------------------------------------

// Whether (x, y) lies in the hand: the index finger raised (its tip at
// (12, 1) and (13, 1)), three shorter fingers beside it, the thumb and the
// palm.
bool InHand(int x, int y)
{
  const bool index = x >= 11 && x <= 14 && y >= 1 && y <= 17 && !(y == 1 && (x == 11 || x == 14));
  const bool middle = x >= 15 && x <= 18 && y >= 9 && y <= 17;
  const bool ring = x >= 19 && x <= 22 && y >= 10 && y <= 17;
  const bool little = x >= 23 && x <= 25 && y >= 12 && y <= 18;
  const bool thumb = y >= 15 && y <= 21 && x >= 5 + (21 - y) / 2 && x <= 11;
  const bool palm = x >= 8 && x <= 25 && y >= 17 && y <= 29 && !(y == 29 && (x == 8 || x == 25));
  return index || middle || ring || little || thumb || palm;
}

// The hand in white with a black outline, on white.
Canvas Hand270()
{
  Canvas hand(32, 32, kWhite);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (InHand(x, y)) {
        const bool edge = !InHand(x - 1, y) || !InHand(x + 1, y) || !InHand(x, y - 1) || !InHand(x, y + 1);
        hand.Set(x, y, edge ? kBlack : kWhite);
      }
  return hand;
}

const std::array kPlugin = {
    ArtPicture{108, "108-help.bmp", 61, 36, "help menu button: \"Help\" on the face", HelpButton108},
    ArtPicture{109, "109-title.bmp", 161, 36, "title strip: the product name in yellow on black", TitleStrip109},
    ArtPicture{110, "110-custom-hover.bmp", 87, 34, "custom roll-over, hover: yellow edge and caption", CustomHover110},
    ArtPicture{111, "111-automatic.bmp", 128, 34, "automatic roll-over, normal: \"Automatic\" in white",
               AutomaticNormal111},
    ArtPicture{114, "114-custom-pressed.bmp", 87, 34, "custom roll-over, pressed: recessed face", CustomPressed114},
    ArtPicture{126, "126-custom.bmp", 87, 34, "custom roll-over, normal: \"Custom\" in white", CustomNormal126},
    ArtPicture{127, "127-automatic-hover.bmp", 128, 34, "automatic roll-over, hover", AutomaticHover127},
    ArtPicture{128, "128-automatic-pressed.bmp", 128, 34, "automatic roll-over, pressed", AutomaticPressed128},
    ArtPicture{134, "134-hint-automatic.bmp", 347, 211, "hint pane over the automatic button", HintAutomatic134},
    ArtPicture{135, "135-hint-custom.bmp", 347, 211, "hint pane over the custom button", HintCustom135},
    ArtPicture{136, "136-hint.bmp", 347, 211, "hint pane: a landscape and the choice, on black", HintNormal136},
    ArtPicture{138, "138-slate.bmp", 64, 64, "Preset Manager background: flat light slate", Slate138},
    ArtPicture{142, "142-prefs-check-off.bmp", 15, 15, "preferences check box, off: on control grey", PrefsCheckOff142},
    ArtPicture{143, "143-prefs-check-on.bmp", 15, 15, "preferences check box, on: dark tick", PrefsCheckOn143},
    ArtPicture{144, "144-about.bmp", 331, 486, "about window: wordmark, landscape and maker", About144},
    ArtPicture{153, "153-cancel.bmp", 58, 25, "cancel roll-over, normal", CancelNormal153},
    ArtPicture{154, "154-cancel-hover.bmp", 58, 25, "cancel roll-over, hover", CancelHover154},
    ArtPicture{155, "155-cancel-pressed.bmp", 58, 25, "cancel roll-over, pressed", CancelPressed155},
    ArtPicture{156, "156-apply.bmp", 26, 25, "apply roll-over, normal: a white tick", ApplyNormal156},
    ArtPicture{157, "157-apply-hover.bmp", 26, 25, "apply roll-over, hover", ApplyHover157},
    ArtPicture{158, "158-apply-pressed.bmp", 26, 25, "apply roll-over, pressed", ApplyPressed158},
    ArtPicture{160, "160-face.bmp", 32, 32, "panel face: flat (40,40,40)", Face160},
    ArtPicture{162, "162-corner.bmp", 8, 8, "panel corner: shadow to face", Corner162},
    ArtPicture{163, "163-logo.bmp", 139, 22, "logo: yellow wordmark on the face", Logo163},
    ArtPicture{164, "164-fitted.bmp", 28, 28, "fitted view tool button", FittedView164},
    ArtPicture{165, "165-full-size.bmp", 28, 28, "full-size view tool button: \"1:1\"", FullSizeView165},
    ArtPicture{168, "168-check-off.bmp", 15, 15, "panel check box, off", PanelCheckOff168},
    ArtPicture{169, "169-check-on.bmp", 15, 15, "panel check box, on: accent tick", PanelCheckOn169},
    ArtPicture{170, "170-marker.bmp", 9, 7, "amount and presets menu marker", MenuMarker},
    ArtPicture{171, "171-thumb.bmp", 8, 15, "enhancement slider thumb: accent", EnhanceThumb171},
    ArtPicture{172, "172-thumb-shift.bmp", 8, 15, "colour shift slider thumb: light grey", ShiftThumb172},
    ArtPicture{173, "173-track.bmp", 32, 4, "slider track: four rows, recessed to lit", Track173},
    ArtPicture{179, "179-preset-menu.bmp", 15, 20, "start window's preset menu: flat face", PresetMenuFace179},
    ArtPicture{181, "181-preset-marker.bmp", 9, 7, "start window's preset menu marker", MenuMarker},
    ArtPicture{182, "182-list-up.bmp", 15, 9, "list scroll arrow up: dark on slate", ListArrowUp182},
    ArtPicture{183, "183-list-down.bmp", 15, 9, "list scroll arrow down: dark on slate", ListArrowDown183},
    ArtPicture{184, "184-busy.bmp", 400, 292, "busy picture: \"Correcting the image\"", Busy184},
    ArtPicture{186, "186-no-image.bmp", 400, 292, "no-image picture: an empty frame", NoImage186},
    ArtPicture{270, "270-hand.bmp", 32, 32, "preview pane's hand cursor (hot spot 12, 1)", Hand270},
};

} // namespace

std::span<const ArtPicture> PluginArt() { return kPlugin; }

} // namespace artgen
