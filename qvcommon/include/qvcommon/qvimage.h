#pragma once
#include "qvcommon/qv2dtransform.h"
#include "qvcommon/qvcolor.h"
#include "qvcommon/qvrect.h"

#include "imaging/imaging.h"
#include "win32/dibs.h"

class QVFileSpec;
struct TWLHeaderDataRecord;

class QVDevice;
class QVVirtualImage;

// The header that describes the pixels to GDI: a BITMAPINFO (a 40-byte
// header and one colour entry) for 24-bit rows running top-down, with the
// image's width and minus its height filled in when the image is sized.
struct QVDisplayHeader : BITMAPINFO {
  QVDisplayHeader() : BITMAPINFO{{sizeof(BITMAPINFOHEADER), 0, 0, 1, 24, BI_RGB, 0, 4000, 4000, 0, 0}, {{0, 0, 0, 0}}}
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
  // A view: a width x height rendering of the virtual image at the zoom
  // (0 counts as 1) with its top-left view pixel at base point (shiftX,
  // shiftY) before the virtual image's own transform. viewTransform maps
  // view to virtual coordinates (scale 1 / zoom, then the shift). See
  // ImplementImage; the error flag reports a failed rendering.
  QVImage(int32_t width, int32_t height, double zoom, int32_t shiftX, int32_t shiftY, QVVirtualImage* v);
  QVImage(const QVImage&) = delete;
  QVImage& operator=(const QVImage&) = delete;

  // ---- Virtual operations, in their fixed order ----
  // Copies a host's interleaved pixels (R, G, B[, fourth] or one grey byte,
  // pixelBytes 1, 3 or 4) into a new 3-byte image; a grey source gives
  // B = G = R. With 4 bytes the fourth goes to the first byte of the mask's
  // pixels when the mask has pixels and covers width x height. Other pixel
  // sizes, a null buffer or rows shorter than width * pixelBytes set the
  // error flag and leave the image unchanged. `extra` is not used.
  virtual void LoadFromBuffer(const unsigned char* buffer, int32_t pixelBytes, int32_t bufferRowBytes, int32_t width,
                              int32_t height, int32_t extra, QVImage* mask);
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

  // ---- View rendering ----
  // Allocates the view's pixels in the base's depth and renders them from
  // the base through T = viewTransform followed by the virtual image's
  // inverse transform. A pure scale by 1/2, 1/4, 1/8 or 1 (zoom in) repeats
  // base pixels; a pure scale by 2, 4 or 8 (zoom out) averages p x p base
  // blocks; both only when every view pixel reads inside the base.
  // Anything else goes through ImageFromMatrix. On success ready is set;
  // without a virtual image, base pixels or memory the error flag is set and
  // there are no pixels.
  void ImplementImage(QVVirtualImage* v);
  // The general resampler: each view pixel is the mean of an s x s box of
  // base pixels at its 16.16 fixed-point position (s 1, 2 or 4 by how many
  // base pixels one view pixel spans); boxes not wholly inside the base
  // give the fill bytes (192).
  void ImageFromMatrix(QVVirtualImage* v, QV2DTransform* viewToBase);
  // Whether the boxSize x boxSize box of base pixels whose top-left is view
  // point (x, y) mapped through viewToBase (truncated) lies inside the base.
  bool CornerOnBaseImage(int32_t x, int32_t y, QVVirtualImage* v, int32_t boxSize, QV2DTransform* viewToBase);

  // ---- Pixel operations ----
  // They work in place on the width * bytesPerPixel bytes of each row (only
  // ClearBitmap and Fill (byte) touch the row padding), clamp every result to
  // 0..255, and do nothing on an image without pixels. Those that need a
  // temporary block (Blur, SquareBlur, ImageGrain, PolygonFill,
  // Convert24To8) leave the image exactly as it was when none can be had.
  // The Pixel* forms work on one pixel of this image's layout.

  // order[0..2] := the indices of the pixel's largest, middle and smallest
  // byte. Ties: byte 0 wins over 1 and 2, byte 1 over 2; of two equal
  // candidates for the middle the higher index is taken.
  void GetOrder(int32_t* order, const unsigned char* pixel) const;
  // Saturation of one 3-byte pixel: a negative amount first lowers the
  // largest byte toward the middle one, then raises the smallest; a positive
  // amount raises the largest toward 255, then lowers the middle and then
  // the middle and smallest together.
  void PixelSaturate(unsigned char* pixel, int32_t amount) const;
  // Every pixel of a 3-byte image; nothing for 0 or for grey images.
  void ImageSaturate(int32_t amount);
  // Hue rotation of one 3-byte pixel by `amount` degrees: a weighted mix of
  // its bytes in rotated order. Whole turns (amount % 360 == 0) change
  // nothing.
  void PixelHueAdjust(unsigned char* pixel, int32_t amount) const;
  // Every pixel of a 3-byte image; nothing for grey images.
  void ImageHueAdjust(int32_t amount);
  // Adds d = ((rand() & 255) - 128) * amount / 100 to every byte of the pixel.
  void PixelNoise(unsigned char* pixel, int32_t amount) const;
  // A fresh d for every pixel; nothing for 0.
  void ImageNoise(int32_t amount);
  // Film grain: compares the pixel with the mean of the `reach` pixels on its
  // down-right diagonal and writes the darkened or lifted result to `out`.
  // Nothing for a reach of 0. x and y are not used.
  void PixelGrain(const unsigned char* pixel, int32_t reach, int32_t x, int32_t y, unsigned char* out, int32_t low,
                  int32_t high) const;
  // PixelGrain of every pixel of a copy into this image, the reach limited
  // by the distance to the bottom and right edges. Nothing for amount <= 0.
  void ImageGrain(int32_t amount, int32_t low, int32_t high);
  // Every byte of the pixel := byte + amount.
  void PixelBrightness(unsigned char* pixel, int32_t amount) const;
  void ImageBrightness(int32_t amount);
  // A positive amount moves bytes away from 128 by `amount`; a negative one
  // moves them toward the middle without crossing 127.
  void ImageContrast(int32_t amount);
  // Box blur of radius |radius| (at most 24), or for a negative radius the
  // matching sharpening (2 * pixel - blurred); rounded. Edges repeat the
  // edge pixels, or with the wrap flag take the opposite side.
  void Blur(int32_t radius);
  // As Blur, always with repeated edges and the result truncated (a weight
  // of 65536 / window area, so a uniform 100 blurs to 99).
  void SquareBlur(int32_t radius);
  // A 3-byte image becomes 1-byte grey 0.1 B + 0.6 G + 0.3 R (truncated) in
  // a new, re-padded block. A grey image, or no memory for the new block:
  // the error flag, and the pixels stay as they were.
  void Convert24To8();
  // Softens the horizontal light/dark steps of a 1-byte image where the
  // pixels above and below differ too (an edge running across the row).
  void AntiAlias();
  // extents := the box of the pixels whose first byte >= threshold, grown by
  // margin and kept inside the image; (0, 0, 0, 0) when the largest such x
  // or y is 0.
  void Extents(int32_t threshold, int32_t margin);
  // rect := the box of the pixels equal to the colour (B, G, R; B for grey),
  // right and bottom inclusive; (width, height, 0, 0) when none is.
  void CalculateBoundingRect(QVRect& rect, const QVColor& colour) const;
  // Every 32-bit word of the buffer, padding included, := value (in its
  // lowest byte).
  void ClearBitmap(unsigned char value);
  // Every byte of the buffer, padding included, := value.
  void Fill(unsigned char value);
  // Every pixel of a 3-byte image := B, G, R of the colour.
  void Fill(const QVColor& colour);
  // The mean of the pixel's bytes. Callers keep (x, y) inside the image: a
  // point outside is reported as an assertion and gives 0.
  int32_t GetIntensity(int32_t x, int32_t y) const;
  // colour := the pixel (R, G, B from bytes 2, 1, 0; grey into all three).
  // A point outside the image is reported as an assertion and leaves the
  // colour unchanged.
  void GetPIXEL(int32_t x, int32_t y, QVColor* colour) const;
  // out[k] := base[index * count + k] for k < count.
  static void GetPIXEL(int32_t* out, const unsigned char* base, int32_t index, int32_t count);
  // Byte 0, 1, 2 or 3 of pixel (x, y); a byte outside the buffer is
  // reported as an assertion and gives 0.
  int32_t FastGetPixelPlane1(int32_t x, int32_t y) const;
  int32_t FastGetPixelPlane2(int32_t x, int32_t y) const;
  int32_t FastGetPixelPlane3(int32_t x, int32_t y) const;
  int32_t FastGetPixelPlane4(int32_t x, int32_t y) const;
  // 1 when any pixel byte equals value.
  int32_t HasValue(unsigned char value) const;
  // Copies the whole buffer into dst: 1 when height, width, bytes per pixel
  // and row bytes match, else 0 and nothing copied.
  int32_t FastCopy(QVImage* dst) const;
  // Copies src's pixels inside rect (clipped to this image) into the same
  // place here, under the same conditions.
  int32_t FastCopy(const QVImage* src, const QVRect* rect);
  // Pixel (j, i) of src goes to (rect left + j, rect top + i) for the
  // rect's size, clipped to both images. 0 when the pixel sizes differ.
  int32_t CopyToRect(const QVImage* src, const QVRect* rect);
  // Moves a negative left or top to 0 and a right or bottom at or beyond the
  // image to width - 1 or height - 1.
  void CropRect(QVRect* rect) const;
  // Every pixel byte := 255 - byte.
  void Invert();
  // Fills the polygon of the first 512 points (each clipped into the image)
  // with the COLORREF colour (bytes B, G, R; B alone on grey). Nothing for
  // fewer than 3 points.
  void PolygonFill(QVPoint** points, int32_t count, uint32_t colour);
  // Searches the square rings at distances 1, 1 + step, ... up to maxRadius
  // around (x, y) for a pixel equal to value (bytesPerPixel bytes): 1 with
  // radius := the ring's distance, else 0. A step below 1 counts as 1.
  int32_t DetectValue(int32_t x, int32_t y, const unsigned char* value, int32_t maxRadius, int32_t& radius,
                      int32_t step) const;
  // 1 when the pixel's bytes all equal value's.
  int32_t CheckPixel(const unsigned char* pixel, const unsigned char* value) const;
  // Every byte: a := a (255 - t) / 255 + b t / 255, each division on its own.
  void MixPixel(unsigned char* a, const unsigned char* b, int32_t t) const;
  // The same with the colour's B, G, R (B alone for a grey pixel).
  void MixPixel(unsigned char* a, const QVColor& colour, int32_t t) const;
  void MixColor(unsigned char* a, const QVColor& colour, int32_t t) const;
  // Where the mask's first byte m is below 255, mixes other's pixel in with
  // 255 - m (0 takes other's pixel). Needs other of exactly this layout and a
  // mask with pixels covering this image; otherwise nothing.
  void Merge(const QVImage* other, const QVImage* mask);
  // Paints the source rectangle of the image with its top-left corner at
  // (x, y) of the device, upright; grey images paint grey. Returns what the
  // device's SetDIBitsToDevice returns (the rows drawn); 0 without pixels
  // or device, or for an empty source.
  int Display(QVDevice* device, QVRect source, int16_t x, int16_t y);

  // ---- Fields, in their fixed order ----
  QV2DTransform viewTransform;                 // a view's scale 1/zoom and shift; identity for a plain image
  QV2DTransform baseToView;                    // views only: base-image to view coordinates
  QV2DTransform viewToBase;                    // views only: view to base-image coordinates
  QVRect extents;                              // written by Extents
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
