// The host programs' UI scripts: a script is either parsed whole, its steps
// in line order, or refused with "line N: ..." and no steps kept.
#include "uiscript/uiscript.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string text(reinterpret_cast<const char*>(data), size);
  const uiscript::NamedTargets names = {{"panel", [] { return HWND(nullptr); }}};
  uiscript::Script script;
  lvxtext::Error error;
  if (uiscript::Parse(text, names, &script, &error)) {
    int line = 0;
    for (const uiscript::Step& step : script.steps) {
      if (step.line <= line)
        std::abort();
      line = step.line;
    }
  } else if (!script.steps.empty() || error.message.rfind("line ", 0) != 0) {
    std::abort();
  }
  return 0;
}
