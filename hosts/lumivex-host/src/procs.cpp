// The host's procedures: the C functions a plug-in calls, and what the
// record's procedures do (see host.h).
#include "procs.h"

#include "host.h"
#include "win32/dibs.h"
#include "win32/interrupts.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <utility>
#include <vector>

namespace lvhost {
namespace {

// ---- The C entry points ------------------------------------------------------
// Outside a run there is no host to answer: every call fails.

// 1 once Ctrl-C or SIGTERM arrived (see win32/interrupts.h).
uint8_t AbortProc()
{
  const uint8_t abort = standin::InterruptSignal() != 0 ? 1 : 0;
  if (Host* host = Host::Current())
    host->Note("abortProc() = " + std::to_string(abort));
  return abort;
}

void ProgressProc(int32_t done, int32_t total)
{
  if (Host* host = Host::Current())
    host->Progress(done, total);
}

int16_t AdvanceStateProc()
{
  Host* host = Host::Current();
  return host ? host->AdvanceState() : filterBadParameters;
}

int16_t ColorServicesProc(ColorServicesInfo* info)
{
  Host* host = Host::Current();
  return host ? host->ColorServices(info) : filterBadParameters;
}

int16_t DisplayPixelsProc(const PSPixelMap* map, const Rect32* source, int32_t row, int32_t column, void* context)
{
  Host* host = Host::Current();
  return host ? host->DisplayPixels(map, source, row, column, context) : filterBadParameters;
}

Handle NewProc(int32_t size)
{
  Host* host = Host::Current();
  return host ? host->NewHandle(size) : nullptr;
}
void DisposeProc(Handle h)
{
  if (Host* host = Host::Current())
    host->DisposeHandle(h);
}
int32_t GetSizeProc(Handle h)
{
  Host* host = Host::Current();
  return host ? host->GetHandleSize(h) : 0;
}
int16_t SetSizeProc(Handle h, int32_t size)
{
  Host* host = Host::Current();
  return host ? host->SetHandleSize(h, size) : nilHandleErr;
}
Ptr LockProc(Handle h, uint8_t moveHigh)
{
  Host* host = Host::Current();
  if (!host)
    return nullptr;
  Ptr data = host->LockHandle(h);
  host->Note("lockProc(" + std::to_string(moveHigh) + ")" + (data ? "" : " error: unknown handle"));
  return data;
}
void UnlockProc(Handle h)
{
  if (Host* host = Host::Current())
    host->Note(std::string("unlockProc()") + (host->Issued(h) ? "" : " error: unknown handle"));
}
void ReservedHandleProc()
{
  if (Host* host = Host::Current())
    host->Note("handleProcs slot 7 (unused)");
}

PIReadDescriptor OpenReadProc(Handle descriptor, const uint32_t*)
{
  Host* host = Host::Current();
  return host ? host->OpenRead(descriptor) : nullptr;
}
int16_t CloseReadProc(PIReadDescriptor token)
{
  Host* host = Host::Current();
  return host ? host->CloseRead(token) : filterBadParameters;
}
uint8_t GetKeyProc(PIReadDescriptor token, uint32_t* key, uint32_t* type, int32_t* flags)
{
  Host* host = Host::Current();
  return host ? host->GetKey(token, key, type, flags) : 0;
}
int16_t GetIntegerProc(PIReadDescriptor token, int32_t* value)
{
  Host* host = Host::Current();
  return host ? host->GetValue(token, typeInteger, value) : filterBadParameters;
}
int16_t GetFloatProc(PIReadDescriptor token, double* value)
{
  Host* host = Host::Current();
  return host ? host->GetValue(token, typeFloat, value) : filterBadParameters;
}
int16_t GetBooleanProc(PIReadDescriptor token, uint8_t* value)
{
  Host* host = Host::Current();
  return host ? host->GetValue(token, typeBoolean, value) : filterBadParameters;
}
PIWriteDescriptor OpenWriteProc()
{
  Host* host = Host::Current();
  return host ? host->OpenWrite() : nullptr;
}
int16_t CloseWriteProc(PIWriteDescriptor token, Handle* descriptor)
{
  Host* host = Host::Current();
  return host ? host->CloseWrite(token, descriptor) : filterBadParameters;
}
int16_t Put(PIWriteDescriptor token, uint32_t key, uint32_t type, int32_t integer, double number, bool boolean)
{
  Host* host = Host::Current();
  if (!host)
    return filterBadParameters;
  DescriptorEntry entry;
  entry.key = key;
  entry.type = type;
  entry.integer = integer;
  entry.number = number;
  entry.boolean = boolean;
  return host->Put(token, entry);
}
int16_t PutIntegerProc(PIWriteDescriptor token, uint32_t key, int32_t value)
{
  return Put(token, key, typeInteger, value, 0, false);
}
int16_t PutFloatProc(PIWriteDescriptor token, uint32_t key, const double* value)
{
  return value ? Put(token, key, typeFloat, 0, *value, false) : filterBadParameters;
}
int16_t PutBooleanProc(PIWriteDescriptor token, uint32_t key, uint8_t value)
{
  return Put(token, key, typeBoolean, 0, 0, value != 0);
}

// The suites' slots that this system never uses: logged, and refused.
template <bool Read, int Slot>
int16_t UnusedSlot()
{
  if (Host* host = Host::Current())
    host->Note(std::string(Read ? "readDescriptorProcs" : "writeDescriptorProcs") + " slot " + std::to_string(Slot) +
               " (unused)");
  return filterBadParameters;
}

template <bool Read, int... Slots>
void FillUnused(UnusedDescriptorProc* slots, std::integer_sequence<int, Slots...>)
{
  ((slots[Slots] = UnusedSlot<Read, Slots + (Read ? 7 : 6)>), ...);
}

std::string Components(const int16_t* c, int count)
{
  std::string text;
  for (int i = 0; i < count; ++i)
    text += (i ? "," : "") + std::to_string(c[i]);
  return text;
}

int16_t Clamp255(int16_t v) { return std::clamp<int16_t>(v, 0, 255); }

} // namespace

void InstallRecordProcedures(FilterRecord* record)
{
  record->abortProc = AbortProc;
  record->progressProc = ProgressProc;
  record->displayPixels = DisplayPixelsProc;
  record->advanceState = AdvanceStateProc;
  record->colorServices = ColorServicesProc;
}

void InstallProcedures(HandleProcs* handles, ReadDescriptorProcs* read, WriteDescriptorProcs* write)
{
  // Laid out by hand: the suites as the plug-in reads them.
  // clang-format off
  *handles = HandleProcs{kHandleProcsVersion, kHandleProcsCount, NewProc, DisposeProc, GetSizeProc,
                         SetSizeProc, LockProc, UnlockProc, ReservedHandleProc};
  *read = ReadDescriptorProcs{kReadDescriptorProcsVersion, kReadDescriptorProcsCount, OpenReadProc, CloseReadProc,
                              GetKeyProc, GetIntegerProc, GetFloatProc, GetBooleanProc, {}};
  *write = WriteDescriptorProcs{kWriteDescriptorProcsVersion, kWriteDescriptorProcsCount, OpenWriteProc,
                                CloseWriteProc, PutIntegerProc, PutFloatProc, PutBooleanProc, {}};
  // clang-format on
  FillUnused<true>(read->unusedProcs, std::make_integer_sequence<int, 12>());
  FillUnused<false>(write->unusedProcs, std::make_integer_sequence<int, 11>());
}

void CmykToRgb(const int16_t cmyk[4], int16_t rgb[3])
{
  const int k = Clamp255(cmyk[3]);
  for (int i = 0; i < 3; ++i)
    rgb[i] = static_cast<int16_t>(255 - std::min(255, Clamp255(cmyk[i]) + k));
}

void RgbToCmyk(const int16_t rgb[3], int16_t cmyk[4])
{
  const int16_t r = Clamp255(rgb[0]), g = Clamp255(rgb[1]), b = Clamp255(rgb[2]);
  const int16_t k = static_cast<int16_t>(255 - std::max({r, g, b}));
  cmyk[0] = static_cast<int16_t>(255 - r - k);
  cmyk[1] = static_cast<int16_t>(255 - g - k);
  cmyk[2] = static_cast<int16_t>(255 - b - k);
  cmyk[3] = k;
}

void EndProgress()
{
  if (isatty(STDERR_FILENO))
    std::fputc('\n', stderr);
}

void Host::Progress(int32_t done, int32_t total)
{
  Note("progressProc(" + std::to_string(done) + "," + std::to_string(total) + ")");
  if (total <= 0 || !progressShown_)
    return;
  const int percent = static_cast<int>(std::clamp<int64_t>(int64_t{done} * 100 / total, 0, 100));
  if (percent == lastPercent_)
    return;
  lastPercent_ = percent;
  std::fprintf(stderr, "\r[%-50s] %3d%%", std::string(static_cast<size_t>(percent / 2), '#').c_str(), percent);
  std::fflush(stderr);
}

int16_t Host::ColorServices(ColorServicesInfo* info)
{
  // Nothing past infoSize is read before the size is known to be whole.
  if (!info || info->infoSize < static_cast<int32_t>(sizeof(ColorServicesInfo))) {
    Note(std::string("colorServices(") + (info ? "infoSize=" + std::to_string(info->infoSize) : "null") +
         ") = " + std::to_string(filterBadParameters));
    return filterBadParameters;
  }
  const bool reservedZero =
      !info->reservedSourceInfo && !info->reservedResultInfo && !info->reserved && !info->selectorParameter;
  std::string args = "selector=" + std::to_string(info->selector) + " " + std::to_string(info->sourceSpace) + "->" +
                     std::to_string(info->resultSpace) + " " + Components(info->colorComponents, 4) +
                     (reservedZero ? "" : " reserved!=0");
  const bool toRgb = info->sourceSpace == colorSpaceCMYK && info->resultSpace == colorSpaceRGB;
  const bool toCmyk = info->sourceSpace == colorSpaceRGB && info->resultSpace == colorSpaceCMYK;
  int16_t code = controls_.colorFailure;
  if (code == noErr && (info->selector != colorServicesConvertColor || !(toRgb || toCmyk)))
    code = filterBadParameters;
  if (code == noErr && !controls_.identityColor) {
    if (toRgb) {
      CmykToRgb(info->colorComponents, info->colorComponents);
      info->colorComponents[3] = 0;
    } else {
      RgbToCmyk(info->colorComponents, info->colorComponents);
    }
  }
  Note("colorServices(" + args + ") = " + std::to_string(code) +
       (code == noErr ? " -> " + Components(info->colorComponents, 4) : ""));
  return code;
}

int16_t Host::DisplayPixels(const PSPixelMap* map, const Rect32* source, int32_t row, int32_t column, void* context)
{
  const bool supported = map && source && context && map->version == 1 && map->imageMode == plugInModeRGBColor &&
                         map->colBytes != 0 && map->planeBytes != 0 && map->baseAddr;
  std::string args = "dst=(" + std::to_string(row) + "," + std::to_string(column) + ")";
  if (source)
    args += " src=(" + std::to_string(source->top) + "," + std::to_string(source->left) + "," +
            std::to_string(source->bottom) + "," + std::to_string(source->right) + ")";
  if (!supported) {
    Note("displayPixels(" + args + ") = " + std::to_string(filterBadParameters));
    return filterBadParameters;
  }
  // The source rectangle, clipped to the map's bounds, lands with its
  // unclipped top left at (column, row).
  const Rect32& b = map->bounds;
  const int32_t top = std::max(source->top, b.top), left = std::max(source->left, b.left);
  const int32_t bottom = std::min(source->bottom, b.bottom), right = std::min(source->right, b.right);
  if (bottom > top && right > left) {
    const int32_t width = right - left, height = bottom - top;
    std::vector<uint8_t> bits(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    const auto* base = static_cast<const uint8_t*>(map->baseAddr);
    const PSPixelMask* mask = map->masks;
    for (int32_t r = top; r < bottom; ++r) {
      for (int32_t c = left; c < right; ++c) {
        const ptrdiff_t at =
            static_cast<ptrdiff_t>(r - b.top) * map->rowBytes + static_cast<ptrdiff_t>(c - b.left) * map->colBytes;
        int opacity = 255;
        if (mask && mask->maskData)
          opacity = static_cast<const uint8_t*>(mask->maskData)[static_cast<ptrdiff_t>(r - b.top) * mask->rowBytes +
                                                                static_cast<ptrdiff_t>(c - b.left) * mask->colBytes];
        uint8_t* out = &bits[(static_cast<size_t>(r - top) * width + static_cast<size_t>(c - left)) * 4];
        for (int p = 0; p < 3; ++p) {
          const int value = base[at + static_cast<ptrdiff_t>(p) * map->planeBytes];
          out[2 - p] = static_cast<uint8_t>((value * opacity + 255 * (255 - opacity) + 127) / 255); // B, G, R
        }
      }
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    SetDIBitsToDevice(static_cast<HDC>(context), column + (left - source->left), row + (top - source->top),
                      static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0, static_cast<UINT>(height),
                      bits.data(), &info, DIB_RGB_COLORS);
  }
  Note("displayPixels(" + args + ") = 0");
  return noErr;
}

} // namespace lvhost
