#pragma once
// Asking the kernel for transparent huge pages for a large pixel buffer that
// is about to be filled, for production code that makes such buffers.
#include "win32/types.h"

#include <cstddef>

namespace standin {

// Asks for the whole 2 MB pages inside the `bytes` at `data` to be given as
// huge pages when they are first touched (madvise MADV_HUGEPAGE): filling a
// fresh buffer of tens of megabytes then faults a few dozen times instead
// of thousands. Only advice: nothing happens to a range without a whole
// huge page, where the kernel offers no huge pages, or for memory already
// touched, and the contents never change.
LVX_WIN32_API void AdviseHugePages(void* data, size_t bytes);

} // namespace standin
