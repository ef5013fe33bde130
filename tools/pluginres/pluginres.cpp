// pluginres: makes a filter plug-in's property list (PiPL) and terminology
// (AETE) resources from a readable description.
//
//   pluginres --pipl OUT.pipl --aete OUT.aete DESCRIPTION
//
// The description has a "pipl" section and an "aete" section; see
// plugin/resources/lumivexpi.plugin for the lines each may hold. A comment
// starts with '#' followed by a blank (so "#ImR" is a code). Parameter keys
// and types come from the plug-in's scripting keys. Any error names the
// line and fails the build.
#include "filterhost/scriptingkeys.h"
#include "lvxtext/error.h"
#include "lvxtext/linetokens.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string& message) { lvxtext::Throw(message); }

using lvxtext::Token;

// Blanks are spaces, tabs and carriage returns; '#' starts a comment only
// when a blank or the line's end follows it; quoted text has no escapes.
const lvxtext::LineSyntax kSyntax = {
    .blanks = " \t\r",
    .startsComment =
        [](const std::string& line, size_t at) {
          return line[at] == '#' && (at + 1 == line.size() || line[at + 1] == ' ' || line[at + 1] == '\t');
        },
    .unterminated = "unterminated string",
};

std::vector<Token> Tokenize(const std::string& line)
{
  std::vector<Token> tokens;
  std::string error;
  if (!lvxtext::Tokenize(line, kSyntax, tokens, error))
    Fail(error);
  return tokens;
}

using Bytes = std::vector<uint8_t>;

void PutU32(Bytes& out, uint32_t v)
{
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutI16(Bytes& out, int v)
{
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutPString(Bytes& out, const std::string& text)
{
  if (text.size() > 255)
    Fail("a string longer than 255 characters");
  out.push_back(static_cast<uint8_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}
void PadTo4(Bytes& out)
{
  while (out.size() % 4)
    out.push_back(0);
}

const std::string& CodeText(const Token& token)
{
  if (token.quoted || token.text.size() != 4)
    Fail("'" + token.text + "' is not a four-character code");
  return token.text;
}
uint32_t Code(const Token& token)
{
  const std::string& t = CodeText(token);
  return (static_cast<uint32_t>(static_cast<uint8_t>(t[0])) << 24) | (static_cast<uint8_t>(t[1]) << 16) |
         (static_cast<uint8_t>(t[2]) << 8) | static_cast<uint8_t>(t[3]);
}
long Number(const Token& token, long low, long high)
{
  char* end = nullptr;
  const long value = token.quoted ? 0 : std::strtol(token.text.c_str(), &end, 0);
  if (token.quoted || token.text.empty() || *end || value < low || value > high)
    Fail("'" + token.text + "' is not a number from " + std::to_string(low) + " to " + std::to_string(high));
  return value;
}
const std::string& Text(const Token& token)
{
  if (!token.quoted)
    Fail("'" + token.text + "' must be in double quotes");
  return token.text;
}

void Expect(const std::vector<Token>& t, size_t count, const char* form)
{
  if (t.size() != count)
    Fail(std::string("expected: ") + form);
}

struct Property {
  uint32_t vendor = 0, key = 0;
  Bytes data;
  bool takesCases = false;
};

// The data of a "property" line.
Property ParseProperty(const std::vector<Token>& t)
{
  if (t.size() < 4)
    Fail("expected: property VENDOR KEY TYPE VALUE...");
  Property p;
  p.vendor = Code(t[1]);
  p.key = Code(t[2]);
  const std::string& type = t[3].text;
  if (type == "code") {
    Expect(t, 5, "property VENDOR KEY code CODE");
    PutU32(p.data, Code(t[4]));
  } else if (type == "int32") {
    Expect(t, 5, "property VENDOR KEY int32 NUMBER");
    PutU32(p.data, static_cast<uint32_t>(Number(t[4], INT32_MIN, UINT32_MAX)));
  } else if (type == "pstring") {
    Expect(t, 5, "property VENDOR KEY pstring \"TEXT\"");
    PutPString(p.data, Text(t[4]));
  } else if (type == "cstring") {
    Expect(t, 5, "property VENDOR KEY cstring \"TEXT\"");
    const std::string& text = Text(t[4]);
    p.data.insert(p.data.end(), text.begin(), text.end());
    p.data.push_back(0);
  } else if (type == "terminology") {
    Expect(t, 9, "property VENDOR KEY terminology VERSION CLASS EVENT ID \"SCOPE\"");
    PutU32(p.data, static_cast<uint32_t>(Number(t[4], 0, INT32_MAX)));
    for (const Token* code : {&t[5], &t[6]}) {
      const std::string& bytes = CodeText(*code);
      p.data.insert(p.data.end(), bytes.begin(), bytes.end());
    }
    PutU32(p.data, static_cast<uint32_t>(Number(t[7], 0, INT32_MAX)));
    const std::string& scope = Text(t[8]);
    p.data.insert(p.data.end(), scope.begin(), scope.end());
    p.data.push_back(0);
  } else if (type == "modes") {
    // Bit 7 - m % 8 of byte m / 8 for each image mode m.
    for (size_t i = 4; i < t.size(); ++i) {
      const long mode = Number(t[i], 0, 255);
      if (p.data.size() <= static_cast<size_t>(mode / 8))
        p.data.resize(static_cast<size_t>(mode / 8) + 1);
      p.data[static_cast<size_t>(mode / 8)] |= static_cast<uint8_t>(0x80 >> (mode % 8));
    }
  } else if (type == "filtercases") {
    Expect(t, 4, "property VENDOR KEY filtercases, then one case line per case");
    p.takesCases = true;
  } else {
    Fail("unknown property type '" + type + "'");
  }
  PadTo4(p.data);
  return p;
}

struct Description {
  std::vector<Property> properties;
  Bytes aete;
  int suites = 0;
  int events = 0;
  int parameters = 0;
  size_t suiteCountAt = 0, eventCountAt = 0, parameterCountAt = 0;
};

void SetI16(Bytes& out, size_t at, int v)
{
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

// Ends the open suite (if any) with its event count and zero classes,
// comparison operators and enumerations.
void CloseSuite(Description& d)
{
  if (d.suites == 0)
    return;
  SetI16(d.aete, d.eventCountAt, d.events);
  if (d.events)
    SetI16(d.aete, d.parameterCountAt, d.parameters);
  for (int i = 0; i < 3; ++i)
    PutI16(d.aete, 0);
}

void ParseAeteLine(Description& d, const std::vector<Token>& t, std::string& stage)
{
  const std::string& kind = t[0].text;
  auto after = [&](const char* previous, const char* form) {
    if (stage != previous)
      Fail(std::string("'") + kind + "' must follow '" + previous + "' (" + form + ")");
  };
  Bytes& out = d.aete;
  if (kind == "header") {
    Expect(t, 6, "header FORMAT MAJOR MINOR LANGUAGE SCRIPT");
    after("", "once, first");
    PutI16(out, static_cast<int>(Number(t[1], -32768, 32767)));
    out.push_back(static_cast<uint8_t>(Number(t[2], 0, 255)));
    out.push_back(static_cast<uint8_t>(Number(t[3], 0, 255)));
    PutI16(out, static_cast<int>(Number(t[4], -32768, 32767)));
    PutI16(out, static_cast<int>(Number(t[5], -32768, 32767)));
    d.suiteCountAt = out.size();
    PutI16(out, 0);
  } else if (kind == "suite") {
    Expect(t, 6, "suite \"NAME\" \"DESCRIPTION\" ID LEVEL VERSION");
    if (stage.empty())
      Fail("'suite' must follow 'header'");
    CloseSuite(d);
    ++d.suites;
    d.events = 0;
    PutPString(out, Text(t[1]));
    PutPString(out, Text(t[2]));
    PutU32(out, Code(t[3]));
    PutI16(out, static_cast<int>(Number(t[4], -32768, 32767)));
    PutI16(out, static_cast<int>(Number(t[5], -32768, 32767)));
    d.eventCountAt = out.size();
    PutI16(out, 0);
  } else if (kind == "event") {
    Expect(t, 5, "event \"NAME\" \"DESCRIPTION\" CLASS ID");
    if (d.suites == 0)
      Fail("'event' must follow a 'suite'");
    if (d.events)
      SetI16(out, d.parameterCountAt, d.parameters);
    ++d.events;
    d.parameters = 0;
    PutPString(out, Text(t[1]));
    PutPString(out, Text(t[2]));
    PutU32(out, Code(t[3]));
    PutU32(out, Code(t[4]));
  } else if (kind == "reply" || kind == "direct") {
    Expect(t, 4, "reply|direct TYPE \"DESCRIPTION\" FLAGS");
    after(kind == "reply" ? "event" : "reply", "an event's reply, then its direct parameter");
    PutU32(out, Code(t[1]));
    PutPString(out, Text(t[2]));
    PutI16(out, static_cast<int>(Number(t[3], 0, 0xFFFF)));
    if (kind == "direct") {
      d.parameterCountAt = out.size();
      PutI16(out, 0);
    }
  } else if (kind == "parameter") {
    Expect(t, 2, "parameter \"NAME\"");
    if (stage != "direct" && stage != "parameter")
      Fail("'parameter' must follow 'direct'");
    const ScriptingKey* found = nullptr;
    for (const ScriptingKey& key : kScriptingKeys)
      if (Text(t[1]) == key.name)
        found = &key;
    if (!found)
      Fail("'" + t[1].text + "' is not a scripting key's name");
    ++d.parameters;
    PutPString(out, found->name);
    PutU32(out, found->key);
    PutU32(out, found->type);
    PutPString(out, "");
    PutI16(out, 0);
  } else {
    Fail("unknown terminology line '" + kind + "'");
  }
  stage = kind;
}

Description Parse(std::istream& in)
{
  Description d;
  std::string section, stage, line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    try {
      const std::vector<Token> t = Tokenize(line);
      if (t.empty())
        continue;
      if (!t[0].quoted && (t[0].text == "pipl" || t[0].text == "aete")) {
        Expect(t, 1, "pipl or aete alone on its line");
        section = t[0].text;
      } else if (section == "pipl" && t[0].text == "property") {
        d.properties.push_back(ParseProperty(t));
      } else if (section == "pipl" && t[0].text == "case") {
        Expect(t, 5, "case INPUT OUTPUT FLAGS1 FLAGS2");
        if (d.properties.empty() || !d.properties.back().takesCases)
          Fail("'case' must follow a filtercases property");
        for (size_t i = 1; i < 5; ++i)
          d.properties.back().data.push_back(static_cast<uint8_t>(Number(t[i], 0, 255)));
      } else if (section == "aete") {
        ParseAeteLine(d, t, stage);
      } else {
        Fail("'" + t[0].text + "' is not a line of the " + (section.empty() ? "description" : section) + " section");
      }
    } catch (const lvxtext::Error& failure) {
      Fail("line " + std::to_string(number) + ": " + failure.message);
    }
  }
  if (d.properties.empty() || stage.empty())
    Fail("both a pipl and an aete section are needed");
  CloseSuite(d);
  SetI16(d.aete, d.suiteCountAt, d.suites);
  return d;
}

Bytes PiplBytes(const Description& d)
{
  Bytes out;
  PutI16(out, 1);
  PutU32(out, 0);
  PutU32(out, static_cast<uint32_t>(d.properties.size()));
  for (const Property& p : d.properties) {
    PutU32(out, p.vendor);
    PutU32(out, p.key);
    PutU32(out, 0);
    PutU32(out, static_cast<uint32_t>(p.data.size()));
    out.insert(out.end(), p.data.begin(), p.data.end());
  }
  return out;
}

void Write(const std::string& path, const Bytes& bytes)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out.good())
    Fail("cannot write " + path);
}

} // namespace

int main(int argc, char** argv)
{
  std::string pipl, aete, description;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--pipl" || arg == "--aete") && i + 1 < argc)
      (arg == "--pipl" ? pipl : aete) = argv[++i];
    else if (description.empty() && !arg.empty() && arg[0] != '-')
      description = arg;
    else
      pipl.clear(); // anything else is a usage error
  }
  if (pipl.empty() || aete.empty() || description.empty()) {
    std::fprintf(stderr, "usage: pluginres --pipl OUT --aete OUT DESCRIPTION\n");
    return 2;
  }
  try {
    std::ifstream in(description);
    if (!in)
      Fail("cannot read the description");
    const Description d = Parse(in);
    Write(pipl, PiplBytes(d));
    Write(aete, d.aete);
  } catch (const lvxtext::Error& failure) {
    std::fprintf(stderr, "%s: %s\n", description.c_str(), failure.message.c_str());
    return 1;
  }
  return 0;
}
