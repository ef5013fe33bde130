#pragma once
// effects-host's --report: the control model, both undo stacks, the redraw
// calls, the accumulated rectangle and the sliders' final values.
#include "lvxtext/error.h"

#include <string>

namespace lvfx {

class Session;

std::string FormatReport(const Session& session);
// False, with the reason, when the file cannot be written.
bool WriteReport(const std::string& path, const Session& session, lvxtext::Error* error);

} // namespace lvfx
