#pragma once
// Which of the processor's instruction sets the engine's vector paths use.
// The build's baseline (SSE2 on x86-64) is always there; the rank filter's
// and the sharpening's rows also have AVX2 forms, taken when the processor
// has AVX2, unless a test restricted the engine to the baseline to check
// the baseline forms. Every form gives the same results.
namespace lvx {

// Whether the AVX2 forms are to be taken now.
bool UseAvx2();
// Tests only: true keeps the engine to the baseline forms until called
// again with false.
void RestrictToBaseline(bool restrict);

} // namespace lvx
