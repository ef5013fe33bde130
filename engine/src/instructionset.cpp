#include "instructionset.h"

namespace lvx {
namespace {

bool g_baselineOnly = false;

bool ProcessorHasAvx2()
{
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

} // namespace

bool UseAvx2() { return !g_baselineOnly && ProcessorHasAvx2(); }

void RestrictToBaseline(bool restrict) { g_baselineOnly = restrict; }

} // namespace lvx
