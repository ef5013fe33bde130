// The list box of the standard controls' list family: "LISTBOX" (one
// selected row, keyboard and mouse selection, a scroll bar inside its right
// edge with WS_VSCROLL), also the drop-down list of a "COMBOBOX"
// (controls_combobox.cpp), a LISTBOX of its own class shown as a popup.
#include "controls_lists.h"

#include "win32/drawing.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace standin::detail;

constexpr COLORREF kTrackGrey = 0xE0E0E0;

bool IsDropDown(HWND window)
{
  const WindowRecord* w = Find(window);
  return w && EqualNoCase(w->cls->name, kDropDownClass);
}

// ---- LISTBOX ----------------------------------------------------------------

// What the list box's client area holds: rows, and the scroll bar when the
// rows do not all fit.
struct ListLayout {
  int rowHeight = 1;
  int visible = 1; // whole rows that fit
  int maxTop = 0;
  bool bar = false;
  int width = 0, height = 0;
  // The scroll bar's parts (client y): the track between the arrows, the thumb.
  int trackTop = 0, trackBottom = 0, thumbTop = 0, thumbBottom = 0;
};

ListLayout LayoutOf(HWND window)
{
  const WindowRecord* w = Find(window);
  ListLayout l;
  l.rowHeight = RowHeight(window);
  l.width = w->ClientWidth();
  l.height = w->ClientHeight();
  l.visible = std::max(1, l.height / l.rowHeight);
  const int count = int(w->control.rows.size());
  l.maxTop = std::max(0, count - l.visible);
  l.bar = (w->style & WS_VSCROLL) && l.maxTop > 0 && l.height >= 3 * kBarWidth;
  if (l.bar) {
    l.trackTop = kBarWidth;
    l.trackBottom = l.height - kBarWidth;
    const int track = l.trackBottom - l.trackTop;
    const int thumb = std::max(8, track * l.visible / std::max(1, count));
    l.thumbTop = l.trackTop + (track - thumb) * w->control.top / l.maxTop;
    l.thumbBottom = l.thumbTop + thumb;
  }
  return l;
}

int RowsRight(const ListLayout& l) { return l.bar ? l.width - kBarWidth : l.width; }

void PaintList(HWND window)
{
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  const ListLayout l = LayoutOf(window);
  const WindowRecord* w = Find(window);
  const ControlState& c = w->control;
  const bool enabled = w->Enabled();
  const bool focused = GetFocus() == window || IsDropDown(window);
  const int right = RowsRight(l);
  FillSolid(dc, RECT{0, 0, right, l.height}, enabled ? 0xFFFFFF : kFaceGrey);
  SelectObject(dc, FontOf(window));
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i <= l.visible; ++i) {
    const int row = c.top + i;
    if (row >= int(c.rows.size()))
      break;
    const RECT band{0, i * l.rowHeight, right, (i + 1) * l.rowHeight};
    const bool selected = row == c.selected;
    if (selected)
      FillSolid(dc, band, focused ? kNavy : kShadowGrey);
    SetTextColor(dc, !enabled ? kShadowGrey : selected ? 0xFFFFFF : 0);
    const std::string& text = c.rows[size_t(row)].text;
    TextOutA(dc, 3, band.top + 1, text.c_str(), int(text.size()));
  }
  if (l.bar) {
    const RECT up{right, 0, l.width, kBarWidth}, down{right, l.height - kBarWidth, l.width, l.height};
    FillSolid(dc, RECT{right, l.trackTop, l.width, l.trackBottom}, kTrackGrey);
    RaisedBox(dc, up);
    Arrow(dc, up, true);
    RaisedBox(dc, down);
    Arrow(dc, down, false);
    RaisedBox(dc, RECT{right, l.thumbTop, l.width, l.thumbBottom});
  }
  EndPaint(window, &paint);
}

void SetTop(HWND window, int top)
{
  const ListLayout l = LayoutOf(window);
  ControlState* c = StateOf(window);
  top = std::clamp(top, 0, l.maxTop);
  if (c->top != top) {
    c->top = top;
    InvalidateRect(window, nullptr, TRUE);
  }
}

// Scrolls the fewest rows that bring `row` into view.
void ShowRow(HWND window, int row)
{
  const ListLayout l = LayoutOf(window);
  const ControlState* c = StateOf(window);
  if (row < 0)
    return;
  if (row < c->top)
    SetTop(window, row);
  else if (row >= c->top + l.visible)
    SetTop(window, row - l.visible + 1);
}

// The row at client point y (within the rows' width), or -1.
int RowAt(HWND window, int x, int y)
{
  const ListLayout l = LayoutOf(window);
  const ControlState* c = StateOf(window);
  if (x < 0 || x >= RowsRight(l) || y < 0 || y >= l.height)
    return -1;
  const int row = c->top + y / l.rowHeight;
  return row < int(c->rows.size()) ? row : -1;
}

void SelectionChanged(HWND window)
{
  const WindowRecord* w = Find(window);
  if (w && (w->style & LBS_NOTIFY))
    Notify(window, LBN_SELCHANGE);
}

// A press on the scroll bar: the arrows step, the track pages, the thumb
// is grabbed.
void PressBar(HWND window, int y)
{
  const ListLayout l = LayoutOf(window);
  ControlState* c = StateOf(window);
  if (y < l.trackTop)
    SetTop(window, c->top - 1);
  else if (y >= l.trackBottom)
    SetTop(window, c->top + 1);
  else if (y < l.thumbTop)
    SetTop(window, c->top - (l.visible - 1));
  else if (y >= l.thumbBottom)
    SetTop(window, c->top + (l.visible - 1));
  else {
    c->dragOffset = y - l.thumbTop;
    SetCapture(window);
  }
}

void DragThumb(HWND window, int y)
{
  const ListLayout l = LayoutOf(window);
  const ControlState* c = StateOf(window);
  const int room = (l.trackBottom - l.trackTop) - (l.thumbBottom - l.thumbTop);
  if (room <= 0)
    return;
  const int thumbTop = y - c->dragOffset - l.trackTop;
  SetTop(window, (thumbTop * l.maxTop + room / 2) / room);
}

void CloseDropDown(HWND list, bool choose)
{
  if (const ControlState* c = StateOf(list); c && c->partner)
    SendMessageA(c->partner, kListClosed, choose ? 1 : 0, 0);
}

// The mouse on a drop-down list, which holds the capture while it is down:
// the row under the pointer is highlighted, a release on a row chooses it,
// a press outside the list dismisses it.
LRESULT DropDownMouse(HWND window, UINT message, LPARAM lParam)
{
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  const int row = RowAt(window, x, y);
  const RECT client{0, 0, Find(window)->ClientWidth(), Find(window)->ClientHeight()};
  const bool inside = x >= 0 && y >= 0 && x < client.right && y < client.bottom;
  if (message == WM_LBUTTONDOWN && !inside) {
    CloseDropDown(window, false);
    return 0;
  }
  if (message == WM_LBUTTONDOWN && StateOf(window)->dragOffset < 0 && LayoutOf(window).bar &&
      x >= RowsRight(LayoutOf(window))) {
    PressBar(window, y);
    return 0;
  }
  if (message == WM_MOUSEMOVE && StateOf(window)->dragOffset >= 0) {
    DragThumb(window, y);
    return 0;
  }
  if (message == WM_LBUTTONUP && StateOf(window)->dragOffset >= 0) {
    StateOf(window)->dragOffset = -1;
    return 0;
  }
  if (row >= 0)
    Select(window, row);
  if (message == WM_LBUTTONUP && row >= 0)
    CloseDropDown(window, true);
  return 0;
}

LRESULT ListMouse(HWND window, UINT message, WPARAM, LPARAM lParam)
{
  if (IsDropDown(window))
    return DropDownMouse(window, message, lParam);
  const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  ControlState* c = StateOf(window);
  switch (message) {
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK: {
    SetFocus(window);
    if (!(c = StateOf(window)))
      return 0;
    const ListLayout l = LayoutOf(window);
    if (l.bar && x >= RowsRight(l)) {
      PressBar(window, y);
      return 0;
    }
    const int row = RowAt(window, x, y);
    if (row < 0)
      return 0;
    SetCapture(window);
    if (Select(window, row))
      SelectionChanged(window);
    const WindowRecord* w = Find(window);
    if (message == WM_LBUTTONDBLCLK && w && (w->style & LBS_NOTIFY))
      Notify(window, LBN_DBLCLK);
    return 0;
  }
  case WM_MOUSEMOVE:
    if (c->dragOffset >= 0) {
      DragThumb(window, y);
    } else if (GetCapture() == window) {
      // Dragging over the rows moves the selection; above or below, it scrolls.
      const ListLayout l = LayoutOf(window);
      const int row = y < 0 ? c->top - 1 : y >= l.height ? c->top + l.visible : RowAt(window, 0, y);
      if (row >= 0 && Select(window, row))
        SelectionChanged(window);
    }
    return 0;
  case WM_LBUTTONUP:
    c->dragOffset = -1;
    if (GetCapture() == window)
      ReleaseCapture();
    return 0;
  default: return 0;
  }
}

// Copies row text into a caller's buffer; its length, or LB_ERR.
LRESULT CopyRowText(const ControlState& c, WPARAM row, LPARAM buffer)
{
  if (row >= c.rows.size())
    return LB_ERR;
  const std::string& text = c.rows[row].text;
  if (buffer)
    std::memcpy(reinterpret_cast<char*>(buffer), text.c_str(), text.size() + 1);
  return LRESULT(text.size());
}

} // namespace

namespace standin::detail {

ControlState* StateOf(HWND window)
{
  WindowRecord* w = Find(window);
  return w ? &w->control : nullptr;
}

// The height of one row in the window's font.
int RowHeight(HWND window)
{
  HDC dc = GetDC(window);
  const HGDIOBJ previous = SelectObject(dc, FontOf(window));
  SIZE cell{};
  GetTextExtentPoint32A(dc, "Xg", 2, &cell);
  SelectObject(dc, previous);
  ReleaseDC(window, dc);
  return std::max<int>(1, cell.cy + 2);
}

// A small black triangle pointing up or down, centred in the box.
void Arrow(HDC dc, const RECT& box, bool up)
{
  const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
  for (int i = 0; i < 4; ++i) {
    const int y = up ? cy - 2 + i : cy + 1 - i;
    FillSolid(dc, RECT{cx - i, y, cx + i + 1, y + 1}, 0);
  }
}

void RaisedBox(HDC dc, const RECT& box)
{
  FillSolid(dc, box, kFaceGrey);
  DrawEdge(dc, box, 0xFFFFFF, kShadowGrey);
}

// Selects a row (clamped; -1 for none) and shows it; true when it changed.
bool Select(HWND window, int row)
{
  ControlState* c = StateOf(window);
  row = c->rows.empty() ? -1 : std::clamp(row, -1, int(c->rows.size()) - 1);
  ShowRow(window, row);
  if ((c = StateOf(window))->selected == row)
    return false;
  c->selected = row;
  InvalidateRect(window, nullptr, TRUE);
  return true;
}

// The row a navigation key moves the selection to.
int KeyTarget(HWND window, WPARAM key, int from)
{
  const ListLayout l = LayoutOf(window);
  const int last = int(StateOf(window)->rows.size()) - 1;
  switch (key) {
  case VK_UP: return std::max(0, from - 1);
  case VK_DOWN: return std::min(last, from + 1);
  case VK_PRIOR: return std::max(0, from - (l.visible - 1));
  case VK_NEXT: return std::min(last, from + (l.visible - 1));
  case VK_HOME: return 0;
  case VK_END: return last;
  default: return -2;
  }
}

LRESULT ListKey(HWND window, WPARAM key)
{
  const ControlState* c = StateOf(window);
  const int target = KeyTarget(window, key, c->selected < 0 ? c->top - 1 : c->selected);
  if (target >= -1 && Select(window, std::max(target, 0)) && !IsDropDown(window))
    SelectionChanged(window);
  return 0;
}

const char kDropDownClass[] = "ComboLBox";

LRESULT CALLBACK ListBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  WindowRecord* w = Find(window);
  if (!w)
    return 0;
  ControlState& c = w->control;
  switch (message) {
  case WM_PAINT: PaintList(window); return 0;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
  case WM_MOUSEMOVE:
  case WM_LBUTTONUP: return ListMouse(window, message, wParam, lParam);
  case WM_KEYDOWN: return ListKey(window, wParam);
  case WM_CAPTURECHANGED:
    c.dragOffset = -1;
    if (IsDropDown(window))
      CloseDropDown(window, false);
    return 0;
  case WM_GETDLGCODE: return DLGC_WANTARROWS;
  case WM_SETFOCUS:
  case WM_KILLFOCUS: InvalidateRect(window, nullptr, TRUE); return 0;
  case LB_ADDSTRING:
    c.rows.push_back(ListRow{lParam ? reinterpret_cast<const char*>(lParam) : "", 0});
    InvalidateRect(window, nullptr, TRUE);
    return LRESULT(c.rows.size() - 1);
  case LB_RESETCONTENT:
    c.rows.clear();
    c.selected = -1;
    c.top = 0;
    InvalidateRect(window, nullptr, TRUE);
    return 0;
  case LB_GETCOUNT: return LRESULT(c.rows.size());
  case LB_GETCURSEL: return c.selected;
  case LB_SETCURSEL:
    if (intptr_t(wParam) < -1 || intptr_t(wParam) >= intptr_t(c.rows.size()))
      return LB_ERR;
    Select(window, int(intptr_t(wParam)));
    return intptr_t(wParam) < 0 ? LRESULT(LB_ERR) : LRESULT(wParam);
  case LB_GETTEXT: return CopyRowText(c, wParam, lParam);
  case LB_GETTEXTLEN: return wParam < c.rows.size() ? LRESULT(c.rows[wParam].text.size()) : LRESULT(LB_ERR);
  case LB_GETITEMDATA: return wParam < c.rows.size() ? c.rows[wParam].data : LRESULT(LB_ERR);
  case LB_SETITEMDATA:
    if (wParam >= c.rows.size())
      return LB_ERR;
    c.rows[wParam].data = lParam;
    return TRUE;
  case LB_GETTOPINDEX: return c.top;
  case LB_SETTOPINDEX:
    if (wParam >= c.rows.size())
      return LB_ERR;
    SetTop(window, int(wParam));
    return 0;
  case LB_GETITEMHEIGHT: return RowHeight(window);
  default: return DefaultAndRepaint(window, message, wParam, lParam);
  }
}

} // namespace standin::detail
