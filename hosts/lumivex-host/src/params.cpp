// Descriptor entries, their packed form and the parameter file (see params.h).
#include "params.h"

#include "files.h"
#include "filterhost/filterhost.h"
#include "win32/textfile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

namespace lvhost {
namespace {

constexpr char kFirstLine[] = "lumivex-host parameters 1";
constexpr uint32_t kPackTag = FourCC("lvDS");

bool ParseCode(const std::string& text, uint32_t* code)
{
  if (text.size() == 4) {
    for (char c : text)
      if (c < 0x21 || c > 0x7E)
        return false;
    *code = (static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24) | (static_cast<uint8_t>(text[1]) << 16) |
            (static_cast<uint8_t>(text[2]) << 8) | static_cast<uint8_t>(text[3]);
    return true;
  }
  if (text.size() != 10 || text.compare(0, 2, "0x") != 0 ||
      text.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos)
    return false;
  *code = static_cast<uint32_t>(std::strtoul(text.c_str() + 2, nullptr, 16));
  return true;
}

bool ParseValue(const std::string& text, DescriptorEntry* entry)
{
  if (entry->type == typeBoolean) {
    if (text != "true" && text != "false")
      return false;
    entry->boolean = text == "true";
    return true;
  }
  char* end = nullptr;
  errno = 0;
  if (entry->type == typeInteger) {
    const size_t digitsAt = text.size() > 1 && text[0] == '-' ? 1 : 0;
    if (text.size() == digitsAt || text.find_first_not_of("0123456789", digitsAt) != std::string::npos)
      return false;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno || value < INT32_MIN || value > INT32_MAX)
      return false;
    entry->integer = static_cast<int32_t>(value);
    return true;
  }
  if (text == "nan" || text == "inf" || text == "-inf") {
    entry->number = text == "nan" ? std::nan("") : text == "inf" ? HUGE_VAL : -HUGE_VAL;
    return true;
  }
  // Plain decimal or exponent notation only: no hex floats, no words.
  if (text.empty() || text.find_first_not_of("0123456789+-.eE") != std::string::npos)
    return false;
  entry->number = std::strtod(text.c_str(), &end);
  // Underflow still reads (subnormal numbers are written too); overflow does not.
  return *end == '\0' && !(errno == ERANGE && std::isinf(entry->number));
}

// A word of the file as a message quotes it: at most 80 characters, a longer
// one cut with "…", and a NUL byte shown as \0.
std::string Shown(const std::string& word)
{
  constexpr size_t kShown = 80;
  return lvxtext::Printable(word.size() <= kShown ? word : word.substr(0, kShown)) +
         (word.size() <= kShown ? "" : "\u2026");
}

std::string ValueText(const DescriptorEntry& entry)
{
  if (entry.type == typeBoolean)
    return entry.boolean ? "true" : "false";
  if (entry.type == typeInteger)
    return std::to_string(entry.integer);
  if (std::isnan(entry.number))
    return "nan";
  if (std::isinf(entry.number))
    return entry.number > 0 ? "inf" : "-inf";
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", entry.number); // 17 digits read back exactly
  return text;
}

void PutU32(std::string& out, uint32_t v)
{
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<char>(v >> (8 * i)));
}

uint32_t GetU32(const char* p)
{
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<uint8_t>(p[i]);
  return v;
}

} // namespace

bool DescriptorEntry::operator==(const DescriptorEntry& other) const
{
  if (key != other.key || type != other.type)
    return false;
  if (type == typeBoolean)
    return boolean == other.boolean;
  if (type == typeInteger)
    return integer == other.integer;
  return std::memcmp(&number, &other.number, sizeof number) == 0;
}

std::string CodeText(uint32_t code)
{
  const char text[5] = {static_cast<char>(code >> 24), static_cast<char>(code >> 16), static_cast<char>(code >> 8),
                        static_cast<char>(code), 0};
  uint32_t parsed = 0;
  // A code starting with '#' would read as a comment.
  if (text[0] != '#' && ParseCode(text, &parsed))
    return text;
  char hex[11];
  std::snprintf(hex, sizeof hex, "0x%08X", code);
  return hex;
}

bool ParseParameters(const std::string& text, Descriptor* descriptor, lvxtext::Error* error)
{
  std::istringstream in(text);
  std::string line;
  Descriptor out;
  std::map<uint32_t, int> keyLines; // the line each key was given on
  int number = 0;
  auto fail = [&](const std::string& why) {
    return lvxtext::Fail(error, "line " + std::to_string(number) + ": " + why);
  };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (number == 1) {
      if (line != kFirstLine)
        return fail(std::string("the first line must be \"") + kFirstLine + "\"");
      continue;
    }
    std::istringstream words(line);
    std::string key, type, value, extra;
    if (!(words >> key) || key[0] == '#')
      continue;
    DescriptorEntry entry;
    if (!ParseCode(key, &entry.key))
      return fail("'" + Shown(key) + "' is not a key (four printable characters or 0xHHHHHHHH)");
    if (!(words >> type) || !ParseCode(type, &entry.type) ||
        (entry.type != typeBoolean && entry.type != typeInteger && entry.type != typeFloat))
      return fail("the type must be bool, long or doub");
    if (!(words >> value) || !ParseValue(value, &entry))
      return fail("'" + Shown(value) + "' is not a " + CodeText(entry.type) + " value");
    if (words >> extra)
      return fail("unexpected '" + Shown(extra) + "' after the value");
    // The plug-in would see only one of two entries with the same key.
    if (auto [first, fresh] = keyLines.emplace(entry.key, number); !fresh)
      return fail("the key " + CodeText(entry.key) + " is given twice (first on line " + std::to_string(first->second) +
                  ")");
    out.push_back(entry);
  }
  if (number == 0)
    return lvxtext::Fail(error, std::string("the file is empty; the first line must be \"") + kFirstLine + "\"");
  *descriptor = std::move(out);
  return true;
}

std::string FormatParameters(const Descriptor& descriptor)
{
  std::string text = std::string(kFirstLine) + "\n";
  for (const DescriptorEntry& entry : descriptor)
    text += CodeText(entry.key) + " " + CodeText(entry.type) + " " + ValueText(entry) + "\n";
  return text;
}

bool ReadParameterFile(const std::string& path, Descriptor* descriptor, lvxtext::Error* error)
{
  std::string text, reason;
  if (!standin::ReadTextFile(path, kParameterFileLimit, &text, &reason))
    return lvxtext::Fail(error, path + ": " + reason);
  lvxtext::Error why;
  return ParseParameters(text, descriptor, &why) || lvxtext::Fail(error, path + ": " + why.message);
}

bool WriteParameterFile(const std::string& path, const Descriptor& descriptor, lvxtext::Error* error)
{
  return WriteFileAtomically(path, FormatParameters(descriptor), error);
}

std::string PackDescriptor(const Descriptor& descriptor)
{
  std::string bytes;
  PutU32(bytes, kPackTag);
  PutU32(bytes, static_cast<uint32_t>(descriptor.size()));
  for (const DescriptorEntry& entry : descriptor) {
    PutU32(bytes, entry.key);
    PutU32(bytes, entry.type);
    uint64_t value = 0;
    if (entry.type == typeBoolean)
      value = entry.boolean ? 1 : 0;
    else if (entry.type == typeInteger)
      value = static_cast<uint32_t>(entry.integer);
    else
      std::memcpy(&value, &entry.number, sizeof value);
    PutU32(bytes, static_cast<uint32_t>(value));
    PutU32(bytes, static_cast<uint32_t>(value >> 32));
  }
  return bytes;
}

bool UnpackDescriptor(const char* bytes, size_t size, Descriptor* descriptor)
{
  if (!bytes || size < 8 || GetU32(bytes) != kPackTag || (size - 8) % 16 || GetU32(bytes + 4) != (size - 8) / 16)
    return false;
  Descriptor out;
  for (size_t at = 8; at < size; at += 16) {
    DescriptorEntry entry;
    entry.key = GetU32(bytes + at);
    entry.type = GetU32(bytes + at + 4);
    const uint64_t value = GetU32(bytes + at + 8) | (static_cast<uint64_t>(GetU32(bytes + at + 12)) << 32);
    if (entry.type == typeBoolean && value <= 1)
      entry.boolean = value == 1;
    else if (entry.type == typeInteger && value <= UINT32_MAX)
      entry.integer = static_cast<int32_t>(static_cast<uint32_t>(value));
    else if (entry.type == typeFloat)
      std::memcpy(&entry.number, &value, sizeof value);
    else
      return false;
    out.push_back(entry);
  }
  *descriptor = std::move(out);
  return true;
}

} // namespace lvhost
