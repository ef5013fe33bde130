// The drop-down list kind of "COMBOBOX" in the standard controls' list
// family: its list is a LISTBOX of its own class (controls_lists.cpp) shown
// as a popup under it while it is down.
#include "controls_lists.h"
#include "win32/drawing.h"

#include <algorithm>
#include <string>

namespace {

using namespace standin::detail;

constexpr int kDropDownRows = 8; // rows a drop-down list shows at most

// ---- COMBOBOX -----------------------------------------------------------------

HWND ListOf(HWND combo)
{
  const ControlState* c = StateOf(combo);
  return c ? c->partner : nullptr;
}

void PaintCombo(HWND window)
{
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  const WindowRecord* w = Find(window);
  const int width = w->ClientWidth(), height = w->ClientHeight();
  const bool enabled = w->Enabled(), focused = GetFocus() == window;
  const int buttonLeft = std::max(0, width - kBarWidth);
  FillSolid(dc, RECT{0, 0, buttonLeft, height}, enabled ? 0xFFFFFF : kFaceGrey);
  std::string text;
  const ControlState* list = StateOf(ListOf(window));
  if (list && w->control.selected >= 0 && w->control.selected < int(list->rows.size()))
    text = list->rows[size_t(w->control.selected)].text;
  SelectObject(dc, FontOf(window));
  SetBkMode(dc, TRANSPARENT);
  SIZE cell{};
  GetTextExtentPoint32A(dc, "Xg", 2, &cell);
  const int top = (height - cell.cy) / 2;
  if (focused && !w->control.dropped)
    FillSolid(dc, RECT{2, top - 1, buttonLeft - 2, top + cell.cy + 1}, kNavy);
  SetTextColor(dc, !enabled ? kShadowGrey : (focused && !w->control.dropped) ? 0xFFFFFF : 0);
  TextOutA(dc, 3, top, text.c_str(), int(text.size()));
  const RECT button{buttonLeft, 0, width, height};
  RaisedBox(dc, button);
  Arrow(dc, button, false);
  EndPaint(window, &paint);
}

void Drop(HWND combo)
{
  WindowRecord* w = Find(combo);
  const HWND list = ListOf(combo);
  if (!w || !list || w->control.dropped || !w->Enabled())
    return;
  ControlState* rows = StateOf(list);
  const int rowHeight = RowHeight(list);
  const int shown = std::clamp(int(rows->rows.size()), 1, kDropDownRows);
  RECT r;
  GetWindowRect(combo, &r);
  const int height = shown * rowHeight + 2; // with its 1-pixel border
  int top = r.bottom;
  if (top + height > GetSystemMetrics(SM_CYSCREEN) && r.top - height >= 0)
    top = r.top - height; // no room below: it opens upwards
  w->control.dropped = true;
  Notify(combo, CBN_DROPDOWN);
  if (!(w = Find(combo)) || !Find(list))
    return;
  SetWindowPos(list, nullptr, int(r.left), top, int(r.right - r.left), height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  StateOf(list)->selected = -1;
  Select(list, w->control.selected);
  SetCapture(list);
  InvalidateRect(combo, nullptr, TRUE);
}

// Takes the list up again; with `choose`, the row highlighted in it becomes
// the combo box's (CBN_SELCHANGE when that changed).
void CloseUp(HWND combo, bool choose)
{
  WindowRecord* w = Find(combo);
  const HWND list = ListOf(combo);
  if (!w || !w->control.dropped)
    return;
  w->control.dropped = false; // first: losing the capture below comes back here
  if (GetCapture() == list)
    ReleaseCapture();
  if (Find(list))
    SetWindowPos(list, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  InvalidateRect(combo, nullptr, TRUE);
  const ControlState* rows = StateOf(list);
  const bool changed = choose && rows && rows->selected >= 0 && rows->selected != w->control.selected;
  if (changed)
    w->control.selected = rows->selected;
  Notify(combo, CBN_CLOSEUP);
  if (changed)
    Notify(combo, CBN_SELCHANGE);
}

LRESULT ComboKey(HWND combo, UINT message, WPARAM key)
{
  ControlState* c = StateOf(combo);
  if (c->dropped) {
    switch (key) {
    case VK_RETURN:
    case VK_F4: CloseUp(combo, true); return 0;
    case VK_ESCAPE: CloseUp(combo, false); return 0;
    case VK_UP:
      if (message == WM_SYSKEYDOWN) {
        CloseUp(combo, true);
        return 0;
      }
      return ListKey(ListOf(combo), key);
    default: return ListKey(ListOf(combo), key);
    }
  }
  if (key == VK_F4 || (message == WM_SYSKEYDOWN && key == VK_DOWN)) {
    Drop(combo);
    return 0;
  }
  const ControlState* rows = StateOf(ListOf(combo));
  if (!rows || rows->rows.empty())
    return 0;
  const int target = KeyTarget(ListOf(combo), key, c->selected);
  if (target >= 0 && target != c->selected) {
    c->selected = target;
    InvalidateRect(combo, nullptr, TRUE);
    Notify(combo, CBN_SELCHANGE);
  }
  return 0;
}

} // namespace

namespace standin::detail {

LRESULT CALLBACK ComboBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  WindowRecord* w = Find(window);
  if (!w)
    return 0;
  switch (message) {
  case WM_CREATE: {
    // The list: a popup owned by the combo box's top-level window, which a
    // click never activates.
    const HWND list =
        CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kDropDownClass, "", WS_POPUP | WS_BORDER | WS_VSCROLL, 0,
                        0, 1, 1, TopLevelOf(window), nullptr, nullptr, nullptr);
    if (!list)
      return -1;
    if ((w = Find(window)))
      w->control.partner = list;
    StateOf(list)->partner = window;
    return 0;
  }
  case WM_DESTROY:
    if (Find(w->control.partner))
      DestroyWindow(w->control.partner);
    return 0;
  case WM_PAINT: PaintCombo(window); return 0;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
    SetFocus(window);
    if ((w = Find(window)) && GetFocus() == window)
      w->control.dropped ? CloseUp(window, false) : Drop(window);
    return 0;
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN: return ComboKey(window, message, wParam);
  case WM_GETDLGCODE: return w->control.dropped ? DLGC_WANTALLKEYS : DLGC_WANTARROWS;
  case WM_KILLFOCUS:
  case WM_CANCELMODE:
    CloseUp(window, false);
    InvalidateRect(window, nullptr, TRUE);
    return 0;
  case WM_SETFOCUS: InvalidateRect(window, nullptr, TRUE); return 0;
  case WM_SETFONT:
    if (Find(w->control.partner))
      SendMessageA(w->control.partner, WM_SETFONT, wParam, lParam);
    return DefaultAndRepaint(window, message, wParam, lParam);
  case kListClosed: CloseUp(window, wParam != 0); return 0;
  case CB_ADDSTRING: return SendMessageA(w->control.partner, LB_ADDSTRING, 0, lParam);
  case CB_GETCOUNT: return SendMessageA(w->control.partner, LB_GETCOUNT, 0, 0);
  case CB_GETLBTEXT: return SendMessageA(w->control.partner, LB_GETTEXT, wParam, lParam);
  case CB_GETLBTEXTLEN: return SendMessageA(w->control.partner, LB_GETTEXTLEN, wParam, lParam);
  case CB_RESETCONTENT:
    CloseUp(window, false);
    SendMessageA(w->control.partner, LB_RESETCONTENT, 0, 0);
    if ((w = Find(window)))
      w->control.selected = -1;
    InvalidateRect(window, nullptr, TRUE);
    return 0;
  case CB_GETCURSEL: return w->control.selected;
  case CB_SETCURSEL: {
    const LRESULT count = SendMessageA(w->control.partner, LB_GETCOUNT, 0, 0);
    if (intptr_t(wParam) < -1 || intptr_t(wParam) >= count)
      return CB_ERR;
    if ((w = Find(window)))
      w->control.selected = int(intptr_t(wParam));
    InvalidateRect(window, nullptr, TRUE);
    return intptr_t(wParam) < 0 ? LRESULT(CB_ERR) : LRESULT(wParam);
  }
  case CB_SHOWDROPDOWN: wParam ? Drop(window) : CloseUp(window, false); return TRUE;
  case CB_GETDROPPEDSTATE: return w->control.dropped ? TRUE : FALSE;
  default: return DefaultAndRepaint(window, message, wParam, lParam);
  }
}

} // namespace standin::detail
