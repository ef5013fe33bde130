// Strings, numbers, resources, modes and colours of the host-interface
// utility layer (see hostutil.h).
#include "hostutil.h"

#include "win32/modules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace hostif {
namespace {

char Fold(char c, bool ignoreCase) { return ignoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A new handle holding a copy of `size` bytes; null on failure.
Handle BytesToHandle(const HandleProcs* procs, const void* data, int32_t size)
{
  Handle handle = NewHandleWithSuite(procs, size);
  char* target = handle ? LockHandleWithSuite(procs, handle, false) : nullptr;
  if (!target) {
    if (handle)
      DisposeHandleWithSuite(procs, handle);
    return nullptr;
  }
  std::memcpy(target, data, static_cast<size_t>(size));
  UnlockHandleWithSuite(procs, handle);
  return handle;
}

} // namespace

// ---- Rectangles, modes and colours ------------------------------------------

void SetRectValues(Rect16* rect, int16_t top, int16_t left, int16_t bottom, int16_t right)
{
  if (rect)
    *rect = Rect16{top, left, bottom, right};
}

void CopyRect(const Rect16* source, Rect16* target)
{
  if (source && target)
    *target = *source;
}

int16_t ModeToPlanes(int16_t mode, int16_t fallback)
{
  static const int16_t kPlanes[12] = {1, 1, 3, 3, 4, 3, 3, -1, 1, 3, 1, 3};
  return mode >= 0 && mode < 12 && mode != 7 ? kPlanes[mode] : fallback;
}

int16_t ModeToColorSpace(int16_t mode)
{
  static const int16_t kSpaces[12] = {-1, 4, -1, 0, 2, 5, 1, -1, 4, 3, 4, 0};
  return mode >= 0 && mode < 12 ? kSpaces[mode] : -1;
}

int16_t CallColorServices(ColorServicesProc colorServices, int16_t selector, int16_t sourceSpace, int16_t resultSpace,
                          int16_t components[4])
{
  if (!colorServices || !components)
    return filterBadParameters;
  ColorServicesInfo info{};
  info.infoSize = sizeof info;
  info.selector = selector;
  info.sourceSpace = sourceSpace;
  info.resultSpace = resultSpace;
  std::copy(components, components + 4, info.colorComponents);
  const int16_t result = colorServices(&info);
  if (result == noErr)
    std::copy(info.colorComponents, info.colorComponents + 4, components);
  return result;
}

int16_t ConvertColor(ColorServicesProc colorServices, int16_t sourceSpace, int16_t resultSpace, int16_t components[4])
{
  return CallColorServices(colorServices, colorServicesConvertColor, sourceSpace, resultSpace, components);
}

// ---- Strings with a length byte ---------------------------------------------

void AppendText(Str255 target, const char* text, int32_t length)
{
  if (!text || length <= 0)
    return;
  const int32_t count = std::min<int32_t>(length, 255 - target[0]);
  std::memcpy(target + 1 + target[0], text, static_cast<size_t>(count));
  target[0] = static_cast<unsigned char>(target[0] + count);
}

void AppendChar(Str255 target, char c) { AppendText(target, &c, 1); }

void CopyPString(Str255 target, const Str255 source) { std::memmove(target, source, source[0] + 1u); }

int16_t CStringLength(const char* text)
{
  int16_t length = 0;
  while (text && length < 32767 && text[length])
    ++length;
  return length;
}

void AppendCString(Str255 target, const char* text) { AppendText(target, text, CStringLength(text)); }

int16_t FindPString(const Str255 text, const Str255 pattern, bool ignoreCase)
{
  const int n = text[0], m = pattern[0];
  for (int start = 0; start + m <= n; ++start) {
    int i = 0;
    while (i < m && Fold(static_cast<char>(text[1 + start + i]), ignoreCase) ==
                        Fold(static_cast<char>(pattern[1 + i]), ignoreCase))
      ++i;
    if (i == m)
      return static_cast<int16_t>(start);
  }
  return -1;
}

bool SplitAtLastDot(const Str255 text, Str255 before, Str255 after)
{
  const std::string whole = PStringToString(text);
  const size_t dot = whole.rfind('.');
  before[0] = after[0] = 0;
  AppendText(before, whole.data(), static_cast<int32_t>(dot == std::string::npos ? whole.size() : dot));
  if (dot != std::string::npos)
    AppendText(after, whole.data() + dot + 1, static_cast<int32_t>(whole.size() - dot - 1));
  return dot != std::string::npos;
}

std::string PStringToString(const Str255 text) { return std::string(reinterpret_cast<const char*>(text + 1), text[0]); }

// ---- Numbers and text -------------------------------------------------------

std::string DoubleToText(double value, int precision)
{
  char text[400];
  std::snprintf(text, sizeof text, "%.*f", std::clamp(precision, 0, 15), value);
  return text;
}

int32_t TextToInteger(const std::string& text)
{
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos)
    return 0;
  const bool negative = text[i] == '-';
  if (negative)
    ++i;
  const size_t digits = text.find_first_not_of("0123456789", i);
  const size_t end = digits == std::string::npos ? text.size() : digits;
  if (end == i || text.find_first_not_of(' ', end) != std::string::npos)
    return 0;
  if (end - i > 9)
    return 0x7fffffff;
  const int32_t value = std::stoi(text.substr(i, end - i));
  return negative ? -value : value;
}

std::string ReplacePlaceholders(std::string message, const char* text0, const char* text1, const char* text2)
{
  const char* texts[3] = {text0, text1, text2};
  for (size_t at = message.find('^'); at != std::string::npos && at + 1 < message.size(); at = message.find('^', at)) {
    const int which = message[at + 1] - '0';
    if (which >= 0 && which <= 2 && texts[which]) {
      message.replace(at, 2, texts[which]);
      at += std::strlen(texts[which]);
    } else {
      ++at;
    }
  }
  return message;
}

// ---- Handles as text and resources ------------------------------------------

void HandleToPString(const HandleProcs* procs, Handle handle, Str255 text)
{
  text[0] = 0;
  const int32_t size = std::min(GetHandleSizeWithSuite(procs, handle), 254);
  const char* data = size > 0 ? LockHandleWithSuite(procs, handle, false) : nullptr;
  if (!data)
    return;
  AppendText(text, data, size);
  UnlockHandleWithSuite(procs, handle);
}

Handle PStringToHandle(const HandleProcs* procs, const Str255 text) { return BytesToHandle(procs, text + 1, text[0]); }

int16_t AppendHandle(const HandleProcs* procs, Handle target, Handle source)
{
  const int32_t old = GetHandleSizeWithSuite(procs, target);
  const int32_t extra = GetHandleSizeWithSuite(procs, source);
  if (!target || !source || old < 0 || extra < 0 || extra > INT32_MAX - old)
    return filterBadParameters;
  const int16_t result = SetHandleSizeWithSuite(procs, target, old + extra);
  if (result != noErr || extra == 0)
    return result;
  char* to = LockHandleWithSuite(procs, target, false);
  const char* from = LockHandleWithSuite(procs, source, false);
  if (to && from)
    std::memmove(to + old, from, static_cast<size_t>(extra));
  UnlockHandleWithSuite(procs, source);
  UnlockHandleWithSuite(procs, target);
  return to && from ? noErr : nilHandleErr;
}

void CodeToBytes(uint32_t code, uint8_t bytes[4])
{
  for (int i = 0; i < 4; ++i)
    bytes[i] = static_cast<uint8_t>(code >> (8 * i));
}

uint32_t BytesToCode(const uint8_t bytes[4])
{
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

Handle LoadResourceToHandle(const HandleProcs* procs, HMODULE module, uint32_t type, int16_t id)
{
  if (type == FourCC("STR ")) {
    Str255 text = {0};
    return LoadStringResource(module, id, text) ? BytesToHandle(procs, text, text[0] + 1) : nullptr;
  }
  // The type's characters in reading order, the name "#id".
  const char typeName[5] = {static_cast<char>(type >> 24), static_cast<char>(type >> 16), static_cast<char>(type >> 8),
                            static_cast<char>(type), '\0'};
  const std::string name = "#" + std::to_string(id);
  HRSRC resource = FindResourceA(module, name.c_str(), typeName);
  const void* data = resource ? LockResource(LoadResource(module, resource)) : nullptr;
  const DWORD size = resource ? SizeofResource(module, resource) : 0;
  return data && size <= INT32_MAX ? BytesToHandle(procs, data, static_cast<int32_t>(size)) : nullptr;
}

bool LoadStringResource(HMODULE module, int16_t id, Str255 text)
{
  char buffer[256];
  const int length = LoadStringA(module, static_cast<UINT>(id), buffer, sizeof buffer);
  if (length < 1)
    return false;
  text[0] = 0;
  AppendText(text, buffer, length);
  return true;
}

} // namespace hostif
