#pragma once
// Finding and loading a filter plug-in: LoadLibraryA, its property lists
// (resources of type "PIPL"), the first of kind '8BFM', interface version 4,
// the image mode's bit, and the entry point named by 'wx86'. The module is
// never unloaded.
#include "lvxtext/error.h"

#include "filterhost/filterhost.h"
#include "filterhost/pipl.h"

#include <string>

namespace lvhost {

struct LoadedPlugin {
  HMODULE module = nullptr;
  filterhost::Pipl pipl; // points into the module's resources
  std::string entryName;
  FilterEntryProc entry = nullptr;
};

// `mode` is the image mode the plug-in must support; 0 skips the check
// (for About). False with a reason for anything missing or malformed.
bool LoadPlugin(const std::string& path, int16_t mode, LoadedPlugin* plugin, lvxtext::Error* error);

} // namespace lvhost
