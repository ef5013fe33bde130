#include "qvcommon/qvvirtualimage.h"

QVVirtualImage::QVVirtualImage(QVImage* image) : base(image)
{
  if (!image)
    return;
  baseBytesPerPixel = image->bytesPerPixel;
  baseRowBytes = image->rowBytes;
  basePixels = image->pixels;
  baseWidth = image->width;
  baseHeight = image->height;
  baseWrap = image->wrap;
}

QVVirtualImage::~QVVirtualImage() = default;

void QVVirtualImage::UpdateInverseMatrix()
{
  inverse = forward;
  inverse.Inverse();
}
