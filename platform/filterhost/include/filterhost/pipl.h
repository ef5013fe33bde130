#pragma once
// Readers for the two resources that describe a filter plug-in: the property
// list (PiPL), which a host reads to find and run the plug-in, and the
// terminology (AETE), which names its scripting parameters.
//
// Both are little-endian; four-character codes are stored as 32-bit
// little-endian numbers of FourCC(). Both readers check every count and
// length against the block they are given and never read past it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace filterhost {

// One property: vendor, key and id, and `length` bytes of data (the length
// field counts the data's padding to 4 bytes).
struct PiplProperty {
  uint32_t vendor = 0;
  uint32_t key = 0;
  uint32_t id = 0;
  uint32_t length = 0;
  const uint8_t* data = nullptr; // inside the block given to Parse
};

// A parsed property list. The block: int16 1, int32 version 0, int32
// property count, then each property as vendor, key, id and length (32 bits
// each) followed by its data, padded to 4 bytes. The properties point into
// the block, which must outlive the reader.
class Pipl {
public:
  // False, with no properties and a reason in `error`, for anything but a
  // complete, well-formed list.
  bool Parse(const void* block, size_t size, std::string* error = nullptr);

  const std::vector<PiplProperty>& Properties() const { return properties_; }
  // The first property with this key, whatever its vendor.
  const PiplProperty* Find(uint32_t key) const;

  // 'kind': the plug-in's kind ('8BFM' for a filter).
  std::optional<uint32_t> Kind() const;
  // 'vers': the interface version, major in the high 16 bits.
  std::optional<uint32_t> Version() const;
  // 'mode': whether the bit of image mode `mode` (bit 7 - mode % 8 of byte
  // mode / 8) is set. False without the property or the byte.
  bool SupportsMode(int mode) const;
  // 'wx86': the name of the entry point; none when the name has no
  // terminator inside the property.
  std::optional<std::string> EntryName() const;

private:
  std::optional<uint32_t> Word(uint32_t key) const;
  std::vector<PiplProperty> properties_;
};

// ---- Terminology ------------------------------------------------------------
// The layout: int16 format 1, version bytes (major, minor), int16 language,
// int16 script, int16 suite count; each suite: name, description (strings
// with one length byte), id, int16 level, int16 version, int16 event count,
// its events, then int16 counts of classes, comparison operators and
// enumerations; each event: name, description, class, id, reply type, reply
// description, int16 reply flags, direct parameter type, its description,
// int16 flags, int16 parameter count, then each parameter as name, key,
// type, description and int16 flags.
struct AeteParameter {
  std::string name;
  uint32_t key = 0;
  uint32_t type = 0;
  std::string description;
  int16_t flags = 0;
};
struct AeteEvent {
  std::string name;
  std::string description;
  uint32_t eventClass = 0;
  uint32_t id = 0;
  uint32_t replyType = 0;
  std::string replyDescription;
  int16_t replyFlags = 0;
  uint32_t directType = 0;
  std::string directDescription;
  int16_t directFlags = 0;
  std::vector<AeteParameter> parameters;
};
struct AeteSuite {
  std::string name;
  std::string description;
  uint32_t id = 0;
  int16_t level = 0;
  int16_t version = 0;
  std::vector<AeteEvent> events;
};
struct Aete {
  int16_t format = 0;
  uint8_t major = 0;
  uint8_t minor = 0;
  int16_t language = 0;
  int16_t script = 0;
  std::vector<AeteSuite> suites;
  size_t end = 0; // the offset just past the last byte walked
};

// Walks a terminology block. False, with a reason, when a count or string
// runs past the block, or a suite declares classes, comparison operators or
// enumerations (which this walker does not describe).
bool ReadAete(const void* block, size_t size, Aete* aete, std::string* error = nullptr);

} // namespace filterhost
