// The host's use of the window layer, kept to these three functions.
#include "host.h"

#include "win32/automation.h"

namespace lvhost {
namespace {

constexpr char kWindowClass[] = "LumivexHostWindow";

} // namespace

// A visible top-level window, as an image editor's document window would
// be: the plug-in's windows take it as their parent.
HWND CreateHostWindow()
{
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
  wc.lpszClassName = kWindowClass;
  WNDCLASSEXA known{};
  known.cbSize = sizeof known;
  if (!GetClassInfoExA(nullptr, kWindowClass, &known))
    RegisterClassExA(&wc);
  return CreateWindowExA(0, kWindowClass, "lumivex-host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480,
                         nullptr, nullptr, nullptr, nullptr);
}

void DestroyHostWindow(HWND window)
{
  if (window)
    DestroyWindow(window);
}

// A deadlocked message loop is one of them.
size_t RecordedWindowFailures() { return standin::Failures().size(); }

} // namespace lvhost
