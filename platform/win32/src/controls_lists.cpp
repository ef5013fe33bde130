// The list family of the standard controls: "LISTBOX" (one selected row,
// keyboard and mouse selection, a scroll bar inside its right edge with
// WS_VSCROLL) and the drop-down list kind of "COMBOBOX", whose list is a
// LISTBOX of its own class shown as a popup under it while it is down.
#include "wm.h"

#include "win32/drawing.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace standin::detail;

constexpr int kBarWidth = 16;     // the scroll bar, and the combo box's button
constexpr int kDropDownRows = 8;  // rows a drop-down list shows at most
constexpr COLORREF kNavy = 0x800000;
constexpr COLORREF kTrackGrey = 0xE0E0E0;
constexpr COLORREF kShadowGrey = 0x808080;
// The combo box hears from its list: wParam 1 when the row under the
// pointer was chosen, 0 when the list was dismissed.
constexpr UINT kListClosed = WM_USER + 0x7F01;

ControlState* StateOf(HWND window)
{
  WindowRecord* w = Find(window);
  return w ? &w->control : nullptr;
}

bool IsDropDown(HWND window)
{
  const WindowRecord* w = Find(window);
  return w && EqualNoCase(w->cls->name, kDropDownClass);
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

LRESULT ListKey(HWND window, WPARAM key)
{
  const ControlState* c = StateOf(window);
  const int target = KeyTarget(window, key, c->selected < 0 ? c->top - 1 : c->selected);
  if (target >= -1 && Select(window, std::max(target, 0)) && !IsDropDown(window))
    SelectionChanged(window);
  return 0;
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

LRESULT CALLBACK ComboBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  WindowRecord* w = Find(window);
  if (!w)
    return 0;
  switch (message) {
  case WM_CREATE: {
    // The list: a popup owned by the combo box's top-level window, which a
    // click never activates.
    const HWND list = CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kDropDownClass, "", WS_POPUP | WS_BORDER |
                                      WS_VSCROLL, 0, 0, 1, 1, TopLevelOf(window), nullptr, nullptr, nullptr);
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
  case CB_SHOWDROPDOWN:
    wParam ? Drop(window) : CloseUp(window, false);
    return TRUE;
  case CB_GETDROPPEDSTATE: return w->control.dropped ? TRUE : FALSE;
  default: return DefaultAndRepaint(window, message, wParam, lParam);
  }
}

} // namespace standin::detail
