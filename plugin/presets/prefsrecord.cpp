#include "prefsrecord.h"

#include "win32/registry.h"

#include <cstring>

namespace {

const char* const kProductKey = "Software\\Tarnwell\\Lumivex";

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Replaces `field` by the value `name` when it is a 4-byte REG_DWORD.
void ReadSwitch(HKEY key, const char* name, uint32_t& field)
{
  BYTE data[4] = {};
  DWORD type = REG_NONE;
  DWORD size = sizeof data;
  if (RegQueryValueExA(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS || type != REG_DWORD ||
      size != sizeof data)
    return;
  field = static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
          (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
}

void WriteSwitch(HKEY key, const char* name, uint32_t value)
{
  const BYTE data[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                        static_cast<BYTE>(value >> 24)};
  RegSetValueExA(key, name, 0, REG_DWORD, data, sizeof data);
}

} // namespace

void PrefsRecord::SetDefaults() { *this = PrefsRecord(); }

bool PrefsRecord::UsablePrefix(const char* text, size_t length)
{
  if (!text || length > kPrefixLength)
    return false;
  for (size_t i = 0; i < length; ++i)
    if (IsSeparator(text[i]))
      return false;
  return true;
}

void PrefsRecord::SetPrefix(const char* text)
{
  size_t kept = 0;
  for (const char* p = text; p && *p && kept < kPrefixLength; ++p)
    if (!IsSeparator(*p))
      SaveNameExt[kept++] = *p;
  std::memset(SaveNameExt + kept, 0, sizeof SaveNameExt - kept);
}

void PrefsRecord::Load()
{
  SetDefaults();
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return;
  ReadSwitch(key, "AutoDragDrop", AutoDragDrop);
  ReadSwitch(key, "AutoOverwrite", AutoOverwrite);
  ReadSwitch(key, "AutoSave", AutoSave);
  ReadSwitch(key, "DrawBkg", DrawBkg);
  // Nine characters and a terminator; a longer value does not fit and is
  // not taken.
  char text[kPrefixLength + 1] = {};
  DWORD type = REG_NONE;
  DWORD size = sizeof text;
  if (RegQueryValueExA(key, "SaveNameExt", nullptr, &type, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    const size_t length = strnlen(text, size);
    if (UsablePrefix(text, length)) {
      std::memset(SaveNameExt, 0, sizeof SaveNameExt);
      std::memcpy(SaveNameExt, text, length);
    }
  }
  RegCloseKey(key);
}

void PrefsRecord::Save() const
{
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS &&
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  WriteSwitch(key, "AutoSave", AutoSave);
  const size_t length = strnlen(SaveNameExt, sizeof SaveNameExt - 1);
  RegSetValueExA(key, "SaveNameExt", 0, REG_SZ, reinterpret_cast<const BYTE*>(SaveNameExt),
                 static_cast<DWORD>(length + 1));
  WriteSwitch(key, "DrawBkg", DrawBkg);
  WriteSwitch(key, "AutoDragDrop", AutoDragDrop);
  WriteSwitch(key, "AutoOverwrite", AutoOverwrite);
  RegCloseKey(key);
}
