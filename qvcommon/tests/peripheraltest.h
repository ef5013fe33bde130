#pragma once
// Helpers for the tests of the scrollbar, lists, ring, nudge pad, level and
// brush-size controls: the ids and colours of their resources
// (peripheral.res, drawn by tools/artgen).
#include "controlstest.h"

#include "qvcommon/qvlist.h"

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
constexpr COLORREF kFaceColour = RGB(40, 40, 40), kFrameColour = RGB(160, 160, 160), kShadowColour = RGB(24, 24, 24);

using PeripheralControls = WindowLayer;

// The window and everything in it painted afresh, parents before children
// (a window does not clip its children, so a parent painted late would
// cover them).
inline void RepaintAll(QVWindow& window)
{
  InvalidateRect(window.GetWnd(), nullptr, TRUE);
  standin::Pump();
}

// The colour at (x, y) of a window, read through an ancestor: a window
// scrolled past its parent's top shows no pixels of its own.
inline COLORREF ReadThrough(QVWindow& ancestor, HWND window, int x, int y)
{
  POINT p{x, y};
  ClientToScreen(window, &p);
  ScreenToClient(ancestor.GetWnd(), &p);
  return standin::ReadPixel(ancestor.GetWnd(), p.x, p.y);
}

// A list that shows its rows, row window and scrollbar to the tests, with
// the row tile as the rows' background (the row window keeps the class
// grey) and the test art's check boxes and three-state faces.
class ListProbe : public QVList {
public:
  static constexpr int32_t kMessage = 4140, kCheckMessage = 4141, kStateMessage = 4142;
  ListProbe(QVWindow* parent, QVRect rect) : QVList(parent, rect, &TestResources(), kMessage, 0)
  {
    Init(kCheckOn, kCheckOff, kStateOne, kStateTwo, kStateThree, kCheckMessage, kStateMessage);
    LoadBackgroundImage(kRowTile);
  }
  QVListItem* Row(int32_t slot) { return m_Items[slot]; }
  QVWindow* RowWindow() { return m_RowWindow; }
  QVScrollbar* Bar() { return m_Scrollbar; }
};
