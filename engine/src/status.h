#pragma once
// Status codes of the engine's internal operations: 0 success, 1 cancelled,
// negative values for errors. They travel as int and leave the library
// sign-extended from 16 bits.
namespace lvx {

enum : int {
  kStatusOk = 0,
  kStatusCancelled = 1,
  kStatusNoMemory = -108,
  kStatusBadArgument = -200,
  kStatusTooManyRegions = -201,
  kStatusModelOpen = -23,
  kStatusModelRead = -19,
  kStatusPeakList = -1,
};

} // namespace lvx
