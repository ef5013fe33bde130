// Version information of the executable, served from its RT_VERSION 1
// resource (or a record set by a test).
//
// The block handed out: a 32-bit count of the bytes that are valid, the tag
// 'LVVI', the VS_FIXEDFILEINFO, then each string as name and value with
// their terminators, ending with an empty name.
#include "handles.h"
#include "text.h"
#include "win32/automation.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

using standin::detail::Fail;

constexpr uint32_t kTag = 0x4956564Cu; // "LVVI"
constexpr size_t kHeader = 8;
constexpr char kStringsPrefix[] = "\\StringFileInfo\\040904E4\\";

// Not set: the executable's resource. Set: that text, or none when empty.
std::optional<std::optional<std::string>>& RecordOverride()
{
  static auto* record = new std::optional<std::optional<std::string>>;
  return *record;
}

std::optional<std::string> RecordText()
{
  if (RecordOverride())
    return *RecordOverride();
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(1), RT_VERSION);
  if (!resource)
    return std::nullopt;
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, resource)));
  return bytes ? std::optional(std::string(bytes, SizeofResource(nullptr, resource))) : std::nullopt;
}

bool ParseNumber(const std::string& text, DWORD* value)
{
  if (text.empty() || text.find_first_of(" \t") != std::string::npos)
    return false;
  char* end = nullptr;
  const unsigned long long number = std::strtoull(text.c_str(), &end, 0);
  if (*end || text[0] == '-' || number > 0xFFFFFFFFull)
    return false;
  *value = static_cast<DWORD>(number);
  return true;
}

// "a.b.c.d" of 16-bit numbers into the two version words; anything else
// leaves them 0.
void ParseFileVersion(const std::string& text, VS_FIXEDFILEINFO* fixed)
{
  unsigned parts[4] = {0, 0, 0, 0};
  size_t count = 0, at = 0;
  while (count < 4) {
    size_t used = 0;
    if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at])))
      return;
    const unsigned long value = std::stoul(text.substr(at, 6), &used);
    if (value > 0xFFFF)
      return;
    parts[count++] = static_cast<unsigned>(value);
    at += used;
    if (at == text.size())
      break;
    if (text[at++] != '.')
      return;
  }
  if (at != text.size())
    return;
  fixed->dwFileVersionMS = fixed->dwProductVersionMS = (parts[0] << 16) | parts[1];
  fixed->dwFileVersionLS = fixed->dwProductVersionLS = (parts[2] << 16) | parts[3];
}

void Append(std::vector<uint8_t>& block, const void* data, size_t size)
{
  const auto* bytes = static_cast<const uint8_t*>(data);
  block.insert(block.end(), bytes, bytes + size);
}

// The block for a record text; none when the text is not a valid record.
std::optional<std::vector<uint8_t>> BuildBlock(const std::string& text)
{
  VS_FIXEDFILEINFO fixed{};
  fixed.dwSignature = 0xFEEF04BDu;
  fixed.dwStrucVersion = 0x00010000u;
  fixed.dwFileType = VFT_APP;
  std::vector<uint8_t> strings;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.empty() || line[0] == '#')
      continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
      return std::nullopt;
    const std::string name = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (value.find('\0') != std::string::npos)
      return std::nullopt;
    if (name == "InternalName" || name == "FileVersion") {
      Append(strings, name.c_str(), name.size() + 1);
      Append(strings, value.c_str(), value.size() + 1);
      if (name == "FileVersion")
        ParseFileVersion(value, &fixed);
    } else if (!(name == "FileOS" && ParseNumber(value, &fixed.dwFileOS)) &&
               !(name == "FileFlags" && ParseNumber(value, &fixed.dwFileFlags)) &&
               !(name == "FileFlagsMask" && ParseNumber(value, &fixed.dwFileFlagsMask))) {
      return std::nullopt;
    }
  }
  std::vector<uint8_t> block(kHeader);
  Append(block, &fixed, sizeof fixed);
  block.insert(block.end(), strings.begin(), strings.end());
  block.push_back(0);
  const uint32_t size = static_cast<uint32_t>(block.size());
  std::memcpy(block.data(), &size, 4);
  std::memcpy(block.data() + 4, &kTag, 4);
  return block;
}

bool IsExecutable(const std::string& path)
{
  char mine[PATH_MAX], theirs[PATH_MAX];
  return GetModuleFileNameA(nullptr, mine, sizeof mine) && realpath(path.c_str(), theirs) &&
         std::strcmp(mine, theirs) == 0;
}

// The block for the file at `path`, with the last error set when none.
std::optional<std::vector<uint8_t>> BlockOf(LPCSTR path)
{
  std::string native;
  if (!path || !standin::MapPath(path, native) || access(native.c_str(), F_OK) != 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return std::nullopt;
  }
  std::optional<std::string> text;
  if (IsExecutable(native))
    text = RecordText();
  std::optional<std::vector<uint8_t>> block;
  if (text)
    block = BuildBlock(*text);
  if (!block)
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return block;
}

bool StartsWithNoCase(const char* text, const char* prefix)
{
  const size_t n = std::strlen(prefix);
  return std::strlen(text) >= n && standin::detail::EqualNoCase(std::string_view(text, n), prefix);
}

} // namespace

namespace standin {

void SetVersionRecord(const char* text)
{
  RecordOverride() = text ? std::optional<std::string>(text) : std::optional<std::string>();
}

void ResetVersionRecord() { RecordOverride().reset(); }

} // namespace standin

extern "C" {

DWORD GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle)
{
  if (handle)
    *handle = 0;
  const auto block = BlockOf(path);
  return block ? static_cast<DWORD>(block->size()) : 0;
}

BOOL GetFileVersionInfoA(LPCSTR path, DWORD, DWORD size, LPVOID data)
{
  auto block = BlockOf(path);
  if (!block)
    return FALSE;
  if (!data)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  const uint32_t copied = static_cast<uint32_t>(std::min<size_t>(size, block->size()));
  if (copied >= 4)
    std::memcpy(block->data(), &copied, 4);
  std::memcpy(data, block->data(), copied);
  return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length)
{
  if (length)
    *length = 0;
  if (!block || !subBlock || !buffer)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  const auto* bytes = static_cast<const uint8_t*>(block);
  uint32_t valid = 0, tag = 0;
  std::memcpy(&valid, bytes, 4);
  if (valid >= kHeader)
    std::memcpy(&tag, bytes + 4, 4);
  if (tag != kTag || valid < kHeader + sizeof(VS_FIXEDFILEINFO))
    return Fail(ERROR_RESOURCE_DATA_NOT_FOUND, FALSE);
  if (std::strcmp(subBlock, "\\") == 0) {
    *buffer = const_cast<uint8_t*>(bytes + kHeader);
    if (length)
      *length = sizeof(VS_FIXEDFILEINFO);
    return TRUE;
  }
  if (!StartsWithNoCase(subBlock, kStringsPrefix))
    return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND, FALSE);
  const char* wanted = subBlock + std::strlen(kStringsPrefix);
  // Name and value pairs, each string needing its terminator inside the
  // valid bytes.
  size_t at = kHeader + sizeof(VS_FIXEDFILEINFO);
  auto next = [&](std::string_view* text) {
    const void* end = at < valid ? std::memchr(bytes + at, 0, valid - at) : nullptr;
    if (!end)
      return false;
    *text =
        std::string_view(reinterpret_cast<const char*>(bytes + at), static_cast<const uint8_t*>(end) - (bytes + at));
    at += text->size() + 1;
    return true;
  };
  std::string_view name, value;
  while (next(&name) && !name.empty() && next(&value)) {
    if (standin::detail::EqualNoCase(name, wanted)) {
      *buffer = const_cast<char*>(value.data());
      if (length)
        *length = static_cast<UINT>(value.size() + 1);
      return TRUE;
    }
  }
  return Fail(ERROR_RESOURCE_NAME_NOT_FOUND, FALSE);
}

} // extern "C"
