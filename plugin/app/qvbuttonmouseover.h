#pragma once
// A roll-over picture button: it shows its normal picture, its hover
// picture while the pointer is over it and its pressed picture while the
// button is held down over it, and tells its owner as the pointer enters
// and leaves (with the picture index it shows: 1 entering, 0 leaving) and
// when it is clicked (with its own control message as the value). A locked
// button keeps the picture it was given and says nothing.
#include "qvcommon/qvcontrol.h"

class QVPicture;

class QVButtonMouseOver : public QVControl {
public:
  enum ePictureIndex : int32_t {
    eNormalPicture = 0,
    eHoverPicture = 1,
    ePressedPicture = 2,
  };

  // The button on the rectangle with its three pictures from the resource
  // file, reporting with the control message.
  QVButtonMouseOver(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t normalId, int32_t hoverId,
                    int32_t pressedId, int32_t controlMessage);
  // Deletes the three pictures, then the control.
  ~QVButtonMouseOver() override;
  // Loads the three pictures from the control's resource file (a picture
  // that cannot be made stays null), shows the normal one, unlocks the
  // button and turns roll-over tracking on. The control's own fields are
  // left.
  void Initialize() override;
  // Unless locked, the picture index follows the pointer (pressed inside,
  // hover inside, else normal); the picture of that index, when it loaded,
  // is drawn at the origin. True.
  bool HandlePaint(QVEvent& event) override;

protected:
  // The control's release and a repaint (the pointer counts as outside);
  // then, when the pointer was inside and the button is not locked, the
  // control message is sent as the value, last of all. False.
  bool HandleButtonUp(QVEvent& event) override;

public:
  // The control's entering or leaving, then (unless locked) the picture
  // index the pointer gives, sent as the value.
  void OnMouseEnter(QVPoint& point) override;
  void OnMouseLeave(QVPoint& point) override;

  // ---- Non-virtual ----
  // Shows the picture of the index (held to 0..2) and locks or unlocks the
  // button, then repaints.
  void SetPictureLocked(int32_t index, bool locked);
  int32_t GetPictureIndex() const { return m_PictureIndex; }
  bool IsLocked() const { return m_Locked; }

private:
  // The index the pointer gives: pressed inside, hover inside, else normal.
  int32_t IndexFromPointer() const;
  // Unless locked, the index from the pointer is taken and sent.
  void ReportIndex();

protected:
  QVPicture* m_Pictures[3] = {};
  int32_t m_PictureIds[3] = {};
  int32_t m_PictureIndex = eNormalPicture;
  bool m_Locked = false;
};
