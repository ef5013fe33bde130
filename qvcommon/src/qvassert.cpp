#include "qvcommon/qvassert.h"

#include <cstdio>

namespace {
int32_t g_count = 0;
const char* g_last = "";
} // namespace

void QVReportAssertion(const char* text)
{
  ++g_count;
  g_last = text ? text : "";
  std::fprintf(stderr, "Assertion failed: %s\n", g_last);
}

int32_t QVAssertionCount() { return g_count; }
const char* QVLastAssertion() { return g_last; }

void QVResetAssertions()
{
  g_count = 0;
  g_last = "";
}
