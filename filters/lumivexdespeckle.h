#pragma once
#include "qvcommon/qvimage.h"

#include <cstdint>

// The despeckle filter: finds small specks, dust and short scratches that are
// bounded by clean pixels on every side and repaints them with the colour of
// their surroundings. Each row is scanned with a running reference colour;
// where the row leaves that colour after a steady stretch, up to eight rows
// above and seven below are probed for the extent of the blemish.
//
// Works in place on a QVImage of 1 to 4 bytes per pixel. An image without
// pixels, with its error flag set, of no size or of another pixel size is
// left alone (result 0).
class LumivexDespeckle {
public:
  // Size S is the largest defect, in pixels, that is repaired; Threshold T
  // sets how far a pixel may stray from the reference colour: up to
  // T - T/4 it is clean ("near"), beyond T + T/4 it is a defect ("far").
  // S is kept to 0..255 and T to 0..1023.
  explicit LumivexDespeckle(int32_t size = 7, int32_t threshold = 37);
  virtual ~LumivexDespeckle();

  void SetSize(int32_t size);
  void SetThreshold(int32_t threshold);
  int32_t Size() const { return size; }
  int32_t Threshold() const { return threshold; }

  // Despeckles the image at zoom 1 (the defect size is S). Result: the
  // number of pixel writes made, a pixel repainted twice counting twice.
  int32_t Apply(QVImage* image);
  // The same for an image shown at `zoom`: the defect size is
  // DefectSize(S, zoom), while the fringe limit S + 4 and the tolerances
  // stay as they are.
  int32_t Apply(QVImage* image, double zoom);

  // The defect size at a zoom: S at 1, S / 2 (shifted) below 1, x * S
  // truncated above 1, at most 2^20. A zoom that is not finite or not
  // positive counts as 1.
  static int32_t DefectSize(int32_t size, double zoom);

private:
  // What a row probe found around the current column, in pixel offsets
  // from it: the blemish runs from `start` to `end` - 1 (end is the first
  // clean pixel after it), with its far core from `farFirst` to `farLast`
  // (-1, -1 without one).
  struct Slot {
    int32_t start, farFirst, farLast, end;
  };
  struct Pass;

  int32_t Classify(const Pass& pass, const unsigned char* pixel) const;
  int32_t Probe(const Pass& pass, const unsigned char* row, int32_t k, Slot& slot) const;
  // Examines the pixel at column k of row y and repairs the blemish when it
  // is one: true when repaired, with `writes` increased by the pixels
  // repainted.
  bool Repair(const Pass& pass, int32_t y, int32_t k, int64_t& writes);

  int32_t size = 7;
  int32_t threshold = 37;
  int32_t reference[4] = {};
  // Slot 8 is the current row, 0..7 the eight rows above (7 just above),
  // 9..15 the seven rows below (9 just below).
  Slot slots[16] = {};
};
