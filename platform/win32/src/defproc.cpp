// The default window procedure.
#include "presenter.h"
#include "wm.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace standin::detail;

LRESULT SetCursorDefault(HWND window, WPARAM wParam, LPARAM lParam)
{
  const WindowRecord* w = Find(window);
  // A child asks its parent first.
  if (w->IsChild() && SendMessageA(w->parent, WM_SETCURSOR, wParam, lParam))
    return TRUE;
  if (!(w = Find(window)))
    return FALSE;
  if (LOWORD(uintptr_t(lParam)) != HTCLIENT)
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  else if (w->cls->cursor)
    SetCursor(w->cls->cursor);
  return FALSE;
}

} // namespace

extern "C" LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  WindowRecord* w = Find(window);
  if (!w)
    return 0;
  switch (message) {
  case WM_NCCREATE: {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    if (create && create->lpszName && !IS_INTRESOURCE(create->lpszName))
      w->text = create->lpszName;
    return TRUE;
  }
  case WM_SETTEXT:
    w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
    w->frameDirty = true;
    if (!w->IsChild())
      Presentation().TitleChanged(window);
    return TRUE;
  case WM_GETTEXT: {
    if (wParam == 0 || !lParam)
      return 0;
    const size_t length = std::min(w->text.size(), size_t(wParam) - 1);
    char* out = reinterpret_cast<char*>(lParam);
    std::memcpy(out, w->text.data(), length);
    out[length] = '\0';
    return LRESULT(length);
  }
  case WM_GETTEXTLENGTH: return LRESULT(w->text.size());
  case WM_CLOSE: DestroyWindow(window); return 0;
  case WM_SYSCOMMAND:
    switch (wParam & 0xFFF0) {
    case SC_CLOSE: SendMessageA(window, WM_CLOSE, 0, 0); break;
    case SC_MINIMIZE: ShowWindow(window, SW_SHOWMINIMIZED); break;
    case SC_MAXIMIZE: ShowWindow(window, SW_MAXIMIZE); break;
    case SC_RESTORE: ShowWindow(window, SW_RESTORE); break;
    default: break;
    }
    return 0;
  case WM_SYSKEYDOWN:
    if (wParam == VK_F4 && KeyIsDown(VK_MENU))
      SendMessageA(TopLevelOf(window), WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  case WM_NCLBUTTONDOWN:
    if (wParam == HTCLOSE)
      SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, lParam);
    return 0;
  case WM_ERASEBKGND: {
    const COLORREF color = BrushColor(w->cls->brush);
    if (color == CLR_INVALID)
      return 0;
    FillSolid(reinterpret_cast<HDC>(wParam), RECT{0, 0, w->ClientWidth(), w->ClientHeight()}, color);
    return 1;
  }
  case WM_PAINT: {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
  }
  case WM_WINDOWPOSCHANGED:
    SendMessageA(window, WM_SIZE,
                 w->maximized   ? SIZE_MAXIMIZED
                 : w->minimized ? SIZE_MINIMIZED
                                : SIZE_RESTORED,
                 MAKELPARAM(w->ClientWidth(), w->ClientHeight()));
    if ((w = Find(window)))
      SendMessageA(window, WM_MOVE, 0, MAKELPARAM(w->ClientPosition().x, w->ClientPosition().y));
    return 0;
  case WM_CANCELMODE:
    if (GetCapture() == window)
      ReleaseCapture();
    return 0;
  case WM_SETCURSOR: return SetCursorDefault(window, wParam, lParam);
  case WM_SETFONT: w->font = reinterpret_cast<HFONT>(wParam); return 0;
  case WM_GETFONT: return reinterpret_cast<LRESULT>(w->font);
  default: return 0;
  }
}
