// Reading UI scripts (see uiscript.h).
#include "uiscript/uiscript.h"

#include "lvxtext/linetokens.h"
#include "win32/messagebox.h"
#include "win32/textfile.h"
#include "win32/windowing.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

namespace uiscript {
namespace {

bool StartsComment(const std::string& line, size_t at) { return line[at] == '#'; }

bool Unescape(const std::string& line, size_t& at, std::string& text, std::string& error)
{
  if (at >= line.size()) {
    error = "a backslash ends the line";
    return false;
  }
  const char c = line[at++];
  switch (c) {
  case 'n': text += '\n'; return true;
  case 't': text += '\t'; return true;
  case '\\':
  case '"': text += c; return true;
  default: error = std::string("unknown escape \\") + c; return false;
  }
}

const lvxtext::LineSyntax kSyntax{" \t\r", StartsComment, false, Unescape, "unterminated quoted string", true};

std::string Lower(std::string s)
{
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The virtual key of a key name (any case); 0 when unknown.
int KeyCode(const std::string& name)
{
  static const std::map<std::string, int> kNames = {
      {"ctrl", VK_CONTROL},  {"shift", VK_SHIFT}, {"alt", VK_MENU},    {"enter", VK_RETURN},   {"esc", VK_ESCAPE},
      {"escape", VK_ESCAPE}, {"tab", VK_TAB},     {"space", VK_SPACE}, {"backspace", VK_BACK}, {"delete", VK_DELETE},
      {"insert", VK_INSERT}, {"home", VK_HOME},   {"end", VK_END},     {"pageup", VK_PRIOR},   {"pagedown", VK_NEXT},
      {"up", VK_UP},         {"down", VK_DOWN},   {"left", VK_LEFT},   {"right", VK_RIGHT},
  };
  const std::string lower = Lower(name);
  if (auto it = kNames.find(lower); it != kNames.end())
    return it->second;
  if (lower.size() == 1 && std::isalnum(static_cast<unsigned char>(lower[0])))
    return std::toupper(static_cast<unsigned char>(lower[0]));
  if (lower.size() >= 2 && lower[0] == 'f') {
    char* end = nullptr;
    const long n = std::strtol(lower.c_str() + 1, &end, 10);
    if (*end == '\0' && n >= 1 && n <= 12 && std::isdigit(static_cast<unsigned char>(lower[1])))
      return VK_F1 + static_cast<int>(n) - 1;
  }
  return 0;
}

class LineParser {
public:
  LineParser(std::vector<lvxtext::Token> tokens, const NamedTargets& names) : tokens_(std::move(tokens)), names_(names)
  {
  }

  bool Parse(Step* step, lvxtext::Error* error)
  {
    const std::string verb = Word();
    if (verb == "click" || verb == "press" || verb == "move" || verb == "release") {
      step->action = verb == "click"   ? Action::Click
                     : verb == "press" ? Action::Press
                     : verb == "move"  ? Action::Move
                                       : Action::Release;
      return TargetArg(&step->target) && Number(&step->x1) && Number(&step->y1) && End(error);
    }
    if (verb == "drag") {
      step->action = Action::Drag;
      return TargetArg(&step->target) && Number(&step->x1) && Number(&step->y1) && Number(&step->x2) &&
             Number(&step->y2) && End(error);
    }
    if (verb == "key") {
      const std::string how = Word();
      step->action = how == "down" ? Action::KeyDown : how == "up" ? Action::KeyUp : Action::KeyPress;
      if (how != "down" && how != "up" && how != "press")
        return lvxtext::Fail(error, "key needs down, up or press");
      const std::string name = Word();
      step->key = KeyCode(name);
      if (step->key == 0)
        return lvxtext::Fail(error, name.empty() ? "key needs a key name" : "unknown key " + name);
      return End(error);
    }
    if (verb == "type") {
      step->action = Action::Type;
      return Rest(&step->text, "type needs the text", error);
    }
    if (verb == "close") {
      step->action = Action::Close;
      if (TargetArg(&step->target) && step->target.kind == Target::Screen)
        return lvxtext::Fail(error, "the screen has no close box");
      return End(error);
    }
    if (verb == "answer") {
      step->action = Action::Answer;
      const std::string how = Lower(Word());
      step->key = how == "ok" ? IDOK : how == "cancel" ? IDCANCEL : how == "yes" ? IDYES : how == "no" ? IDNO : 0;
      if (step->key == 0)
        return lvxtext::Fail(error, "answer needs ok, cancel, yes or no");
      return End(error);
    }
    if (verb == "file") {
      step->action = Action::File;
      return Rest(&step->text, "file needs a path", error);
    }
    if (verb == "file-cancel") {
      step->action = Action::FileCancel;
      return End(error);
    }
    if (verb == "snapshot") {
      step->action = Action::Snapshot;
      return TargetArg(&step->target) && Rest(&step->text, "snapshot needs a target and a path", error);
    }
    return lvxtext::Fail(error, verb.empty() ? "no step" : "unknown step " + verb);
  }

  // Why the last argument was refused.
  const std::string& Problem() const { return problem_; }

private:
  std::string Word() { return next_ < tokens_.size() ? tokens_[next_++].text : std::string(); }

  bool TargetArg(Target* target)
  {
    if (next_ >= tokens_.size())
      return Refuse("a target is missing");
    const lvxtext::Token& t = tokens_[next_++];
    if (t.quoted) {
      *target = Target{Target::Title, t.text};
      return true;
    }
    if (t.text == "screen") {
      *target = Target{Target::Screen, ""};
      return true;
    }
    if (names_.count(t.text)) {
      *target = Target{Target::Named, t.text};
      return true;
    }
    return Refuse("unknown target " + t.text + " (give a window title in double quotes)");
  }

  bool Number(int* out)
  {
    if (next_ >= tokens_.size())
      return Refuse("a number is missing");
    const std::string& text = tokens_[next_++].text;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || v < INT_MIN / 2 || v > INT_MAX / 2)
      return Refuse("not a coordinate: " + text);
    *out = static_cast<int>(v);
    return true;
  }

  // The remaining words as one text: a single quoted word as it is, else
  // the words joined by one blank.
  bool Rest(std::string* out, const char* missing, lvxtext::Error* error)
  {
    if (next_ >= tokens_.size())
      return lvxtext::Fail(error, missing);
    if (tokens_[next_].quoted && next_ + 1 == tokens_.size()) {
      *out = tokens_[next_++].text;
      return true;
    }
    for (; next_ < tokens_.size(); ++next_) {
      if (tokens_[next_].quoted)
        return lvxtext::Fail(error, "quote the whole text or none of it");
      *out += (out->empty() ? "" : " ") + tokens_[next_].text;
    }
    return true;
  }

  bool End(lvxtext::Error* error)
  {
    if (!problem_.empty())
      return lvxtext::Fail(error, problem_);
    if (next_ < tokens_.size())
      return lvxtext::Fail(error, "unexpected " + tokens_[next_].text);
    return true;
  }

  bool Refuse(const std::string& what)
  {
    if (problem_.empty())
      problem_ = what;
    return false;
  }

  std::vector<lvxtext::Token> tokens_;
  const NamedTargets& names_;
  size_t next_ = 0;
  std::string problem_;
};

} // namespace

bool Step::IsInput() const
{
  return action != Action::Answer && action != Action::File && action != Action::FileCancel &&
         action != Action::Snapshot;
}

bool Parse(const std::string& text, const NamedTargets& names, Script* script, lvxtext::Error* error)
{
  script->steps.clear();
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::vector<lvxtext::Token> tokens;
    std::string problem;
    Step step;
    step.line = number;
    if (lvxtext::Tokenize(line, kSyntax, tokens, problem)) {
      if (tokens.empty())
        continue;
      LineParser parser(std::move(tokens), names);
      lvxtext::Error refused;
      if (parser.Parse(&step, &refused)) {
        script->steps.push_back(std::move(step));
        continue;
      }
      problem = parser.Problem().empty() ? refused.message : parser.Problem();
    }
    script->steps.clear();
    return lvxtext::Fail(error, "line " + std::to_string(number) + ": " + lvxtext::Printable(problem));
  }
  return true;
}

bool Load(const std::string& path, const NamedTargets& names, Script* script, lvxtext::Error* error)
{
  std::string text, reason;
  if (!standin::ReadTextFile(path, kScriptFileLimit, &text, &reason))
    return lvxtext::Fail(error, path + ": " + reason);
  lvxtext::Error problem;
  if (!Parse(text, names, script, &problem))
    return lvxtext::Fail(error, path + ": " + problem.message);
  return true;
}

} // namespace uiscript
