#include "qvcommon/qvtwain.h"

#include "qvcommon/qvwindow.h"
#include "qvimage_internal.h"

namespace {
HWND OwnerOf(const QVWindow* window) { return window ? window->GetWnd() : nullptr; }
} // namespace

QVTwain::QVTwain() = default;
QVTwain::~QVTwain() = default;

void QVTwain::SelectSource(QVWindow* window) { imaging::TwainSelect(OwnerOf(window)); }

QVImage* QVTwain::Acquire(QVWindow* window)
{
  imaging::Bitmap acquired;
  if (imaging::TwainAcquire(OwnerOf(window), &acquired) != imaging::kSuccess)
    return nullptr;
  return NewImageFromBitmap(&acquired);
}
