#include "instructionset.h"

namespace lvx {
namespace {

InstructionSet g_limit = InstructionSet::kAvx512;

InstructionSet ProcessorSet()
{
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
  static const InstructionSet widest = [] {
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vbmi"))
      return InstructionSet::kAvx512;
    return __builtin_cpu_supports("avx2") ? InstructionSet::kAvx2 : InstructionSet::kBaseline;
  }();
  return widest;
#else
  return InstructionSet::kBaseline;
#endif
}

} // namespace

InstructionSet WidestInstructionSet() { return ProcessorSet() < g_limit ? ProcessorSet() : g_limit; }

void LimitInstructionSet(InstructionSet widest) { g_limit = widest; }

void RestrictToBaseline(bool restrict)
{
  LimitInstructionSet(restrict ? InstructionSet::kBaseline : InstructionSet::kAvx512);
}

} // namespace lvx
