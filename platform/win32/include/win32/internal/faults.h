#pragma once
// For allocators only: every allocation request of the project, in any module,
// asks this once, and fails when it answers true. Tests steer it through
// standin::FailAllocations (win32/automation.h).
#include "win32/types.h"

namespace standin {
LVX_WIN32_API bool AllocationShouldFail();
} // namespace standin
