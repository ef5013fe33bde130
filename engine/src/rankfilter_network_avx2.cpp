// The grey rank filter's vector rows 32 bytes at a time. This file alone is
// compiled for AVX2 (see engine/CMakeLists.txt); NetworkRankRow calls in
// only when the processor has it.
#include "rankfilter_network.h"

namespace lvx {

NetworkRankRowFn NetworkRankRowAvx2(int radius, int rank)
{
  typedef uint8_t Bytes32 __attribute__((vector_size(32)));
  return NetworkRowFor<Bytes32>(radius, rank);
}

} // namespace lvx
