// The property-list and terminology readers. Every read goes through one
// cursor that refuses to move past the end of the block.
#include "filterhost/pipl.h"

#include "filterhost/filterhost.h"

namespace filterhost {
namespace {

class Cursor {
public:
  Cursor(const void* block, size_t size) : data_(static_cast<const uint8_t*>(block)), size_(block ? size : 0) {}

  bool Take(size_t bytes, const uint8_t** at)
  {
    if (!ok_ || bytes > size_ - pos_)
      return ok_ = false;
    *at = data_ + pos_;
    pos_ += bytes;
    return true;
  }
  uint32_t U32()
  {
    const uint8_t* p = nullptr;
    if (!Take(4, &p))
      return 0;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
  int16_t I16()
  {
    const uint8_t* p = nullptr;
    return Take(2, &p) ? static_cast<int16_t>(p[0] | (p[1] << 8)) : 0;
  }
  uint8_t U8()
  {
    const uint8_t* p = nullptr;
    return Take(1, &p) ? *p : 0;
  }
  // A string with one length byte.
  std::string PString()
  {
    const uint8_t length = U8();
    const uint8_t* p = nullptr;
    return Take(length, &p) ? std::string(reinterpret_cast<const char*>(p), length) : std::string();
  }
  bool Ok() const { return ok_; }
  size_t Position() const { return pos_; }

private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

bool Refuse(std::string* error, const char* why)
{
  if (error)
    *error = why;
  return false;
}

uint32_t LittleEndian(const uint8_t* p)
{
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

bool Pipl::Parse(const void* block, size_t size, std::string* error)
{
  properties_.clear();
  Cursor in(block, size);
  const int16_t format = in.I16();
  const uint32_t version = in.U32();
  const uint32_t count = in.U32();
  if (!in.Ok())
    return Refuse(error, "the property list is shorter than its header");
  if (format != 1 || version != 0)
    return Refuse(error, "not a property list of a known version");
  std::vector<PiplProperty> properties;
  for (uint32_t i = 0; i < count; ++i) {
    PiplProperty p;
    p.vendor = in.U32();
    p.key = in.U32();
    p.id = in.U32();
    p.length = in.U32();
    const uint8_t* padding = nullptr;
    if (!in.Take(p.length, &p.data) || !in.Take((4 - p.length % 4) % 4, &padding))
      return Refuse(error, "a property runs past the end of the list");
    properties.push_back(p);
  }
  properties_ = std::move(properties);
  return true;
}

const PiplProperty* Pipl::Find(uint32_t key) const
{
  for (const PiplProperty& p : properties_)
    if (p.key == key)
      return &p;
  return nullptr;
}

std::optional<uint32_t> Pipl::Word(uint32_t key) const
{
  const PiplProperty* p = Find(key);
  if (!p || p->length < 4)
    return std::nullopt;
  return LittleEndian(p->data);
}

std::optional<uint32_t> Pipl::Kind() const { return Word(FourCC("kind")); }

std::optional<uint32_t> Pipl::Version() const { return Word(FourCC("vers")); }

bool Pipl::SupportsMode(int mode) const
{
  const PiplProperty* p = Find(FourCC("mode"));
  if (!p || mode < 0 || static_cast<uint32_t>(mode / 8) >= p->length)
    return false;
  return (p->data[mode / 8] >> (7 - mode % 8)) & 1;
}

std::optional<std::string> Pipl::EntryName() const
{
  const PiplProperty* p = Find(FourCC("wx86"));
  if (!p)
    return std::nullopt;
  for (uint32_t i = 0; i < p->length; ++i)
    if (p->data[i] == 0)
      return std::string(reinterpret_cast<const char*>(p->data), i);
  return std::nullopt;
}

bool ReadAete(const void* block, size_t size, Aete* aete, std::string* error)
{
  Cursor in(block, size);
  Aete out;
  out.format = in.I16();
  out.major = in.U8();
  out.minor = in.U8();
  out.language = in.I16();
  out.script = in.I16();
  const int16_t suites = in.I16();
  for (int16_t s = 0; in.Ok() && s < suites; ++s) {
    AeteSuite suite;
    suite.name = in.PString();
    suite.description = in.PString();
    suite.id = in.U32();
    suite.level = in.I16();
    suite.version = in.I16();
    const int16_t events = in.I16();
    for (int16_t e = 0; in.Ok() && e < events; ++e) {
      AeteEvent event;
      event.name = in.PString();
      event.description = in.PString();
      event.eventClass = in.U32();
      event.id = in.U32();
      event.replyType = in.U32();
      event.replyDescription = in.PString();
      event.replyFlags = in.I16();
      event.directType = in.U32();
      event.directDescription = in.PString();
      event.directFlags = in.I16();
      const int16_t parameters = in.I16();
      for (int16_t p = 0; in.Ok() && p < parameters; ++p) {
        AeteParameter parameter;
        parameter.name = in.PString();
        parameter.key = in.U32();
        parameter.type = in.U32();
        parameter.description = in.PString();
        parameter.flags = in.I16();
        event.parameters.push_back(parameter);
      }
      suite.events.push_back(event);
    }
    const int16_t classes = in.I16();
    const int16_t comparisons = in.I16();
    const int16_t enumerations = in.I16();
    if (in.Ok() && (classes || comparisons || enumerations))
      return Refuse(error, "classes, comparison operators and enumerations are not walked");
    out.suites.push_back(suite);
  }
  if (!in.Ok())
    return Refuse(error, "the terminology runs past the end of its block");
  out.end = in.Position();
  if (aete)
    *aete = std::move(out);
  return true;
}

} // namespace filterhost
