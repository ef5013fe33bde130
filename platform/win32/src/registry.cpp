// The registry: one text file per user, read at first use and rewritten
// atomically after every change. Key handles name their key by path, so they
// survive a reload of the store.
#include "handles.h"
#include "text.h"
#include "lvxtext/linetokens.h"
#include "win32/automation.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using lvxtext::HexDigit;
using lvxtext::Token;
using standin::detail::EqualNoCase;

struct Value {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;
};

struct Key {
  std::string name;
  std::vector<Key> children; // in insertion order
  std::vector<Value> values; // in insertion order
};

const char* const kRootNames[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"};
const char* const kHeader = "lumivex-registry 1";

struct Store {
  Key roots[2] = {Key{kRootNames[0], {}, {}}, Key{kRootNames[1], {}, {}}};
};

struct State {
  bool loaded = false;
  bool corrupt = false;
  std::string path;
  Store store;
};
State& Registry()
{
  static auto* state = new State;
  return *state;
}

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

Key* FindChild(Key& key, const std::string& name)
{
  for (Key& child : key.children)
    if (EqualNoCase(child.name, name))
      return &child;
  return nullptr;
}

Key* Walk(Store& store, int root, const std::vector<std::string>& path)
{
  Key* key = &store.roots[root];
  for (const std::string& part : path) {
    key = FindChild(*key, part);
    if (!key)
      return nullptr;
  }
  return key;
}

Value* FindValue(Key& key, const char* name)
{
  const std::string wanted = name ? name : "";
  for (Value& value : key.values)
    if (EqualNoCase(value.name, wanted))
      return &value;
  return nullptr;
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

// ---- The text format ---------------------------------------------------------

std::string Quote(const std::string& text)
{
  static const char* const hex = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u > 0x7E) {
      out += "\\x";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string HexBytes(const std::string& data)
{
  static const char* const hex = "0123456789abcdef";
  std::string out;
  for (const char c : data) {
    const unsigned char u = static_cast<unsigned char>(c);
    out += ' ';
    out += hex[u >> 4];
    out += hex[u & 15];
  }
  return out;
}

void WriteKey(const Key& key, std::vector<std::string>& path, std::string& out)
{
  out += "key";
  for (const std::string& part : path)
    out += " " + Quote(part);
  out += "\n";
  for (const Value& value : key.values) {
    out += "value " + Quote(value.name);
    switch (value.type) {
    case REG_SZ: out += " sz " + Quote(value.data); break;
    case REG_DWORD: out += " dword" + HexBytes(value.data); break;
    case REG_BINARY: out += " binary" + HexBytes(value.data); break;
    default: out += " type:" + std::to_string(value.type) + HexBytes(value.data); break;
    }
    out += "\n";
  }
  for (const Key& child : key.children) {
    path.push_back(child.name);
    WriteKey(child, path, out);
    path.pop_back();
  }
}

std::string Serialize(const Store& store)
{
  std::string out = std::string(kHeader) + "\n";
  for (const Key& root : store.roots) {
    std::vector<std::string> path{root.name};
    WriteKey(root, path, out);
  }
  return out;
}

// The escapes of a quoted string: \\ \" \xHH, as Quote writes them.
bool Unescape(const std::string& line, size_t& i, std::string& text, std::string& error)
{
  if (i < line.size() && (line[i] == '\\' || line[i] == '"')) {
    text += line[i++];
  } else if (i + 2 < line.size() && line[i] == 'x' && HexDigit(line[i + 1]) >= 0 && HexDigit(line[i + 2]) >= 0) {
    text += static_cast<char>(HexDigit(line[i + 1]) * 16 + HexDigit(line[i + 2]));
    i += 3;
  } else {
    error = "bad escape in a quoted string";
    return false;
  }
  return true;
}

// Only spaces separate words (a tab belongs to a word), as Serialize writes
// them; a quoted word must end at a space or the line's end.
const lvxtext::LineSyntax kSyntax = {
    .blanks = " ",
    .unescape = Unescape,
    .blankAfterQuote = true,
};

bool ParseType(const std::string& word, DWORD& type)
{
  if (word == "sz")
    type = REG_SZ;
  else if (word == "dword")
    type = REG_DWORD;
  else if (word == "binary")
    type = REG_BINARY;
  else if (word.rfind("type:", 0) == 0 && word.size() > 5 && word.size() <= 15 &&
           word.find_first_not_of("0123456789", 5) == std::string::npos) {
    const unsigned long long n = std::strtoull(word.c_str() + 5, nullptr, 10);
    if (n > 0xFFFFFFFFull)
      return false;
    type = static_cast<DWORD>(n);
  } else {
    return false;
  }
  return true;
}

// Parses the whole file into `store`; on failure names the line and why.
bool Parse(const std::string& text, Store& store, int& errorLine, std::string& error)
{
  Key* current = nullptr;
  size_t start = 0;
  int lineNumber = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    errorLine = ++lineNumber;
    if (lineNumber == 1) {
      if (line != kHeader) {
        error = "not a registry file (the first line must be \"lumivex-registry 1\")";
        return false;
      }
      continue;
    }
    std::vector<Token> tokens;
    if (!lvxtext::Tokenize(line, kSyntax, tokens, error))
      return false;
    if (tokens.empty())
      continue;
    if (!tokens[0].quoted && tokens[0].text == "key") {
      if (tokens.size() < 2) {
        error = "a key line needs a root";
        return false;
      }
      int root = -1;
      for (int r = 0; r < 2; ++r)
        if (tokens[1].quoted && tokens[1].text == kRootNames[r])
          root = r;
      if (root < 0) {
        error = "unknown root key";
        return false;
      }
      current = &store.roots[root];
      for (size_t t = 2; t < tokens.size(); ++t) {
        if (!tokens[t].quoted || tokens[t].text.empty() || tokens[t].text.find('\\') != std::string::npos ||
            tokens[t].text.find('\0') != std::string::npos) {
          error = "a key name must be a quoted, non-empty name without backslash or NUL";
          return false;
        }
        Key* child = FindChild(*current, tokens[t].text);
        if (!child) {
          current->children.push_back(Key{tokens[t].text, {}, {}});
          child = &current->children.back();
        }
        current = child;
      }
    } else if (!tokens[0].quoted && tokens[0].text == "value") {
      Value value;
      if (!current) {
        error = "a value before any key";
        return false;
      }
      if (tokens.size() < 3 || !tokens[1].quoted || tokens[2].quoted || !ParseType(tokens[2].text, value.type)) {
        error = "a value line needs a quoted name and a type (sz, dword, binary or type:N)";
        return false;
      }
      value.name = tokens[1].text;
      if (value.name.find('\0') != std::string::npos) {
        error = "a value name cannot hold NUL";
        return false;
      }
      if (value.type == REG_SZ && tokens[2].text == "sz") {
        if (tokens.size() != 4 || !tokens[3].quoted) {
          error = "an sz value needs one quoted string";
          return false;
        }
        value.data = tokens[3].text;
      } else {
        for (size_t t = 3; t < tokens.size(); ++t) {
          const std::string& byte = tokens[t].text;
          if (tokens[t].quoted || byte.size() != 2 || HexDigit(byte[0]) < 0 || HexDigit(byte[1]) < 0) {
            error = "data must be hex bytes";
            return false;
          }
          value.data += static_cast<char>(HexDigit(byte[0]) * 16 + HexDigit(byte[1]));
        }
      }
      if (Value* existing = FindValue(*current, value.name.c_str()))
        *existing = value;
      else
        current->values.push_back(value);
    } else {
      error = "unknown line";
      return false;
    }
  }
  if (lineNumber == 0) {
    errorLine = 1;
    error = "empty file";
    return false;
  }
  return true;
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

void Load()
{
  State& state = Registry();
  state = State{};
  state.loaded = true;
  state.path = StorePath();
  std::FILE* file = std::fopen(state.path.c_str(), "rb");
  if (!file) {
    if (errno != ENOENT) {
      state.corrupt = true;
      std::fprintf(stderr, "registry: %s: cannot be read (%s); it is left untouched and changes are refused\n",
                   state.path.c_str(), std::strerror(errno));
    }
    return;
  }
  std::string text;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    text.append(buffer, n);
  std::fclose(file);
  Store parsed;
  int line = 0;
  std::string error;
  if (!Parse(text, parsed, line, error)) {
    state.corrupt = true;
    std::fprintf(stderr, "registry: %s:%d: %s; the file is left untouched and changes are refused\n",
                 state.path.c_str(), line, error.c_str());
    return;
  }
  state.store = std::move(parsed);
}

void EnsureLoaded()
{
  if (!Registry().loaded)
    Load();
}

// Temporary file in the same folder, fsync, rename: the store file is always
// either the old or the new whole text.
bool Save(const Store& store)
{
  const std::string& path = Registry().path;
  const std::string folder = FolderOf(path);
  MakeFolders(folder);
  std::string temp = folder + "/.registry-XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0)
    return false;
  const std::string text = Serialize(store);
  size_t done = 0;
  bool ok = true;
  while (ok && done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    ok = n > 0;
    if (ok)
      done += static_cast<size_t>(n);
  }
  ok = ok && fchmod(fd, 0600) == 0 && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return true;
}

// Runs `change` on a copy of the store; when it changed something, the copy
// is saved and only then becomes the store.
template <class Change>
LONG Modify(Change change)
{
  State& state = Registry();
  if (state.corrupt)
    return ERROR_REGISTRY_CORRUPT;
  Store next = state.store;
  bool changed = false;
  const LONG result = change(next, changed);
  if (result != ERROR_SUCCESS || !changed)
    return result;
  if (!Save(next))
    return ERROR_WRITE_FAULT;
  state.store = std::move(next);
  return ERROR_SUCCESS;
}

HKEY NewKeyHandle(const OpenKey& key) { return reinterpret_cast<HKEY>(OpenKeys().Add(key)); }

std::vector<std::string> StoredNames(const Store& store, int root, const std::vector<std::string>& path)
{
  std::vector<std::string> names;
  const Key* key = &store.roots[root];
  for (const std::string& part : path) {
    for (const Key& child : key->children)
      if (EqualNoCase(child.name, part)) {
        key = &child;
        break;
      }
    names.push_back(key->name);
  }
  return names;
}

// The open key behind a handle, which must carry `right` (none when 0);
// the store is loaded.
LONG Use(HKEY handle, REGSAM right, OpenKey& key)
{
  if (!Lookup(handle, key))
    return ERROR_INVALID_HANDLE;
  if (right && !(key.access & right))
    return ERROR_ACCESS_DENIED;
  EnsureLoaded();
  return ERROR_SUCCESS;
}

// The value data under the Win32 size rules: ERROR_MORE_DATA with the size
// needed, and the buffer untouched, when it does not fit.
LONG CopyData(const Value& value, LPDWORD type, LPBYTE data, LPDWORD size)
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

} // namespace

namespace standin {
void RegistryReload() { Registry().loaded = false; }
std::string RegistryPath() { return Registry().loaded ? Registry().path : StorePath(); }
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
  if (!Walk(Registry().store, opened.root, opened.path))
    return ERROR_FILE_NOT_FOUND;
  opened.path = StoredNames(Registry().store, opened.root, opened.path);
  *result = NewKeyHandle(opened);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY handle, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access, SECURITY_ATTRIBUTES*,
                     PHKEY result, LPDWORD disposition)
{
  OpenKey base;
  if (!result)
    return ERROR_INVALID_PARAMETER;
  if (const LONG error = Use(handle, 0, base))
    return error;
  if (!Walk(Registry().store, base.root, base.path))
    return ERROR_KEY_DELETED;
  OpenKey opened{base.root, base.path, access};
  for (const std::string& part : SplitKeyPath(subKey))
    opened.path.push_back(part);
  DWORD outcome = REG_OPENED_EXISTING_KEY;
  if (!Walk(Registry().store, opened.root, opened.path)) {
    if (!(base.access & KEY_CREATE_SUB_KEY))
      return ERROR_ACCESS_DENIED;
    const LONG made = Modify([&](Store& store, bool& changed) {
      Key* key = &store.roots[opened.root];
      for (const std::string& part : opened.path) {
        Key* child = FindChild(*key, part);
        if (!child) {
          key->children.push_back(Key{part, {}, {}});
          child = &key->children.back();
        }
        key = child;
      }
      changed = true;
      return LONG(ERROR_SUCCESS);
    });
    if (made != ERROR_SUCCESS)
      return made;
    outcome = REG_CREATED_NEW_KEY;
  }
  opened.path = StoredNames(Registry().store, opened.root, opened.path);
  *result = NewKeyHandle(opened);
  if (disposition)
    *disposition = outcome;
  return ERROR_SUCCESS;
}

LONG RegCreateKeyA(HKEY handle, LPCSTR subKey, PHKEY result)
{
  return RegCreateKeyExA(handle, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, result,
                         nullptr);
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
  if (!data && size > 0)
    return ERROR_INVALID_PARAMETER;
  return Modify([&](Store& store, bool& changed) {
    Key* found = Walk(store, target.root, target.path);
    if (!found)
      return LONG(ERROR_KEY_DELETED);
    const std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
    if (Value* value = FindValue(*found, name)) {
      value->type = type;
      value->data = bytes;
    } else {
      found->values.push_back(Value{name ? name : "", type, bytes});
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
  Key* found = Walk(Registry().store, key.root, key.path);
  if (!found)
    return ERROR_KEY_DELETED;
  const Value* value = FindValue(*found, name);
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
  Key* found = Walk(Registry().store, key.root, key.path);
  if (!found)
    return ERROR_KEY_DELETED;
  if (index >= found->values.size())
    return ERROR_NO_MORE_ITEMS;
  const Value& value = found->values[index];
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
  return Modify([&](Store& store, bool& changed) {
    Key* found = Walk(store, target.root, target.path);
    if (!found)
      return LONG(ERROR_KEY_DELETED);
    const std::string wanted = name ? name : "";
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
