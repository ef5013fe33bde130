#pragma once
// Helpers for the tests of the scrollbar, lists, ring, nudge pad, level and
// brush-size controls: the ids and colours of their resources
// (peripheral.res, drawn by tools/artgen).
#include "controlstest.h"

// The framework's own pictures under ids of the test list: the 81 x 81 ring
// (208) and the 16 x 12 up arrow, normal and hot (701, 702).
constexpr int32_t kTestRing = 400;
constexpr int32_t kTestArrow = 404, kTestHotArrow = 405;
// Flat pictures: a 9 x 9 dial, a 7 x 7 knob, a 64 x 60 level background,
// 15 x 9 scroll arrows, a 16 x 20 row tile and a 24 x 24 brush-size face.
constexpr int32_t kTestDial = 401, kTestKnob = 402, kTestLevelBackground = 403;
constexpr int32_t kScrollUp = 406, kScrollDown = 407, kRowTile = 408, kBrushFace = 409;
constexpr COLORREF kDialColour = RGB(0, 120, 255), kKnobColour = RGB(220, 0, 0), kLevelColour = RGB(120, 200, 120);
constexpr COLORREF kScrollUpColour = RGB(200, 100, 0), kScrollDownColour = RGB(100, 0, 200);
constexpr COLORREF kRowColour = RGB(230, 230, 200), kBrushFaceColour = RGB(150, 60, 120);
// The check boxes 206 (checked) and 207 under their own ids; the three-state
// faces, the track and thumb of controls.res (controlstest.h) too.
constexpr int32_t kCheckOn = 206, kCheckOff = 207;

// The framework's palette, which the ring and the arrows are drawn in.
constexpr COLORREF kFaceColour = RGB(40, 40, 40), kFrameColour = RGB(160, 160, 160),
                   kShadowColour = RGB(24, 24, 24);

using PeripheralControls = WindowLayer;
