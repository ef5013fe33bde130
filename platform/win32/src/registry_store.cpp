// The registry's key tree and its text format (see registry_store.h).
#include "registry_store.h"

#include "lvxtext/linetokens.h"
#include "text.h"

#include <array>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unordered_map>

namespace standin::detail {
namespace {

using lvxtext::HexDigit;

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
  // " hh" for each byte, written in place.
  size_t at = out.size();
  out.resize(at + 3 * data.size());
  for (const char c : data) {
    const unsigned char u = static_cast<unsigned char>(c);
    out[at] = ' ';
    out[at + 1] = kHex[u >> 4];
    out[at + 2] = kHex[u & 15];
    at += 3;
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

// The words of one line of the store file, read in place. Only spaces
// separate words (a tab belongs to a word), as Serialize writes them; a word
// in double quotes holds the escapes \\ \" \xHH and must end at a space or
// the line's end. Scan checks a whole line and counts its words without
// keeping any; the reader then takes them one at a time, so no line, however
// long, is copied or split into a list of words. A value's hex bytes go
// straight into its data.
class LineWords {
public:
  explicit LineWords(std::string_view line) : line_(line) {}

  // Checks every word of the line and counts them; on a malformed line sets
  // `error` and returns false.
  bool Scan(size_t& count, std::string& error)
  {
    count = 0;
    at_ = 0;
    while (More()) {
      if (NextIsQuoted()) {
        if (!Quoted(nullptr, error))
          return false;
      } else {
        Word();
      }
      ++count;
    }
    at_ = 0;
    return true;
  }

  // Skips the spaces before the next word; false at the line's end.
  bool More()
  {
    while (at_ < line_.size() && line_[at_] == ' ')
      ++at_;
    return at_ < line_.size();
  }
  bool NextIsQuoted() const { return line_[at_] == '"'; }

  // The next word, which is unquoted.
  std::string_view Word()
  {
    const size_t start = at_;
    while (at_ < line_.size() && line_[at_] != ' ')
      ++at_;
    return line_.substr(start, at_ - start);
  }

  // The next word, which is quoted, with its escapes resolved (appended to
  // `text` when given).
  bool Quoted(std::string* text, std::string& error)
  {
    ++at_;
    size_t plain = at_; // the start of the run of plain characters not yet appended
    auto flush = [&](size_t end) {
      if (text)
        text->append(line_.data() + plain, end - plain);
    };
    for (;;) {
      const size_t stop = line_.find_first_of("\"\\", at_);
      if (stop == std::string_view::npos) {
        error = "unterminated quoted string";
        return false;
      }
      flush(stop);
      at_ = stop + 1;
      if (line_[stop] == '"')
        break;
      char c = 0;
      if (at_ < line_.size() && (line_[at_] == '\\' || line_[at_] == '"')) {
        c = line_[at_];
        at_ += 1;
      } else if (at_ + 2 < line_.size() && line_[at_] == 'x' && HexDigit(line_[at_ + 1]) >= 0 &&
                 HexDigit(line_[at_ + 2]) >= 0) {
        c = static_cast<char>(HexDigit(line_[at_ + 1]) * 16 + HexDigit(line_[at_ + 2]));
        at_ += 3;
      } else {
        error = "bad escape in a quoted string";
        return false;
      }
      if (text)
        *text += c;
      plain = at_;
    }
    if (at_ < line_.size() && line_[at_] != ' ') {
      error = "text right after a quoted string";
      return false;
    }
    return true;
  }

  // The rest of the line as hex bytes, each an unquoted word of two hex
  // digits, into `data`; false at the first word that is not one.
  bool HexBytes(std::string& data)
  {
    // Every byte takes a space and two digits at least: sized once for
    // that, and cut to what was read.
    data.resize((line_.size() - at_) / 3);
    size_t n = 0;
    // The form the store writes, " hh" after " hh", in a tight loop; any
    // other spacing goes word by word below.
    static const auto kDigit = [] {
      std::array<int8_t, 256> table{};
      for (int c = 0; c < 256; ++c)
        table[c] = static_cast<int8_t>(HexDigit(static_cast<char>(c)));
      return table;
    }();
    const auto* p = reinterpret_cast<const unsigned char*>(line_.data());
    const size_t size = line_.size();
    while (size - at_ >= 3 && p[at_] == ' ' && (size - at_ == 3 || p[at_ + 3] == ' ')) {
      const int high = kDigit[p[at_ + 1]], low = kDigit[p[at_ + 2]];
      if (high < 0 || low < 0)
        break;
      data[n++] = static_cast<char>(high * 16 + low);
      at_ += 3;
    }
    while (More()) {
      if (NextIsQuoted() || n == data.size())
        return false;
      const std::string_view byte = Word();
      const int high = byte.size() == 2 ? HexDigit(byte[0]) : -1;
      const int low = byte.size() == 2 ? HexDigit(byte[1]) : -1;
      if (high < 0 || low < 0)
        return false;
      data[n++] = static_cast<char>(high * 16 + low);
    }
    data.resize(n);
    return true;
  }

private:
  std::string_view line_;
  size_t at_ = 0;
};

bool ParseType(std::string_view word, DWORD& type)
{
  if (word == "sz")
    type = REG_SZ;
  else if (word == "dword")
    type = REG_DWORD;
  else if (word == "binary")
    type = REG_BINARY;
  else if (word.rfind("type:", 0) == 0 && word.size() > 5 && word.size() <= 15 &&
           word.find_first_not_of("0123456789", 5) == std::string_view::npos) {
    const unsigned long long n = std::strtoull(std::string(word.substr(5)).c_str(), nullptr, 10);
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

// A "key" line of `count` words, after its first: creates the key and the
// keys above it; `current` becomes it.
bool ParseKeyLine(LineWords& words, size_t count, RegTree& tree, ParseIndex& index, RegKey*& current,
                  std::string& error)
{
  if (count < 2) {
    error = "a key line needs a root";
    return false;
  }
  int root = -1;
  std::string rootName;
  words.More();
  if (words.NextIsQuoted() && words.Quoted(&rootName, error)) {
    for (int r = 0; r < 2; ++r)
      if (rootName == kRootNames[r])
        root = r;
  }
  if (root < 0) {
    error = "unknown root key";
    return false;
  }
  if (count - 2 > kMaxDepth) {
    error = "a key is nested deeper than " + std::to_string(kMaxDepth) + " levels";
    return false;
  }
  size_t length = std::string(kRootNames[root]).size();
  std::string lowered = std::to_string(root);
  current = &tree.roots[root];
  std::string name;
  while (words.More()) {
    name.clear();
    const bool quoted = words.NextIsQuoted() && words.Quoted(&name, error);
    if (!quoted || name.empty() || name.find('\\') != std::string::npos || name.find('\0') != std::string::npos) {
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

// A "value" line, after its first word: sets the value on `current`. The
// line is read once, its data straight into the value's bytes.
bool ParseValueLine(LineWords& words, ParseIndex& index, RegKey* current, std::string& error)
{
  RegValue value;
  if (!current) {
    error = "a value before any key";
    return false;
  }
  const char* const shape = "a value line needs a quoted name and a type (sz, dword, binary or type:N)";
  if (!words.More() || !words.NextIsQuoted()) {
    error = shape;
    return false;
  }
  if (!words.Quoted(&value.name, error))
    return false;
  std::string_view typeWord;
  if (!words.More() || words.NextIsQuoted() || !ParseType(typeWord = words.Word(), value.type)) {
    error = shape;
    return false;
  }
  if (value.name.find('\0') != std::string::npos) {
    error = "a value name cannot hold NUL";
    return false;
  }
  if (value.name.size() > kMaxValueName) {
    error = "a value name is longer than " + std::to_string(kMaxValueName) + " characters";
    return false;
  }
  if (value.type == REG_SZ && typeWord == "sz") {
    if (!words.More() || !words.NextIsQuoted()) {
      error = "an sz value needs one quoted string";
      return false;
    }
    if (!words.Quoted(&value.data, error))
      return false;
    if (words.More()) {
      error = "an sz value needs one quoted string";
      return false;
    }
  } else if (!words.HexBytes(value.data)) {
    error = "data must be hex bytes";
    return false;
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

bool Parse(std::string_view text, RegTree& tree, int& errorLine, std::string& error)
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
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    errorLine = ++lineNumber;
    if (lineNumber == 1) {
      if (line != kHeader) {
        error = "not a registry file (the first line must be \"lumivex-registry 1\")";
        return false;
      }
      continue;
    }
    // A value line, the long kind, is read in one pass; any other line is
    // checked whole first.
    LineWords words(line);
    if (!words.More())
      continue;
    const std::string_view first = words.NextIsQuoted() ? std::string_view() : words.Word();
    if (first == "value") {
      if (!ParseValueLine(words, index, current, error))
        return false;
      continue;
    }
    size_t count = 0;
    if (!words.Scan(count, error))
      return false;
    words.More();
    words.Word();
    if (first == "key") {
      if (!ParseKeyLine(words, count, tree, index, current, error))
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
