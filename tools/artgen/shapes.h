#pragma once
// Drawing pieces that several art sets share.
#include "canvas.h"

namespace artgen {

// A 15 x 15 check box: a 1-pixel `frame` border around a 13 x 13 `face`,
// with, when `on`, a tick 2 pixels thick in `tick` that stays inside the
// face (columns 3..12, rows 4..10).
Canvas CheckBox(bool on, Rgb face, Rgb frame, Rgb tick);

// A triangle pointing down whose top row spans centreX - (rows - 1) ..
// centreX + (rows - 1) at row `top`, each row below one pixel narrower on
// both sides, down to the single pixel at centreX.
void DownTriangle(Canvas& canvas, int centreX, int top, int rows, Rgb colour);
// The same pointing up: the single pixel at (centreX, top), each row below
// one pixel wider on both sides.
void UpTriangle(Canvas& canvas, int centreX, int top, int rows, Rgb colour);

// A rectangle with corners rounded to `radius`, filled with `fill` and
// edged `thickness` pixels wide in `edge`; what lies outside the rounding
// is left as it is. Distances are compared squared from the corner circles'
// centres, so the shape is mirror-symmetric.
void RoundedRect(Canvas& canvas, int x, int y, int width, int height, int radius, Rgb fill, Rgb edge, int thickness);

} // namespace artgen
