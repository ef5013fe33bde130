#pragma once
// The drop shadows that the control panel and its bars paint for the
// windows registered with them.
#include "qvcommon/qvpoint.h"

#include <cstddef>

class QVDevice;
class QVRect;
class QVWindow;

// For each window of the shadow slots, in order up to the first empty one:
// its rectangle is its client rectangle moved by `offset`, or by its own
// stored position in the host when `atOwnPosition`; when that rectangle
// grown by 10 to the right and bottom meets the paint rectangle and the
// window is visible, the host paints its shadow (DrawShadow with 100, 4 and
// 4 for a window exactly as wide as the host's client area, else 100, 4, 2).
void PaintShadowWindows(QVWindow& host, QVDevice& device, const QVRect& paint, QVWindow* const* slots, size_t slotCount,
                        bool atOwnPosition, QVPoint offset);
