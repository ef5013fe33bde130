#pragma once
// effects-host's images: the document read into a QVImage, the mask, the
// views of the document, and the result written in the format its name asks
// for.
#include "imaging/imaging.h"
#include "lvxtext/error.h"

#include <memory>
#include <string>

class QVImage;
class QVViewImage;
class QVVirtualImage;

namespace lvfx {

// The format of the file name's extension (.png, .jpg/.jpeg, .tif/.tiff,
// .bmp, .ppm/.pgm/.pnm, any case). False, with the reason, for another.
bool OutputFormat(const std::string& path, imaging::FileFormat* format, lvxtext::Error* error);
// Reads an image file: grey files 1 byte per pixel, others 3; with `grey`,
// always 1. Null, with the reason, when it cannot be read.
std::unique_ptr<QVImage> ReadImage(const std::string& path, bool grey, lvxtext::Error* error);
// Writes the image's pixels (through a temporary name, so a failed write
// leaves an earlier file as it was); `quality` is read by JPEG only.
bool WriteImage(const std::string& path, const QVImage& image, int quality, lvxtext::Error* error);
// A view's side for a base side at the zoom: max(1, floor(side * zoom)).
double ViewSide(int32_t side, double zoom);
// The view of the source at the zoom: max(1, floor(W * zoom)) by
// max(1, floor(H * zoom)) pixels from the top left. Null, with the reason,
// when it cannot be made (more pixels than the imaging library's limit, too
// large, or no memory).
std::unique_ptr<QVViewImage> MakeView(QVVirtualImage* source, double zoom, lvxtext::Error* error);

} // namespace lvfx
