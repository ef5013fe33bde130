#pragma once
// Which of the processor's instruction sets the engine's vector paths use.
// The build's baseline (SSE2 on x86-64) is always there; some rows also have
// an AVX2 form and an AVX-512 form (AVX-512 F, BW, VL, DQ and VBMI, as
// processors since about 2019 have them), each taken when the processor has
// the set, unless a test or the benchmark limited the engine to a narrower
// one to check or time the narrower forms. Every form gives the same results.
// The attribute that compiles a function (and, with flatten, all it
// inlines) for AVX-512 on 512-bit vectors, in GCC's and in Clang's words.
#if defined(__clang__)
#define LVX_TARGET_AVX512                                                                                              \
  __attribute__((target("avx512f,avx512bw,avx512vl,avx512dq,avx512vbmi"), min_vector_width(512)))
#else
#define LVX_TARGET_AVX512                                                                                              \
  __attribute__((target("avx512f,avx512bw,avx512vl,avx512dq,avx512vbmi,prefer-vector-width=512")))
#endif

namespace lvx {

enum class InstructionSet { kBaseline, kAvx2, kAvx512 };

// The widest set the vector paths take now: the processor's widest, or the
// limit when that is narrower.
InstructionSet WidestInstructionSet();
// Whether the AVX2 forms (or the AVX-512 forms) are to be taken now.
inline bool UseAvx2() { return WidestInstructionSet() >= InstructionSet::kAvx2; }
inline bool UseAvx512() { return WidestInstructionSet() >= InstructionSet::kAvx512; }
// Tests and the benchmark only: no form wider than `widest` is taken until
// called again (with kAvx512 every form the processor has is taken again).
void LimitInstructionSet(InstructionSet widest);
// LimitInstructionSet(kBaseline) when true, else (kAvx512).
void RestrictToBaseline(bool restrict);

} // namespace lvx
