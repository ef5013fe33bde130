#pragma once
// The skin model: one byte per R, G, B cell holding the likelihood in percent
// (0..100) that a colour of that cell is skin, and the lookup that turns a
// colour image into a likelihood plane.
//
// Two layouts, told apart by size alone (no header); red varies slowest:
//   4 bits per channel:  4096 bytes, cell (R >> 4) << 8 | (G >> 4) << 4 | B >> 4
//   5 bits per channel: 32768 bytes, cell (R >> 3) << 10 | (G >> 3) << 5 | B >> 3
// The table comes from this library's own resource ("MPRO", "#1") or, when
// the skin settings name one, from a model file. It is loaded afresh for
// every detection and released at its end.
#include "image.h"
#include "settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace lvx {

enum : int { kSkinModelBytes4 = 4096, kSkinModelBytes5 = 32768, kMaxLikelihood = 100 };

// The loaded table (a heap copy) and its bits per channel; null and 0 when
// none is loaded.
struct SkinModel {
  const uint8_t* table = nullptr;
  int bits = 0;
};
const SkinModel& LoadedSkinModel();

// Reads up to `bytes` bytes of an open model file, like fread.
using ModelReader = size_t (*)(void* buffer, size_t bytes, std::FILE* file);

// Loads the table named by the settings: with an empty model path the resource
// ("MPRO", "#1") of `module`, else the model file. Entries above 100 are
// limited to 100. Any table loaded before is released first. Statuses: 0;
// kStatusNoMemory resource missing or no memory; kStatusBadArgument a table of
// neither size; kStatusModelOpen file cannot be opened, kStatusBadArgument file
// of the wrong size, kStatusModelRead short read, each after a task-modal error
// box captioned "Skin". After a failure no table is held. `read` (null: fread)
// lets tests shorten reads.
int LoadSkinModel(const SkinSettings& settings, void* module, ModelReader read = nullptr);
// The same from this library's own module.
int LoadSkinModel(const SkinSettings& settings);
void ReleaseSkinModel();

// The likelihood of one colour: the entry of its cell, or with `interpolate`
// the integer trilinear blend of the eight cells around it (blue, then green,
// then red, each step a s + f (b - a) with s the cell width, the sum shifted
// right by 3 x log2 s). Cell centres give their entry exactly; channel values
// beyond the outermost centres use the edge cells. `bits` must be 4 or 5.
uint8_t SkinLikelihood(const uint8_t* table, int bits, bool interpolate, uint8_t red, uint8_t green, uint8_t blue);

// An 8-bit plane of the colour image's size (made like it when empty) holding
// each pixel's likelihood, interpolated when the settings say so.
// kStatusBadArgument for bits other than 4 or 5 or wrong kinds,
// kStatusNoMemory, 1 on cancel (a plane made here is then freed).
int LikelihoodPlane(const ImageDesc& colour, ImageDesc& plane, const uint8_t* table, int bits,
                    const SkinSettings& settings, AdjustProgressProc cb);

} // namespace lvx
