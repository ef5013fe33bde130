#pragma once
#include "qvcommon/qvcolor.h"
#include "qvcommon/qvmemory.h"

// A lookup cube over RGB colour space: each axis (red, green, blue) covers
// min..max in cells of `step` values, and every cell holds one byte. Sample
// colours are stamped into it and pixels are then classified by the byte of
// the cell their colour falls in. By convention 128 marks a cell no sample
// has claimed and 255 a cell the box and tone stamps must not overwrite.
//
// Cell (i, j, k) lies at byte i * countG * countB + j * countB + k: red is
// the slowest axis, blue the fastest. Steps must be 1..63 and max >= min on
// every axis; any other cube has no storage, finds nothing and takes no
// stamps. The stamps move between cells by shifts, so they assume steps
// that are powers of two.
class QVCOMMON_API QVColorMatrix {
public:
  QVColorMatrix(unsigned char fill, int32_t minR, int32_t maxR, int32_t stepR, int32_t minG, int32_t maxG,
                int32_t stepG, int32_t minB, int32_t maxB, int32_t stepB);
  // The axis ranges span the samples and 128, widened by margin and kept
  // inside 0..255. Null sample pointers are skipped.
  QVColorMatrix(unsigned char fill, QVColor** samples, int32_t count, int32_t stepR, int32_t stepG, int32_t stepB,
                int32_t margin);
  QVColorMatrix(unsigned char fill, QVColor** samples, int32_t count, QVColor** moreSamples, int32_t moreCount,
                int32_t stepR, int32_t stepG, int32_t stepB, int32_t margin);
  QVColorMatrix(const QVColorMatrix&) = delete;
  QVColorMatrix& operator=(const QVColorMatrix&) = delete;

  // ---- Virtual operations, in their fixed order ----
  virtual ~QVColorMatrix();
  // *out := the byte of the cell holding (r, g, b) and 1; 0 (out unchanged)
  // when the colour lies outside the cube. Cell indices truncate toward
  // zero, so a value less than one step below a minimum still finds cell 0.
  virtual int32_t GetEntry(unsigned char* out, int32_t r, int32_t g, int32_t b) const;
  // The address of cell (i, j, k) in a cell block the caller locked. No
  // range test.
  virtual unsigned char* GetEntryPtr(unsigned char* cells, int32_t i, int32_t j, int32_t k) const;

  // Stores the ranges and derived sizes and allocates the cells, all := fill.
  void CommonConstructing(unsigned char fill, int32_t minR, int32_t maxR, int32_t stepR, int32_t minG, int32_t maxG,
                          int32_t stepG, int32_t minB, int32_t maxB, int32_t stepB);
  // For a 3-byte pixel (B, G, R) whose cell in the caller's locked block
  // holds neither 128 nor 255: dest[0 .. destCount - 1] := value.
  void WriteValue(const unsigned char* pixel, int32_t bytesPerPixel, unsigned char* dest, int32_t destCount,
                  unsigned char value, const unsigned char* cells) const;
  // Every cell within radius >> shift cells of the colour's cell on each
  // axis (kept inside the cube) that does not hold 255 := value[0]. The
  // last argument is not used.
  void InsertSample(const QVColor& color, const unsigned char* value, int32_t radius, int32_t unused);
  // A diagonal line of tones: for t = -radius, -radius + stepG, ... below
  // radius, the cell of (r + t, g + t, b + t), each index kept inside the
  // cube, := value[0] unless it holds 255.
  void InsertTonalSample(const QVColor& color, const unsigned char* value, int32_t radius);
  // A blob around the colour's cell: cells nearer than radius / step on each
  // axis, whose index sum differs from the centre's by less than
  // tonalRadius / stepR, := value[0] + 20 * (green distance in cells),
  // modulo 256. Cells holding 255 are not protected.
  void InsertDensitySample(const QVColor& color, const unsigned char* value, int32_t radius, int32_t tonalRadius);

  bool HasStorage() const { return storage != nullptr; }

  // ---- Fields, in their fixed order ----
  QVHandle* storage = nullptr; // the cell bytes, owned; null for an unusable cube
  int32_t minR = 0, maxR = 0, stepR = 1, countR = 0, extentR = 0;
  int32_t minG = 0, maxG = 0, stepG = 1, countG = 0, extentG = 0;
  int32_t minB = 0, maxB = 0, stepB = 1, countB = 0, extentB = 0;
  int32_t total = 0; // countR + countG + countB
  int32_t bytesPerEntry = 1;
  int32_t shiftR = 0, shiftG = 0, shiftB = 0; // floor(log2(step))

private:
  // The cell of (r, g, b) as byte offset, or -1 outside the cube.
  int64_t CellOffset(int32_t r, int32_t g, int32_t b) const;
};
