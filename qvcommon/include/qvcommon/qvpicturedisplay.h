#pragma once
#include "qvcommon/qvcontrol.h"

class QVPicture;

// A control that shows one resource picture at its origin.
class QVCOMMON_API QVPictureDisplay : public QVControl {
public:
  // The picture comes from the resource file (the framework's own module
  // when null). A picture that cannot be made or loaded shows nothing.
  QVPictureDisplay(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t pictureId);
  // Deletes the picture, then the control.
  ~QVPictureDisplay() override;
  // The picture at (0, 0); what it leaves shows the class brush. True.
  bool HandlePaint(QVEvent& event) override;

protected:
  QVPicture* m_DisplayPicture = nullptr;
};
