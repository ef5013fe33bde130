#pragma once
// How the application's windows reach the host bridge and the preferences
// until the application object exists: through two process-wide pointers,
// null until set. With no bridge, every step that asks the bridge for
// something is skipped and the bridge's mode counts as 1 (the filter
// plug-in); with no preferences the preferences window cannot open.
class AppShell;
struct PrefsRecord;

// The bridge; null when none is set.
AppShell* CurrentBridge();
// The preferences record; null when none is set.
PrefsRecord* CurrentPreferences();
// Sets both (either may be null); neither is owned.
void SetApplicationAccess(AppShell* bridge, PrefsRecord* preferences);
