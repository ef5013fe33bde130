#pragma once
// Internal arithmetic helpers of the framework.
#include <cmath>
#include <cstdint>

namespace qvnumeric {

// 32-bit edge arithmetic that wraps at the limits instead of overflowing.
inline int32_t Add(int32_t a, int32_t b)
{
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t Sub(int32_t a, int32_t b)
{
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// Truncation toward zero that saturates at the int32 limits (NaN gives 0).
inline int32_t Trunc(double v)
{
  if (std::isnan(v))
    return 0;
  if (v >= 2147483647.0)
    return INT32_MAX;
  if (v <= -2147483648.0)
    return INT32_MIN;
  return static_cast<int32_t>(v);
}

// A 64-bit result held within the int32 limits.
inline int32_t Saturate(int64_t v)
{
  return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

} // namespace qvnumeric
