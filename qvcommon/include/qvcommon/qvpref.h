#pragma once
#include "qvcommon/qvdefs.h"

#include <vector>

// A preference store under HKEY_LOCAL_MACHINE "SOFTWARE\TarnwellTest\<sub-key>".
// Key arguments are null for the base key, or a holder returned by
// OpenSubKey; any other value is refused.
class QVCOMMON_API QVPref {
public:
  // Throws the int -1 when the base key cannot be created.
  explicit QVPref(const char* subKey);
  QVPref(const QVPref&) = delete;
  QVPref& operator=(const QVPref&) = delete;
  virtual ~QVPref();

  // REG_SZ of strlen (value) bytes, without terminator. -1 for a null name
  // or value or a refused key, else the registry's result.
  virtual int32_t SetKeyValue(const void* key, const char* name, const char* value);
  // REG_DWORD. -1 for a null name or a refused key, else the registry's result.
  virtual int32_t SetKeyValue(const void* key, const char* name, uint32_t value);
  // The first REG_DWORD value whose name matches without regard to case:
  // 0, or the registry's error. -1 (value untouched) when there is none.
  virtual int32_t GetKeyValue(const void* key, const char* name, uint32_t* value);
  // The same for REG_SZ values; size is the buffer size in and the data size
  // out. A buffer too small gives ERROR_MORE_DATA with the size needed and
  // leaves the data untouched.
  virtual int32_t GetKeyValue(const void* key, const char* name, unsigned char* data, uint32_t& size);
  // Creates or opens `name` below the key; the holder stays valid until this
  // store is destroyed. Null on failure.
  virtual void* OpenSubKey(const void* key, const char* name);
  // The registry key a key argument stands for; null when refused.
  virtual HKEY GetRealHkey(const void* key);
  virtual void Initialize();

private:
  struct KeyHolder {
    HKEY key = nullptr;
  };
  int32_t FindValue(HKEY key, const char* name, DWORD type, unsigned char* data, DWORD* size);

  HKEY baseKey = nullptr;
  std::vector<KeyHolder*>* openKeys = nullptr;
};
