#pragma once
// The colours of the interface art: dark faces with a yellow accent over
// the grey that every framework control is erased with. Every art set draws
// from these so that the pictures sit together.
#include "canvas.h"

namespace artgen::palette {

// The class brush of framework controls: what surrounds a picture.
inline constexpr Rgb kControlGrey{187, 187, 187};
// The face of buttons, boxes and dials.
inline constexpr Rgb kFace{40, 40, 40};
// The 1-pixel frame around a face.
inline constexpr Rgb kFrame{160, 160, 160};
// Recessed parts (tracks, grooves) below a face.
inline constexpr Rgb kShadow{24, 24, 24};
// Marks and selected items: the colour of a chosen menu item's text.
inline constexpr Rgb kAccent{249, 229, 0};

// The plug-in's windows: the start and about windows are black with white
// text; the list rows' frame is pure yellow; the Preset Manager is a light
// slate on which black text reads.
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kYellowFrame{255, 255, 0};
inline constexpr Rgb kSlate{172, 182, 196};

} // namespace artgen::palette
