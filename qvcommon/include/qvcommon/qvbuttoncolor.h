#pragma once
#include "qvcommon/qvbutton.h"

// A colour-swatch button: a grey face with a square of the swatch colour at
// its right end, the hover and press frames (unless flat) and a
// left-aligned caption.
class QVCOMMON_API QVButtonColor : public QVButton {
public:
  QVButtonColor(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage);

  // Grey 187, the swatch square (as wide as the client area is high, at its
  // right end), the frame as the pointer and button say, the caption. True.
  bool HandlePaint(QVEvent& event) override;

  // The colour itself, which the caller may change (a repaint shows it).
  QVColor* GetButtonColor() { return &m_Color; }
  // Copies the colour; the button repaints at its next paint.
  void SetButtonColor(QVColor& color) { m_Color = color; }

protected:
  QVColor m_Color;
};
