#include "presetstore.h"

#include "presetrecord.h"
#include "qvcommon/qvmessage.h"
#include "savepresetdialog.h"
#include "win32/registry.h"

#include <cstring>

namespace presetstore {

const char* const kPresetsKey = "Software\\Tarnwell\\Lumivex\\Presets";
const char* const kProductKey = "Software\\Tarnwell\\Lumivex\\";
const char* const kDefaultName = "Default";
const char* const kDuplicateMessage = "There is already a preset with that name.  Please choose another name.";
const char* const kSaveFailedMessage = "The preset could not be saved.";
const char* const kInvalidFileMessage = "This file is not a valid preset file.";
const char* const kWriteFailedMessage = "The preset file could not be written.";

namespace {

// The value `name` of the key when it is exactly one record long; empty
// otherwise. `missing` tells whether the value does not exist at all.
std::vector<uint8_t> ReadRecordValue(HKEY key, const char* name, bool& missing)
{
  missing = false;
  DWORD size = 0;
  const LONG sized = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
  if (sized == ERROR_FILE_NOT_FOUND)
    missing = true;
  // The size is checked before anything is allocated.
  if (sized != ERROR_SUCCESS || size != PresetRecord::kSize)
    return {};
  std::vector<uint8_t> data(PresetRecord::kSize);
  if (RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS || size != PresetRecord::kSize)
    return {};
  return data;
}

bool CloseAndFail(HKEY key)
{
  RegCloseKey(key);
  return false;
}

} // namespace

HKEY OpenPresetsKey(bool create)
{
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPresetsKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
    return key;
  if (create && RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPresetsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr) == ERROR_SUCCESS)
    return key;
  return nullptr;
}

std::vector<uint8_t> ReadPreset(HKEY presets, const char* name)
{
  if (!name)
    return {};
  bool missing = false;
  if (std::strcmp(name, kDefaultName) == 0) {
    HKEY product = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_ALL_ACCESS, &product) != ERROR_SUCCESS)
      return PresetRecord::Defaults().Bytes();
    std::vector<uint8_t> data = ReadRecordValue(product, kDefaultName, missing);
    RegCloseKey(product);
    // An installed "Default" always wins; without one the built-in serves.
    return missing ? PresetRecord::Defaults().Bytes() : data;
  }
  if (!presets)
    return {};
  return ReadRecordValue(presets, name, missing);
}

std::vector<Entry> EnumeratePresets(HKEY presets)
{
  std::vector<Entry> entries;
  if (!presets)
    return entries;
  for (DWORD index = 0;; ++index) {
    char name[kEnumNameSize];
    DWORD length = sizeof name;
    const LONG result = RegEnumValueA(presets, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA)
      continue; // a name that does not fit the buffer
    if (result != ERROR_SUCCESS)
      break;
    entries.push_back(Entry{std::string(name, length), index});
  }
  return entries;
}

bool DeletePreset(HKEY presets, const char* name)
{
  if (!presets || !name)
    return false;
  if (std::strcmp(name, kDefaultName) == 0) {
    for (const Entry& entry : EnumeratePresets(presets))
      if (entry.name == kDefaultName)
        return RegDeleteValueA(presets, kDefaultName) == ERROR_SUCCESS;
    return false;
  }
  return RegDeleteValueA(presets, name) == ERROR_SUCCESS;
}

bool NameTaken(HKEY presets, const char* name)
{
  if (!name || !*name || std::strcmp(name, kDefaultName) == 0 || std::strlen(name) >= kNameSize)
    return true;
  if (!presets)
    return false;
  DWORD size = 0;
  const LONG result = RegQueryValueExA(presets, name, nullptr, nullptr, nullptr, &size);
  return result == ERROR_SUCCESS || result == ERROR_MORE_DATA;
}

bool WritePreset(HKEY presets, const char* name, const uint8_t* data, size_t size)
{
  if (!presets || !name || (!data && size > 0) || size > 0xFFFFFFFFu)
    return false;
  return RegSetValueExA(presets, name, 0, REG_BINARY, data, static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

void ShowMessage(const char* text) { QVMessage(text, "", QVMessage::qvMessageOK); }

bool StorePreset(const char* name, const uint8_t* data, size_t size, char* nameBuffer, QVResourceFile* resources,
                 bool givenName, QVWindow* owner)
{
  HKEY key = OpenPresetsKey(true);
  if (!key) {
    ShowMessage(kSaveFailedMessage);
    return false;
  }
  char candidate[kNameSize] = "";
  if (!name) {
    if (givenName && nameBuffer)
      std::strncpy(candidate, nameBuffer, kNameSize - 1);
    else if (!SavePresetDialog(resources, owner, false).Run(candidate, sizeof candidate))
      return CloseAndFail(key);
    // Ask again, with the duplicate message first, until a free name is
    // typed or the dialog is cancelled.
    while (NameTaken(key, candidate))
      if (!SavePresetDialog(resources, owner, true).Run(candidate, sizeof candidate))
        return CloseAndFail(key);
    if (nameBuffer)
      std::memcpy(nameBuffer, candidate, std::strlen(candidate) + 1);
    name = candidate;
  }
  const bool written = WritePreset(key, name, data, size);
  RegCloseKey(key);
  if (!written)
    ShowMessage(kSaveFailedMessage);
  return written;
}

} // namespace presetstore
