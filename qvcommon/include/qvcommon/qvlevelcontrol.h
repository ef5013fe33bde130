#pragma once
#include "qvcommon/qvcontrol.h"

class QVPicture;

// A tone curve: a cubic Bezier through four points over the control
// picture, with a knob picture on each point and the caption near the
// bottom. The user drags a knob up and down (x never changes); on release
// the control sends its own address as the value, so that the receiver can
// read the points back with GetPoints.
//
// A stored point (x, y) is displayed at (x + 4, y + 10); knob sizes come
// from a 61 x 26 design grid scaled to the client area.
class QVCOMMON_API QVLevelControl : public QVControl {
public:
  enum { kPointCount = 4 };

  // Default points, no drag, no knob picture.
  QVLevelControl(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage);
  // A control whose picture is pictureId (SetControlBitmap with the picture
  // offset), with the default points for that offset. Null when the control
  // cannot be allocated.
  static QVLevelControl* CreateLevelControl(QVWindow* parent, QVRect& rect, QVResourceFile* resources,
                                            int32_t controlMessage, int32_t pictureId, int32_t pictureOffset);

  // Deletes the knob picture, then the control.
  ~QVLevelControl() override;
  // No drag, the default points, no knob picture (a knob picture held is
  // deleted).
  void Initialize() override;
  // The background picture tiled over the client area, then
  // DrawLevelControl. True.
  bool HandlePaint(QVEvent& event) override;

protected:
  // Starts dragging the first knob (0..3) whose rectangle holds the point,
  // with the capture; none hit: no drag. True.
  bool HandleButtonDown(QVEvent& event) override;
  // Ends a drag: capture released, repaint, then SendControlMessage (the
  // control's address) as the last thing. Without a drag nothing is sent.
  // True.
  bool HandleButtonUp(QVEvent& event) override;
  // While dragging, the knob's stored y := pointer y - 10 held within
  // 0..45 (0 for a pointer above the control); repaint. True.
  bool HandleMouseMove(QVEvent& event) override;

public:
  // Nothing: the curve does not react to the pointer entering or leaving.
  void OnMouseEnter(QVPoint& point) override;
  void OnMouseLeave(QVPoint& point) override;

  // Copy four points in (null: nothing); no repaint.
  virtual void SetPoints(const QVPoint* points);
  // Copies the four points out (null: nothing).
  virtual void GetPoints(QVPoint* points);
  // Only with a control picture that loaded: the picture at (picture
  // offset, 0), the curve through the four displayed points in a 1-px
  // black pen, the knob picture centred on each point (when there is one)
  // and the caption in black, centred at (control width / 2, control
  // height - 20).
  virtual void DrawLevelControl(QVDevice& device);
  virtual void SetLevelPoints(const QVPoint* points);

  // The knob picture from the control's resource file (replacing the one
  // before). True.
  bool SetLevelBitmap(int32_t pictureId);

private:
  // Knob i's rectangle: ScaleToWidth (6) x ScaleToHeight (6) centred on the
  // displayed point. An index outside 0..3 leaves `out` unchanged.
  virtual void GetKnobRectByIndex(int32_t index, QVRect& out);
  // Displayed point i; an index outside 0..3 leaves `out` unchanged.
  virtual void GetPointByIndex(int32_t index, QVPoint& out);
  // (o + 7, 0), (o + 21, 0), (o + 36, 0), (o + 50, 0), o the picture offset.
  virtual void SetDefaultPoints();
  // Design grid to client pixels and back, truncating; the two From forms
  // give 0 for a client area without width or height.
  virtual int32_t ScaleToWidth(int32_t value);
  virtual int32_t ScaleToHeight(int32_t value);
  virtual int32_t ScaleFromWidth(int32_t value);
  virtual int32_t ScaleFromHeight(int32_t value);

protected:
  // The default points for picture offset 0.
  QVPoint m_Points[kPointCount] = {QVPoint(7, 0), QVPoint(21, 0), QVPoint(36, 0), QVPoint(50, 0)};
  int32_t m_DraggedPoint = -1;
  QVPicture* m_KnobPicture = nullptr;
};
