#pragma once
// Internal to the stand-in: handle values and the last-error slot.
#include "win32/types.h"

#include <cstdint>
#include <map>
#include <utility>

namespace standin::detail {

// A fresh handle value. All kinds of object draw from one counter, so a value
// is never reused and never valid for two kinds. Values are 3 modulo 4: never
// an aligned heap address, never null, never a registry root.
uintptr_t NewHandleValue();

inline uintptr_t HandleKey(const void* handle) { return reinterpret_cast<uintptr_t>(handle); }

// Objects of one kind by handle value.
template <class T>
class HandleTable {
public:
  uintptr_t Add(T item)
  {
    const uintptr_t value = NewHandleValue();
    items_.emplace(value, std::move(item));
    return value;
  }
  T* Find(const void* handle)
  {
    auto it = items_.find(HandleKey(handle));
    return it == items_.end() ? nullptr : &it->second;
  }
  bool Remove(const void* handle) { return items_.erase(HandleKey(handle)) != 0; }
  std::map<uintptr_t, T>& Items() { return items_; }

private:
  std::map<uintptr_t, T> items_;
};

// Sets the last error and returns `result`, for one-line failure returns.
template <class R>
R Fail(DWORD error, R result)
{
  SetLastError(error);
  return result;
}

} // namespace standin::detail
