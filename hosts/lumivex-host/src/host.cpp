// The selector sequence, request serving and the commit rules (see host.h).
#include "host.h"

#include "procs.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unistd.h>

namespace lvhost {
namespace {

Host* g_current = nullptr;

bool Empty(const Rect16& r) { return r.right <= r.left || r.bottom <= r.top; }

} // namespace

std::string RectText(const Rect16& r)
{
  return "(" + std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) + "," +
         std::to_string(r.right) + ")";
}

Host::Host() { InstallProcedures(&handleProcs_, &readProcs_, &writeProcs_); }

Host::~Host()
{
  if (g_current == this)
    g_current = nullptr;
}

intptr_t& Host::PluginData()
{
  static intptr_t data = 0;
  return data;
}

Host* Host::Current() { return g_current; }

int Host::Count(const std::string& prefix) const
{
  return static_cast<int>(
      std::count_if(log_.begin(), log_.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
}

void Host::Prepare(HostImage& image, const RunOptions& options)
{
  image_ = &image;
  advanceCalls_ = 0;
  inputServedAt_ = outputRequestedAt_ = -1;
  lastPercent_ = -1;
  progressShown_ = isatty(STDERR_FILENO) != 0;
  input_ = Served{};
  output_ = Served{};
  outputServed_ = false;
  outputInPlace_ = options.outputInPlace;
  paddingIntact_ = true;
  window_ = CreateHostWindow(options.about ? nullptr : &image);
  platform_.hwnd = window_;

  record_ = FilterRecord{};
  InstallRecordProcedures(&record_);
  record_.planes = image.Planes();
  record_.filterRect = options.filterRect
                           ? *options.filterRect
                           : Rect16{0, 0, static_cast<int16_t>(image.height), static_cast<int16_t>(image.width)};
  record_.bufferSpace = 64 << 20;
  record_.imageMode = image.mode;
  record_.platformData = &platform_;
  record_.inTransparencyMask = image.alpha ? 1 : 0;
  record_.handleProcs = &handleProcs_;

  descriptorParameters_ = PIDescriptorParameters{0, options.playInfo, 0, nullptr, &writeProcs_, &readProcs_};
  if (options.descriptor) {
    const std::string bytes = PackDescriptor(*options.descriptor);
    Handle handle = Allocate(static_cast<int32_t>(bytes.size()));
    std::memcpy(*handle, bytes.data(), bytes.size());
    descriptorParameters_.descriptor = handle;
  }
  record_.descriptorParameters = &descriptorParameters_;
  switch (controls_.descriptors) {
  case HostControls::Descriptors::Usable: break;
  case HostControls::Descriptors::None: record_.descriptorParameters = nullptr; break;
  case HostControls::Descriptors::NullSuite: descriptorParameters_.readDescriptorProcs = nullptr; break;
  case HostControls::Descriptors::ShortCount:
    shortReadProcs_ = readProcs_;
    --shortReadProcs_.numReadDescriptorProcs;
    descriptorParameters_.readDescriptorProcs = &shortReadProcs_;
    break;
  case HostControls::Descriptors::WrongVersion: descriptorParameters_.descriptorParametersVersion = 1; break;
  }
}

int16_t Host::Call(FilterEntryProc entry, int16_t selector)
{
  int16_t result = noErr;
  entry(selector, &record_, &PluginData(), &result);
  Note("ENTRYPOINT(" + std::to_string(selector) + ") = " + std::to_string(result));
  return result;
}

RunResult Host::Run(FilterEntryProc entry, HostImage& image, const RunOptions& options)
{
  Host* const previous = g_current;
  g_current = this;
  const size_t failuresBefore = RecordedWindowFailures();
  Prepare(image, options);
  RunResult result;
  if (options.about) {
    result.result = Call(entry, filterSelectorAbout);
  } else {
    int16_t code = noErr;
    if (options.playInfo == playInfoDisplay || PluginData() == 0)
      code = Call(entry, filterSelectorParameters);
    if (code == noErr)
      code = Call(entry, filterSelectorPrepare);
    if (code == noErr) {
      startCalled_ = std::chrono::steady_clock::now();
      code = Call(entry, filterSelectorStart);
      result.startEndedAt = SinceStart();
    }
    int continues = 0;
    while (code == noErr && (!Empty(record_.inRect) || !Empty(record_.outRect) || !Empty(record_.maskRect))) {
      if (continues++ == controls_.continueLimit) {
        result.continueLimit = true;
        Note("error: the plug-in kept requesting past " + std::to_string(controls_.continueLimit) + " Continue calls");
        break;
      }
      code = Serve();
      if (code == noErr)
        code = Call(entry, filterSelectorContinue);
    }
    if (code == noErr && !result.continueLimit)
      code = Call(entry, filterSelectorFinish);
    result.result = code;
    result.outputRequested = outputServed_;
    result.inputServedAt = inputServedAt_;
    result.outputRequestedAt = outputRequestedAt_;
  }
  result.deadlock = RecordedWindowFailures() > failuresBefore;
  const bool success = !options.about && result.result == noErr && !result.continueLimit && !result.deadlock;
  if (success && outputServed_) {
    Commit();
    result.committed = true;
  }
  Finish(&result);
  g_current = previous;
  return result;
}

int16_t Host::ServeArea(const Rect16& rect, int16_t lo, int16_t hi, bool output, bool inPlace, Served* served)
{
  if (rect.right < rect.left || rect.bottom < rect.top)
    return filterBadParameters;
  if (Empty(rect))
    return noErr;
  if (rect.left < 0 || rect.top < 0 || rect.right > image_->width || rect.bottom > image_->height || lo < 0 ||
      hi < lo || hi >= image_->Planes())
    return filterBadParameters;
  const int32_t width = rect.right - rect.left, height = rect.bottom - rect.top, planes = hi - lo + 1;
  const int32_t imagePlanes = image_->Planes();
  const int32_t padding = std::max(controls_.rowPadding, 0);
  served->rect = rect;
  served->lo = lo;
  served->hi = hi;
  // The image's own rows, copied nowhere.
  if (inPlace && planes == imagePlanes && padding == 0 && !(output && controls_.sentinelPrefill)) {
    served->rowBytes = static_cast<int32_t>(image_->RowBytes());
    served->data = image_->At(rect.left, rect.top);
    return noErr;
  }
  served->rowBytes = width * planes + padding;
  const size_t bytes = static_cast<size_t>(served->rowBytes) * static_cast<size_t>(height);
  // Every byte is written below: no fill beforehand.
  served->buffer.reset(new (std::nothrow) uint8_t[bytes]);
  if (!served->buffer)
    return memFullErr;
  served->data = served->buffer.get();
  // Each row is copied from contiguous memory: whole when every plane is
  // asked for, plane by plane otherwise; then the padding gets its marker.
  const size_t rowLength = static_cast<size_t>(width) * static_cast<size_t>(planes);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = served->data + static_cast<size_t>(y) * static_cast<size_t>(served->rowBytes);
    const uint8_t* pixel = image_->At(rect.left, rect.top + y) + lo;
    if (output && controls_.sentinelPrefill)
      std::memset(row, controls_.sentinel, rowLength);
    else if (planes == imagePlanes)
      std::memcpy(row, pixel, rowLength);
    else
      for (uint8_t* target = row; target < row + rowLength; target += planes, pixel += imagePlanes)
        std::copy(pixel, pixel + planes, target);
    std::memset(row + rowLength, controls_.paddingMarker, static_cast<size_t>(padding));
  }
  return noErr;
}

int16_t Host::Serve()
{
  Served input, output;
  const bool outputAsked = !Empty(record_.outRect);
  int16_t code = Empty(record_.maskRect) ? noErr : filterBadParameters;
  // An output in place never shares its pixels with an input of the same
  // request.
  if (code == noErr)
    code = ServeArea(record_.inRect, record_.inLoPlane, record_.inHiPlane, false, true, &input);
  if (code == noErr)
    code = ServeArea(record_.outRect, record_.outLoPlane, record_.outHiPlane, true,
                     outputInPlace_ && Empty(record_.inRect), &output);
  if (code != noErr) {
    Note(code == memFullErr ? "error: no memory for the requested pixels"
                            : "error: request outside the image, bad planes, or a mask request");
    return code;
  }
  input_ = std::move(input);
  record_.inData = input_.data;
  record_.inRowBytes = input_.rowBytes;
  // The last output buffer stays until the run ends, for the commit.
  if (outputAsked) {
    output_ = std::move(output);
    outputServed_ = true;
  }
  record_.outData = outputAsked ? output_.data : nullptr;
  record_.outRowBytes = outputAsked ? output_.rowBytes : 0;
  return noErr;
}

int16_t Host::AdvanceState()
{
  const FilterRecord& r = record_;
  const std::string args = "in=" + RectText(r.inRect) + " " + std::to_string(r.inLoPlane) + ".." +
                           std::to_string(r.inHiPlane) + " out=" + RectText(r.outRect) + " " +
                           std::to_string(r.outLoPlane) + ".." + std::to_string(r.outHiPlane) +
                           " mask=" + RectText(r.maskRect);
  if (!Empty(r.outRect) && outputRequestedAt_ < 0)
    outputRequestedAt_ = SinceStart();
  const bool input = !Empty(r.inRect);
  const int16_t code = ++advanceCalls_ == controls_.failCall ? controls_.failCode : Serve();
  if (input && code == noErr && inputServedAt_ < 0)
    inputServedAt_ = SinceStart();
  Note("advanceState(" + args + ") = " + std::to_string(code));
  return code;
}

double Host::SinceStart() const
{
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - startCalled_).count();
}

void Host::Commit()
{
  const Served& out = output_;
  // An output served in place is in the image already.
  if (!out.buffer)
    return;
  const int32_t width = out.rect.right - out.rect.left, height = out.rect.bottom - out.rect.top;
  const int32_t planes = out.hi - out.lo + 1, imagePlanes = image_->Planes();
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* row = out.data + static_cast<size_t>(y) * static_cast<size_t>(out.rowBytes);
    uint8_t* pixel = image_->At(out.rect.left, out.rect.top + y) + out.lo;
    if (planes == imagePlanes)
      std::memcpy(pixel, row, static_cast<size_t>(width) * static_cast<size_t>(planes));
    else
      for (int32_t x = 0; x < width; ++x, pixel += imagePlanes)
        std::copy(row + x * planes, row + (x + 1) * planes, pixel);
    paddingIntact_ = paddingIntact_ && std::all_of(row + width * planes, row + out.rowBytes,
                                                   [&](uint8_t b) { return b == controls_.paddingMarker; });
  }
}

void Host::Finish(RunResult* result)
{
  Handle descriptor = descriptorParameters_.descriptor;
  Descriptor recorded;
  if (descriptor && written_.count(descriptor) && handles_.count(descriptor) &&
      UnpackDescriptor(*descriptor, static_cast<size_t>(SizeOf(descriptor)), &recorded))
    result->recorded = std::move(recorded);
  // Whatever the plug-in disposed or not, nothing handed out outlives the run.
  handles_.clear();
  written_.clear();
  readers_.clear();
  writers_.clear();
  input_ = Served{};
  output_ = Served{};
  if (lastPercent_ >= 0)
    EndProgress();
  DestroyHostWindow(window_);
  window_ = nullptr;
  platform_.hwnd = nullptr;
  image_ = nullptr;
}

} // namespace lvhost
