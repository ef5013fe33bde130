// LumivexPI's application: installed in the bridge's seam when the module
// loads, so that every Start runs the application object.
#include "lumivexapp.h"

namespace {

struct Install {
  Install() { InstallApplicationHooks(&hooks); }
  LumivexAppHooks hooks;
} g_install;

} // namespace
