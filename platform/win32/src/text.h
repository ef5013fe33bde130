#pragma once
// Internal to the stand-in: comparisons that ignore the case of ASCII
// letters, as Windows does for file, registry and resource names, and the
// characters of the code page (Windows-1252).
#include <string>
#include <string_view>

namespace standin::detail {

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EqualNoCase(std::string_view a, std::string_view b)
{
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i]))
      return false;
  return true;
}

// Case-insensitive order, byte order between names that differ only in case.
inline bool LessNoCase(std::string_view a, std::string_view b)
{
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = static_cast<unsigned char>(AsciiLower(a[i]));
    const unsigned char y = static_cast<unsigned char>(AsciiLower(b[i]));
    if (x != y)
      return x < y;
  }
  if (a.size() != b.size())
    return a.size() < b.size();
  return a < b;
}

// The Unicode code point of a code-page byte: bytes 0x80..0x9F of
// Windows-1252 are tabled, every other byte is its own code point.
inline unsigned long CodePoint(char c)
{
  static constexpr unsigned short kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                               0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  const unsigned char byte = static_cast<unsigned char>(c);
  return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
}

// The code-page byte of a Unicode code point; false for a character the
// code page does not hold.
inline bool CodePageByte(unsigned long u, char* byte)
{
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
    *byte = static_cast<char>(u);
    return true;
  }
  for (int b = 0x80; b < 0xA0; ++b)
    if (CodePoint(static_cast<char>(b)) == u && u >= 0xA0) {
      *byte = static_cast<char>(b);
      return true;
    }
  return false;
}

// Code-page text as UTF-8.
inline std::string Utf8FromCodePage(std::string_view text)
{
  std::string out;
  for (char c : text) {
    const unsigned long u = CodePoint(c);
    if (u < 0x80) {
      out += char(u);
    } else if (u < 0x800) {
      out += char(0xC0 | (u >> 6));
      out += char(0x80 | (u & 0x3F));
    } else {
      out += char(0xE0 | (u >> 12));
      out += char(0x80 | ((u >> 6) & 0x3F));
      out += char(0x80 | (u & 0x3F));
    }
  }
  return out;
}

} // namespace standin::detail
