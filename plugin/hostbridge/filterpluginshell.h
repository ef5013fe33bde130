#pragma once
// The shell a filter host drives. ENTRYPOINT keeps one for as long as the
// module is loaded and hands it each call's record and result slot; the
// selectors become its Do* operations. All filtering happens inside Start:
// the application reads the host's pixels (AcquireImage), works on them in
// its own message loop and writes them back (DeliverImage) before the loop
// ends.
//
// Pixels travel as one 24-bit QVImage (B, G, R) whatever the host's mode:
// grey, RGB or CMYK (converted through the host's colour services), with a
// transparency plane kept beside it in the mask buffer.
#include "appshell.h"
#include "filterhost/filterhost.h"

class QVPaintDevice;
class QVPoint;
class QVRect;

class FilterPlugInShell : public AppShell {
public:
  explicit FilterPlugInShell(HINSTANCE instance);
  // Deletes the mask buffer (the base deletes the image).
  ~FilterPlugInShell() override;

  // Empties the requests with -128 as the call's result, then ends the
  // message loop with `code` (0 applied: Start then reports 0).
  void Quit(int code) override;
  // Requests the whole filterRect with every plane and reads it into a new
  // current image (and the transparency plane into the mask buffer). The
  // previous image and mask are released first. False, with the transfer
  // status set, when the request fails, the host's buffer is unusable, a
  // colour conversion fails or memory runs out. An empty filterRect gives
  // an image of that size without pixels.
  bool AcquireImage(int unused, QVWindow* owner) override;
  // Requests the whole filterRect for output and writes the current image
  // (and the mask) into it, calling progressProc before each row. False,
  // with the transfer status set, when the request, the host's buffer or a
  // colour conversion fails, and without any request when the current image
  // is missing or does not match filterRect. The arguments are unused.
  bool DeliverImage(QVImage* source, QVFileSpec* file, QVWindow* owner) override;
  // The "Save Image" dialog (all files); on OK the image saves itself there.
  bool SaveImageAs(QVImage* source, QVFileSpec* start, QVWindow* owner) override;
  // The host's window (the first value behind platformData); null without
  // one.
  HWND GetParentWindow() override;
  // The host's colour picker through colorServices when it offers them,
  // else the colour dialog. Afterwards the focus goes back to the owner.
  bool ChooseColor(QVWindow* owner, QVColor* colour) override;
  // Deletes the object; in about mode the loop then ends with 0.
  void DeferredDelete(QVWindow* object) override;
  // Record, result and mask := 0; application mode and the flag := true.
  void InitFields() override;

  // ---- Added virtual operations, in their fixed order ----
  // Draws the source rectangle of a 24-bit image (clipped to it) through
  // the host's displayPixels, with its top left at `destination`, and with
  // the mask's first bytes as opacity when a mask is given. Only for a host
  // identified as the '8BIM' application; false when it is not, for other
  // images, or when the host fails.
  virtual bool DisplayPixels(QVPaintDevice& device, QVRect source, QVPoint destination, QVImage* image, QVImage* mask);
  // Input of filterRect, planes 0..planes-1, at full rate; true when the
  // host served it.
  virtual bool RequestInput();
  // Output of filterRect, planes 0..planes-1; true when the host served it.
  virtual bool RequestOutput();
  // imageMode is grey (1), RGB (3) or CMYK (4).
  virtual bool ModeSupported();
  virtual bool HasAbortProc();
  virtual bool HasProgressProc();
  virtual bool HasAdvanceState();
  virtual bool HasDisplayPixels();
  virtual void DoAbout();
  virtual void DoParameters();
  virtual void DoPrepare();
  virtual void DoStart();
  virtual void DoContinue();
  virtual void DoFinish();
  virtual void DoUnknownSelector();
  // The host's advanceState; its result code.
  virtual int16_t AdvanceState();
  // The three request rectangles := empty; the call's result := code.
  virtual void EndFilter(int16_t code);

  // ---- Non-virtual ----
  // The record and result slot of the current call (ENTRYPOINT sets them
  // on every call; both are valid only during it).
  void SetCall(FilterRecord* record, int16_t* resultSlot);
  FilterRecord* Record() const { return filterRecord; }
  int16_t* ResultSlot() const { return result; }
  // 0, or why a pixel transfer of the current Start failed: the host's
  // advanceState or colorServices code, memFullErr, or filterBadParameters
  // for unusable host buffers or an image that does not match filterRect.
  // Start reports it in place of the application's result.
  int16_t TransferStatus() const { return transferStatus; }
  bool ApplicationMode() const { return applicationMode; }
  // The transparency plane of the current image (width x height bytes);
  // null when the host sent none.
  const uint8_t* MaskBuffer() const { return maskBuffer; }

private:
  // Records the first failure of the transfer; returns false.
  bool TransferFailed(int16_t code);
  // What Start requires of the record beyond the procedures: planes for
  // the mode's colours (and transparency) and a filterRect that is not
  // inverted.
  bool RecordUsable() const;
  // The host's buffer for a non-empty width x height area.
  bool BufferUsable(const void* data, int32_t rowBytes, int32_t width) const;
  void ReleaseMask();

  FilterRecord* filterRecord = nullptr;
  int16_t* result = nullptr;
  uint8_t* maskBuffer = nullptr; // width x height bytes; owned
  bool applicationMode = true;   // false while the About selector runs
  int64_t maskBytes = 0;
  int16_t transferStatus = noErr;
};
