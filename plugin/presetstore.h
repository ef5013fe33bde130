#pragma once
// The presets in the registry: one REG_BINARY value per preset under
// HKEY_LOCAL_MACHINE\Software\Tarnwell\Lumivex\Presets, named after the
// preset, holding its 64-byte PresetRecord. The preset named exactly
// "Default" is not read from there but from the value "Default" of the
// product key, which only an installation writes; without one it is the
// built-in PresetRecord::Defaults().
#include "win32/win32.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class QVResourceFile;
class QVWindow;

namespace presetstore {

extern const char* const kPresetsKey; // "Software\Tarnwell\Lumivex\Presets"
extern const char* const kProductKey; // "Software\Tarnwell\Lumivex\"
extern const char* const kDefaultName; // "Default"

enum : size_t {
  kNameSize = 256,     // a preset name and its terminator
  kEnumNameSize = 260, // the buffer enumeration reads names into
};

// The Presets key opened with KEY_ALL_ACCESS, created first when missing
// and `create` is set. Null when it cannot be opened (or created).
HKEY OpenPresetsKey(bool create);

// The stored record of the preset `name`: for exactly "Default" (letter case
// counts) the product key's value, or the built-in record when that key or
// value does not exist; for any other name the value of `presets`. Empty
// (no data) when the value cannot be read, is not exactly 64 bytes long, or
// `presets` is null for a name other than "Default".
std::vector<uint8_t> ReadPreset(HKEY presets, const char* name);

// One value of the Presets key: its name and its enumeration index.
struct Entry {
  std::string name;
  DWORD index = 0;
};
// The key's value names in enumeration order. A name too long for the
// 260-byte buffer is skipped; the enumeration stops at its end or at any
// other error. Empty for a null key.
std::vector<Entry> EnumeratePresets(HKEY presets);

// Deletes the preset `name` from `presets`. Names compare without regard to
// letter case, so for "Default" only a value stored under exactly that
// spelling is deleted (found by enumeration), never a user's "default".
// True when a value was deleted.
bool DeletePreset(HKEY presets, const char* name);

// Whether `name` cannot name a new preset: null, empty, exactly "Default"
// (which always reads the product key), longer than 255 characters, or the
// name of an existing value in any letter case. A null key takes nothing
// but those fixed cases.
bool NameTaken(HKEY presets, const char* name);

// Stores the data as the REG_BINARY value `name`. True when written.
bool WritePreset(HKEY presets, const char* name, const uint8_t* data, size_t size);

} // namespace presetstore
