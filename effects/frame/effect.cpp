// The effect base class: construction, description, controls, preparation
// and the run with its mask restore.
#include "effect.h"

#include "qvcommon/qvcursor.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvpicture.h"
#include "qvcommon/qvresourcefile.h"
#include "qvcommon/qvstroke.h"
#include "qvcommon/qvviewimage.h"
#include "win32/memory.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

using namespace effectids;

namespace {

// An address inside this module, whose load base is the module's handle.
void ModuleAnchor() {}

HINSTANCE OwnModule()
{
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(reinterpret_cast<const void*>(&ModuleAnchor), &info, sizeof info) == 0)
    return nullptr;
  return static_cast<HINSTANCE>(info.AllocationBase);
}

} // namespace

int32_t SliderSpec::Limit(int32_t value) const { return std::clamp(value, minimum, maximum); }

Effect::Effect(int32_t effectId, const char* registeredName, const SliderSpec& sliderA, const SliderSpec& sliderB)
    : effectId_(effectId), registeredName_(registeredName), sliders_{sliderA, sliderB}
{
}

Effect::~Effect()
{
  EndStroke();
  FreeArt();
}

void Effect::FreeArt()
{
  delete markerPicture_;
  markerPicture_ = nullptr;
  delete cursor_;
  cursor_ = nullptr;
  delete resources_;
  resources_ = nullptr;
}

int32_t Effect::GetInfo(EffectInfo* info)
{
  if (!info)
    return 0;
  *info = EffectInfo{1, 0, effectId_, kIcon, 0, 1, 0};
  // The registered module's folder is looked up and not used.
  QVFileSpec folder;
  folder.GetRegDLLPath(registeredName_);
  return 1;
}

int32_t Effect::Initialize(EffectCreateControlProc createControl, EffectRedrawProc redraw, HINSTANCE module,
                           int32_t hostId, EffectPushUndoProc pushUndo, EffectFourthProc fourth, intptr_t extra)
{
  createControl_ = createControl;
  redraw_ = redraw;
  module_ = module ? module : OwnModule();
  hostId_ = hostId;
  pushUndo_ = pushUndo;
  fourth_ = fourth;
  extra_ = extra;
  // A second Initialize replaces what the first one loaded.
  FreeArt();
  resources_ = new (std::nothrow) QVResourceFile(module_);

  ResetParameters();
  presetCode_ = kAuto;
  SendSlider(sliders_[0], parameterA_, 1);
  SendSlider(sliders_[1], parameterB_, 1);
  SendPresetsPopup(kUntitledPresetLabel, 1);
  if (resources_) {
    cursor_ = new (std::nothrow) QVCursor(*resources_, kCursor);
    markerPicture_ = new (std::nothrow) QVPicture(kMarkerPicture, resources_);
  }
  if (maskBrush_)
    CreateBrushControls();
  return 1;
}

int32_t Effect::Cleanup() { return 1; }

int32_t Effect::SetImageInfo(void* info)
{
  imageInfo_ = info;
  return 1;
}

int32_t Effect::ReadPref(void*) { return 1; }

int32_t Effect::WritePref(void*) { return 1; }

int32_t Effect::EffectRect(QVRect* changed, QVRect* accumulated)
{
  if (!changed || !accumulated)
    return 0;
  accumulated->Expand(*changed, 0);
  return 1;
}

int32_t Effect::EffectPrep(QVImage* document, QVViewImage* view, int32_t maskMode, int32_t key)
{
  if (!document || !view)
    return 0;
  maskMode_ = maskMode;
  currentKey_ = key;
  if (const QVViewImage* mask = cache_.Find(key); mask && (mask->width != view->width || mask->height != view->height))
    cache_.Remove(key);
  return Prepare(document, view);
}

int32_t Effect::EffectDo(QVViewImage* image, QVImage* mask, int32_t, int32_t)
{
  if (!image)
    return 0;
  std::unique_ptr<QVImage> copy;
  if (maskMode_ != 0 && mask && mask->HasPixels()) {
    // Without the copy nothing could be restored: the image stays as it is.
    copy.reset(new (std::nothrow) QVImage(image));
    if (!copy || copy->error || !copy->HasPixels())
      return 0;
  }
  if (!Filter(image))
    return 0;
  if (copy)
    RestoreMasked(image, copy.get(), mask, maskMode_);
  return 1;
}

void Effect::RestoreMasked(QVImage* image, const QVImage* copy, const QVImage* mask, int32_t maskMode)
{
  const unsigned char restored = maskMode == 1 ? 255 : 0;
  const int32_t width = std::min(image->width, mask->width);
  const int32_t height = std::min(image->height, mask->height);
  const int32_t bpp = image->bytesPerPixel;
  for (int32_t y = 0; y < height; ++y) {
    unsigned char* row = image->pixels + static_cast<ptrdiff_t>(y) * image->rowBytes;
    const unsigned char* saved = copy->pixels + static_cast<ptrdiff_t>(y) * copy->rowBytes;
    const unsigned char* m = mask->pixels + static_cast<ptrdiff_t>(y) * mask->rowBytes;
    for (int32_t x = 0; x < width; ++x)
      if (m[static_cast<ptrdiff_t>(x) * mask->bytesPerPixel] == restored)
        std::memcpy(row + static_cast<ptrdiff_t>(x) * bpp, saved + static_cast<ptrdiff_t>(x) * bpp, bpp);
  }
}

int32_t Effect::EffectCleanup() { return 1; }

bool Effect::OwnControl(int32_t, int32_t) { return false; }

void Effect::PresetChosen(int32_t) {}

void Effect::EnableMaskBrush(const int32_t* shapeLabelIds, int32_t count)
{
  maskBrush_ = true;
  shapeCount_ = std::clamp(count, 1, 10);
  for (int32_t i = 0; i < shapeCount_; ++i) {
    shapeCodes_[i] = kFirstShapeCode + i;
    shapeLabels_[i] = shapeLabelIds ? shapeLabelIds[i] : 0;
  }
}

void Effect::TakePreset(int32_t code, const PresetTable& table)
{
  if (code < kAuto || code > kFine)
    return;
  parameterA_ = table[code - kAuto][0];
  parameterB_ = table[code - kAuto][1];
}

bool Effect::IsNewImage(const QVImage* document) const
{
  return document != cachedImage_ || document->width != cachedWidth_ || document->height != cachedHeight_;
}

void Effect::RememberImage(const QVImage* document)
{
  cachedImage_ = document;
  cachedWidth_ = document->width;
  cachedHeight_ = document->height;
}

void Effect::ForgetImage()
{
  cachedImage_ = nullptr;
  cachedWidth_ = cachedHeight_ = 0;
}

// ---- Records and callbacks ---------------------------------------------------

void Effect::SendControl(int32_t controlId, int32_t x, int32_t y, int32_t kind, int32_t bitmapId, int32_t labelId,
                         EffectControlValues* values, int32_t redrawNow)
{
  if (!createControl_)
    return;
  EffectControlRecord record{hostId_, effectId_, controlId, x,          y, kind, 0,         bitmapId,
                             labelId, values,    5,         resources_, 0, 0,    redrawNow, instance_};
  createControl_(&record);
}

void Effect::SendSlider(const SliderSpec& slider, int32_t value, int32_t redrawNow)
{
  EffectControlValues values{value, slider.minimum, slider.maximum, slider.step, 0};
  SendControl(slider.controlId, slider.x, slider.y, kEffectSlider, 0, slider.labelId, &values, redrawNow);
}

void Effect::UpdateSliders()
{
  SendSlider(sliders_[0], parameterA_, 0);
  SendSlider(sliders_[1], parameterB_, 0);
}

void Effect::SendPresetsPopup(int32_t labelId, int32_t redrawNow)
{
  EffectControlValues values{4, reinterpret_cast<intptr_t>(itemCodes_), reinterpret_cast<intptr_t>(itemLabels_), kArrow,
                             0};
  SendControl(kPresetsPopup, 5, 8, kEffectPopup, 0, labelId, &values, redrawNow);
}

void Effect::Redraw(QVRect* rect, int32_t f1, int32_t f2, int32_t f3, int32_t f4, int32_t f5, int32_t f6)
{
  if (redraw_)
    redraw_(rect, f1, f2, f3, f4, f5, f6);
}

void Effect::RedrawAround(int32_t x, int32_t y, int32_t reach)
{
  QVRect area(WrappedAdd(x, -reach), WrappedAdd(y, -reach), WrappedAdd(x, reach), WrappedAdd(y, reach));
  Redraw(&area, 0, 0, 0, 0, 0, 0);
}

void Effect::PutValues(int32_t newValue, int32_t oldValue)
{
  std::memcpy(newValue_, &newValue, sizeof newValue);
  std::memcpy(oldValue_, &oldValue, sizeof oldValue);
}

void Effect::PushUndo(int32_t kind)
{
  if (!pushUndo_)
    return;
  QVUndo_Item item(effectId_, instance_, kind, 0, 0, newValue_, oldValue_);
  pushUndo_(&item);
}
