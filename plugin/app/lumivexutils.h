#pragma once
// Small free functions of the plug-in application: opening a document or
// web address with the desktop's viewer, opening a help file, integer range
// mapping and blending, nearest-neighbour resampling of one image into
// another, and fitting an image rectangle into a display area.
#include "win32/types.h"

#include <cstdint>

class QVImage;
class QVRect;
class QVWindow;

namespace LumivexUtils {

// ShellExecuteA (no window, "open", the text, "" parameters, "" directory,
// SW_SHOW): a value above 32 when the viewer started, else the error code.
HINSTANCE ShellOpen(const char* pathOrAddress);

// WinHelpA (the owner's window, the path, HELP_CONTENTS, 0): TRUE when the
// help file was opened. A null owner passes no window.
BOOL OpenHelp(QVWindow* owner, const char* helpFile);

// (v - a) x (d - c) / (b - a) + c, the division truncated toward zero and
// worked out without overflow; 0 when a equals b. A result beyond the int32
// range saturates.
int32_t MapRange(int32_t v, int32_t a, int32_t b, int32_t c, int32_t d);

// p x w / n + q x (n - w) / n, two separate divisions truncated toward zero
// and worked out without overflow; 0 when n is 0. A result beyond the int32
// range saturates.
int32_t Blend(int32_t p, int32_t q, int32_t w, int32_t n);

// Fills every destination pixel from the source by nearest neighbour:
// destination row y reads source row y x source height / destination height
// (held at the last row), column x reads column x x source width /
// destination width; as many bytes as the destination has per pixel are
// copied. Each image keeps its own row stride. Nothing happens when either
// image is null, has no pixels or a width or height of 0 or less, or when
// the destination has more bytes per pixel than the source.
void ResampleImage(const QVImage* source, QVImage* destination);

// Every edge of r divided by f and truncated toward zero (quotients beyond
// the int32 range saturate). A factor that is not finite or not above 0, or
// a null r, leaves it unchanged.
void ScaleRectDown(QVRect* r, double f);

// Fits the image rectangle into the area: factor := the larger of
// image width / min(area width, image width) and image height /
// min(area height, image height) (so at least 1), and the area := the image
// rectangle scaled down by it. A picture that already fits keeps factor 1
// and its own rectangle. With any width or height of 0 or less (image or
// area) the factor is 1 and the area becomes (0, 0, 0, 0). Null pointers:
// nothing.
void FitImageRect(const QVRect* image, QVRect* area, double* factor);

} // namespace LumivexUtils
