#pragma once
// The presets in the registry: one REG_BINARY value per preset under
// HKEY_LOCAL_MACHINE\Software\Tarnwell\Lumivex\Presets, named after the
// preset, holding its 64-byte PresetRecord. The preset named exactly
// "Default" is not read from there but from the value "Default" of the
// product key, which only an installation writes; without one it is the
// built-in PresetRecord::Defaults().
#include "win32/types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class QVResourceFile;
class QVWindow;

namespace presetstore {

extern const char* const kPresetsKey;  // "Software\Tarnwell\Lumivex\Presets"
extern const char* const kProductKey;  // "Software\Tarnwell\Lumivex\"
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

// ---- Messages -----------------------------------------------------------------
extern const char* const kDuplicateMessage;  // "There is already a preset with that name.  Please choose another name."
extern const char* const kSaveFailedMessage; // "The preset could not be saved."
extern const char* const kInvalidFileMessage; // "This file is not a valid preset file."
extern const char* const kWriteFailedMessage; // "The preset file could not be written."
// An OK box with an empty title.
void ShowMessage(const char* text);

// ---- The store loop -------------------------------------------------------------
// Stores a preset, asking for its name when none is passed:
// - with `name`, the value of that name is written at once;
// - otherwise the candidate is the text in `nameBuffer` when `givenName` is
//   set (an import), else what the user types into the "Save Preset"
//   dialog (owned by `owner`, built from `resources`). While the candidate
//   cannot be taken (see NameTaken: a duplicate in any letter case, "",
//   "Default", over 255 characters) the duplicate message is shown and the
//   dialog asks again. Cancelling the dialog writes nothing.
// The accepted name is copied back into `nameBuffer` (kNameSize bytes) when
// one is given. The Presets key is created when missing; when it cannot be
// opened or created, or the value cannot be written, the save-failure
// message is shown. True only when the value was written.
bool StorePreset(const char* name, const uint8_t* data, size_t size, char* nameBuffer, QVResourceFile* resources,
                 bool givenName, QVWindow* owner);

} // namespace presetstore
