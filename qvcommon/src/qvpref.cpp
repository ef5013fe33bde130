#include "qvcommon/qvpref.h"

#include "win32/registry.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

const char* const kBaseKey = "SOFTWARE\\TarnwellTest\\";
const DWORD kNameSize = 256;

bool SameName(const char* a, const char* b)
{
  for (; *a && *b; ++a, ++b) {
    const char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
    const char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
    if (x != y)
      return false;
  }
  return *a == *b;
}

} // namespace

QVPref::QVPref(const char* subKey)
{
  Initialize();
  char path[1024];
  const int length = std::snprintf(path, sizeof path, "%s%s", kBaseKey, subKey ? subKey : "");
  if (length < 0 || static_cast<size_t>(length) >= sizeof path ||
      RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &baseKey) != ERROR_SUCCESS) {
    baseKey = nullptr;
    throw -1;
  }
}

QVPref::~QVPref()
{
  if (baseKey)
    RegCloseKey(baseKey);
  if (openKeys) {
    for (KeyHolder* holder : *openKeys) {
      RegCloseKey(holder->key);
      delete holder;
    }
    delete openKeys;
  }
}

void QVPref::Initialize()
{
  baseKey = nullptr;
  openKeys = nullptr;
}

HKEY QVPref::GetRealHkey(const void* key)
{
  if (!key)
    return baseKey;
  if (openKeys)
    for (KeyHolder* holder : *openKeys)
      if (holder == key)
        return holder->key;
  return nullptr;
}

void* QVPref::OpenSubKey(const void* key, const char* name)
{
  const HKEY parent = GetRealHkey(key);
  if (!parent || !name)
    return nullptr;
  HKEY opened = nullptr;
  if (RegCreateKeyA(parent, name, &opened) != ERROR_SUCCESS)
    return nullptr;
  KeyHolder* holder = new (std::nothrow) KeyHolder{opened};
  if (!openKeys)
    openKeys = new (std::nothrow) std::vector<KeyHolder*>;
  if (!holder || !openKeys) {
    RegCloseKey(opened);
    delete holder;
    return nullptr;
  }
  try {
    openKeys->push_back(holder);
  } catch (...) {
    RegCloseKey(opened);
    delete holder;
    return nullptr;
  }
  return holder;
}

int32_t QVPref::SetKeyValue(const void* key, const char* name, const char* value)
{
  const HKEY target = GetRealHkey(key);
  if (!name || !value || !target)
    return -1;
  return RegSetValueExA(target, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                        static_cast<DWORD>(std::strlen(value)));
}

int32_t QVPref::SetKeyValue(const void* key, const char* name, uint32_t value)
{
  const HKEY target = GetRealHkey(key);
  if (!name || !target)
    return -1;
  return RegSetValueExA(target, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// Enumerates the key's values and reads the first one of that name and type
// by its index: 0 or the registry's error; -1 when there is none.
int32_t QVPref::FindValue(HKEY key, const char* name, DWORD wantedType, unsigned char* data, DWORD* size)
{
  if (!key || !name)
    return -1;
  char found[kNameSize];
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = kNameSize;
    DWORD type = REG_NONE;
    const LONG listed = RegEnumValueA(key, index, found, &nameLength, nullptr, &type, nullptr, nullptr);
    if (listed == ERROR_MORE_DATA)
      continue; // a name of 256 bytes or more cannot be the one asked for
    if (listed != ERROR_SUCCESS)
      return -1;
    if (type != wantedType || !SameName(found, name))
      continue;
    nameLength = kNameSize;
    return RegEnumValueA(key, index, found, &nameLength, nullptr, &type, data, size);
  }
}

int32_t QVPref::GetKeyValue(const void* key, const char* name, uint32_t* value)
{
  if (!value)
    return -1;
  uint32_t read = 0;
  DWORD size = sizeof read;
  const int32_t result = FindValue(GetRealHkey(key), name, REG_DWORD, reinterpret_cast<unsigned char*>(&read), &size);
  if (result == ERROR_SUCCESS)
    *value = read;
  return result;
}

int32_t QVPref::GetKeyValue(const void* key, const char* name, unsigned char* data, uint32_t& size)
{
  DWORD inOut = size;
  const int32_t result = FindValue(GetRealHkey(key), name, REG_SZ, data, &inOut);
  if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA)
    size = inOut;
  return result;
}
