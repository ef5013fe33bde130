// The grey rank filter's vector rows in the build's baseline instruction set
// (16 bytes at a time: SSE2 on x86-64), and the choice between them, the
// AVX2 and AVX-512 rows and the sliding histogram.
#include "rankfilter.h"

#include "instructionset.h"

#if LVX_RANK_NETWORK
#include "rankfilter_network.h"
#endif

namespace lvx {
namespace {

RankRowMethod g_method = RankRowMethod::kVectors;

} // namespace

void SetRankRowMethod(RankRowMethod method) { g_method = method; }

size_t NetworkSortedPitch(int radius, int32_t columns)
{
  return size_t(columns) + size_t(2 * radius) + size_t(kMaxNetworkLanes);
}

size_t NetworkRankScratchBytes(int radius, int32_t columns)
{
  return size_t(2 * radius + 1) * NetworkSortedPitch(radius, columns);
}

NetworkRankRowFn NetworkRankRow(int radius, int rank)
{
  if (g_method == RankRowMethod::kHistogram)
    return nullptr;
#if LVX_RANK_NETWORK
#if LVX_RANK_NETWORK_AVX2
  if (UseAvx512())
    return NetworkRankRowAvx512(radius, rank);
  if (UseAvx2())
    return NetworkRankRowAvx2(radius, rank);
#endif
  typedef uint8_t Bytes16 __attribute__((vector_size(16)));
  return NetworkRowFor<Bytes16>(radius, rank);
#else
  (void)radius, (void)rank;
  return nullptr;
#endif
}

} // namespace lvx
