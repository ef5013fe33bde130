// Which host application is running, from the executable's version
// information (see hostutil.h).
#include "hostutil.h"

#include "win32/modules.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace hostif {
namespace {

struct KnownHost {
  const char* internalName;
  uint32_t signature;
  int group; // hosts of one group answer for the earlier members; 0: alone
};

const KnownHost kHosts[] = {
    {"Adobe After Effects", FourCC("hAFX"), 0},
    {"Adobe Illustrator", FourCC("hILL"), 0},
    {"PM5", FourCC("PM5 "), 1},
    {"PM6", FourCC("PM6 "), 1},
    {"PM65", FourCC("PM65"), 1},
    {"PhotoDeluxe", FourCC("hPDX"), 0},
    {"Photoshp", FourCC("8BIM"), 0},
    {"Adobe Premiere", FourCC("hPRM"), 0},
    // Known to the extended variant only.
    {"CorelDrw", FourCC("hCDW"), 0},
    {"PhotoPnt", FourCC("hPPT"), 0},
    {"DeBabelizer Pro", FourCC("hDBZ"), 0},
};
constexpr size_t kBasicHosts = 8;
constexpr size_t kAllHosts = sizeof kHosts / sizeof kHosts[0];

bool SameNoCase(const char* a, const char* b)
{
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (; *a && *b; ++a, ++b)
    if (fold(*a) != fold(*b))
      return false;
  return *a == *b;
}

// Whether the running host (table index `running`) answers for `signature`:
// the same host, or a later member of its group.
bool Answers(size_t running, uint32_t signature, size_t hosts)
{
  if (kHosts[running].signature == signature)
    return true;
  for (size_t i = 0; i < running && i < hosts; ++i)
    if (kHosts[i].signature == signature && kHosts[i].group && kHosts[i].group == kHosts[running].group)
      return true;
  return false;
}

uint32_t Identify(uint32_t signature, bool extended)
{
  char path[256] = "";
  if (!GetModuleFileNameA(nullptr, path, sizeof path))
    return 0;
  const DWORD size = GetFileVersionInfoSizeA(path, nullptr);
  if (size == 0 || size > 1024)
    return 0;
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path, 0, size, block.data()))
    return 0;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
    return 0;
  const DWORD os = static_cast<const VS_FIXEDFILEINFO*>(value)->dwFileOS;
  const uint32_t system = os == VOS__WINDOWS16 ? 11 : os == VOS_NT ? 10 : 12;

  uint32_t translation = 0x04090000u;
  if (!extended) {
    translation = 0x040904E4u;
  } else if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
    const auto* words = static_cast<const uint16_t*>(value);
    translation = (static_cast<uint32_t>(words[0]) << 16) | words[1];
  }
  char query[64];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%08X\\InternalName", translation);
  if (!VerQueryValueA(block.data(), query, &value, &length) || length == 0)
    return 0;
  const char* internalName = static_cast<const char*>(value);
  const size_t hosts = extended ? kAllHosts : kBasicHosts;
  size_t running = hosts;
  for (size_t i = 0; i < hosts && running == hosts; ++i)
    if (SameNoCase(internalName, kHosts[i].internalName))
      running = i;
  if (running == hosts || !Answers(running, signature, hosts))
    return 0;

  std::snprintf(query, sizeof query, "\\StringFileInfo\\%08X\\FileVersion", translation);
  if (!VerQueryValueA(block.data(), query, &value, &length) || length == 0)
    return 0;
  const std::string version(static_cast<const char*>(value));
  const size_t dot = version.rfind('.');
  const uint32_t major = static_cast<uint32_t>(TextToInteger(version.substr(0, dot)));
  uint32_t minor = dot == std::string::npos ? 0 : static_cast<uint32_t>(TextToInteger(version.substr(dot + 1)));
  uint32_t further = 0;
  if (extended && minor > 9) {
    further = minor % 10;
    minor /= 10;
  }
  return (major << 24) | ((minor & 0xFF) << 16) | ((further & 0xFF) << 8) | system;
}

} // namespace

uint32_t HostVersion(uint32_t signature) { return Identify(signature, false); }

bool HostIdentified(uint32_t signature)
{
  const uint32_t system = HostVersion(signature) & 0xFF;
  return system == 10 || system == 11 || system == 12;
}

uint32_t HostVersionExtended(uint32_t signature) { return Identify(signature, true); }

} // namespace hostif
