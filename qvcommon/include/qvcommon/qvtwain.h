#pragma once
#include "qvcommon/qvdefs.h"

class QVImage;
class QVWindow;

// Scanner acquisition through the imaging library's TWAIN roles, owned by a
// framework window (none: no owner).
class QVCOMMON_API QVTwain {
public:
  QVTwain();
  virtual ~QVTwain();

  // The library's source-selection dialog; the choice stays with the library.
  void SelectSource(QVWindow* window);
  // One image from the selected source as a new image the caller owns; null
  // when the acquisition fails or is cancelled, or memory runs out.
  QVImage* Acquire(QVWindow* window);
};
