#pragma once
#include "qvcommon/qvimage.h"

// One small pre-blurred shadow image whose edge and corner pieces are copied
// next to any rectangle to give it a soft drop shadow along its bottom and
// right edges. The most recently constructed QVQuickDrop is the current
// shadow image, through which every framework window paints its shadow; its
// owner keeps it alive for as long as windows paint shadows.
class QVCOMMON_API QVQuickDrop : public QVImage {
public:
  // A blank image (see QVImage), which then becomes the current shadow image.
  QVQuickDrop(int32_t width, int32_t height, int32_t bytesPerPixel, const QVColor* colour);
  ~QVQuickDrop() override;
  // Turns the blank image into the shadow pattern: a light 8-pixel border
  // band around a dark inside, blurred and lightly grained. Called by the
  // owner after construction.
  void Initialize() override;
  // Paints the shadow for rect (bottom strip, right strip and their ends)
  // into the device. The last three arguments are not used. The piece
  // positions need an image of at least 64 x 64 pixels; pieces that come out
  // empty for rectangles under 18 pixels are left out.
  void DrawShadow(QVDevice* device, QVRect rect, int32_t unused1, int32_t unused2, int32_t unused3);

  // The current shadow image; null before the first one is constructed and
  // after the current one is destroyed (windows then paint no shadow).
  static QVQuickDrop* GetCurrent();
};
