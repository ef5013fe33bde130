// QVImage's painting into a drawing device.
#include "qvcommon/qvdevice.h"
#include "qvcommon/qvimage.h"
#include "qvdib.h"

int QVImage::Display(QVDevice* device, QVRect source, int16_t x, int16_t y)
{
  if (!device || !HasPixels() || source.Right() <= source.Left() || source.Bottom() <= source.Top())
    return 0;
  QVDIBHeader grey;
  // With rows described top-down and the source y counted from the bottom,
  // destination row i takes image row source top + i: the image upright.
  return device->SetDIBitsToDevice(x, y, static_cast<uint32_t>(source.Right() - source.Left()),
                                   static_cast<uint32_t>(source.Bottom() - source.Top()),
                                   static_cast<int16_t>(source.Left()), static_cast<int16_t>(height - source.Bottom()),
                                   0, static_cast<uint32_t>(height), pixels, ImageDIBHeader(*this, &grey),
                                   DIB_RGB_COLORS);
}
