#pragma once
// Internal to the stand-in: what the LISTBOX (controls_lists.cpp) and the
// drop-down COMBOBOX (controls_combobox.cpp) share: their sizes, colours and
// message, a control's state and row height, the buttons they draw, and
// selecting a list's row by index or by key.
#include "wm.h"

namespace standin::detail {

constexpr int kBarWidth = 16; // the scroll bar, and the combo box's button
constexpr COLORREF kNavy = 0x800000;
constexpr COLORREF kShadowGrey = 0x808080;
// The combo box hears from its list: wParam 1 when the row under the
// pointer was chosen, 0 when the list was dismissed.
constexpr UINT kListClosed = WM_USER + 0x7F01;

// The window's control state; null when there is no such window.
ControlState* StateOf(HWND window);
// The height of one row in the window's font (at least 1).
int RowHeight(HWND window);
// A small black triangle pointing up or down, centred in the box.
void Arrow(HDC dc, const RECT& box, bool up);
// The box in face grey with a raised edge.
void RaisedBox(HDC dc, const RECT& box);
// Selects a list's row (clamped; -1 for none) and shows it; true when it
// changed.
bool Select(HWND window, int row);
// The row a navigation key moves a list's selection to from `from`; -2 for
// any other key.
int KeyTarget(HWND window, WPARAM key, int from);
// A navigation key on a list: the selection moves (LBN_SELCHANGE for a list
// box that asks for it). Returns 0.
LRESULT ListKey(HWND window, WPARAM key);

} // namespace standin::detail
