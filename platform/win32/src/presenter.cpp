// Choosing the presenter: X11 when the build has it, DISPLAY is set and
// LUMIVEX_HEADLESS is not 1; headless otherwise, and whenever the display
// cannot be opened (with one line on stderr).
#include "presenter.h"
#include "win32/automation.h"

#ifdef LVX_HAVE_X11
#include "x11/x11presenter.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace standin::detail {
namespace {

std::string& Why()
{
  static auto* why = new std::string;
  return *why;
}

std::unique_ptr<Presenter> Choose()
{
  const char* display = std::getenv("DISPLAY");
  const char* headless = std::getenv("LUMIVEX_HEADLESS");
  if (!display || !*display) {
    Why() = "DISPLAY is not set";
  } else if (headless && std::strcmp(headless, "1") == 0) {
    Why() = "LUMIVEX_HEADLESS is 1";
  } else {
#ifdef LVX_HAVE_X11
    if (std::unique_ptr<Presenter> x11 = OpenX11Presenter(&Why()))
      return x11;
    std::fprintf(stderr, "lumivex: %s; the windows stay headless\n", Why().c_str());
#else
    Why() = "this build has no X11 presenter";
#endif
  }
  return std::make_unique<Presenter>();
}

} // namespace

Presenter& Presentation()
{
  // Never destroyed: windows may still be reported while the process ends.
  static Presenter* presenter = Choose().release();
  return *presenter;
}

} // namespace standin::detail

namespace standin {

bool Presenting() { return detail::Presentation().Presenting(); }

bool DisplayLost() { return detail::Presentation().Lost(); }

std::string WhyHeadless()
{
  if (Presenting())
    return "";
  return detail::Why().empty() ? "the display failed" : detail::Why();
}

} // namespace standin
