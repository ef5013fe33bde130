#include "events.h"

#include "win32/textfile.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace lvfx {
namespace {

const char* const kSliderNames[] = {"size", "threshold", "amount", "sharpen"};

std::vector<std::string> Words(const std::string& line)
{
  std::vector<std::string> words;
  std::istringstream in(line.substr(0, line.find('#')));
  for (std::string w; in >> w;)
    words.push_back(w);
  return words;
}

bool Numbers(const std::vector<std::string>& words, size_t from, std::initializer_list<int32_t*> outs)
{
  if (words.size() != from + outs.size())
    return false;
  size_t i = from;
  for (int32_t* out : outs)
    if (!ParseInt(words[i++], out))
      return false;
  return true;
}

// One event-file line; false with the reason.
bool ParseLine(const std::vector<std::string>& w, HostEvent* e, lvxtext::Error* error)
{
  const std::string& verb = w[0];
  if (verb == "preset") {
    e->kind = HostEvent::Preset;
    e->id = w.size() == 2 ? PresetCode(w[1]) : 0;
    return e->id != 0 || lvxtext::Fail(error, "preset needs auto, coarse, medium or fine");
  }
  if (verb == "slider") {
    e->kind = HostEvent::Slider;
    if (!Numbers(w, 1, {&e->id, &e->value}) || (e->id != 7 && e->id != 8))
      return lvxtext::Fail(error, "slider needs the slider's id (7 or 8) and a value");
    return true;
  }
  if (verb == "control") {
    e->kind = HostEvent::Control;
    if (!Numbers(w, 1, {&e->id, &e->value}))
      return lvxtext::Fail(error, "control needs a control id and a value");
    return true;
  }
  if (verb == "marker") {
    e->kind = HostEvent::Mouse;
    e->id = 0;
    if (!Numbers(w, 1, {&e->x, &e->y}))
      return lvxtext::Fail(error, "marker needs an image point X Y");
    return true;
  }
  if (verb == "mouse") {
    e->kind = HostEvent::Mouse;
    if (!Numbers(w, 1, {&e->id, &e->x, &e->y}))
      return lvxtext::Fail(error, "mouse needs a kind and an image point X Y");
    return true;
  }
  if (verb == "undo" || verb == "redo" || verb == "revert") {
    e->kind = verb == "undo" ? HostEvent::Undo : verb == "redo" ? HostEvent::Redo : HostEvent::Revert;
    if (w.size() != 1)
      return lvxtext::Fail(error, verb + " takes nothing after it");
    return true;
  }
  return lvxtext::Fail(error, "unknown event " + verb);
}

} // namespace

bool ParseInt(const std::string& text, int32_t* out)
{
  if (text.empty())
    return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  // The whole word: "5" followed by a NUL byte and more is no number.
  if (end != text.c_str() + text.size() || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
    return false;
  *out = static_cast<int32_t>(v);
  return true;
}

int32_t PresetCode(const std::string& name)
{
  const char* const names[] = {"auto", "coarse", "medium", "fine"};
  for (int32_t i = 0; i < 4; ++i)
    if (name == names[i])
      return 12 + i;
  return 0;
}

bool IsEventOption(const std::string& option, bool* takesValue)
{
  *takesValue = true;
  if (option == "--undo" || option == "--redo" || option == "--revert") {
    *takesValue = false;
    return true;
  }
  if (option == "--preset" || option == "--a" || option == "--b" || option == "--marker")
    return true;
  for (const char* name : kSliderNames)
    if (option == std::string("--") + name)
      return true;
  return false;
}

bool OptionEvent(const std::string& option, const std::string& value, HostEvent* e, lvxtext::Error* error)
{
  *e = HostEvent{};
  e->origin = option;
  if (option == "--undo" || option == "--redo" || option == "--revert") {
    e->kind = option == "--undo" ? HostEvent::Undo : option == "--redo" ? HostEvent::Redo : HostEvent::Revert;
    return true;
  }
  if (option == "--preset") {
    e->kind = HostEvent::Preset;
    e->id = PresetCode(value);
    return e->id != 0 || lvxtext::Fail(error, "--preset needs auto, coarse, medium or fine");
  }
  if (option == "--marker") {
    e->kind = HostEvent::Mouse;
    const size_t comma = value.find(',');
    if (comma == std::string::npos || !ParseInt(value.substr(0, comma), &e->x) ||
        !ParseInt(value.substr(comma + 1), &e->y))
      return lvxtext::Fail(error, "--marker needs X,Y");
    return true;
  }
  if (!ParseInt(value, &e->value))
    return lvxtext::Fail(error, option + " needs a whole number");
  if (option == "--a" || option == "--b") {
    e->kind = HostEvent::Slider;
    e->id = option == "--a" ? 7 : 8;
  } else {
    e->kind = HostEvent::NamedSlider;
    e->name = option.substr(2);
  }
  return true;
}

bool ParseEvents(const std::string& text, const std::string& origin, std::vector<HostEvent>* events,
                 lvxtext::Error* error)
{
  std::vector<HostEvent> parsed;
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::vector<std::string> words = Words(line);
    if (words.empty())
      continue;
    HostEvent e;
    e.origin = origin + ":" + std::to_string(number);
    lvxtext::Error reason;
    if (!ParseLine(words, &e, &reason))
      return lvxtext::Fail(error, e.origin + ": " + lvxtext::Printable(reason.message));
    parsed.push_back(std::move(e));
  }
  events->insert(events->end(), parsed.begin(), parsed.end());
  return true;
}

bool ReadEventFile(const std::string& path, std::vector<HostEvent>* events, lvxtext::Error* error)
{
  std::string text, reason;
  if (!standin::ReadTextFile(path, kEventFileLimit, &text, &reason))
    return lvxtext::Fail(error, path + ": " + reason);
  return ParseEvents(text, path, events, error);
}

} // namespace lvfx
