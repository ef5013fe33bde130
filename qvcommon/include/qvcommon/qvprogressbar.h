#pragma once
#include "qvcommon/qvcontrol.h"

// A bar filled in red, in a black 1-pixel frame, in proportion to progress
// out of a total. The progress is stored as given; the drawn fill is bar
// width x progress / total (64-bit, truncating) held within 0..bar width,
// and nothing for a total of 0 or less.
class QVCOMMON_API QVProgressBar : public QVControl {
public:
  // The control on the rectangle (an empty one when null; control message 0,
  // the framework's resources). The bar is barRect, else the control's
  // rectangle moved to the origin. The text is not used.
  QVProgressBar(QVWindow* parent, QVRect* rect, const char* text, QVRect* barRect, int32_t total, int32_t increment);
  ~QVProgressBar() override;
  // The frame and the fill. True.
  bool HandlePaint(QVEvent& event) override;
  // The control's entering, then Increment.
  void OnMouseEnter(QVPoint& point) override;

  // ---- New virtual operations, in their fixed order ----
  // SetProgress (min (total, progress + increment)).
  virtual void Increment();
  // Nothing when the progress is already p; else stores it and repaints,
  // erasing only when the progress went down.
  virtual void SetProgress(int32_t progress);
  // SetProgress (min (progress + n, total)).
  virtual void AddProgress(int32_t n);

  int32_t GetProgress() const { return m_Progress; }

private:
  // Total, progress and increment to 0.
  void Initialize() override;

protected:
  int32_t m_Total = 0;
  int32_t m_Progress = 0;
  int32_t m_Increment = 0;
  QVRect m_BarRect;
};
