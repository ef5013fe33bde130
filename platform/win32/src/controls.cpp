// The standard controls the system's dialogs use: "BUTTON" (push buttons,
// with a check state for dialog hooks), "STATIC" (left-aligned, wrapped
// text) and a single-line "EDIT". The list family is in controls_lists.cpp.
#include "wm.h"

#include "win32/drawing.h"

#include <algorithm>

namespace {

using namespace standin::detail;

constexpr int kEditMargin = 2;

bool Inside(HWND window, LPARAM point)
{
  RECT client;
  GetClientRect(window, &client);
  const int x = GET_X_LPARAM(point), y = GET_Y_LPARAM(point);
  return x >= 0 && y >= 0 && x < client.right && y < client.bottom;
}

// Text measured in the control's font.
class Measure {
public:
  explicit Measure(HWND window) : window_(window), dc_(GetDC(window)) { previous_ = SelectObject(dc_, FontOf(window)); }
  ~Measure()
  {
    SelectObject(dc_, previous_);
    ReleaseDC(window_, dc_);
  }
  int Width(const std::string& text, size_t count) const
  {
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.c_str(), int(std::min(count, text.size())), &size);
    return size.cx;
  }
  int Height() const
  {
    SIZE size{};
    GetTextExtentPoint32A(dc_, "Xg", 2, &size);
    return size.cy;
  }

private:
  HWND window_;
  HDC dc_;
  HGDIOBJ previous_;
};

// ---- BUTTON -----------------------------------------------------------------

void PaintButton(HWND window)
{
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  const WindowRecord* w = Find(window);
  RECT r{0, 0, w->ClientWidth(), w->ClientHeight()};
  FillSolid(dc, r, kFaceGrey);
  const bool pushed = w->control.pushed;
  if ((w->style & 0xF) == BS_DEFPUSHBUTTON) {
    DrawEdge(dc, r, 0, 0);
    r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
  const COLORREF light = pushed ? 0x808080 : 0xFFFFFF, dark = pushed ? 0xFFFFFF : 0x808080;
  DrawEdge(dc, r, light, dark);
  SelectObject(dc, FontOf(window));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, w->Enabled() ? 0 : 0x808080);
  SetTextAlign(dc, TA_CENTER | TA_TOP);
  SIZE size{};
  GetTextExtentPoint32A(dc, w->text.c_str(), int(w->text.size()), &size);
  const int shift = pushed ? 1 : 0;
  TextOutA(dc, (r.left + r.right) / 2 + shift, (r.top + r.bottom - size.cy) / 2 + shift, w->text.c_str(),
           int(w->text.size()));
  if (GetFocus() == window) {
    // The keyboard focus: a dotted frame inside the edge.
    const RECT f{r.left + 3, r.top + 3, r.right - 3, r.bottom - 3};
    for (int x = f.left; x < f.right; x += 2) {
      SetPixel(dc, x, f.top, 0);
      SetPixel(dc, x, f.bottom - 1, 0);
    }
    for (int y = f.top; y < f.bottom; y += 2) {
      SetPixel(dc, f.left, y, 0);
      SetPixel(dc, f.right - 1, y, 0);
    }
  }
  EndPaint(window, &paint);
}

void SetPushed(HWND window, bool pushed)
{
  WindowRecord* w = Find(window);
  if (w && w->control.pushed != pushed) {
    w->control.pushed = pushed;
    InvalidateRect(window, nullptr, TRUE);
  }
}

// ---- STATIC -----------------------------------------------------------------

void PaintStatic(HWND window)
{
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  const WindowRecord* w = Find(window);
  const std::string text = w->text;
  const int width = w->ClientWidth();
  FillSolid(dc, RECT{0, 0, width, w->ClientHeight()}, kFaceGrey);
  SelectObject(dc, FontOf(window));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, w->Enabled() ? 0 : 0x808080);
  SIZE cell{};
  GetTextExtentPoint32A(dc, "Xg", 2, &cell);
  const int lineHeight = std::max<int>(1, cell.cy);
  int y = 0;
  for (const auto& [start, length] : WrapLines(dc, text, width)) {
    TextOutA(dc, 0, y, text.c_str() + start, int(length));
    y += lineHeight;
  }
  EndPaint(window, &paint);
}

// ---- EDIT -------------------------------------------------------------------

size_t SelStart(const ControlState& c) { return std::min(c.caret, c.anchor); }
size_t SelEnd(const ControlState& c) { return std::max(c.caret, c.anchor); }

// Keeps the caret in view of an auto-scrolling edit.
void Scroll(HWND window)
{
  WindowRecord* w = Find(window);
  if (!(w->style & ES_AUTOHSCROLL)) {
    w->control.scroll = 0;
    return;
  }
  const Measure m(window);
  const int caretX = m.Width(w->text, w->control.caret);
  const int room = std::max(1, w->ClientWidth() - 2 * kEditMargin);
  if (caretX < w->control.scroll)
    w->control.scroll = caretX;
  else if (caretX > w->control.scroll + room)
    w->control.scroll = caretX - room;
}

void Changed(HWND window)
{
  Scroll(window);
  Notify(window, EN_UPDATE);
  InvalidateRect(window, nullptr, TRUE);
  Notify(window, EN_CHANGE);
}

void Moved(HWND window)
{
  Scroll(window);
  InvalidateRect(window, nullptr, TRUE);
}

// Replaces the selection by `text`, within the limit and (without
// ES_AUTOHSCROLL) the client width; EN_MAXTEXT when it cannot.
void Replace(HWND window, const std::string& text)
{
  WindowRecord* w = Find(window);
  ControlState& c = w->control;
  std::string next = w->text;
  next.replace(SelStart(c), SelEnd(c) - SelStart(c), text);
  bool fits = next.size() <= c.limit || next.size() <= w->text.size();
  if (fits && !(w->style & ES_AUTOHSCROLL) && !text.empty()) {
    const Measure m(window);
    fits = m.Width(next, next.size()) <= w->ClientWidth() - 2 * kEditMargin;
  }
  if (!fits) {
    Notify(window, EN_MAXTEXT);
    return;
  }
  c.caret = c.anchor = SelStart(c) + text.size();
  w->text = next;
  Changed(window);
}

void PaintEdit(HWND window)
{
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  const WindowRecord* w = Find(window);
  const ControlState c = w->control;
  const std::string text = w->text;
  const bool enabled = w->Enabled();
  const bool focused = GetFocus() == window;
  const int width = w->ClientWidth(), height = w->ClientHeight();
  FillSolid(dc, RECT{0, 0, width, height}, enabled ? 0xFFFFFF : kFaceGrey);
  SelectObject(dc, FontOf(window));
  SIZE cell{};
  GetTextExtentPoint32A(dc, "Xg", 2, &cell);
  const int top = (height - cell.cy) / 2;
  auto x = [&](size_t count) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), int(std::min(count, text.size())), &size);
    return kEditMargin - c.scroll + size.cx;
  };
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, enabled ? 0 : 0x808080);
  TextOutA(dc, x(0), top, text.c_str(), int(text.size()));
  if (focused && SelEnd(c) > SelStart(c)) {
    // The selection in white on navy.
    FillSolid(dc, RECT{x(SelStart(c)), top, x(SelEnd(c)), top + cell.cy}, 0x800000);
    SetTextColor(dc, 0xFFFFFF);
    TextOutA(dc, x(SelStart(c)), top, text.c_str() + SelStart(c), int(SelEnd(c) - SelStart(c)));
  }
  if (focused)
    FillSolid(dc, RECT{x(c.caret), top, x(c.caret) + 1, top + cell.cy}, 0);
  EndPaint(window, &paint);
}

LRESULT EditKey(HWND window, WPARAM key)
{
  WindowRecord* w = Find(window);
  ControlState& c = w->control;
  const bool shift = KeyIsDown(VK_SHIFT);
  size_t caret = c.caret;
  switch (key) {
  case VK_DELETE:
    if (SelEnd(c) == SelStart(c)) {
      if (c.caret >= w->text.size())
        return 0;
      c.anchor = c.caret + 1;
    }
    Replace(window, "");
    return 0;
  case VK_LEFT: caret = caret > 0 ? caret - 1 : 0; break;
  case VK_RIGHT: caret = std::min(caret + 1, w->text.size()); break;
  case VK_HOME: caret = 0; break;
  case VK_END: caret = w->text.size(); break;
  default: return 0;
  }
  c.caret = caret;
  if (!shift)
    c.anchor = caret;
  Moved(window);
  return 0;
}

LRESULT EditChar(HWND window, WPARAM code)
{
  WindowRecord* w = Find(window);
  ControlState& c = w->control;
  const unsigned char ch = static_cast<unsigned char>(code);
  if (ch == 8) {
    if (SelEnd(c) == SelStart(c)) {
      if (c.caret == 0)
        return 0;
      c.anchor = c.caret - 1;
    }
    Replace(window, "");
  } else if (ch >= 32 && ch != 127) {
    Replace(window, std::string(1, char(ch)));
  }
  return 0;
}

// The character boundary nearest to client x.
size_t CaretAt(HWND window, int x)
{
  const WindowRecord* w = Find(window);
  const Measure m(window);
  size_t best = 0;
  int bestDistance = 1 << 30;
  for (size_t i = 0; i <= w->text.size(); ++i) {
    const int distance = std::abs(kEditMargin - w->control.scroll + m.Width(w->text, i) - x);
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

} // namespace

namespace standin::detail {

HFONT FontOf(HWND window)
{
  const WindowRecord* w = Find(window);
  return w && w->font ? w->font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void Notify(HWND control, UINT code)
{
  const WindowRecord* w = Find(control);
  if (w && w->IsChild())
    SendMessageA(w->parent, WM_COMMAND, MAKEWPARAM(int(w->id), int(code)), LPARAM(control));
}

std::vector<std::pair<size_t, size_t>> WrapLines(HDC dc, const std::string& text, int width)
{
  auto measure = [dc, &text](size_t start, size_t length) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str() + start, int(length), &size);
    return int(size.cx);
  };
  std::vector<std::pair<size_t, size_t>> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = at, fits = at;
    while (end < text.size() && text[end] != '\n') {
      size_t next = text.find_first_of(" \n", end + 1);
      if (next == std::string::npos)
        next = text.size();
      if (measure(at, next - at) > width && fits > at)
        break;
      fits = end = next;
    }
    lines.emplace_back(at, fits - at);
    at = fits;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\n'))
      if (text[at++] == '\n')
        break;
  }
  return lines;
}

LRESULT DefaultAndRepaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_SETTEXT || message == WM_ENABLE || message == WM_SETFONT)
    InvalidateRect(window, nullptr, TRUE);
  return result;
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  WindowRecord* w = Find(window);
  if (!w)
    return 0;
  switch (message) {
  case WM_PAINT: PaintButton(window); return 0;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK: // a double click counts as a press
    SetFocus(window);
    if (!(w = Find(window)))
      return 0;
    SetCapture(window);
    w->control.tracking = true;
    SetPushed(window, true);
    return 0;
  case WM_MOUSEMOVE:
    if (w->control.tracking)
      SetPushed(window, Inside(window, lParam));
    return 0;
  case WM_LBUTTONUP: {
    if (!w->control.tracking)
      return 0;
    w->control.tracking = false;
    const bool inside = Inside(window, lParam);
    SetPushed(window, false);
    ReleaseCapture();
    if (inside)
      Notify(window, BN_CLICKED);
    return 0;
  }
  case WM_CAPTURECHANGED:
    if (w->control.tracking) {
      w->control.tracking = false;
      SetPushed(window, false);
    }
    return 0;
  case WM_KEYDOWN:
    if (wParam == VK_SPACE)
      Notify(window, BN_CLICKED);
    return 0;
  case WM_SETFOCUS:
  case WM_KILLFOCUS: InvalidateRect(window, nullptr, TRUE); return 0;
  case BM_GETCHECK: return LRESULT(w->control.check);
  case BM_SETCHECK:
    w->control.check = UINT(wParam);
    InvalidateRect(window, nullptr, TRUE);
    return 0;
  default: return DefaultAndRepaint(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message) {
  case WM_PAINT: PaintStatic(window); return 0;
  default: return DefaultAndRepaint(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  WindowRecord* w = Find(window);
  if (!w)
    return 0;
  ControlState& c = w->control;
  switch (message) {
  case WM_PAINT: PaintEdit(window); return 0;
  case WM_SETTEXT:
    // The limit bounds typing only.
    DefWindowProcA(window, message, wParam, lParam);
    c.caret = c.anchor = 0;
    c.scroll = 0;
    Changed(window);
    return TRUE;
  case WM_CHAR: return EditChar(window, wParam);
  case WM_KEYDOWN: return EditKey(window, wParam);
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
    SetFocus(window);
    if ((w = Find(window))) {
      w->control.caret = w->control.anchor = CaretAt(window, GET_X_LPARAM(lParam));
      Moved(window);
    }
    return 0;
  case EM_SETSEL: {
    const size_t length = w->text.size();
    const intptr_t start = intptr_t(wParam), end = intptr_t(lParam);
    c.caret = end < 0 ? length : std::min(size_t(end), length);
    c.anchor = start < 0 ? c.caret : std::min(size_t(start), length);
    Moved(window);
    return 0;
  }
  case EM_GETSEL:
    if (wParam)
      *reinterpret_cast<DWORD*>(wParam) = DWORD(SelStart(c));
    if (lParam)
      *reinterpret_cast<DWORD*>(lParam) = DWORD(SelEnd(c));
    return MAKELONG(int(SelStart(c)), int(SelEnd(c)));
  case EM_LIMITTEXT: c.limit = wParam ? size_t(wParam) : size_t(0x7FFFFFFE); return 0;
  case WM_SETFOCUS:
    InvalidateRect(window, nullptr, TRUE);
    Notify(window, EN_SETFOCUS);
    return 0;
  case WM_KILLFOCUS:
    InvalidateRect(window, nullptr, TRUE);
    Notify(window, EN_KILLFOCUS);
    return 0;
  default: return DefaultAndRepaint(window, message, wParam, lParam);
  }
}

} // namespace standin::detail
