#pragma once
// The registry: keys and values kept in a store shared between processes.

#include "win32/types.h"

extern "C" {

// ---- Registry ---------------------------------------------------------------
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)

typedef DWORD REGSAM;
enum : DWORD {
  KEY_QUERY_VALUE = 0x0001u,
  KEY_SET_VALUE = 0x0002u,
  KEY_CREATE_SUB_KEY = 0x0004u,
  KEY_ENUMERATE_SUB_KEYS = 0x0008u,
  KEY_READ = 0x20019u,
  KEY_WRITE = 0x20006u,
  KEY_ALL_ACCESS = 0xF003Fu,
  REG_NONE = 0,
  REG_SZ = 1,
  REG_EXPAND_SZ = 2,
  REG_BINARY = 3,
  REG_DWORD = 4,
  REG_OPTION_NON_VOLATILE = 0,
  REG_CREATED_NEW_KEY = 1,
  REG_OPENED_EXISTING_KEY = 2,
};

// All return a Win32 error code (ERROR_SUCCESS on success). Key paths use
// '\' between components; key and value names compare without regard to the
// case of ASCII letters and keep the case first given.
// Limits as Windows has them: a key's name with its whole path from the root
// key ("HKEY_CURRENT_USER\Software\...") at most 255 characters, at most 512
// levels, a value name at most 16,383 characters; RegCreateKeyExA and
// RegSetValueExA refuse more with ERROR_INVALID_PARAMETER and change nothing.
// Changes are shared with other processes using the same store: a change
// that cannot take the store's lock within 10 seconds, or cannot be saved,
// fails with ERROR_WRITE_FAULT and changes nothing; a damaged store refuses
// every change with ERROR_REGISTRY_CORRUPT.
LVX_WIN32_API LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LVX_WIN32_API LONG RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result);
LVX_WIN32_API LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                                   REGSAM access, SECURITY_ATTRIBUTES* security, PHKEY result, LPDWORD disposition);
LVX_WIN32_API LONG RegCloseKey(HKEY key);
// Stores exactly the `size` bytes given.
LVX_WIN32_API LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
// ERROR_MORE_DATA with the size needed in *size when the buffer is too small;
// the buffer is then left untouched.
LVX_WIN32_API LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
// Values in insertion order. *nameLength is the buffer size in, the name's
// length out. ERROR_NO_MORE_ITEMS past the end; ERROR_MORE_DATA when the
// name or the data does not fit (then *dataSize holds the size needed).
LVX_WIN32_API LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPDWORD type,
                                 LPBYTE data, LPDWORD dataSize);
LVX_WIN32_API LONG RegDeleteValueA(HKEY key, LPCSTR name);

} // extern "C"
