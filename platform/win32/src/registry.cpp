// The registry's Win32 calls. The store is one text file per user, shared
// by every process that uses it: each change takes an exclusive lock on a
// lock file beside the store, reads the file again when another process saved
// it since, applies the one change and replaces the file atomically. Reads
// look at the file's stamp first and read it again when it changed. Key
// handles name their key by path, so they survive every reload.
#include "handles.h"
#include "registry_store.h"
#include "text.h"
#include "win32/automation.h"
#include "win32/replacementfile.h"
#include "win32/textfile.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using standin::detail::EqualNoCase;
using standin::detail::FileStamp;
using standin::detail::FindChild;
using standin::detail::FindValue;
using standin::detail::RegKey;
using standin::detail::RegTree;
using standin::detail::RegValue;
using standin::detail::Walk;

struct State {
  bool loaded = false;  // path and tree are current as of `stamp`
  bool stale = false;   // the tree holds a change that was not saved
  bool corrupt = false; // the file at `stamp` is damaged; changes are refused
  std::string path;
  FileStamp stamp;
  std::unique_ptr<RegTree> tree = std::make_unique<RegTree>();
};
State& Registry()
{
  static auto* state = new State;
  return *state;
}

int g_lockTimeoutMs = 10000;

// An open key: its root, the stored names of its path, the access granted.
struct OpenKey {
  int root = 0;
  std::vector<std::string> path;
  REGSAM access = 0;
};
standin::detail::HandleTable<OpenKey>& OpenKeys()
{
  static auto* keys = new standin::detail::HandleTable<OpenKey>;
  return *keys;
}

// ---- Locating keys and values ----------------------------------------------

std::vector<std::string> SplitKeyPath(const char* subKey)
{
  std::vector<std::string> parts;
  if (!subKey)
    return parts;
  std::string part;
  for (const char* c = subKey; *c; ++c) {
    if (*c == '\\') {
      if (!part.empty())
        parts.push_back(part);
      part.clear();
    } else {
      part += *c;
    }
  }
  if (!part.empty())
    parts.push_back(part);
  return parts;
}

// The key a handle stands for (roots have every right).
bool Lookup(HKEY handle, OpenKey& key)
{
  for (int root = 0; root < 2; ++root) {
    if (handle == (root == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER)) {
      key = OpenKey{root, {}, KEY_ALL_ACCESS};
      return true;
    }
  }
  const OpenKey* open = OpenKeys().Find(handle);
  if (open)
    key = *open;
  return open != nullptr;
}

// ---- The store file -----------------------------------------------------------

std::string StorePath()
{
  const char* explicitPath = std::getenv("LUMIVEX_REGISTRY");
  if (explicitPath && *explicitPath)
    return explicitPath;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config)
    return std::string(config) + "/lumivex/registry";
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = getpwuid(getuid());
    home = user ? user->pw_dir : "/";
  }
  return std::string(home) + "/.config/lumivex/registry";
}

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void MakeFolders(const std::string& folder)
{
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string prefix = folder.substr(0, slash);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
      return;
    if (slash == std::string::npos)
      return;
  }
}

// Reads the store file at `state.path` into a fresh tree. A file that cannot
// be read, is too large or is damaged is reported on stderr, left untouched,
// and leaves the process with an empty store that refuses changes.
void Load(State& state)
{
  state.loaded = true;
  state.stale = false;
  state.corrupt = false;
  state.stamp = FileStamp{};
  state.tree = std::make_unique<RegTree>();
  auto refuse = [&](const std::string& where, const std::string& why) {
    state.corrupt = true;
    std::fprintf(stderr, "registry: %s: %s; the file is left untouched and changes are refused\n", where.c_str(),
                 why.c_str());
  };
  std::string text;
  std::string why;
  struct stat st;
  if (!standin::ReadTextFile(state.path, standin::detail::kMaxStoreBytes, &text, &why, &st)) {
    if (errno != ENOENT)
      refuse(state.path, why);
    return;
  }
  state.stamp = FileStamp{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
  int line = 0;
  std::string error;
  if (!standin::detail::Parse(text, *state.tree, line, error)) {
    state.tree = std::make_unique<RegTree>();
    refuse(state.path + ":" + std::to_string(line), error);
  }
}

// Brings the tree up to date with the store file: read at first use, after
// RegistryReload, after a failed save, and whenever another process saved.
void Refresh()
{
  State& state = Registry();
  if (!state.loaded) {
    state.path = StorePath();
    Load(state);
  } else if (state.stale || !(standin::detail::StampOf(state.path) == state.stamp)) {
    Load(state);
  }
}

// Takes the exclusive lock on `fd`, waiting up to the lock timeout. A lock
// holder that dies releases the lock with its death.
bool TakeLock(int fd)
{
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_lockTimeoutMs);
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
      return true;
    if (errno != EWOULDBLOCK && errno != EINTR)
      return false;
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Under the lock: the whole text goes to a temporary file beside the store,
// is synced and renamed over the store, and the folder is synced, so the
// store file is always either the old or the new whole text. A killed save
// leaves at most its temporary file, which the next save removes. A save
// is never cut short by Ctrl-C: the change it holds is already made.
bool Save(const std::string& path, const std::string& text)
{
  if (text.size() > standin::detail::kMaxStoreBytes)
    return false;
  return standin::WriteWholeFile(path, text, nullptr, standin::ReplacementFile::Options{false, 0600});
}

// Runs one change under the store's lock on the freshest contents; when it
// changed something, the store file is rewritten before the lock is let go.
// A change that cannot be saved is dropped (the tree is read again).
template <class Change>
LONG Modify(Change change)
{
  State& state = Registry();
  const std::string folder = FolderOf(state.path);
  MakeFolders(folder);
  const int lock = open((folder + "/registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock < 0)
    return ERROR_WRITE_FAULT;
  if (!TakeLock(lock)) {
    close(lock);
    return ERROR_WRITE_FAULT;
  }
  Refresh();
  LONG result = ERROR_REGISTRY_CORRUPT;
  if (!state.corrupt) {
    bool changed = false;
    result = change(*state.tree, changed);
    if (result == ERROR_SUCCESS && changed) {
      if (Save(state.path, standin::detail::Serialize(*state.tree))) {
        state.stamp = standin::detail::StampOf(state.path);
      } else {
        state.stale = true;
        result = ERROR_WRITE_FAULT;
      }
    }
  }
  close(lock); // releases the lock
  return result;
}

HKEY NewKeyHandle(const OpenKey& key) { return reinterpret_cast<HKEY>(OpenKeys().Add(key)); }

// The names of `path` as the tree stores them (the case first given).
std::vector<std::string> StoredNames(RegTree& tree, int root, const std::vector<std::string>& path)
{
  std::vector<std::string> names;
  RegKey* key = &tree.roots[root];
  for (const std::string& part : path) {
    key = FindChild(*key, part);
    if (!key)
      break;
    names.push_back(key->name);
  }
  return names;
}

// The open key behind a handle, which must carry `right` (none when 0);
// the tree is then up to date with the store file.
LONG Use(HKEY handle, REGSAM right, OpenKey& key)
{
  if (!Lookup(handle, key))
    return ERROR_INVALID_HANDLE;
  if (right && !(key.access & right))
    return ERROR_ACCESS_DENIED;
  Refresh();
  return ERROR_SUCCESS;
}

RegTree& Tree() { return *Registry().tree; }

// The value data under the Win32 size rules: ERROR_MORE_DATA with the size
// needed, and the buffer untouched, when it does not fit.
LONG CopyData(const RegValue& value, LPDWORD type, LPBYTE data, LPDWORD size)
{
  if (type)
    *type = value.type;
  const DWORD needed = static_cast<DWORD>(value.data.size());
  if (data && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data)
    std::memcpy(data, value.data.data(), needed);
  if (size)
    *size = needed;
  return ERROR_SUCCESS;
}

std::string NameOrEmpty(LPCSTR name) { return name ? name : ""; }

} // namespace

namespace standin {
void RegistryReload() { Registry().loaded = false; }
std::string RegistryPath() { return Registry().loaded ? Registry().path : StorePath(); }
void SetRegistryLockTimeout(int milliseconds) { g_lockTimeoutMs = milliseconds < 0 ? 10000 : milliseconds; }
} // namespace standin

extern "C" {

LONG RegOpenKeyExA(HKEY handle, LPCSTR subKey, DWORD, REGSAM access, PHKEY result)
{
  OpenKey base;
  if (!result)
    return ERROR_INVALID_PARAMETER;
  if (const LONG error = Use(handle, 0, base))
    return error;
  OpenKey opened{base.root, base.path, access};
  for (const std::string& part : SplitKeyPath(subKey))
    opened.path.push_back(part);
  if (!Walk(Tree(), opened.root, opened.path))
    return ERROR_FILE_NOT_FOUND;
  opened.path = StoredNames(Tree(), opened.root, opened.path);
  *result = NewKeyHandle(opened);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY handle, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access, SECURITY_ATTRIBUTES*, PHKEY result,
                     LPDWORD disposition)
{
  OpenKey base;
  if (!result)
    return ERROR_INVALID_PARAMETER;
  if (const LONG error = Use(handle, 0, base))
    return error;
  OpenKey opened{base.root, base.path, access};
  for (const std::string& part : SplitKeyPath(subKey))
    opened.path.push_back(part);
  // Windows' limits: the whole name from the root, and the depth.
  if (opened.path.size() > standin::detail::kMaxDepth ||
      standin::detail::KeyPathLength(opened.root, opened.path) > standin::detail::kMaxKeyPath)
    return ERROR_INVALID_PARAMETER;
  if (!Walk(Tree(), base.root, base.path))
    return ERROR_KEY_DELETED;
  bool created = false;
  if (!Walk(Tree(), opened.root, opened.path)) {
    if (!(base.access & KEY_CREATE_SUB_KEY))
      return ERROR_ACCESS_DENIED;
    const LONG made = Modify([&](RegTree& tree, bool& changed) {
      RegKey* key = Walk(tree, base.root, base.path);
      if (!key)
        return LONG(ERROR_KEY_DELETED);
      for (size_t i = base.path.size(); i < opened.path.size(); ++i) {
        RegKey* child = FindChild(*key, opened.path[i]);
        if (!child) {
          key->children.push_back(std::make_unique<RegKey>(opened.path[i]));
          child = key->children.back().get();
          changed = created = true;
        }
        key = child;
      }
      return LONG(ERROR_SUCCESS);
    });
    if (made != ERROR_SUCCESS)
      return made;
  }
  opened.path = StoredNames(Tree(), opened.root, opened.path);
  *result = NewKeyHandle(opened);
  if (disposition)
    *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LONG RegCreateKeyA(HKEY handle, LPCSTR subKey, PHKEY result)
{
  return RegCreateKeyExA(handle, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, result, nullptr);
}

LONG RegCloseKey(HKEY handle)
{
  if (handle == HKEY_LOCAL_MACHINE || handle == HKEY_CURRENT_USER)
    return ERROR_SUCCESS;
  return OpenKeys().Remove(handle) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegSetValueExA(HKEY handle, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
  OpenKey target;
  if (const LONG error = Use(handle, KEY_SET_VALUE, target))
    return error;
  const std::string valueName = NameOrEmpty(name);
  if ((!data && size > 0) || valueName.size() > standin::detail::kMaxValueName)
    return ERROR_INVALID_PARAMETER;
  return Modify([&](RegTree& tree, bool& changed) {
    RegKey* found = Walk(tree, target.root, target.path);
    if (!found)
      return LONG(ERROR_KEY_DELETED);
    std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
    if (RegValue* value = FindValue(*found, valueName)) {
      value->type = type;
      value->data = std::move(bytes);
    } else {
      found->values.push_back(RegValue{valueName, type, std::move(bytes)});
    }
    changed = true;
    return LONG(ERROR_SUCCESS);
  });
}

LONG RegQueryValueExA(HKEY handle, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
  OpenKey key;
  if (const LONG error = Use(handle, KEY_QUERY_VALUE, key))
    return error;
  if (data && !size)
    return ERROR_INVALID_PARAMETER;
  RegKey* found = Walk(Tree(), key.root, key.path);
  if (!found)
    return ERROR_KEY_DELETED;
  const RegValue* value = FindValue(*found, NameOrEmpty(name));
  return value ? CopyData(*value, type, data, size) : LONG(ERROR_FILE_NOT_FOUND);
}

LONG RegEnumValueA(HKEY handle, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD, LPDWORD type, LPBYTE data,
                   LPDWORD dataSize)
{
  OpenKey key;
  if (const LONG error = Use(handle, KEY_QUERY_VALUE, key))
    return error;
  if (!name || !nameLength || (data && !dataSize))
    return ERROR_INVALID_PARAMETER;
  RegKey* found = Walk(Tree(), key.root, key.path);
  if (!found)
    return ERROR_KEY_DELETED;
  if (index >= found->values.size())
    return ERROR_NO_MORE_ITEMS;
  const RegValue& value = found->values[index];
  if (*nameLength < value.name.size() + 1)
    return ERROR_MORE_DATA;
  std::memcpy(name, value.name.c_str(), value.name.size() + 1);
  *nameLength = static_cast<DWORD>(value.name.size());
  return CopyData(value, type, data, dataSize);
}

LONG RegDeleteValueA(HKEY handle, LPCSTR name)
{
  OpenKey target;
  if (const LONG error = Use(handle, KEY_SET_VALUE, target))
    return error;
  const std::string wanted = NameOrEmpty(name);
  return Modify([&](RegTree& tree, bool& changed) {
    RegKey* found = Walk(tree, target.root, target.path);
    if (!found)
      return LONG(ERROR_KEY_DELETED);
    for (auto it = found->values.begin(); it != found->values.end(); ++it) {
      if (EqualNoCase(it->name, wanted)) {
        found->values.erase(it);
        changed = true;
        return LONG(ERROR_SUCCESS);
      }
    }
    return LONG(ERROR_FILE_NOT_FOUND);
  });
}

} // extern "C"
