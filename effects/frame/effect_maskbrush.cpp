// The effect base class: the mask brush (show-mask toggle, brush button,
// brush size and shape) and its strokes into the cached masks.
#include "effect.h"

#include "qvcommon/qvstroke.h"
#include "qvcommon/qvviewimage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

using namespace effectids;

namespace {

constexpr int32_t kMinBrushSize = 2, kMaxBrushSize = 100, kMaxBrushBlur = 100;
// A drag adds a point only beyond this distance in x or y from the last one.
constexpr int32_t kStrokeSpacing = 2;

int32_t Packed(int32_t size, int32_t blur) { return size * 65536 + blur; }

} // namespace

void Effect::CreateBrushControls()
{
  EffectControlValues toggle{showMask_ ? 1 : 0, 0, 1, 1, 0};
  SendControl(kShowMask, 7, 150, kEffectToggle, kShowMaskFace, 0, &toggle, 1);
  EffectControlValues button{0, 0, 1, 1, 0};
  SendControl(kBrushButton, 132, 150, kEffectButton, kBrushFace, 0, &button, 1);
  SendBrushSize(1);
  SendShapePopup(kTypeLabel, 1);
}

void Effect::SendBrushSize(int32_t redrawNow)
{
  EffectControlValues values{Packed(brushSize_, brushBlur_), kMinBrushSize, kMaxBrushSize, 1, 0};
  SendControl(kBrushSize, 85, 144, kEffectBrushSize, kBrushSizeFace, 0, &values, redrawNow);
}

void Effect::SendShapePopup(int32_t labelId, int32_t redrawNow)
{
  EffectControlValues values{shapeCount_, reinterpret_cast<intptr_t>(shapeCodes_),
                             reinterpret_cast<intptr_t>(shapeLabels_), kArrow, 0};
  SendControl(kShapePopup, 30, 6, kEffectPopup, 0, labelId, &values, redrawNow);
}

bool Effect::BrushEvent(int32_t controlId, int32_t value, bool* redrawn)
{
  switch (controlId) {
  case kShowMask:
    showMask_ = !showMask_;
    Redraw(nullptr, 0, 1, 0, 0, 1, 1);
    *redrawn = true;
    return true;
  case kBrushButton: brushMode_ = true; return true;
  case kBrushSize: {
    const int32_t old = Packed(brushSize_, brushBlur_);
    const uint32_t bits = static_cast<uint32_t>(value);
    brushSize_ = std::clamp(static_cast<int32_t>(bits >> 16), kMinBrushSize, kMaxBrushSize);
    brushBlur_ = std::min(static_cast<int32_t>(bits & 0xFFFF), kMaxBrushBlur);
    PutValues(Packed(brushSize_, brushBlur_), old);
    PushUndo(kBrushSize);
    return true;
  }
  default: break;
  }
  const int32_t shape = controlId - kFirstShapeCode;
  if (shape < 0 || shape >= shapeCount_)
    return false;
  shape_ = shape;
  SendShapePopup(shapeLabels_[shape], 0);
  return true;
}

QVViewImage* Effect::MaskFor(QVViewImage* view)
{
  if (QVViewImage* mask = cache_.Find(currentKey_); mask && mask->width == view->width && mask->height == view->height)
    return mask;
  QVViewImage* mask = new (std::nothrow) QVViewImage(view->width, view->height, 1, nullptr);
  if (!mask || mask->error || !mask->HasPixels()) {
    delete mask;
    return nullptr;
  }
  mask->Fill(static_cast<unsigned char>(255));
  // Points in image coordinates land where the view shows them.
  mask->viewTransform = view->viewTransform;
  mask->baseToView = view->baseToView;
  mask->viewToBase = view->viewToBase;
  mask->zoomX = view->zoomX;
  mask->zoomY = view->zoomY;
  cache_.Put(currentKey_, mask);
  return mask;
}

void Effect::RenderLastPoint(QVViewImage* mask)
{
  const int32_t n = stroke_->GetNumPoints() - 1;
  stroke_->RenderPtIntoViewImage(n, mask, QVColor(0, 0, 0));
  const QVPoint* p = stroke_->GetPoint(n);
  lastStrokePoint_.SetPoint(p->X(), p->Y());
  RedrawAround(p->X(), p->Y(), brushSize_ + brushBlur_);
}

void Effect::StrokeEvent(int32_t kind, const QVPoint& at, QVViewImage* view)
{
  if (kind == kMouseUp) {
    if (!stroke_)
      return;
    const int32_t data[2] = {currentKey_, stroke_->GetNumPoints()};
    std::memcpy(newValue_, data, sizeof data);
    PushUndo(kUndoStroke);
    EndStroke();
    return;
  }
  if (!view)
    return;
  if (kind == kMouseDown) {
    EndStroke();
    QVViewImage* mask = MaskFor(view);
    if (!mask)
      return;
    stroke_ = new (std::nothrow) QVStroke(0, brushSize_, brushBlur_);
    if (!stroke_ || !stroke_->mask || !stroke_->mask->HasPixels() || !stroke_->AddPoint(at)) {
      EndStroke();
      return;
    }
    RenderLastPoint(mask);
    return;
  }
  // A drag: a point once the mouse has moved far enough, up to the stroke's
  // limit.
  if (!stroke_ || (std::abs(int64_t{at.X()} - lastStrokePoint_.X()) <= kStrokeSpacing &&
                   std::abs(int64_t{at.Y()} - lastStrokePoint_.Y()) <= kStrokeSpacing))
    return;
  QVViewImage* mask = MaskFor(view);
  if (mask && stroke_->AddPoint(at))
    RenderLastPoint(mask);
}

void Effect::EndStroke()
{
  delete stroke_;
  stroke_ = nullptr;
}
