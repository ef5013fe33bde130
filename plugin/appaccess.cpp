#include "appaccess.h"

namespace {

AppShell* g_bridge = nullptr;
PrefsRecord* g_preferences = nullptr;

} // namespace

AppShell* CurrentBridge() { return g_bridge; }
PrefsRecord* CurrentPreferences() { return g_preferences; }

void SetApplicationAccess(AppShell* bridge, PrefsRecord* preferences)
{
  g_bridge = bridge;
  g_preferences = preferences;
}
