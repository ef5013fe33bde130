#pragma once
// A segmented progress bar 10 pixels high: the width is cut into 20
// segments; those below the filled width are yellow, the rest alternate
// yellow and black, so an empty bar shows stripes and a full one is all
// yellow.
#include "qvcommon/qvcontrol.h"

class ProgressBar : public QVControl {
public:
  // The bar on the rectangle, control message 0, empty.
  ProgressBar(QVWindow* parent, QVRect& rect, QVResourceFile* resources);
  ~ProgressBar() override;
  // Filled width := 0. The control's own fields are left.
  void Initialize() override;
  // The segments, each max(1, client width / 20) pixels wide, from x = 0
  // while x is left of the client's right edge (so a bar narrower than 20
  // pixels still ends). True.
  bool HandlePaint(QVEvent& event) override;

  // ---- Non-virtual ----
  // Filled width := client width x done / total, worked out in 64 bits and
  // held to 0..client width; 0 for a total of 0 or less. Then repaints.
  void SetProgress(int32_t done, int32_t total);
  int32_t GetFilledWidth() const { return m_FilledWidth; }

protected:
  int32_t m_FilledWidth = 0;
};
