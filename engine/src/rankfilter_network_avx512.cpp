// The grey rank filter's vector rows 64 bytes at a time. This file alone is
// compiled for AVX-512 (see engine/CMakeLists.txt); NetworkRankRow calls in
// only when the processor has it.
#include "rankfilter_network.h"

namespace lvx {

NetworkRankRowFn NetworkRankRowAvx512(int radius, int rank)
{
  typedef uint8_t Bytes64 __attribute__((vector_size(64)));
  return NetworkRowFor<Bytes64>(radius, rank);
}

} // namespace lvx
