#pragma once
// Shared by the framework's sources, not exported.
#include "qvcommon/qvimage.h"

// A new image holding the library bitmap's pixels (the bitmap is freed in
// any case); null when memory runs out or the pixels cannot be taken.
QVImage* NewImageFromBitmap(imaging::Bitmap* bitmap);
