#pragma once
// The filter plug-in's scripting parameters, shared by the plug-in and the
// tool that builds its terminology resource: each key, the name the terminology
// resource gives it and the type of its value. The order is the one in
// which the parameters are written and the keys offered to the host; the
// terminology lists them in an order of its own.
#include "filterhost/filterhost.h"

#include <cstddef>

struct ScriptingKey {
  uint32_t key;
  const char* name;
  uint32_t type;
};

inline constexpr ScriptingKey kScriptingKeys[] = {
    {FourCC("lvAU"), "Automatic", typeBoolean},
    {FourCC("lvSO"), "Sub-Detail", typeBoolean},
    {FourCC("lvSA"), "Sub-Detail Amount", typeInteger},
    {FourCC("lvCL"), "Color", typeInteger},
    {FourCC("lvST"), "Saturation", typeInteger},
    {FourCC("lvCT"), "Contrast", typeInteger},
    {FourCC("lvSH"), "Sharpen", typeInteger},
    {FourCC("lvAN"), "Anti-Noise", typeInteger},
    {FourCC("lvBR"), "Brightness", typeInteger},
    // The misspelling is the recorded name: recordings may refer to it.
    {FourCC("lvGA"), "Tonal Rangle", typeFloat},
    {FourCC("lvRD"), "Red", typeInteger},
    {FourCC("lvGN"), "Green", typeInteger},
    {FourCC("lvBL"), "Blue", typeInteger},
    {FourCC("lvAM"), "AntiMoire", typeBoolean},
    {FourCC("lvDS"), "Despeckle", typeBoolean},
};
inline constexpr size_t kScriptingKeyCount = sizeof kScriptingKeys / sizeof kScriptingKeys[0];
static_assert(kScriptingKeyCount == 15);
