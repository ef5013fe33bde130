#pragma once
#include "qvcommon/qvpaintdevice.h"
#include "qvcommon/qvwindow.h"

class QVPicture;

// The base of every control: a child window of window type 6 with a
// control message, a caption, a picture, text attributes, a font, roll-over
// tracking and a notification path. A control reports with
// SendControlMessage: a synchronous WM_COMMAND (control message, value) to
// its destination window, else the given target, else its parent.
class QVCOMMON_API QVControl : public QVWindow {
public:
  enum { kTextSize = 256 };

  QVControl(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage);
  // Deletes the picture, then the window.
  ~QVControl() override;
  // The control's own fields to their defaults (the window's are left).
  void Initialize() override;

protected:
  // Button down (repaint); false.
  bool HandleButtonDown(QVEvent& event) override;
  // Releases the capture when this control holds it; button and inside
  // cleared; false.
  bool HandleButtonUp(QVEvent& event) override;
  // Entering and leaving: OnMouseEnter and OnMouseLeave; false.
  bool HandleMouseMove(QVEvent& event) override;

public:
  virtual HPALETTE GetControlPalette();
  // The caption (cut to 255 characters); with resize, the width becomes the
  // text width + extra + 5 + text offset. True.
  virtual bool SetControlText(const char* text, int32_t resize, int32_t extra);
  // The caption from the resource file's string; false, caption unchanged,
  // when the string (or the resource file) is missing.
  virtual bool SetControlText(int32_t stringId, int32_t resize, int32_t extra);
  // The picture of that id (replacing and deleting the one before); with
  // resize, the control takes the picture's width + extra and its height.
  // False when the picture cannot be made.
  virtual bool SetControlBitmap(int32_t pictureId, int32_t resize, int32_t extra, int32_t pictureOffset);
  virtual void SetControlSize(int32_t width, int32_t height); // nothing
  virtual int32_t GetControlMessage();
  // WM_COMMAND (control message, value), sent; nothing without a receiver.
  virtual void SendControlMessage(LPARAM value, QVWindow* target);
  virtual int32_t OnCreate();          // 0
  virtual int32_t OnEraseBackground(); // 0
  // Repaint (with roll-over) and capture.
  virtual void OnMouseEnter(QVPoint& point);
  // Release unless the button is down, and repaint (with roll-over).
  virtual void OnMouseLeave(QVPoint& point);
  // The stored rectangle moved to the origin holds the point, edges included.
  virtual bool PtInControl(QVPoint& point);
  // Invalidates the whole control and repaints it at once.
  virtual void UpdateControl(bool erase);
  virtual void SetControlID(int32_t id);
  virtual int32_t GetControlID();
  virtual void SetControlFont(QVDevice::qvdTextFace face, int16_t size, bool flag1, bool flag2);
  virtual void ApplyControlFont(QVDevice& device);
  virtual void SetDestinationWindow(QVWindow* window);
  virtual void SetTextOffset(int32_t offset);
  virtual void SetTextAlignment(int32_t alignment);
  virtual void SetTextColor(QVColor& color);
  // Tiles the background picture over the device's paint rectangle.
  virtual void CommonPaint(QVPaintDevice& device);

  char* GetControlText() { return m_Text; }

protected:
  // The caption at (x, y) with the alignment, in the colour, on a
  // transparent background and in the control font; the device's text
  // state is put back. Nothing for an empty caption.
  void DrawCaption(QVDevice& device, int32_t x, int32_t y, const QVColor& color, QVDevice::qvdTextAlign align);

  bool m_RollOver = true;
  bool m_ButtonDown = false;
  bool m_MouseInside = false;
  char m_Text[kTextSize] = {};
  QVPicture* m_Picture = nullptr;
  int32_t m_Reserved = 0;
  int32_t m_ControlMessage = 0;
  HPALETTE m_Palette = nullptr;
  int32_t m_Width = 0;
  int32_t m_Height = 0;
  int32_t m_ControlID = 0;
  QVWindow* m_Destination = nullptr;
  int32_t m_TextAlignment = 2;
  int32_t m_TextOffset = 5;
  int32_t m_PictureOffset = 0;
  QVColor m_TextColor;
  QVDevice::qvdTextFace m_FontFace = QVDevice::qvdNoFont;
  int16_t m_FontSize = 0;
  bool m_FontFlag1 = false;
  bool m_FontFlag2 = false;
};
