#pragma once
// Helpers for the window-manager tests: a window class whose procedure each
// test steers per window, windows made in one line, and the message trace.
#include "win32/automation.h"
#include "win32/drawing.h"
#include "win32/gdi.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <vector>

// A handler that answers a message (a value) or leaves it to the default.
using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

inline std::map<HWND, Handler>& Handlers()
{
  static std::map<HWND, Handler> handlers;
  return handlers;
}
// Windows that paint their whole client area in one colour.
inline std::map<HWND, COLORREF>& PaintColors()
{
  static std::map<HWND, COLORREF> colors;
  return colors;
}

inline void FillClient(HDC dc, HWND window, COLORREF color)
{
  RECT client;
  GetClientRect(window, &client);
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
}

inline LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (auto it = Handlers().find(window); it != Handlers().end())
    if (std::optional<LRESULT> result = it->second(window, message, wParam, lParam))
      return *result;
  if (auto it = PaintColors().find(window); message == WM_PAINT && it != PaintColors().end()) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    FillClient(dc, window, it->second);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// "Probe" (double clicks, white brush) and "Plain" (neither).
inline void RegisterProbes()
{
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = ProbeProc;
  wc.hbrBackground = CreateSolidBrush(RGB(255, 255, 255));
  wc.hCursor = LoadCursorA(nullptr, IDC_CROSS);
  wc.lpszClassName = "Probe";
  RegisterClassExA(&wc);
  wc.style = 0;
  wc.hbrBackground = nullptr;
  wc.hCursor = nullptr;
  wc.lpszClassName = "Plain";
  RegisterClassExA(&wc);
}

inline HWND Top(int x, int y, int w, int h, DWORD style = WS_POPUP | WS_VISIBLE, HWND owner = nullptr, DWORD ex = 0,
                const char* cls = "Probe")
{
  return CreateWindowExA(ex, cls, "Top", style, x, y, w, h, owner, nullptr, nullptr, nullptr);
}

inline HWND Child(HWND parent, int x, int y, int w, int h, DWORD style = WS_CHILD | WS_VISIBLE, int id = 0,
                  const char* cls = "Probe")
{
  return CreateWindowExA(0, cls, "Child", style, x, y, w, h, parent, reinterpret_cast<HMENU>(intptr_t(id)), nullptr,
                         nullptr);
}

// The traced messages for one window (all windows when null), in order.
inline std::vector<UINT> MessagesTo(HWND window, std::initializer_list<UINT> only = {})
{
  std::vector<UINT> out;
  for (const standin::TracedMessage& m : standin::MessageTrace())
    if ((!window || m.window == window) &&
        (only.size() == 0 || std::find(only.begin(), only.end(), m.message) != only.end()))
      out.push_back(m.message);
  return out;
}

// The traced (window, message) pairs among the given messages.
inline std::vector<std::pair<HWND, UINT>> Sequence(std::initializer_list<UINT> only)
{
  std::vector<std::pair<HWND, UINT>> out;
  for (const standin::TracedMessage& m : standin::MessageTrace())
    if (std::find(only.begin(), only.end(), m.message) != only.end())
      out.emplace_back(m.window, m.message);
  return out;
}

inline const standin::TracedMessage* LastTo(HWND window, UINT message)
{
  const standin::TracedMessage* found = nullptr;
  for (const standin::TracedMessage& m : standin::MessageTrace())
    if (m.window == window && m.message == message)
      found = &m;
  return found;
}

class WindowTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    RegisterProbes();
    standin::TraceMessages(true);
  }
  void TearDown() override
  {
    standin::Reset();
    Handlers().clear();
    PaintColors().clear();
  }
};
