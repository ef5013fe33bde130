#pragma once
// The framework's assertions: a failed check is printed to stderr and
// counted, never fatal, so the code after it still takes its fallback.
#include "qvcommon/qvdefs.h"

QVCOMMON_API void QVReportAssertion(const char* text);
// Failed assertions since the last reset, and the text of the latest one.
QVCOMMON_API int32_t QVAssertionCount();
QVCOMMON_API const char* QVLastAssertion();
QVCOMMON_API void QVResetAssertions();

#define QV_ASSERT(condition, text) ((condition) ? (void)0 : QVReportAssertion(text))
