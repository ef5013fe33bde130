#pragma once
#include "qvcommon/qv2dtransform.h"
#include "qvcommon/qvimage.h"

// The recipe of a preview: a base image seen through a transform, with the
// effect settings a view applies when it renders it. It refers to the base
// without owning it and copies the base's geometry and pixel address when
// built, so the base must outlive it and keep its buffer.
class QVCOMMON_API QVVirtualImage {
public:
  explicit QVVirtualImage(QVImage* base);
  QVVirtualImage(const QVVirtualImage&) = delete;
  QVVirtualImage& operator=(const QVVirtualImage&) = delete;
  virtual ~QVVirtualImage();

  // inverse := forward, inverted (unchanged when forward cannot be inverted).
  void UpdateInverseMatrix();

  QVImage* base = nullptr;
  QV2DTransform forward; // base to virtual coordinates
  QV2DTransform inverse; // virtual to base coordinates
  double zoomX = 1.0;
  double zoomY = 1.0;
  // The base as it was at construction (all 0 without a base).
  int32_t baseBytesPerPixel = 0;
  int32_t baseRowBytes = 0;
  unsigned char* basePixels = nullptr;
  int32_t baseWidth = 0;
  int32_t baseHeight = 0;
  bool baseWrap = false;
  // Effect settings, applied by a view in this order: grain, noise,
  // saturation, hue, blur, brightness (see QVViewImage).
  int32_t grain = 0;
  int32_t blur = 0;
  int32_t noise = 0;
  int32_t saturation = 0;
  int32_t hue = 0;
  int32_t brightness = 0;
};
