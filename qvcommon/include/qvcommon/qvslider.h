#pragma once
#include "qvcommon/qvcontrol.h"

class QVPicture;

// A horizontal or vertical slider drawn from a track picture (stretched into
// a 4-pixel strip) and a thumb picture. The thumb follows the pointer while
// the button is held; the value is reported once, on button-up, as the
// control notification. A vertical slider has its minimum at the top.
//
// Position and value map linearly: position = inset + trunc(range x f) with
// f = (value - minimum) / (maximum - minimum), and back, in double precision
// and truncating toward zero; the range is the track length less the
// thumb's length. Equal limits give f = 0; a range of 0 or less (the thumb
// as long as the track, or too small a control) leaves no travel: the
// position is the inset and the value the minimum. A left-off slider (the
// default) reports its off value at position 0. Every result is held within
// the int32 limits.
class QVCOMMON_API QVSlider : public QVControl {
public:
  // Loads the track and thumb pictures from pictureResources (the control's
  // resource file when null) and places the thumb at the value.
  QVSlider(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage, int32_t inset,
           int32_t trackPictureId, int32_t thumbPictureId, QVResourceFile* pictureResources, int32_t minimum,
           int32_t maximum, int32_t step, int32_t value, int32_t vertical);
  // Deletes both pictures, then the control.
  ~QVSlider() override;
  // Background, track, centre mark, thumb (when enabled), caption and value
  // text (horizontal: 4 pixels after the track's end, moved left as far as
  // it takes to end inside the control). True.
  bool HandlePaint(QVEvent& event) override;

protected:
  // The three mouse handlers replace the control's (no roll-over capture):
  // a press takes the capture and moves the thumb to the point, a move while
  // dragging follows it, a release ends the drag and then notifies, pressed
  // before or not. A disabled slider ignores all three. Each returns true.
  bool HandleButtonDown(QVEvent& event) override;
  bool HandleButtonUp(QVEvent& event) override;
  bool HandleMouseMove(QVEvent& event) override;

public:
  // ---- New virtual operations, in their fixed order ----
  // The point lies in the thumb's hit box, edges included: (position, 0) to
  // (position + 7, 14), or (0, position) to (14, position + 7) when vertical.
  virtual bool PointOnPos(QVPoint& point);
  // Position := p clamped to [inset, inset + range] (the inset alone when
  // there is no travel).
  virtual void SetPosition(int32_t position);
  // Stores the value (beyond the limits too), places the thumb at it and
  // repaints with erase. No notification.
  virtual void SetValue(int32_t value);

  // ---- Non-virtual ----
  int32_t GetValue() const { return m_Value; }
  int32_t GetSliderPos() const { return m_Position; }
  // Stores the position as given.
  void SetSliderPosition(int position) { m_Position = position; }
  void SetRenderPosText(bool show) { m_ShowValue = show; }
  void SetCenterPoint(bool on) { m_CentreMark = on; }
  void SetLeftOff(bool on) { m_LeftOff = on; }
  bool IsLeftOff() const { return m_LeftOff; }
  void SetOffValue(int32_t value) { m_OffValue = value; }
  int32_t GetOffValue() const { return m_OffValue; }
  // Stores the flag and repaints with erase. Disabling mid-drag ends the
  // drag and frees the capture, sending nothing.
  void Enable(bool enabled);
  // The value at the current position (the off value at position 0 when
  // left-off).
  int32_t GetValueFromPos() const;
  // The position of the current value, before clamping to the travel.
  int32_t GetPosFromValue() const;

  // Both take the constructor's arguments without the orientation. Null
  // when the slider cannot be allocated.
  static QVSlider* CreateHorzSlider(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage,
                                    int32_t inset, int32_t trackPictureId, int32_t thumbPictureId,
                                    QVResourceFile* pictureResources, int32_t minimum, int32_t maximum, int32_t step,
                                    int32_t value);
  static QVSlider* CreateVertSlider(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage,
                                    int32_t inset, int32_t trackPictureId, int32_t thumbPictureId,
                                    QVResourceFile* pictureResources, int32_t minimum, int32_t maximum, int32_t step,
                                    int32_t value);

protected:
  // The inset, range and track length of the slider's orientation.
  int32_t Inset() const { return m_Vertical ? m_InsetY : m_InsetX; }
  int32_t Range() const { return m_Vertical ? m_RangeY : m_RangeX; }
  int32_t TrackLength() const { return m_Vertical ? m_TrackLengthY : m_TrackLengthX; }
  // Position and value from the event's point (x, or y when vertical).
  void Follow(QVEvent& event);

  int32_t m_TrackLengthX = 0;
  int32_t m_RangeX = 0;
  int32_t m_RangeY = 0;
  int32_t m_InsetX = 0;
  int32_t m_InsetY = 0;
  int32_t m_TrackLengthY = 0;
  int32_t m_Position = 0;
  int32_t m_Vertical = 0;
  int32_t m_Minimum = 0;
  int32_t m_Maximum = 0;
  int32_t m_Step = 0;
  int32_t m_Value = 0;
  bool m_Dragging = false;
  bool m_ShowValue = false;
  bool m_Enabled = true;
  bool m_CentreMark = false;
  bool m_LeftOff = true;
  QVPicture* m_TrackPicture = nullptr;
  QVPicture* m_ThumbPicture = nullptr;
  int32_t m_OffValue = 0;
};
