#pragma once
#include "qvcommon/qv2dtransform.h"
#include "qvcommon/qvcolor.h"
#include "qvcommon/qvrect.h"
#include "qvcommon/qvtwlfile.h"

#include "imaging/imaging.h"

class QVFileSpec;

class QVDevice;

// The header that describes the pixels to GDI: a BITMAPINFO (a 40-byte
// header and one colour entry) for 24-bit rows running top-down, with the
// image's width and minus its height filled in when the image is sized.
struct QVDisplayHeader : BITMAPINFO {
  QVDisplayHeader()
      : BITMAPINFO{{sizeof(BITMAPINFOHEADER), 0, 0, 1, 24, BI_RGB, 0, 4000, 4000, 0, 0}, {{0, 0, 0, 0}}}
  {
  }
};
static_assert(sizeof(QVDisplayHeader) == 44);

// The framework's raster image: 8-bit grey (1 byte per pixel) or 24-bit
// colour stored B, G, R (3 bytes per pixel), in one locked, movable global
// block that the image owns. Rows run top to bottom, row y at
// pixels + y * rowBytes, each padded with rowPad bytes to a multiple of 4.
// Failures never throw: they set the error flag, which callers test after
// construction and loading. An image without pixels makes every operation
// do nothing and report failure.
//
// The fields are public: the correction engine, the views and the effect
// modules work on the pixels and sizes directly.
class QVCOMMON_API QVImage {
public:
  // Nothing but the field defaults (the values Initialize sets): no buffer.
  QVImage();
  // A deep copy with its own block. A source without pixels gives an image
  // without pixels and with the error flag set.
  explicit QVImage(const QVImage* src);
  // Loads the file (see LoadFromFile); on failure no block, ready false and
  // the error flag set.
  QVImage(QVFileSpec& file, int32_t bitsPerPixel, bool previewOnly);
  // A width x height image of 1 or 3 bytes per pixel filled with the colour:
  // B, G, R for colour, the red component for grey; black without a colour.
  QVImage(int32_t width, int32_t height, int32_t bytesPerPixel, const QVColor* colour);
  // LoadFromBuffer with the same arguments.
  QVImage(const unsigned char* buffer, int32_t pixelBytes, int32_t bufferRowBytes, int32_t width, int32_t height,
          int32_t extra, QVImage* mask);
  // Takes the pixels of the library bitmap and frees it (LoadFromLeadBitmap).
  explicit QVImage(imaging::Bitmap* bitmap);
  QVImage(const QVImage&) = delete;
  QVImage& operator=(const QVImage&) = delete;

  // ---- Virtual operations, in their fixed order ----
  // Copies a host's interleaved pixels (R, G, B[, fourth] or one grey byte,
  // pixelBytes 1, 3 or 4) into a new 3-byte image; a grey source gives
  // B = G = R. With 4 bytes the fourth goes to the first byte of the mask's
  // pixels when the mask has pixels and covers width x height. Other pixel
  // sizes, a null buffer or rows shorter than width * pixelBytes set the
  // error flag and leave the image unchanged. `extra` is not used.
  virtual void LoadFromBuffer(const unsigned char* buffer, int32_t pixelBytes, int32_t bufferRowBytes,
                              int32_t width, int32_t height, int32_t extra, QVImage* mask);
  // The way back into a host buffer: R, G, B (a grey image writes its byte
  // to each), the red byte alone for pixelBytes 1, and with 4 bytes the
  // mask's first byte as the fourth when the mask has pixels and covers the
  // image (else the fourth byte is left as it is). Refusals as above.
  virtual void SaveToBuffer(unsigned char* buffer, int32_t pixelBytes, int32_t bufferRowBytes, int32_t extra,
                            QVImage* mask);
  virtual ~QVImage();
  // Frees the block and resets every field to the defaults.
  virtual void Initialize();
  // Every byte of the pixels in [left, right) x [top, bottom), clipped to
  // the image, := value.
  virtual void WriteRect(const QVRect& rect, unsigned char value);
  // The same for the pixels of the rectangle inside the circle of radius
  // r = (right - left) / 2 centred on (left + r, top + r), strictly inside.
  virtual void WriteCircle(const QVRect& rect, unsigned char value);
  // Writes the image to the file's path in the kind its extension gives
  // (GetLFileType: BMP, TIFF and JPEG have writers, the other kinds fail) at
  // bitsPerPixel 8 or 24 (0 keeps the image's depth). 1 when the file was
  // written, else 0.
  virtual int32_t Save(QVFileSpec* file, int32_t bitsPerPixel);
  // The header and embedded image data of a ".twl" file (see qvtwlfile.h).
  // On success (0) both blocks are the caller's to release with
  // ReleaseTWLBlock; on failure nothing is left allocated. The image is not
  // touched.
  virtual int16_t ReadTWLFile(QVFileSpec& file, TWLHeaderDataRecord** header, unsigned char** data);
  // Loads an image file through the library bitmap. bitsPerPixel 0 keeps
  // the file's nature (grey files 1 byte per pixel, others 3), 8 makes grey,
  // 24 colour. A path ending in ".twl" (any case) reads the embedded image,
  // or with previewOnly its 64 x 64 colour preview. On failure the error
  // flag is set.
  virtual void LoadFromFile(QVFileSpec& file, int32_t bitsPerPixel, bool previewOnly);

  // Replaces the block by a zeroed one of height x rowBytes bytes; on failure
  // the error flag is set and there are no pixels.
  void CreateBuffer();
  void ImageFreeBuffer();
  // Takes the pixels of the record `leadBitmap` designates (8 or 24 bits,
  // either row order), then frees that record, on every path.
  void LoadFromLeadBitmap();

  bool HasPixels() const { return pixels != nullptr; }

  // Paints the source rectangle of the image with its top-left corner at
  // (x, y) of the device, upright; grey images paint grey. Returns what the
  // device's SetDIBitsToDevice returns (the rows drawn); 0 without pixels
  // or device, or for an empty source.
  int Display(QVDevice* device, QVRect source, int16_t x, int16_t y);

  // ---- Fields, in their fixed order ----
  QV2DTransform viewTransform; // a view's scale 1/zoom and shift; identity for a plain image
  QV2DTransform baseToView;    // views only: base-image to view coordinates
  QV2DTransform viewToBase;    // views only: view to base-image coordinates
  QVRect extents;              // written by Extents
  imaging::Bitmap* leadBitmap = &bitmapRecord; // the record file operations load into
  imaging::Bitmap bitmapRecord;
  bool ready = false;    // the pixels hold a loaded or rendered image
  bool rendered = false; // a view's buffer was allocated
  HGLOBAL bufferHandle = nullptr;
  unsigned char* pixels = nullptr; // the block, locked for the image's life
  int32_t height = 0;
  int32_t width = 0;
  int32_t bytesPerPixel = 0; // 1 or 3
  int32_t rowBytes = 0;      // width * bytesPerPixel rounded up to a multiple of 4
  int32_t rowPad = 0;        // the 0 to 3 padding bytes at the end of each row
  int32_t viewShiftX = 0;
  int32_t viewShiftY = 0;
  double zoomX = 1.0;
  double zoomY = 1.0;
  bool wrap = false;  // pixel operations reaching past an edge wrap to the other edge
  bool error = false; // an operation could not allocate, read or convert
  unsigned char fillValue[8] = {192, 192, 192, 192, 192, 192, 192, 192}; // a view resampler's fill
  QVDisplayHeader displayHeader;

protected:
  // Sets the sizes and the display header of a width x height image of
  // `bytes` bytes per pixel and allocates its block. False, with the error
  // flag set and no block, when the sizes are unusable (not positive, other
  // than 1 or 3 bytes, or over INT32_MAX bytes) or memory runs out.
  bool PrepareBuffer(int32_t newWidth, int32_t newHeight, int32_t bytes);
};
