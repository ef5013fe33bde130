// The windows a UI script can name (see targets.h).
#include "targets.h"

#include "win32/automation.h"

namespace lvhost {

HWND FindAboutWindow()
{
  for (const standin::TopLevelWindow& w : standin::TopLevelWindows())
    if (w.visible && w.title.empty() && (GetWindowLongA(w.handle, GWL_STYLE) & WS_POPUP))
      return w.handle;
  return nullptr;
}

uiscript::NamedTargets PluginTargets()
{
  return {
      {"main", [] { return uiscript::FindWindowTitled("Tarnwell Corporation"); }},
      {"panel", [] { return uiscript::FindWindowTitled("Lumivex"); }},
      {"about", FindAboutWindow},
  };
}

void ClickAboutWhenIdle()
{
  standin::SetIdleScript({[] {
    if (HWND about = FindAboutWindow()) {
      RECT client{};
      GetClientRect(about, &client);
      standin::Click(about, (client.right - client.left) / 2, (client.bottom - client.top) / 2);
    }
  }});
}

} // namespace lvhost
