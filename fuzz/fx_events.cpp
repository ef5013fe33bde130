// effects-host's event files: a file is either taken whole or refused with a
// reason naming its line, and a refused file adds no events.
#include "events.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<lvfx::HostEvent> events(1); // an event read earlier stays first
  lvxtext::Error error;
  if (lvfx::ParseEvents(text, "f", &events, &error)) {
    for (size_t i = 1; i < events.size(); ++i)
      if (events[i].origin.rfind("f:", 0) != 0)
        std::abort();
  } else if (events.size() != 1 || error.message.rfind("f:", 0) != 0) {
    std::abort();
  }
  return 0;
}
