#pragma once
// A slider drawn from two pictures, a track and a thumb, that reports 0..100
// on release. The thumb travels L = max(0, track width - thumb width - 1)
// pixels. With snap steps it stops only at the positions of n evenly spread
// steps; without, a centre detent catches it near the track's centre while
// it is dragged.
#include "qvcommon/qvcontrol.h"

class QVPicture;

class QVSliderPicture : public QVControl {
public:
  // The slider on the rectangle with the two pictures from the resource
  // file, the thumb at 0, no detent, no snapping.
  QVSliderPicture(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t trackPictureId,
                  int32_t thumbPictureId, int32_t controlMessage);
  // Deletes both pictures, then the control.
  ~QVSliderPicture() override;
  // The track at the origin, then the thumb at its position. True.
  bool HandlePaint(QVEvent& event) override;

protected:
  // Captures the mouse, starts the drag and places the thumb at the
  // (snapped) pointer. True.
  bool HandleButtonDown(QVEvent& event) override;
  // Releases the capture, ends the drag and sends the thumb position mapped
  // from 0..L to 0..100 (0 when L is 0), last of all. True.
  bool HandleButtonUp(QVEvent& event) override;
  // While dragging: the thumb follows the (snapped) pointer; without snap
  // steps a pointer within the detent of the track's centre (track width /
  // 2 - 1) places it as the centre does. True.
  bool HandleMouseMove(QVEvent& event) override;

public:
  // ---- Non-virtual ----
  // The detent in pixels (0: none; negative counts as 0).
  void SetCentreDetent(int32_t pixels);
  // The number of snap steps (0: none; negative counts as 0).
  void SetSnapSteps(int32_t steps);
  // The travel L.
  int32_t TrackLength() const;
  // The thumb position for a pointer x: x - thumb width / 2 held to 0..L,
  // then with n snap steps mapped to a step 0..n - 1 and back.
  int32_t PositionForPointer(int32_t x) const;
  int32_t GetThumbPosition() const { return m_ThumbPosition; }
  // The value a release reports now.
  int32_t GetValue() const;

private:
  int32_t PictureWidth(const QVPicture* picture) const;

protected:
  QVPicture* m_Track = nullptr;
  QVPicture* m_Thumb = nullptr;
  int32_t m_ThumbPosition = 0;
  int32_t m_CentreDetent = 0;
  int32_t m_SnapSteps = 0;
  bool m_Dragging = false;
};
