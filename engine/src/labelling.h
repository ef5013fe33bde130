#pragma once
// Region labelling of an 8-bit mask (connected components, optionally
// limited by colour similarity) and per-region statistics.
//
// Label plane: a 16-bit plane (kind 2) of the mask's size. Label 0 is the
// background; labels 1 .. n - 1 are the regions, numbered in the scan order
// (rows from the top, each row from the left) of each region's first pixel.
// The label count n counts label 0 too, whether or not background pixels
// exist. At most 32000 labels with the background fit: a mask of 32000 or
// more regions fails with -201.
#include "image.h"

#include <cstdint>

namespace lvx {

enum : int { kMaxLabel = 32000 };

// Labels the non-zero pixels of `mask` (kind 1). Pixels join through their
// upper and left neighbours only (4-connectivity; diagonal neighbours do not
// join). With a colour image (kind 3, at least the mask's size; an empty
// description means none) two neighbours join only when each of their red,
// green and blue differences lies within -tolerance .. tolerance.
//
// `labels`: an empty description is allocated here; an allocated one must be
// a 16-bit plane of the mask's size. On success `count` is n and the plane
// belongs to the caller. On any failure `count` is 0, a plane made here is
// freed and a plane passed in keeps what was written.
// Statuses: 0; 1 cancelled; kStatusNoMemory; kStatusBadArgument wrong kinds or sizes (nothing
// written); kStatusTooManyRegions too many regions.
// Progress: one task of max(rows / 4, 2) ticks, polled after every row whose
// index is a multiple of 8; each renumbering of the labels (when 32000
// provisional labels are used up, and once at the end) nests a task of 2
// ticks around the 16-bit table driver's walk of the rows labelled so far.
int LabelRegions(const ImageDesc& mask, const ImageDesc& colour, int tolerance, ImageDesc& labels, int32_t& count,
                 AdjustProgressProc cb);

// ---- Region statistics
// --------------------------------------------------------- A table of 20
// slots, each holding null or an array of n doubles (one entry per label). Each
// statistics call fills four slots from the caller's slot position and advances
// the position by 4. The arrays belong to the caller: release them with
// FreeRegionTable.
enum : int { kRegionSlots = 20 };
struct RegionTable {
  double* slot[kRegionSlots] = {};
};
void FreeRegionTable(RegionTable& table);

// Slot offsets of the colour statistics and of the border counts.
enum : int { kRegionPixels = 0, kRegionRed = 1, kRegionGreen = 2, kRegionBlue = 3 };
enum : int { kBorderTop = 0, kBorderBottom = 1, kBorderLeft = 2, kBorderRight = 3 };

// Per label: pixel count, mean red, mean green and mean blue over the pixels of
// the colour image (kind 3) that carry the label in `labels` (kind 2, the
// colour image's size). Label 0 and labels without pixels keep 0 throughout;
// labels at or above `count` are not counted. Statuses: 0; 1 cancelled (the
// four arrays freed, the position kept); kStatusNoMemory (nothing kept);
// kStatusBadArgument (nothing changed) for wrong kinds, different sizes, a
// negative count, a position outside 0..16, or a target slot still holding an
// array. Progress: one task of max(rows / 4, 2) ticks, polled after every row
// whose index is a multiple of 4.
int RegionColourStatistics(const ImageDesc& colour, const ImageDesc& labels, int32_t count, RegionTable& table,
                           int32_t& position, AdjustProgressProc cb);

// Per label: its pixels in the top row, in the bottom row (when there is more
// than one row), and in the left and the right column of the rows in between
// (corner pixels count only in the top or bottom row). Arguments, statuses
// and task as above, without polls.
int RegionBorderCounts(const ImageDesc& colour, const ImageDesc& labels, int32_t count, RegionTable& table,
                       int32_t& position, AdjustProgressProc cb);

} // namespace lvx
