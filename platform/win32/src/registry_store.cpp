// The registry's key tree and its text format (see registry_store.h).
#include "registry_store.h"

#include "lvxtext/linetokens.h"
#include "text.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unordered_map>

namespace standin::detail {
namespace {

using lvxtext::HexDigit;
using lvxtext::Token;

const char* const kRootNames[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"};
const char* const kHeader = "lumivex-registry 1";
const char* const kHex = "0123456789abcdef";

void AppendQuoted(std::string& out, const std::string& text)
{
  out += '"';
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u > 0x7E) {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendHexBytes(std::string& out, const std::string& data)
{
  for (const char c : data) {
    const unsigned char u = static_cast<unsigned char>(c);
    out += ' ';
    out += kHex[u >> 4];
    out += kHex[u & 15];
  }
}

void AppendKey(std::string& out, int root, const std::vector<const RegKey*>& path, const RegKey& key)
{
  out += "key ";
  AppendQuoted(out, kRootNames[root]);
  for (const RegKey* part : path) {
    out += ' ';
    AppendQuoted(out, part->name);
  }
  out += '\n';
  for (const RegValue& value : key.values) {
    out += "value ";
    AppendQuoted(out, value.name);
    switch (value.type) {
    case REG_SZ:
      out += " sz ";
      AppendQuoted(out, value.data);
      break;
    case REG_DWORD:
      out += " dword";
      AppendHexBytes(out, value.data);
      break;
    case REG_BINARY:
      out += " binary";
      AppendHexBytes(out, value.data);
      break;
    default:
      out += " type:" + std::to_string(value.type);
      AppendHexBytes(out, value.data);
      break;
    }
    out += '\n';
  }
}

// The escapes of a quoted string: \\ \" \xHH, as AppendQuoted writes them.
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

std::string Lowered(const std::string& text)
{
  std::string out = text;
  for (char& c : out)
    c = AsciiLower(c);
  return out;
}

// Indexes built while parsing, so that a file with many keys or values
// under one key still reads in time linear in its size.
struct ParseIndex {
  std::unordered_map<std::string, RegKey*> keys;                                     // by lowered path
  std::unordered_map<const RegKey*, std::unordered_map<std::string, size_t>> values; // by lowered name
};

// A "key" line: creates the key and the keys above it; `current` becomes it.
bool ParseKeyLine(const std::vector<Token>& tokens, RegTree& tree, ParseIndex& index, RegKey*& current,
                  std::string& error)
{
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
  if (tokens.size() - 2 > kMaxDepth) {
    error = "a key is nested deeper than " + std::to_string(kMaxDepth) + " levels";
    return false;
  }
  size_t length = std::string(kRootNames[root]).size();
  std::string lowered = std::to_string(root);
  current = &tree.roots[root];
  for (size_t t = 2; t < tokens.size(); ++t) {
    const std::string& name = tokens[t].text;
    if (!tokens[t].quoted || name.empty() || name.find('\\') != std::string::npos ||
        name.find('\0') != std::string::npos) {
      error = "a key name must be a quoted, non-empty name without backslash or NUL";
      return false;
    }
    length += 1 + name.size();
    if (length > kMaxKeyPath) {
      error = "a key's name with its path is longer than " + std::to_string(kMaxKeyPath) + " characters";
      return false;
    }
    lowered += '\\';
    lowered += Lowered(name);
    RegKey*& child = index.keys[lowered];
    if (!child) {
      current->children.push_back(std::make_unique<RegKey>(name));
      child = current->children.back().get();
    }
    current = child;
  }
  return true;
}

// A "value" line: sets the value on `current`.
bool ParseValueLine(const std::vector<Token>& tokens, ParseIndex& index, RegKey* current, std::string& error)
{
  RegValue value;
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
  if (value.name.size() > kMaxValueName) {
    error = "a value name is longer than " + std::to_string(kMaxValueName) + " characters";
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
  auto& byName = index.values[current];
  auto [slot, fresh] = byName.emplace(Lowered(value.name), current->values.size());
  if (fresh)
    current->values.push_back(std::move(value));
  else
    current->values[slot->second] = std::move(value);
  return true;
}

} // namespace

RegKey::~RegKey()
{
  std::vector<std::unique_ptr<RegKey>> pending = std::move(children);
  while (!pending.empty()) {
    std::unique_ptr<RegKey> key = std::move(pending.back());
    pending.pop_back();
    for (auto& child : key->children)
      pending.push_back(std::move(child));
    key->children.clear();
  }
}

RegTree::RegTree()
{
  roots[0].name = kRootNames[0];
  roots[1].name = kRootNames[1];
}

const char* RootName(int root) { return kRootNames[root]; }

size_t KeyPathLength(int root, const std::vector<std::string>& path)
{
  size_t length = std::string(kRootNames[root]).size();
  for (const std::string& part : path)
    length += 1 + part.size();
  return length;
}

RegKey* FindChild(RegKey& key, const std::string& name)
{
  for (const auto& child : key.children)
    if (EqualNoCase(child->name, name))
      return child.get();
  return nullptr;
}

RegValue* FindValue(RegKey& key, const std::string& name)
{
  for (RegValue& value : key.values)
    if (EqualNoCase(value.name, name))
      return &value;
  return nullptr;
}

RegKey* Walk(RegTree& tree, int root, const std::vector<std::string>& path)
{
  RegKey* key = &tree.roots[root];
  for (const std::string& part : path) {
    key = FindChild(*key, part);
    if (!key)
      return nullptr;
  }
  return key;
}

std::string Serialize(const RegTree& tree)
{
  std::string out = std::string(kHeader) + "\n";
  // Depth first with an explicit stack: each entry is a key and how many of
  // its children have been written.
  for (int root = 0; root < 2; ++root) {
    std::vector<const RegKey*> path;
    std::vector<std::pair<const RegKey*, size_t>> stack{{&tree.roots[root], 0}};
    AppendKey(out, root, path, tree.roots[root]);
    while (!stack.empty()) {
      auto& [key, next] = stack.back();
      if (next == key->children.size()) {
        stack.pop_back();
        if (!path.empty())
          path.pop_back();
        continue;
      }
      const RegKey* child = key->children[next++].get();
      path.push_back(child);
      AppendKey(out, root, path, *child);
      stack.emplace_back(child, 0);
    }
  }
  return out;
}

bool Parse(const std::string& text, RegTree& tree, int& errorLine, std::string& error)
{
  if (text.size() > kMaxStoreBytes) {
    errorLine = 1;
    error = "the file is larger than " + std::to_string(kMaxStoreBytes >> 20) + " MB";
    return false;
  }
  ParseIndex index;
  RegKey* current = nullptr;
  size_t start = 0;
  int lineNumber = 0;
  std::vector<Token> tokens;
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
    tokens.clear();
    if (!lvxtext::Tokenize(line, kSyntax, tokens, error))
      return false;
    if (tokens.empty())
      continue;
    if (!tokens[0].quoted && tokens[0].text == "key") {
      if (!ParseKeyLine(tokens, tree, index, current, error))
        return false;
    } else if (!tokens[0].quoted && tokens[0].text == "value") {
      if (!ParseValueLine(tokens, index, current, error))
        return false;
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

bool FileStamp::operator==(const FileStamp& other) const
{
  return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
         modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

FileStamp StampOf(const std::string& path)
{
  struct stat st;
  FileStamp stamp;
  if (stat(path.c_str(), &st) != 0)
    return stamp;
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.modified = st.st_mtim;
  return stamp;
}

} // namespace standin::detail
