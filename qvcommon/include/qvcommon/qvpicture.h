#pragma once
#include "qvcommon/qvcolor.h"
#include "qvcommon/qvrect.h"

#include "imaging/imaging.h"

class QVDevice;
class QVResourceFile;

// A piece of interface art held as a library bitmap: made from a bitmap
// resource (always 24 bits, upright), copied from another picture or
// captured from a device (rows stored bottom-up, as a capture is). It draws
// plainly, scaled or with one colour transparent, and gives row access in
// storage order. Whatever fails leaves the picture invalid, and an invalid
// picture draws nothing.
class QVCOMMON_API QVPicture {
public:
  QVPicture();
  // Loads the bitmap resource `id` of the resource file's module (nothing
  // for id 0).
  QVPicture(int32_t id, QVResourceFile* resources);
  // Deep copies; valid only when the source is.
  QVPicture(const QVPicture& src);
  explicit QVPicture(const QVPicture* src);
  // The device's pixels in the area; black where the device cannot draw.
  QVPicture(const QVRect& area, QVDevice* device);
  QVPicture& operator=(const QVPicture&) = delete;

  // ---- Virtual operations, in their fixed order ----
  virtual ~QVPicture();
  virtual bool ValidPicture() const;
  // Replaces the bitmap by the resource's, drawn into a 24-bit bitmap of
  // its size. A missing or empty resource changes nothing; a damaged one
  // (parts past its end, over 256 colours, an unsupported depth or
  // compression) leaves the picture invalid. The picture id is not changed.
  virtual void SetPictureID(int32_t id, QVResourceFile* resources);
  // The whole picture scaled into rect.
  virtual void Draw(QVDevice* device, const QVRect& rect) const;
  // The source part scaled into destination (picture coordinates, top row 0).
  virtual void Draw(QVDevice* device, const QVRect& source, const QVRect& destination) const;
  // The whole picture at (x, y), unscaled.
  virtual void Draw(QVDevice* device, int32_t x, int32_t y) const;
  virtual void Draw(QVDevice* device) const;
  // The part (sourceX, sourceY, width, height) at (x, y), leaving pixels of
  // the key colour (white when null) undrawn.
  virtual void DrawTransparent(QVDevice* device, int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
                               int32_t sourceY, const QVColor* key);
  virtual int32_t Width() const;
  virtual int32_t Height() const;
  // Storage row `row` copied into the picture's row buffer, which stays the
  // picture's; null for a row out of range or an invalid picture. Rows of a
  // captured picture count from the bottom.
  virtual unsigned char* GetPictureRow(int32_t row);
  // Puts the row buffer back into storage row `row`; nothing without a
  // buffer or for a row out of range.
  virtual void SetPictureRow(int32_t row);
  virtual void ConvertTo24Bit();
  virtual int16_t GetPictureDepth() const;
  virtual int32_t GetPictureRowBytes() const;
  // Turns the picture by a multiple of 90 degrees, clockwise for a positive
  // angle. 0, or -1 (unchanged) for any other angle or an invalid picture.
  virtual int16_t RotatePicture(int16_t angle, bool flag);
  virtual int32_t GetPictureID() const;
  // Makes the row buffer one row (bytes per line) long, reallocating it
  // when the row length changed. 0, or -1 when memory runs out.
  virtual int16_t AllocPixelBuffer();
  virtual void FreePixelBuffer();
  // Frees the bitmap and the row buffer: an empty, invalid picture.
  virtual void Initialize();

protected:
  bool valid = false;
  imaging::Bitmap bitmap;
  unsigned char* rowBuffer = nullptr;
  int32_t pictureID = 0;
  int32_t rowBufferSize = 0;
};
