#include "shadowwindows.h"

#include "qvcommon/qvdevice.h"
#include "qvcommon/qvwindow.h"

void PaintShadowWindows(QVWindow& host, QVDevice& device, const QVRect& paint, QVWindow* const* slots, size_t slotCount,
                        bool atOwnPosition, QVPoint offset)
{
  const int32_t hostWidth = host.GetClientRect().Width();
  for (size_t i = 0; i < slotCount && slots[i]; ++i) {
    QVWindow* window = slots[i];
    QVRect rect = window->GetClientRect();
    if (atOwnPosition)
      rect.Offset(window->Left(), window->Top());
    else
      rect.Offset(offset.X(), offset.Y());
    QVRect test(rect);
    test.SetWidth(test.Width() + 10);
    test.SetHeight(test.Height() + 10);
    if (test.RectIntersectsRect(paint) && window->Visible())
      host.DrawShadow(&device, rect, 100, 4, rect.Width() == hostWidth ? 4 : 2);
  }
}
