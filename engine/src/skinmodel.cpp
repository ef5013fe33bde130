#include "skinmodel.h"

#include "alloc.h"
#include "iterate.h"
#include "module.h"
#include "status.h"

#include "win32/messagebox.h"
#include "win32/modules.h"
#include "win32/paths.h"

#include <cstring>
#include <memory>

namespace lvx {
namespace {

SkinModel g_model;

// The message boxes' fixed text buffer.
enum : size_t { kMessageBytes = 256 };

// Shows "<before><path><after>" in the model's error box. A path too long for
// the buffer is cut short and marked with "...", so the message keeps its
// own words and never overruns the buffer.
void ShowModelError(const char* before, const char* path, const char* after)
{
  const size_t words = std::strlen(before) + std::strlen(after);
  const size_t room = kMessageBytes - 1 - words;
  const size_t length = std::strlen(path);
  const bool cut = length > room;
  char text[kMessageBytes];
  std::snprintf(text, sizeof text, "%s%.*s%s%s", before, int(cut ? room - 3 : length), path, cut ? "..." : "", after);
  MessageBoxA(nullptr, text, "Skin", MB_TASKMODAL | MB_ICONERROR);
}

size_t ReadWhole(void* buffer, size_t bytes, std::FILE* file) { return std::fread(buffer, 1, bytes, file); }

// Copies the resource ("MPRO", "#1") of `module` into `block`.
int CopyResource(void* module, Buffer<uint8_t>& block)
{
  const HMODULE handle = static_cast<HMODULE>(module);
  const HRSRC found = FindResourceA(handle, "#1", "MPRO");
  const HGLOBAL loaded = found ? LoadResource(handle, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes)
    return kStatusNoMemory;
  const DWORD size = SizeofResource(handle, found);
  const bool copied = block.Allocate(size);
  if (copied)
    std::memcpy(block.data(), bytes, size);
  FreeResource(loaded);
  return copied ? kStatusOk : kStatusNoMemory;
}

int ReadModelFile(const char* path, ModelReader read, Buffer<uint8_t>& block)
{
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(standin::OpenFile(path, "rb"), std::fclose);
  if (!file) {
    ShowModelError("Error opening file ", path, "!");
    return kStatusModelOpen;
  }
  const long size = std::fseek(file.get(), 0, SEEK_END) == 0 ? std::ftell(file.get()) : -1;
  if (size != kSkinModelBytes4 && size != kSkinModelBytes5) {
    ShowModelError("Size of file ", path, " is not correct!");
    return kStatusBadArgument;
  }
  std::rewind(file.get());
  if (!block.Allocate(size_t(size)))
    return kStatusNoMemory;
  if (read(block.data(), size_t(size), file.get()) < size_t(size)) {
    ShowModelError("Error reading file ", path, "!");
    block.Reset();
    return kStatusModelRead;
  }
  return kStatusOk;
}

// One channel's place in the lookup: the index offsets of its lower and
// upper cell and the fraction between them (in cell-width units).
struct Axis {
  int32_t low = 0, high = 0, fraction = 0;
};

// `position`: how far the channel's cell number is shifted in the index.
Axis MakeAxis(int v, int bits, int position, bool interpolate)
{
  const int cellShift = 8 - bits, width = 1 << cellShift, half = width / 2, last = (1 << bits) - 1;
  if (!interpolate)
    return Axis{(v >> cellShift) << position, (v >> cellShift) << position, 0};
  const int low = v < half ? 0 : (v - half) >> cellShift;
  const int high = v >= 256 - half ? last : (v + half) >> cellShift;
  return Axis{low << position, high << position, (v - half) & (width - 1)};
}

// The integer trilinear blend: along blue, then green, then red.
uint8_t Blend(const uint8_t* table, int bits, const Axis& r, const Axis& g, const Axis& b)
{
  const int width = 1 << (8 - bits);
  auto step = [width](int a, int c, int f) { return a * width + f * (c - a); };
  auto alongBlue = [&](int32_t at) { return step(table[at + b.low], table[at + b.high], b.fraction); };
  auto alongGreen = [&](int32_t at) { return step(alongBlue(at + g.low), alongBlue(at + g.high), g.fraction); };
  return uint8_t(step(alongGreen(r.low), alongGreen(r.high), r.fraction) >> (3 * (8 - bits)));
}

} // namespace

const SkinModel& LoadedSkinModel() { return g_model; }

int LoadSkinModel(const SkinSettings& settings, void* module, ModelReader read)
{
  ReleaseSkinModel();
  // The path field is copied bounded, so a field without its terminator
  // cannot be read past its end.
  char path[sizeof settings.modelPath];
  const size_t length = strnlen(settings.modelPath, sizeof path - 1);
  std::memcpy(path, settings.modelPath, length);
  path[length] = '\0';

  Buffer<uint8_t> block;
  const int s = path[0] ? ReadModelFile(path, read ? read : ReadWhole, block) : CopyResource(module, block);
  if (s != kStatusOk)
    return s;
  if (block.size() != kSkinModelBytes4 && block.size() != kSkinModelBytes5)
    return kStatusBadArgument;
  // The stage counts likelihoods in 101 levels, so no entry may exceed 100.
  for (size_t i = 0; i < block.size(); ++i)
    block[i] = block[i] > kMaxLikelihood ? uint8_t(kMaxLikelihood) : block[i];
  g_model.bits = block.size() == kSkinModelBytes5 ? 5 : 4;
  g_model.table = block.Detach();
  return kStatusOk;
}

int LoadSkinModel(const SkinSettings& settings) { return LoadSkinModel(settings, Module().handle); }

void ReleaseSkinModel()
{
  Release(const_cast<uint8_t*>(g_model.table));
  g_model = SkinModel{};
}

uint8_t SkinLikelihood(const uint8_t* table, int bits, bool interpolate, uint8_t red, uint8_t green, uint8_t blue)
{
  return Blend(table, bits, MakeAxis(red, bits, 2 * bits, interpolate), MakeAxis(green, bits, bits, interpolate),
               MakeAxis(blue, bits, 0, interpolate));
}

int LikelihoodPlane(const ImageDesc& colour, ImageDesc& plane, const uint8_t* table, int bits,
                    const SkinSettings& settings, AdjustProgressProc cb)
{
  if (!table || (bits != 4 && bits != 5))
    return kStatusBadArgument;
  bool made = false;
  if (int s = MakeLike(colour, plane, kKindColour, kKindPlane8, &made))
    return s;
  const bool interpolate = settings.interpolate != 0;
  Axis red[256], green[256], blue[256];
  for (int v = 0; v < 256; ++v) {
    red[v] = MakeAxis(v, bits, 2 * bits, interpolate);
    green[v] = MakeAxis(v, bits, bits, interpolate);
    blue[v] = MakeAxis(v, bits, 0, interpolate);
  }
  const int s = ForEachRowPair(
      colour, plane,
      [&](uint8_t* c, uint8_t* p, int32_t n, ptrdiff_t cs, ptrdiff_t ps) {
        for (int32_t x = 0; x < n; ++x, c += cs, p += ps)
          *p = interpolate ? Blend(table, bits, red[c[2]], green[c[1]], blue[c[0]])
                           : table[red[c[2]].low + green[c[1]].low + blue[c[0]].low];
      },
      cb);
  FreeImageIf(plane, s != kStatusOk, made);
  return s;
}

} // namespace lvx
