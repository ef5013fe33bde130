#pragma once
// The pane inside the control panel that shows the image of the correction
// run: normally the corrected preview, the uncorrected one while Shift is
// held, or the full-size image. An image larger than the pane is scrolled by
// dragging it with the left button under the hand cursor; when a drag ends
// the pane posts command 16032 to its parent, which asks for a new preview
// run. The image is drawn through the host's own display callback when the
// host is one that offers it, else directly. The pane never owns its image.
#include "qvcommon/qvpoint.h"
#include "qvcommon/qvwindow.h"

class QVImage;

class PreviewPane : public QVWindow {
public:
  enum : int32_t {
    kDragEnded = 16032, // posted to the parent when a drag ends
    kHandCursor = 270,  // the cursor while the image can scroll
  };

  // A child of the parent (window type 5) on the rectangle, on the
  // plug-in's resource file; no image, display off.
  PreviewPane(QVRect* rect, QVWindow* parent);
  // Only the window goes; the image is not deleted.
  ~PreviewPane() override;
  // Without an image or with display off, the window's background.
  // Otherwise the image at the scroll offset (held to its range first; an
  // image that fits is drawn at the top left), through the host's
  // displayPixels when the bridge is the filter plug-in's and the host
  // draws it, else with QVImage::Display. True.
  bool HandlePaint(QVEvent& event) override;
  // The hand (cursor 270 of the pane's resource file) while the image can
  // scroll, else the arrow. False.
  bool HandleSetCursor(QVEvent& event) override;

protected:
  // With an image that can scroll and no drag under way: the drag starts
  // at the event's point and the mouse is captured. Then the window's
  // handling (false).
  bool HandleButtonDown(QVEvent& event) override;
  // With a drag under way: the drag ends and the capture is released;
  // with an image kDragEnded is posted to the parent. Then the window's
  // handling (false).
  bool HandleButtonUp(QVEvent& event) override;
  // While dragging with an image: each direction's offset moves by the
  // pointer's step only when the result stays within
  // -max(0, image size - client size)..0 (a step that would overshoot
  // leaves that direction unchanged), then the pane is redrawn. True; false
  // (the window's handling) otherwise.
  bool HandleMouseMove(QVEvent& event) override;

public:
  // ---- Non-virtual ----
  // The image shown (null: none), the offset held to its new range; no
  // redraw.
  void SetImage(QVImage* image);
  QVImage* GetImage() const { return m_Image; }
  // Display on or off, then the pane is redrawn.
  void SetDisplay(bool on);
  bool DisplayOn() const { return m_Display; }
  // Where the image's top-left corner is drawn, held to its range.
  QVPoint GetScrollOffset();
  void ResetScrollOffset();
  // Whether an image is set that is wider or higher than the client area.
  bool CanScroll();
  bool Dragging() const { return m_Dragging; }

private:
  // The offset held to -max(0, image size - client size)..0 each way.
  void ClampOffset();
  // The lowest offset in one direction.
  static int32_t LowestOffset(int32_t imageSize, int32_t clientSize);

protected:
  QVImage* m_Image = nullptr;
  bool m_Dragging = false;
  bool m_Display = false;
  int32_t m_LastX = -1, m_LastY = -1;
  int32_t m_CurrentX = 0, m_CurrentY = 0;
  int32_t m_OffsetX = 0, m_OffsetY = 0;
};
