#pragma once
// Internal to the stand-in: the registry's key tree, its text format and the
// store file it lives in. The Win32 calls in registry.cpp work on it.
//
// The tree is bounded as the Windows registry is: a key's name counted with
// its whole path from the root key ("HKEY_CURRENT_USER\Software\...") has at
// most kMaxKeyPath characters, the tree is at most kMaxDepth levels deep and
// a value name has at most kMaxValueName characters. A store file that breaks
// a limit, or is larger than kMaxStoreBytes, is damaged. No operation on the
// tree recurses, whatever its shape.
#include "win32/registry.h"

#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace standin::detail {

constexpr size_t kMaxKeyPath = 255;
constexpr size_t kMaxDepth = 512;
constexpr size_t kMaxValueName = 16383;
constexpr size_t kMaxStoreBytes = size_t(64) << 20;

struct RegValue {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;
};

struct RegKey {
  RegKey() = default;
  explicit RegKey(std::string keyName) : name(std::move(keyName)) {}
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  // Frees the subtree without recursion.
  ~RegKey();

  std::string name;
  std::vector<std::unique_ptr<RegKey>> children; // in insertion order
  std::vector<RegValue> values;                  // in insertion order
};

// The two root keys, indexed 0 (HKEY_LOCAL_MACHINE) and 1 (HKEY_CURRENT_USER).
struct RegTree {
  RegTree();
  RegKey roots[2];
};

// The name of root `root` as the file and the path limit count it.
const char* RootName(int root);

// The length of the key named by `path` under `root`, counted as Windows
// does: the root's name and each component, joined by backslashes.
size_t KeyPathLength(int root, const std::vector<std::string>& path);

// The child or value of that name (ASCII case ignored); null when absent.
RegKey* FindChild(RegKey& key, const std::string& name);
RegValue* FindValue(RegKey& key, const std::string& name);
// The key at `path` under `root`; null when a component is missing.
RegKey* Walk(RegTree& tree, int root, const std::vector<std::string>& path);

// The text of the store file: a version line, then one "key" line per key
// with its whole path, followed by that key's "value" lines. Linear in the
// size of the tree.
std::string Serialize(const RegTree& tree);

// Parses a whole store file into `tree`. On failure `errorLine` is the line
// at fault (1 for an empty file) and `error` says why; `tree` is then in an
// unspecified but destructible state. Values are parsed straight into their
// bytes: the memory it takes beyond `text` is about what the tree holds.
bool Parse(std::string_view text, RegTree& tree, int& errorLine, std::string& error);

// What identifies one version of the store file: a save by any process
// changes it.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  bool operator==(const FileStamp& other) const;
};
FileStamp StampOf(const std::string& path);

} // namespace standin::detail
