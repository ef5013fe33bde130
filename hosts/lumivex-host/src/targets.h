#pragma once
// The windows of LumivexPI that a UI script names: `main` (the visible
// start window "Tarnwell Corporation"), `panel` (the visible control panel
// "Lumivex") and `about` (the topmost visible untitled popup, which is the
// about window while one is open).
#include "uiscript/uiscript.h"

namespace lvhost {

uiscript::NamedTargets PluginTargets();
// The about window; null when none is open.
HWND FindAboutWindow();
// One idle step that clicks the centre of the about window (nothing when
// none is open), so that an About run ends without a script.
void ClickAboutWhenIdle();

} // namespace lvhost
