#pragma once
#include "qvcommon/qvdefs.h"
#include "win32/dibs.h"

// A bitmap resource of a module as a GDI bitmap.
class QVCOMMON_API QVBitmap {
public:
  QVBitmap();
  QVBitmap(const QVBitmap&) = delete;
  QVBitmap& operator=(const QVBitmap&) = delete;
  virtual ~QVBitmap();

  void SetBitmapID(int id);
  int GetBitmapID() const;
  // Loads the bitmap resource of the id from the module (replacing any
  // bitmap loaded before) and drops the palette that comes with it. 1 when
  // a bitmap was loaded; 0 for id 0 or a missing or damaged resource.
  int Initialize(HINSTANCE module);
  HBITMAP GethBit() const;
  int32_t Width() const;
  int32_t Height() const;

protected:
  HBITMAP hBit = nullptr;
  int bitmapID = 0;
  BITMAP info{};
};
