// Module resources: each module registers its compiled-in table at load;
// lookups search the table of the module asked for. Also the cursors and
// icons made from those tables and the system's own.
#include "handles.h"
#include "presenter.h"
#include "text.h"
#include "win32/automation.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <map>
#include <sys/auxv.h>
#include <tuple>

namespace {

using standin::ResourceEntry;
using standin::ResourceTable;
using standin::detail::Fail;

std::map<HINSTANCE, std::vector<const ResourceTable*>>& Modules()
{
  static auto* modules = new std::map<HINSTANCE, std::vector<const ResourceTable*>>;
  return *modules;
}

// A resource name or type: an integer id, or a string compared without
// regard to case. "#123" is the id 123.
struct ResName {
  WORD id = 0;
  std::string text;
};

ResName ParseName(const char* name, WORD id)
{
  ResName result;
  if (!name) {
    result.id = id;
    return result;
  }
  if (name[0] == '#' && name[1] && std::strlen(name + 1) <= 5 &&
      std::strspn(name + 1, "0123456789") == std::strlen(name + 1)) {
    const long value = std::strtol(name + 1, nullptr, 10);
    if (value >= 1 && value <= 65535) {
      result.id = static_cast<WORD>(value);
      return result;
    }
  }
  result.text = name;
  return result;
}

ResName ParseArgument(LPCSTR name)
{
  return IS_INTRESOURCE(name) ? ParseName(nullptr, static_cast<WORD>(reinterpret_cast<uintptr_t>(name)))
                              : ParseName(name, 0);
}

bool SameName(const ResName& a, const ResName& b)
{
  return a.text.empty() && b.text.empty() ? a.id == b.id && a.id != 0
                                          : standin::detail::EqualNoCase(a.text, b.text) && !a.text.empty();
}

HINSTANCE Resolve(HINSTANCE module) { return module ? module : standin::MainModule(); }

// The entry of `module` with that type and name; sets the last error when
// there is none.
const ResourceEntry* FindEntry(HINSTANCE module, const ResName& name, const ResName& type)
{
  auto it = Modules().find(Resolve(module));
  if (it == Modules().end())
    return Fail(ERROR_RESOURCE_DATA_NOT_FOUND, static_cast<const ResourceEntry*>(nullptr));
  bool typeSeen = false;
  for (const ResourceTable* table : it->second) {
    for (size_t i = 0; i < table->count; ++i) {
      const ResourceEntry& entry = table->entries[i];
      if (!SameName(ParseName(entry.typeName, entry.typeId), type))
        continue;
      typeSeen = true;
      if (SameName(ParseName(entry.name, entry.id), name))
        return &entry;
    }
  }
  return Fail(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND,
              static_cast<const ResourceEntry*>(nullptr));
}

// Resource handles: one per entry, made on first use.
struct ResourceRef {
  const ResourceTable* table = nullptr;
  const ResourceEntry* entry = nullptr;
};
standin::detail::HandleTable<ResourceRef>& ResourceHandles()
{
  static auto* handles = new standin::detail::HandleTable<ResourceRef>;
  return *handles;
}
std::map<const ResourceEntry*, uintptr_t>& HandleOfEntry()
{
  static auto* byEntry = new std::map<const ResourceEntry*, uintptr_t>;
  return *byEntry;
}

const ResourceTable* TableOf(HINSTANCE module, const ResourceEntry* entry)
{
  auto it = Modules().find(Resolve(module));
  if (it != Modules().end())
    for (const ResourceTable* table : it->second)
      if (entry >= table->entries && entry < table->entries + table->count)
        return table;
  return nullptr;
}

// ---- Cursors and icons ------------------------------------------------------

struct CursorObject {
  standin::CursorInfo info;
  const ResourceTable* table = nullptr; // null for the system's own
  const ResourceEntry* entry = nullptr; // the cursor resource, for the presenter
};
standin::detail::HandleTable<CursorObject>& Cursors()
{
  static auto* cursors = new standin::detail::HandleTable<CursorObject>;
  return *cursors;
}
// (module, icon?, id, lower-cased name) -> handle, so a cursor loads once.
using CursorKey = std::tuple<HINSTANCE, bool, WORD, std::string>;
std::map<CursorKey, uintptr_t>& CursorCache()
{
  static auto* cache = new std::map<CursorKey, uintptr_t>;
  return *cache;
}
standin::CursorInfo& Current()
{
  static auto* current = new standin::CursorInfo;
  return *current;
}

const WORD kSystemCursors[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                               32644, 32645, 32646, 32648, 32649, 32650};
const WORD kSystemIcons[] = {32512, 32513, 32514, 32515, 32516, 32517};

HICON LoadShared(HINSTANCE module, LPCSTR nameArgument, bool icon)
{
  const ResName name = ParseArgument(nameArgument);
  std::string lower = name.text;
  std::transform(lower.begin(), lower.end(), lower.begin(), standin::detail::AsciiLower);
  const CursorKey key{module, icon, name.id, lower};
  auto cached = CursorCache().find(key);
  if (cached != CursorCache().end())
    return reinterpret_cast<HICON>(cached->second);
  CursorObject object;
  object.info.module = module;
  object.info.id = name.id;
  object.info.name = name.text;
  if (!module) {
    const WORD* begin = icon ? std::begin(kSystemIcons) : std::begin(kSystemCursors);
    const WORD* end = icon ? std::end(kSystemIcons) : std::end(kSystemCursors);
    if (!name.text.empty() || std::find(begin, end, name.id) == end)
      return Fail(ERROR_RESOURCE_NAME_NOT_FOUND, HICON(nullptr));
  } else {
    const ResourceEntry* entry = FindEntry(module, name, ParseArgument(icon ? RT_ICON : RT_CURSOR));
    if (!entry)
      return nullptr;
    object.table = TableOf(module, entry);
    object.entry = entry;
  }
  const uintptr_t handle = Cursors().Add(object);
  Cursors().Find(reinterpret_cast<void*>(handle))->info.handle = reinterpret_cast<HCURSOR>(handle);
  CursorCache()[key] = handle;
  return reinterpret_cast<HICON>(handle);
}

} // namespace

namespace standin {

void RegisterResources(HINSTANCE module, const ResourceTable* table)
{
  if (table)
    Modules()[module].push_back(table);
}

void UnregisterResources(HINSTANCE module, const ResourceTable* table)
{
  auto it = Modules().find(module);
  if (it == Modules().end())
    return;
  auto& tables = it->second;
  tables.erase(std::remove(tables.begin(), tables.end(), table), tables.end());
  if (tables.empty())
    Modules().erase(it);
  // Handles into the table become stale.
  for (auto ref = ResourceHandles().Items().begin(); ref != ResourceHandles().Items().end();) {
    if (ref->second.table == table) {
      HandleOfEntry().erase(ref->second.entry);
      ref = ResourceHandles().Items().erase(ref);
    } else {
      ++ref;
    }
  }
  for (auto cursor = Cursors().Items().begin(); cursor != Cursors().Items().end();) {
    if (cursor->second.table == table) {
      for (auto cached = CursorCache().begin(); cached != CursorCache().end();)
        cached = cached->second == cursor->first ? CursorCache().erase(cached) : std::next(cached);
      cursor = Cursors().Items().erase(cursor);
    } else {
      ++cursor;
    }
  }
}

HINSTANCE MainModule()
{
  static const HINSTANCE main = [] {
    Dl_info info{};
    const auto entry = reinterpret_cast<void*>(getauxval(AT_ENTRY));
    return entry && dladdr(entry, &info) ? static_cast<HINSTANCE>(info.dli_fbase) : HINSTANCE(nullptr);
  }();
  return main;
}

CursorInfo CurrentCursor() { return Current(); }

} // namespace standin

extern "C" {

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type)
{
  const ResourceEntry* entry = FindEntry(module, ParseArgument(name), ParseArgument(type));
  if (!entry)
    return nullptr;
  auto known = HandleOfEntry().find(entry);
  if (known != HandleOfEntry().end())
    return reinterpret_cast<HRSRC>(known->second);
  const uintptr_t handle = ResourceHandles().Add(ResourceRef{TableOf(module, entry), entry});
  HandleOfEntry()[entry] = handle;
  return reinterpret_cast<HRSRC>(handle);
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
  const ResourceRef* ref = ResourceHandles().Find(resource);
  return ref ? static_cast<DWORD>(ref->entry->size) : Fail(ERROR_INVALID_HANDLE, DWORD(0));
}

HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
  return ResourceHandles().Find(resource) ? static_cast<HGLOBAL>(resource)
                                          : Fail(ERROR_INVALID_HANDLE, HGLOBAL(nullptr));
}

LPVOID LockResource(HGLOBAL resource)
{
  const ResourceRef* ref = ResourceHandles().Find(resource);
  if (!ref)
    return Fail(ERROR_INVALID_HANDLE, LPVOID(nullptr));
  return const_cast<unsigned char*>(ref->entry->data);
}

BOOL FreeResource(HGLOBAL) { return FALSE; }

int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size)
{
  if (!buffer || size <= 0 || id == 0 || id > 0xFFFF)
    return Fail(ERROR_INVALID_PARAMETER, 0);
  const ResourceEntry* entry = FindEntry(module, ParseName(nullptr, static_cast<WORD>(id)), ParseArgument(RT_STRING));
  if (!entry)
    return 0;
  const size_t count = std::min(entry->size, static_cast<size_t>(size - 1));
  std::memcpy(buffer, entry->data, count);
  buffer[count] = '\0';
  return static_cast<int>(count);
}

HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name) { return LoadShared(module, name, false); }

HICON LoadIconA(HINSTANCE module, LPCSTR name) { return LoadShared(module, name, true); }

HCURSOR SetCursor(HCURSOR cursor)
{
  const HCURSOR previous = Current().handle;
  if (!cursor) {
    Current() = standin::CursorInfo{};
    return previous;
  }
  const CursorObject* object = Cursors().Find(cursor);
  if (!object)
    return Fail(ERROR_INVALID_CURSOR_HANDLE, HCURSOR(nullptr));
  Current() = object->info;
  standin::detail::CursorSource source;
  source.handle = cursor;
  if (object->entry) {
    source.resourceId = object->info.id;
    source.dib = object->entry->data;
    source.dibSize = object->entry->size;
    source.hotX = object->entry->hotX;
    source.hotY = object->entry->hotY;
  } else {
    source.systemId = object->info.id;
  }
  standin::detail::Presentation().CursorChanged(source);
  return previous;
}

BOOL DestroyCursor(HCURSOR cursor) { return Cursors().Find(cursor) ? TRUE : Fail(ERROR_INVALID_CURSOR_HANDLE, FALSE); }

} // extern "C"

// ---- Enumeration ------------------------------------------------------------

extern "C" BOOL EnumResourceNamesA(HMODULE module, LPCSTR type, ENUMRESNAMEPROCA proc, LONG_PTR param)
{
  if (!proc)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  auto it = Modules().find(Resolve(module));
  const ResName wanted = ParseArgument(type);
  bool found = false;
  if (it != Modules().end()) {
    for (const ResourceTable* table : it->second) {
      for (size_t i = 0; i < table->count; ++i) {
        const ResourceEntry& entry = table->entries[i];
        if (!SameName(ParseName(entry.typeName, entry.typeId), wanted))
          continue;
        found = true;
        LPSTR name = entry.name ? const_cast<LPSTR>(entry.name) : MAKEINTRESOURCEA(entry.id);
        if (!proc(module, type, name, param))
          return Fail(ERROR_RESOURCE_ENUM_USER_STOP, FALSE);
      }
    }
  }
  return found ? TRUE : Fail(ERROR_RESOURCE_TYPE_NOT_FOUND, FALSE);
}
