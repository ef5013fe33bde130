// rescomp: compiles a module's resource list into a C++ source that carries
// the resource bytes and registers them with the Windows stand-in when the
// module loads (and removes them when it unloads).
//
//   rescomp --output OUT.cpp [--depfile OUT.d] [--search DIR]... LIST
//
// List lines ('#' starts a comment outside quotes):
//   bitmap ID FILE.bmp                 a packed DIB (the BMP without its file header)
//   string ID "text"                   escapes \n \t \\ \" \xHH
//   cursor ID FILE.bmp HOTX HOTY
//   icon ID FILE.bmp
//   data TYPE NAME FILE                TYPE "QUOTED" or RT_xxx; NAME a number or "QUOTED"
//   dialog ID X Y CX CY STYLE "caption" "font" POINTS
//   control ID "CLASS" "text" STYLE X Y CX CY
//                                      one control of the dialog above, in order
// Dialog sizes are in dialog units and styles are numbers (0x... allowed).
// A dialog compiles into the Windows stand-in's own template form:
//   "LVXDLG1\0", u32 style, u32 exStyle (0), i16 x, y, cx, cy, u16 points,
//   u16 control count, caption\0, font\0, then per control: u32 style,
//   u32 exStyle (0), i16 x, y, cx, cy, u16 id, class\0, text\0
// (little-endian).
// Relative file names resolve against the list's folder, then the --search
// folders. Any error names the list file and line and fails the build.
#include "lvxtext/error.h"
#include "lvxtext/linetokens.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string& message) { lvxtext::Throw(message); }

// A resource type or name: an id, or text (matched without regard to case).
struct ResName {
  unsigned id = 0;
  std::string text;
};

struct Resource {
  ResName type;
  ResName name;
  std::vector<unsigned char> bytes;
  bool dialog = false;
  int hotX = 0;
  int hotY = 0;
  int line = 0;
};

const std::map<std::string, unsigned> kStandardTypes = {
    {"RT_CURSOR", 1},      {"RT_BITMAP", 2},     {"RT_ICON", 3},          {"RT_MENU", 4},
    {"RT_DIALOG", 5},      {"RT_STRING", 6},     {"RT_FONTDIR", 7},       {"RT_FONT", 8},
    {"RT_ACCELERATOR", 9}, {"RT_RCDATA", 10},    {"RT_MESSAGETABLE", 11}, {"RT_GROUP_CURSOR", 12},
    {"RT_GROUP_ICON", 14}, {"RT_VERSION", 16},   {"RT_DLGINCLUDE", 17},   {"RT_PLUGPLAY", 19},
    {"RT_VXD", 20},        {"RT_ANICURSOR", 21}, {"RT_ANIICON", 22},      {"RT_HTML", 23},
    {"RT_MANIFEST", 24},
};

using lvxtext::HexDigit;
using lvxtext::Token;

// The escapes of a quoted string: \n \t \\ \" \xHH.
bool Unescape(const std::string& line, size_t& i, std::string& text, std::string& error)
{
  if (i >= line.size()) {
    error = "a backslash ends the line";
    return false;
  }
  const char e = line[i++];
  switch (e) {
  case 'n': text += '\n'; return true;
  case 't': text += '\t'; return true;
  case '\\': text += '\\'; return true;
  case '"': text += '"'; return true;
  case 'x':
    if (i + 1 >= line.size() || HexDigit(line[i]) < 0 || HexDigit(line[i + 1]) < 0) {
      error = "\\x needs two hex digits";
      return false;
    }
    text += static_cast<char>(HexDigit(line[i]) * 16 + HexDigit(line[i + 1]));
    i += 2;
    return true;
  default: error = std::string("unknown escape \\") + e; return false;
  }
}

// Blanks are spaces, tabs and carriage returns; '#' outside quotes starts a
// comment; a quote ends an unquoted word.
const lvxtext::LineSyntax kSyntax = {
    .blanks = " \t\r",
    .startsComment = [](const std::string& line, size_t at) { return line[at] == '#'; },
    .quoteEndsWord = true,
    .unescape = Unescape,
};

std::vector<Token> Tokenize(const std::string& line)
{
  std::vector<Token> tokens;
  std::string error;
  if (!lvxtext::Tokenize(line, kSyntax, tokens, error))
    Fail(error);
  return tokens;
}

unsigned ParseId(const Token& token, const char* what)
{
  const std::string& t = token.text;
  if (token.quoted || t.empty() || t.size() > 6 || t.find_first_not_of("0123456789") != std::string::npos)
    Fail(std::string(what) + " must be a number from 1 to 65535, not '" + t + "'");
  const unsigned long value = std::stoul(t);
  if (value < 1 || value > 65535)
    Fail(std::string(what) + " " + t + " is outside 1..65535");
  return static_cast<unsigned>(value);
}

int ParseInt(const Token& token, const char* what)
{
  const std::string& t = token.text;
  if (token.quoted || t.empty() || t.size() > 6 || t.find_first_not_of("0123456789") != std::string::npos)
    Fail(std::string(what) + " must be a non-negative number, not '" + t + "'");
  return std::stoi(t);
}

// A quoted name; "#123" is the id 123.
ResName QuotedName(const Token& token, const char* what)
{
  if (token.text.empty())
    Fail(std::string(what) + " cannot be empty");
  if (token.text.find('\0') != std::string::npos)
    Fail(std::string(what) + " cannot hold NUL");
  if (token.text[0] == '#' && token.text.size() > 1 &&
      token.text.find_first_not_of("0123456789", 1) == std::string::npos)
    return ResName{ParseId(Token{token.text.substr(1), false}, what), {}};
  return ResName{0, token.text};
}

std::string Lower(std::string text)
{
  for (char& c : text)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string Key(const ResName& name)
{
  return name.text.empty() ? "#" + std::to_string(name.id) : "$" + Lower(name.text);
}

bool Readable(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

struct Context {
  std::string folder;
  std::vector<std::string> search;
  std::vector<std::string> dependencies;
};

std::vector<unsigned char> ReadFile(Context& context, const Token& token)
{
  const std::string& name = token.text;
  if (name.empty())
    Fail("a file name is missing");
  std::vector<std::string> candidates;
  if (name[0] == '/') {
    candidates.push_back(name);
  } else {
    candidates.push_back(context.folder + "/" + name);
    for (const std::string& dir : context.search)
      candidates.push_back(dir + "/" + name);
  }
  for (const std::string& path : candidates) {
    if (!Readable(path))
      continue;
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
      Fail("cannot read " + path);
    context.dependencies.push_back(path);
    return bytes;
  }
  Fail("cannot find or read '" + name + "'");
}

uint32_t U32(const std::vector<unsigned char>& b, size_t at)
{
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t U16(const std::vector<unsigned char>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

// Checks a BMP file and returns it as a packed DIB: the header, the colour
// table and the pixel rows, without the 14-byte file header. Also gives the
// picture's size, for hot-spot checks.
std::vector<unsigned char> PackedDib(const std::vector<unsigned char>& file, const std::string& name, int& width,
                                     int& height)
{
  const std::string what = name + ": ";
  if (file.size() < 26 || file[0] != 'B' || file[1] != 'M')
    Fail(what + "not a BMP file");
  const uint32_t pixelsAt = U32(file, 10);
  const uint32_t headerSize = U32(file, 14);
  uint32_t bits = 0, planes = 0, compression = 0, used = 0, entryBytes = 4;
  int64_t w = 0, h = 0;
  if (headerSize == 12) {
    w = U16(file, 18);
    h = U16(file, 20);
    planes = U16(file, 22);
    bits = U16(file, 24);
    entryBytes = 3;
  } else if (headerSize == 40) {
    if (file.size() < 54)
      Fail(what + "truncated header");
    w = static_cast<int32_t>(U32(file, 18));
    h = static_cast<int32_t>(U32(file, 22));
    planes = U16(file, 26);
    bits = U16(file, 28);
    compression = U32(file, 30);
    used = U32(file, 46);
  } else {
    Fail(what + "unsupported header (size " + std::to_string(headerSize) + "; 40 or 12 expected)");
  }
  if (planes != 1)
    Fail(what + "planes must be 1");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
    Fail(what + std::to_string(bits) + " bits per pixel (1, 4, 8, 24 or 32 expected)");
  if (compression != 0)
    Fail(what + "compressed bitmaps are not supported");
  if (w <= 0 || h == 0 || w > 65535 || h > 65535 || h < -65535)
    Fail(what + "bad size " + std::to_string(w) + " x " + std::to_string(h));
  uint64_t colours = bits <= 8 ? (1u << bits) : 0;
  if (used != 0) {
    if (bits <= 8 && used > colours)
      Fail(what + "colour count larger than the bit depth allows");
    colours = used;
  }
  const uint64_t tableAt = 14 + headerSize;
  const uint64_t tableBytes = colours * entryBytes;
  const uint64_t rowBytes = ((static_cast<uint64_t>(w) * bits + 31) / 32) * 4;
  const uint64_t pixelBytes = rowBytes * static_cast<uint64_t>(h < 0 ? -h : h);
  if (tableAt + tableBytes > file.size())
    Fail(what + "truncated colour table");
  if (pixelsAt < tableAt + tableBytes || pixelsAt + pixelBytes > file.size())
    Fail(what + "pixel data missing or truncated");
  std::vector<unsigned char> dib(file.begin() + 14, file.begin() + static_cast<long>(tableAt + tableBytes));
  dib.insert(dib.end(), file.begin() + pixelsAt, file.begin() + static_cast<long>(pixelsAt + pixelBytes));
  width = static_cast<int>(w);
  height = static_cast<int>(h < 0 ? -h : h);
  return dib;
}

// A number: decimal or 0x hexadecimal, at most `max`.
uint32_t ParseNumber(const Token& token, const char* what, uint64_t max)
{
  const std::string& t = token.text;
  const bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
  const std::string digits = hex ? t.substr(2) : t;
  if (token.quoted || digits.empty() || digits.size() > 10 ||
      digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
    Fail(std::string(what) + " must be a number, not '" + t + "'");
  const uint64_t value = std::stoull(digits, nullptr, hex ? 16 : 10);
  if (value > max)
    Fail(std::string(what) + " " + t + " is too large");
  return static_cast<uint32_t>(value);
}

void Put(std::vector<unsigned char>& out, uint32_t value, int bytes)
{
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<unsigned char>((value >> (8 * i)) & 0xFF));
}

void PutText(std::vector<unsigned char>& out, const Token& token, const char* what)
{
  if (!token.quoted)
    Fail(std::string(what) + " must be quoted");
  if (token.text.find('\0') != std::string::npos)
    Fail(std::string(what) + " cannot hold NUL");
  out.insert(out.end(), token.text.begin(), token.text.end());
  out.push_back(0);
}

// The four sizes X Y CX CY in dialog units.
void PutBox(std::vector<unsigned char>& out, const std::vector<Token>& t, size_t first)
{
  for (size_t i = first; i < first + 4; ++i)
    Put(out, ParseNumber(t[i], "a dialog unit", 32767), 2);
}

constexpr size_t kControlCountAt = 26; // after the magic, styles, box and points

// Adds a control line to the dialog compiled just before it.
void AddControl(Resource& dialog, const std::vector<Token>& t)
{
  if (t.size() != 9)
    Fail("expected: control ID \"CLASS\" \"text\" STYLE X Y CX CY");
  std::vector<unsigned char>& out = dialog.bytes;
  Put(out, ParseNumber(t[4], "the style", 0xFFFFFFFFu), 4);
  Put(out, 0, 4);
  PutBox(out, t, 5);
  Put(out, ParseNumber(t[1], "the control id", 65535), 2);
  PutText(out, t[2], "the class");
  PutText(out, t[3], "the text");
  const unsigned count = out[kControlCountAt] | (out[kControlCountAt + 1] << 8);
  if (count == 65535)
    Fail("too many controls");
  out[kControlCountAt] = static_cast<unsigned char>((count + 1) & 0xFF);
  out[kControlCountAt + 1] = static_cast<unsigned char>((count + 1) >> 8);
}

Resource ParseLine(Context& context, const std::vector<Token>& t)
{
  const std::string& kind = t[0].text;
  auto need = [&](size_t count, const char* form) {
    if (t.size() != count)
      Fail(std::string("expected: ") + form);
  };
  Resource r;
  if (t[0].quoted)
    Fail("a line must start with bitmap, string, cursor, icon, data, dialog or control");
  if (kind == "bitmap" || kind == "icon" || kind == "cursor") {
    if (kind == "cursor")
      need(5, "cursor ID FILE.bmp HOTX HOTY");
    else
      need(3, (kind + " ID FILE.bmp").c_str());
    r.type.id = kind == "bitmap" ? 2 : kind == "icon" ? 3 : 1;
    r.name.id = ParseId(t[1], "the id");
    int width = 0, height = 0;
    r.bytes = PackedDib(ReadFile(context, t[2]), t[2].text, width, height);
    if (kind == "cursor") {
      r.hotX = ParseInt(t[3], "the hot spot");
      r.hotY = ParseInt(t[4], "the hot spot");
      if (r.hotX >= width || r.hotY >= height)
        Fail("the hot spot lies outside the cursor");
    }
  } else if (kind == "string") {
    need(3, "string ID \"text\"");
    if (!t[2].quoted)
      Fail("the text must be quoted");
    r.type.id = 6;
    r.name.id = ParseId(t[1], "the id");
    r.bytes.assign(t[2].text.begin(), t[2].text.end());
  } else if (kind == "dialog") {
    need(10, "dialog ID X Y CX CY STYLE \"caption\" \"font\" POINTS");
    r.type.id = 5;
    r.name.id = ParseId(t[1], "the id");
    r.dialog = true;
    const char magic[8] = {'L', 'V', 'X', 'D', 'L', 'G', '1', 0};
    r.bytes.assign(magic, magic + 8);
    Put(r.bytes, ParseNumber(t[6], "the style", 0xFFFFFFFFu), 4);
    Put(r.bytes, 0, 4);
    PutBox(r.bytes, t, 2);
    Put(r.bytes, ParseNumber(t[9], "the point size", 1000), 2);
    Put(r.bytes, 0, 2); // the control count, raised by each control line
    PutText(r.bytes, t[7], "the caption");
    PutText(r.bytes, t[8], "the font");
  } else if (kind == "data") {
    need(4, "data TYPE NAME FILE");
    if (t[1].quoted) {
      r.type = QuotedName(t[1], "the type");
    } else {
      auto it = kStandardTypes.find(t[1].text);
      if (it == kStandardTypes.end())
        Fail("unknown type '" + t[1].text + "' (quote a custom type)");
      r.type.id = it->second;
    }
    r.name = t[2].quoted ? QuotedName(t[2], "the name") : ResName{ParseId(t[2], "the name"), {}};
    r.bytes = ReadFile(context, t[3]);
  } else {
    Fail("unknown resource kind '" + kind + "'");
  }
  return r;
}

// A C++ string literal; octal escapes cannot run into the next character.
std::string Literal(const std::string& text)
{
  std::string out = "\"";
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u > 0x7E || c == '?') {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\%03o", u);
      out += buffer;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Generate(const std::string& list, const std::vector<Resource>& resources)
{
  std::ostringstream out;
  out << "// Generated by rescomp from " << list << ". Do not edit.\n"
      << "#include \"win32/memory.h\"\n#include \"win32/resourcetable.h\"\n\nnamespace {\n\n";
  for (size_t i = 0; i < resources.size(); ++i) {
    const auto& bytes = resources[i].bytes;
    out << "alignas(16) const unsigned char kResource" << i << "[" << (bytes.empty() ? 1 : bytes.size()) << "] = {";
    for (size_t b = 0; b < bytes.size(); ++b)
      out << (b % 24 == 0 ? "\n  " : "") << static_cast<unsigned>(bytes[b]) << ",";
    out << "\n};\n";
  }
  auto nameFields = [](const ResName& n) {
    return n.text.empty() ? "nullptr, " + std::to_string(n.id) : Literal(n.text) + ", 0";
  };
  if (resources.empty()) {
    out << "const standin::ResourceEntry* const kEntries = nullptr;\n";
  } else {
    out << "\nconst standin::ResourceEntry kEntries[] = {\n";
    for (size_t i = 0; i < resources.size(); ++i) {
      const Resource& r = resources[i];
      out << "  {" << nameFields(r.type) << ", " << nameFields(r.name) << ", kResource" << i << ", " << r.bytes.size()
          << ", " << r.hotX << ", " << r.hotY << "}, // line " << r.line << "\n";
    }
    out << "};\n";
  }
  out << "const standin::ResourceTable kTable = {kEntries, " << resources.size() << "};\n\n"
      << "HINSTANCE ThisModule()\n{\n"
      << "  MEMORY_BASIC_INFORMATION info{};\n"
      << "  return VirtualQuery(&kTable, &info, sizeof info) ? static_cast<HINSTANCE>(info.AllocationBase) : nullptr;\n"
      << "}\n\n"
      << "struct Registrar {\n"
      << "  Registrar() { standin::RegisterResources(ThisModule(), &kTable); }\n"
      << "  ~Registrar() { standin::UnregisterResources(ThisModule(), &kTable); }\n"
      << "} g_registrar;\n\n"
      << "} // namespace\n";
  return out.str();
}

std::string EscapeForDepfile(const std::string& path)
{
  std::string out;
  for (const char c : path) {
    if (c == ' ' || c == '#')
      out += '\\';
    else if (c == '$')
      out += '$';
    out += c;
  }
  return out;
}

bool WriteText(const std::string& path, const std::string& text)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return out.good();
}

int Usage()
{
  std::fprintf(stderr, "usage: rescomp --output OUT.cpp [--depfile OUT.d] [--search DIR]... LIST\n");
  return 2;
}

} // namespace

int main(int argc, char** argv)
{
  std::string output, depfile, list;
  Context context;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--output" || arg == "--depfile" || arg == "--search") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "--output")
        output = value;
      else if (arg == "--depfile")
        depfile = value;
      else
        context.search.push_back(value);
    } else if (!arg.empty() && arg[0] != '-' && list.empty()) {
      list = arg;
    } else {
      return Usage();
    }
  }
  if (output.empty() || list.empty())
    return Usage();
  const size_t slash = list.find_last_of('/');
  context.folder = slash == std::string::npos ? "." : list.substr(0, slash);

  std::ifstream in(list);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read the resource list\n", list.c_str());
    return 1;
  }
  std::vector<Resource> resources;
  std::map<std::string, int> seen; // type/name -> line
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    try {
      const std::vector<Token> tokens = Tokenize(line);
      if (tokens.empty())
        continue;
      if (!tokens[0].quoted && tokens[0].text == "control") {
        if (resources.empty() || !resources.back().dialog)
          Fail("a control line must follow its dialog line");
        AddControl(resources.back(), tokens);
        continue;
      }
      Resource r = ParseLine(context, tokens);
      r.line = number;
      const std::string key = Key(r.type) + "/" + Key(r.name);
      auto [it, fresh] = seen.emplace(key, number);
      if (!fresh)
        Fail("duplicate resource (type and name already used on line " + std::to_string(it->second) + ")");
      resources.push_back(std::move(r));
    } catch (const lvxtext::Error& failure) {
      std::fprintf(stderr, "%s:%d: error: %s\n", list.c_str(), number, failure.message.c_str());
      return 1;
    }
  }
  if (!WriteText(output, Generate(list, resources))) {
    std::fprintf(stderr, "%s: cannot write\n", output.c_str());
    return 1;
  }
  if (!depfile.empty()) {
    std::string deps = EscapeForDepfile(output) + ":";
    deps += " " + EscapeForDepfile(list);
    for (const std::string& dep : context.dependencies)
      deps += " " + EscapeForDepfile(dep);
    if (!WriteText(depfile, deps + "\n")) {
      std::fprintf(stderr, "%s: cannot write\n", depfile.c_str());
      return 1;
    }
  }
  return 0;
}
