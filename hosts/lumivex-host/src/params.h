#pragma once
// Scripting parameters: the entries of a descriptor, as the host keeps them,
// packs them into a handle for the plug-in, and stores them in its own
// parameter file format:
//
//   lumivex-host parameters 1
//   # comments and blank lines are skipped
//   KEY TYPE VALUE
//
// KEY and TYPE are four printable ASCII characters or 0xHHHHHHHH; TYPE is
// bool (true/false), long (a decimal 32-bit integer) or doub (a number
// written so that it reads back bit for bit; nan, inf and -inf allowed).
#include "lvxtext/error.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lvhost {

struct DescriptorEntry {
  uint32_t key = 0;
  uint32_t type = 0; // typeBoolean, typeInteger or typeFloat
  bool boolean = false;
  int32_t integer = 0;
  double number = 0;

  bool operator==(const DescriptorEntry& other) const;
};
using Descriptor = std::vector<DescriptorEntry>;

// Parses a parameter file's text; an error names the line ("line 3: ...")
// except for an empty file, and quotes at most 80 characters of a word (a
// NUL byte shown as \0). A
// key given twice is refused, with both lines: the plug-in would see only
// one of the two.
bool ParseParameters(const std::string& text, Descriptor* descriptor, lvxtext::Error* error);
std::string FormatParameters(const Descriptor& descriptor);
// The largest parameter file read: a real one has a line per scripting key,
// well under a kilobyte.
constexpr size_t kParameterFileLimit = size_t(1) << 20;
// Reads and parses the file; a path that is not a regular file of at most
// kParameterFileLimit bytes is refused with the reason ("PATH: is a
// directory", "PATH: not a regular file", "PATH: is larger than 1 MB").
bool ReadParameterFile(const std::string& path, Descriptor* descriptor, lvxtext::Error* error);
// Through a temporary file renamed into place.
bool WriteParameterFile(const std::string& path, const Descriptor& descriptor, lvxtext::Error* error);

// The bytes of a descriptor handle: the tag 'lvDS', a 32-bit count, then 16
// bytes per entry (key, type, value), all little-endian.
std::string PackDescriptor(const Descriptor& descriptor);
// False for bytes that are not a packed descriptor.
bool UnpackDescriptor(const char* bytes, size_t size, Descriptor* descriptor);

// A code as the file writes it: its characters, or 0xHHHHHHHH.
std::string CodeText(uint32_t code);

} // namespace lvhost
