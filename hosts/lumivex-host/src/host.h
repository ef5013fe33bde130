#pragma once
// lvhost: an image-editor host for filter plug-ins. It fills the filter
// record, offers every host procedure and suite (each call logged with its
// arguments), serves the plug-in's pixel requests from one image, runs the
// selectors and commits or discards the result by the host's rules.
//
// The procedures are plain C functions, so they reach the host that is
// running through a process-wide pointer; one host runs at a time.
#include "filterhost/filterhost.h"
#include "image.h"
#include "params.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace lvhost {

// Test controls of the host procedures.
struct HostControls {
  // advanceState: every served row gets this many extra bytes, set to
  // `paddingMarker`.
  int32_t rowPadding = 0;
  uint8_t paddingMarker = 0xEE;
  // advanceState: fill output buffers with `sentinel` instead of the image.
  bool sentinelPrefill = false;
  uint8_t sentinel = 0xA7;
  // advanceState: call number `failCall` (1 = the first) returns `failCode`.
  int failCall = 0;
  int16_t failCode = 0;
  // colorServices: hand the components back unchanged, or fail with a code.
  bool identityColor = false;
  int16_t colorFailure = 0;
  // The most Continue calls of one run.
  int continueLimit = 10000;
  // Descriptor parameters a plug-in cannot use: none at all, no read suite,
  // a read suite one procedure short, or parameters of version 1.
  enum class Descriptors { Usable, None, NullSuite, ShortCount, WrongVersion };
  Descriptors descriptors = Descriptors::Usable;
};

struct RunOptions {
  bool about = false; // call selector 0 only
  int16_t playInfo = playInfoDisplay;
  std::optional<Descriptor> descriptor; // given to the plug-in; none: a null handle
  std::optional<Rect16> filterRect;     // the whole image when not given
  // An output request of every plane without padding, made without an
  // input request, is served from the image itself, as an editor hands a
  // filter its document: the image then changes as the plug-in writes,
  // also in a run that fails. For a caller that discards the image of a
  // failed run; otherwise outputs are kept apart until the commit.
  bool outputInPlace = false;
};

struct RunResult {
  int16_t result = 0;                 // the plug-in's last result code
  bool deadlock = false;              // the window layer recorded a deadlock meanwhile
  bool continueLimit = false;         // the plug-in kept requesting past the limit
  bool outputRequested = false;       // some output request was served
  bool committed = false;             // the last output buffer went into the image
  std::optional<Descriptor> recorded; // the descriptor the plug-in wrote, if any
  // Seconds from the start of the Start selector's call: when the first
  // input was served, when the first output was requested (both -1 when it
  // never happened) and when the call returned.
  double inputServedAt = -1;
  double outputRequestedAt = -1;
  double startEndedAt = 0;
};

class Host {
public:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  HostControls& Controls() { return controls_; }
  const std::vector<std::string>& Log() const { return log_; }
  // Log entries that start with `prefix` (a procedure's name and "(").
  int Count(const std::string& prefix) const;
  void ClearLog() { log_.clear(); }

  // Runs the plug-in on `image` (changed only by a commit, unless outputs
  // are served in place). Selector 1 runs when playInfo is 1 or the
  // plug-in's data is still 0, then 2 and 3; while the result is 0 and a
  // request is open the host serves it and calls 4, at most continueLimit
  // times; 5 follows success. On a final 0 the buffer of the last output
  // request is committed into that request's rectangle and planes.
  // Everything the host handed out is freed before returning.
  RunResult Run(FilterEntryProc entry, HostImage& image, const RunOptions& options);

  // The record of the current run (valid during Run).
  FilterRecord& Record() { return record_; }
  // After a run: whether the last output buffer's row padding still holds
  // the marker.
  bool OutputPaddingIntact() const { return paddingIntact_; }

  // The one data word of the process, kept between runs.
  static intptr_t& PluginData();
  // The running host, for the procedures.
  static Host* Current();

  // ---- What the procedures do (public for the C entry points) ----
  void Note(std::string entry) { log_.push_back(std::move(entry)); }
  int16_t AdvanceState();
  int16_t ColorServices(ColorServicesInfo* info);
  int16_t DisplayPixels(const PSPixelMap* map, const Rect32* source, int32_t row, int32_t column, void* context);
  void Progress(int32_t done, int32_t total);
  // Handles.
  Handle NewHandle(int32_t size);
  void DisposeHandle(Handle handle);
  int32_t GetHandleSize(Handle handle);
  int16_t SetHandleSize(Handle handle, int32_t size);
  Ptr LockHandle(Handle handle);
  bool Issued(Handle handle) const { return handles_.count(handle) != 0; }
  // Descriptors; tokens are numbers the host looks up, never pointers.
  PIReadDescriptor OpenRead(Handle descriptor);
  int16_t CloseRead(PIReadDescriptor token);
  uint8_t GetKey(PIReadDescriptor token, uint32_t* key, uint32_t* type, int32_t* flags);
  int16_t GetValue(PIReadDescriptor token, uint32_t type, void* value);
  PIWriteDescriptor OpenWrite();
  int16_t Put(PIWriteDescriptor token, const DescriptorEntry& entry);
  int16_t CloseWrite(PIWriteDescriptor token, Handle* descriptor);

private:
  // What a handle points at: the data pointer comes first.
  struct HandleBlock {
    Ptr data = nullptr;
    int32_t size = 0;
    std::vector<char> bytes; // at least one byte, so the data is never null
  };
  struct Reader {
    Descriptor entries;
    size_t next = 0;
    std::optional<DescriptorEntry> current;
  };
  // A request's pixels as the plug-in sees them: the host's own buffer, or
  // the image itself for an input of every plane without padding (the
  // input is the plug-in's to read only) and for an output served in place.
  struct Served {
    Rect16 rect{};
    int16_t lo = 0, hi = 0;
    int32_t rowBytes = 0;
    uint8_t* data = nullptr;           // the first byte of the first row; null when empty
    std::unique_ptr<uint8_t[]> buffer; // left uninitialised until the rows are copied in
  };

  // A tracked handle of the host's own (not logged as a plug-in call).
  Handle Allocate(int32_t size);
  int32_t SizeOf(Handle handle) const;
  void Prepare(HostImage& image, const RunOptions& options);
  int16_t Call(FilterEntryProc entry, int16_t selector);
  // Validates the record's requests and fills the buffers.
  int16_t Serve();
  // One request: noErr (an empty rectangle serves nothing),
  // filterBadParameters for a rectangle or planes outside the image, or
  // memFullErr when its buffer cannot be had. With `inPlace` a request of
  // every plane without padding (and, for an output, without the sentinel)
  // is served from the image.
  int16_t ServeArea(const Rect16& rect, int16_t lo, int16_t hi, bool output, bool inPlace, Served* served);
  void Commit();
  void Finish(RunResult* result);

  HostControls controls_;
  std::vector<std::string> log_;
  FilterRecord record_{};
  PlatformData platform_{};
  HandleProcs handleProcs_{};
  ReadDescriptorProcs readProcs_{};
  ReadDescriptorProcs shortReadProcs_{}; // readProcs_ with one procedure less
  WriteDescriptorProcs writeProcs_{};
  PIDescriptorParameters descriptorParameters_{};
  // Seconds since the Start selector was called.
  double SinceStart() const;

  HostImage* image_ = nullptr;
  HWND window_ = nullptr;
  std::chrono::steady_clock::time_point startCalled_{};
  double inputServedAt_ = -1, outputRequestedAt_ = -1;
  int advanceCalls_ = 0;
  int lastPercent_ = -1;
  // Whether stderr is a terminal, asked once a run: progress comes a row at a time.
  bool progressShown_ = false;
  Served input_, output_;
  bool outputServed_ = false;
  bool outputInPlace_ = false;
  bool paddingIntact_ = true;
  std::map<Handle, std::unique_ptr<HandleBlock>> handles_;
  std::set<Handle> written_; // descriptors made by closeWriteDescriptor
  std::map<uintptr_t, Reader> readers_;
  std::map<uintptr_t, Descriptor> writers_;
  uintptr_t nextToken_ = 0x1001;
};

// The conversions of colorServices (components 0..255; others are clamped).
void CmykToRgb(const int16_t cmyk[4], int16_t rgb[3]);
void RgbToCmyk(const int16_t rgb[3], int16_t cmyk[4]);

// ---- The window layer --------------------------------------------------------
// The host's own document window, whose handle platformData carries: a
// visible 640 x 480 top-level window that shows `image` (none: nothing)
// scaled to fit its client area, centred on a dark backdrop. The image
// must outlive the window.
HWND CreateHostWindow(const HostImage* image);
void DestroyHostWindow(HWND window);
// A picture as the document window shows it: B, G, R rows top-down, each
// padded to a multiple of 4 bytes.
struct Picture {
  int width = 0;
  int height = 0;
  int stride = 0;
  std::vector<uint8_t> bgr;
};
// The largest size of at most the area's that keeps the picture's aspect
// ratio and never enlarges it (0 x 0 when either is empty).
void FitPicture(int32_t width, int32_t height, int32_t areaWidth, int32_t areaHeight, int* fitWidth, int* fitHeight);
// The image reduced to width x height, each pixel the mean of the pixels
// it covers (grey, RGB or CMYK through CmykToRgb; alpha over white). An
// empty picture when either size is not positive.
Picture ReducePicture(const HostImage& image, int width, int height);
// Failures the window layer has recorded so far (a deadlocked message loop
// among them).
size_t RecordedWindowFailures();

} // namespace lvhost
