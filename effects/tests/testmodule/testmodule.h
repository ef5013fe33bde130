#pragma once
// The test module: the effect frame with a test effect that enables the
// mask brush (three shapes, labels 20, 21 and 22). Its filter inverts every
// byte, so restored pixels are easy to tell from filtered ones; with
// TESTEFFECT_FILTER_FAILS set in the environment it fails instead. Besides the
// seventeen entry functions it exports these, for the tests only.
#include <cstdint>

class QVViewImage;

// The mask brush's state and the markers of one instance.
struct TestBrushState {
  int32_t showMask;
  int32_t brushMode;
  int32_t size;
  int32_t blur;
  int32_t shape;
  int32_t currentKey;
  int32_t strokePoints; // -1 without a stroke in progress
  int32_t markers;
  int32_t parameterA;
  int32_t parameterB;
  int32_t presetCode;
};

extern "C" {
// The next AddInstance cannot create its effect.
int32_t TestFailNextCreation();
// The cache's keys, oldest first, into keys (at most capacity): their
// number, or -1 for an unusable index.
int32_t TestCacheKeys(int32_t index, int32_t* keys, int32_t capacity);
// The mask cached under the key; null when there is none.
QVViewImage* TestCachedMask(int32_t index, int32_t key);
// 1 with the state filled; 0 for an unusable index or a null record.
int32_t TestGetBrushState(int32_t index, TestBrushState* state);
// The filter's result from now on (1 inverts, 0 fails and changes nothing).
int32_t TestSetFilterResult(int32_t index, int32_t result);
}
