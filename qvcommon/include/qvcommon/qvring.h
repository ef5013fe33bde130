#pragma once
#include "qvcommon/qvcontrol.h"

class QVPicture;

// A dial control: the control picture is the ring, and a small dial picture
// rides a circle around the ring's centre at the current angle. Dragging
// with the button held sets the angle from the pointer; the angle in whole
// degrees (0..359, counter-clockwise from the right) is reported on
// button-up.
class QVCOMMON_API QVRing : public QVControl {
public:
  // No dial picture, angle 0, radius 0, centre (0, 0).
  QVRing(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage);
  // A ring whose control picture is ringPictureId from the caller's
  // resources, or, for id 0, the framework's own ring 208 (and radius 24
  // when radius is 0 too). A radius still 0 becomes half the ring's width;
  // the centre is (ring width / 2 - 1, ring height / 2 - 1). Null when the
  // control cannot be allocated. A ring picture that does not load counts
  // as absent (width and height 0).
  static QVRing* CreateRingControl(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage,
                                   int32_t ringPictureId, int32_t radius, int32_t pictureOffset);

  // Deletes the dial picture, then the control.
  ~QVRing() override;
  // CommonPaint, then DrawRing. True.
  bool HandlePaint(QVEvent& event) override;

protected:
  // The control's handling (press, repaint), then HandleMouseMove. True.
  bool HandleButtonDown(QVEvent& event) override;
  // The control's handling, then SendControlMessage (angle). True.
  bool HandleButtonUp(QVEvent& event) override;
  // Roll-over tracking; while the button is down, the angle follows the
  // pointer (inside the control or not) and the control repaints. True.
  bool HandleMouseMove(QVEvent& event) override;

public:
  // The ring at (picture offset, 0), the dial centred on GetXYFromAngle, and
  // a non-empty caption in black, centred at (client width / 2, client
  // height - 20).
  virtual void DrawRing(QVDevice& device);
  // Where the dial's centre sits for the current angle, radius and centre.
  virtual void GetXYFromAngle(int32_t* x, int32_t* y);
  // The angle of a client point as seen from 8 px above the ring picture's
  // middle, in whole degrees 0..359. A control without client width or
  // height gives the current angle unchanged.
  virtual int16_t GetMouseRingAngle(QVPoint point);
  // The dial picture from the control's resource file (replacing the one
  // before) and radius = ring width / 2 - dial width / 2 - 12. True.
  virtual bool SetDialBitmap(int32_t id);
  // Stores the angle; no repaint.
  virtual void SetRingAngle(int32_t angle);

protected:
  int32_t m_Angle = 0;
  int32_t m_Radius = 0;
  QVPicture* m_DialPicture = nullptr;
  QVPoint m_Centre;

private:
  // The framework's own ring picture as the control picture.
  bool LoadDefaultRing(int32_t pictureOffset);
};
