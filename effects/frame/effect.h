#pragma once
// The effect base class every module's effect derives from: what the two
// effects share (host callbacks, control records, the presets popup, the
// two sliders, undo steps, markers, mask restore) and the mask brush with
// its mask cache, which an effect enables with EnableMaskBrush.
//
// The virtual operations in their fixed order match the exports of the same
// names (see effects/effectapi.h, which states each one's results). The
// frame's versions do the shared work; an effect's override adds its own
// part and calls them. An effect supplies its set-up, its preparation and its
// filter through the protected hooks.
#include "effects/effectapi.h"
#include "maskcache.h"

#include "qvcommon/qvpoint.h"
#include "qvcommon/qvundo_item.h"

#include <cstdint>

class QVCursor;
class QVPicture;
class QVStroke;

// Control ids, popup codes, undo kinds and resource ids the frame uses.
namespace effectids {
constexpr int32_t kSliderA = 7;
constexpr int32_t kSliderB = 8;
constexpr int32_t kPresetsPopup = 11;
constexpr int32_t kAuto = 12, kCoarse = 13, kMedium = 14, kFine = 15;
constexpr int32_t kByHand = 16; // none of the popup's items
constexpr int32_t kShowMask = 300, kBrushButton = 301, kBrushSize = 302, kShapePopup = 199;
constexpr int32_t kFirstShapeCode = 200;
constexpr int32_t kUndoMarker = 1, kUndoToggle = 6, kUndoPreset = 11, kUndoStroke = 301;
constexpr int32_t kIcon = 101, kArrow = 102, kCursor = 103, kShowMaskFace = 105, kMarkerPicture = 106;
constexpr int32_t kBrushFace = 109, kBrushSizeFace = 111;
constexpr int32_t kPresetsLabel = 5, kAutoLabel = 10, kTypeLabel = 14, kUntitledPresetLabel = 15;
} // namespace effectids

// v + d wrapping at the 32-bit limits, as rectangle arithmetic does.
inline int32_t WrappedAdd(int32_t v, int32_t d)
{
  return static_cast<int32_t>(static_cast<uint32_t>(v) + static_cast<uint32_t>(d));
}

// One of the effect's two sliders (ids 7 and 8): where it sits, its label
// and its range.
struct SliderSpec {
  int32_t controlId;
  int32_t x, y;
  int32_t labelId;
  int32_t minimum, maximum, step;
  // value limited to minimum..maximum.
  int32_t Limit(int32_t value) const;
};

// Parameters A and B of the presets Auto, Coarse, Medium and Fine.
using PresetTable = int32_t[4][2];

class Effect {
public:
  static constexpr int32_t kMaxMarkers = 256;

  // The effect id, the name its GetInfo looks up among the registered
  // effect modules, and its two sliders.
  Effect(int32_t effectId, const char* registeredName, const SliderSpec& sliderA, const SliderSpec& sliderB);
  Effect(const Effect&) = delete;
  Effect& operator=(const Effect&) = delete;

  // ---- Virtual operations, in their fixed order ----
  // Deletes the resource file, cursor, marker picture, any stroke and the
  // mask cache.
  virtual ~Effect();
  virtual int32_t GetInfo(EffectInfo* info);
  // Stores the arguments, builds the resource file (freeing the one of an
  // earlier call, as the cursor and marker picture), runs ResetParameters,
  // creates sliders 7 and 8 and the presets popup, loads cursor 103 and
  // picture 106, and with the mask brush enabled creates its four controls.
  virtual int32_t Initialize(EffectCreateControlProc createControl, EffectRedrawProc redraw, HINSTANCE module,
                             int32_t hostId, EffectPushUndoProc pushUndo, EffectFourthProc fourth, intptr_t extra);
  virtual int32_t Cleanup();
  virtual int32_t SetImageInfo(void* info);
  virtual int32_t ReadPref(void* pref);
  virtual int32_t WritePref(void* pref);
  virtual int32_t EffectRect(QVRect* changed, QVRect* accumulated);
  // Stores the mask mode and the key; purges the key's cached mask when its
  // size is not the view's; then Prepare.
  virtual int32_t EffectPrep(QVImage* document, QVViewImage* view, int32_t maskMode, int32_t key);
  // Copies the image when a restore can follow (mask mode not 0, a mask
  // with pixels), runs Filter, then restores the masked pixels over the
  // overlap of image and mask. Without the copy, or when Filter gives 0,
  // the result is 0.
  virtual int32_t EffectDo(QVViewImage* image, QVImage* mask, int32_t x, int32_t y);
  virtual int32_t EffectCleanup();
  // Kinds 1 (markers), 7 and 8 (sliders) and 11 (preset code); other kinds
  // change nothing. Empties the mask cache and calls the redraw.
  virtual int32_t Undo(QVUndo_Item* item, int32_t isUndo);
  virtual int32_t Revert();
  // Sliders 7 and 8, the preset codes, control 1 and, when enabled, the
  // brush controls; other ids go to OwnControl. Empties the mask cache;
  // redraws after a handled event.
  virtual int32_t Control_Event(EffectControlEvent* event);
  // Markers (kinds 0, 3, 10) or, in brush mode, strokes (kinds 0, 1, 2).
  virtual int32_t Preview_Event(EffectPreviewEvent* event);

  void SetIndex(int32_t index) { instance_ = index; }

protected:
  // ---- Hooks of the effect ----
  // Sets parameters A and B and the effect's own fields to their initial
  // values (Initialize, before the controls are created).
  virtual void ResetParameters() = 0;
  // The effect's own preparation (document and view are not null).
  virtual int32_t Prepare(QVImage* document, QVViewImage* view) = 0;
  // Runs the filter on the image in place: 1, or 0 with the image unchanged.
  virtual int32_t Filter(QVViewImage* image) = 0;
  // A control id the frame does not handle: true when handled.
  virtual bool OwnControl(int32_t controlId, int32_t value);
  // After a preset code 12..15 was chosen and recorded.
  virtual void PresetChosen(int32_t code);

  // ---- For the effects ----
  // Makes the mask brush's controls and strokes available; count is kept
  // to 1..10 shapes, whose label ids are copied.
  void EnableMaskBrush(const int32_t* shapeLabelIds, int32_t count);
  // The cached mask of the key; null when there is none.
  QVViewImage* CachedMask(int32_t key) const { return cache_.Find(key); }
  // Parameters A and B := the table's values for a code 12..15; any other
  // code (16, set by hand) keeps them.
  void TakePreset(int32_t code, const PresetTable& table);
  // Both sliders' values sent as updates (redraw-now 0).
  void UpdateSliders();
  // Whether the document differs from the cached one (pointer, width or
  // height); Remember caches it.
  bool IsNewImage(const QVImage* document) const;
  void RememberImage(const QVImage* document);
  void ForgetImage();
  // The new and old value blocks' first int32_t.
  void PutValues(int32_t newValue, int32_t oldValue);
  // Pushes an undo item of the kind with the two value blocks.
  void PushUndo(int32_t kind);
  int32_t MarkerCount() const { return markerCount_; }

  int32_t parameterA_ = 0;
  int32_t parameterB_ = 0;
  int32_t presetCode_ = effectids::kAuto;
  // Set at creation and cleared when a slider moves; nothing reads it.
  bool changedByHand_ = true;
  int32_t maskMode_ = 0;

  // ---- The mask brush's state (read by the test effect) ----
  bool maskBrush_ = false;
  int32_t shapeCount_ = 0;
  int32_t shapeCodes_[10] = {};
  int32_t shapeLabels_[10] = {};
  bool showMask_ = false;
  bool brushMode_ = false;
  int32_t brushSize_ = 10;
  int32_t brushBlur_ = 2;
  int32_t shape_ = 0;
  int32_t currentKey_ = 0;
  QVStroke* stroke_ = nullptr;
  MaskCache cache_;

private:
  // Builds the control record from its sixteen values and hands it to the
  // create-control callback, when there is one.
  void SendControl(int32_t controlId, int32_t x, int32_t y, int32_t kind, int32_t bitmapId, int32_t labelId,
                   EffectControlValues* values, int32_t redrawNow);
  void SendSlider(const SliderSpec& slider, int32_t value, int32_t redrawNow);
  // The presets popup (control 11) with the label.
  void SendPresetsPopup(int32_t labelId, int32_t redrawNow);
  void Redraw(QVRect* rect, int32_t f1, int32_t f2, int32_t f3, int32_t f4, int32_t f5, int32_t f6);
  void RedrawAround(int32_t x, int32_t y, int32_t reach);
  void FreeArt();

  // Control_Event's parts: true when the id was handled.
  bool SliderEvent(int32_t controlId, int32_t value);
  bool PresetEvent(int32_t code);
  // Preview_Event's marker kinds.
  void AddMarker(const QVPoint& at);
  void PaintMarkers(const EffectPreviewEvent& event);
  static void RestoreMasked(QVImage* image, const QVImage* copy, const QVImage* mask, int32_t maskMode);

  // ---- The mask brush (effect_maskbrush.cpp) ----
  void CreateBrushControls();
  // Control 300, 301, 302 or a shape code: true when handled; *redrawn
  // when the event made its own redraw.
  bool BrushEvent(int32_t controlId, int32_t value, bool* redrawn);
  // Kinds 0, 1 and 2 in brush mode.
  void StrokeEvent(int32_t kind, const QVPoint& at, QVViewImage* view);
  // The current key's mask for the view: the cached one, else a new one.
  QVViewImage* MaskFor(QVViewImage* view);
  void RenderLastPoint(QVViewImage* mask);
  void EndStroke();
  void SendBrushSize(int32_t redrawNow);
  void SendShapePopup(int32_t labelId, int32_t redrawNow);

  const int32_t effectId_;
  const char* const registeredName_;
  const SliderSpec sliders_[2];
  int32_t hostId_ = 0;
  int32_t instance_ = 0;
  EffectCreateControlProc createControl_ = nullptr;
  EffectRedrawProc redraw_ = nullptr;
  EffectPushUndoProc pushUndo_ = nullptr;
  EffectFourthProc fourth_ = nullptr;
  intptr_t extra_ = 0;
  HINSTANCE module_ = nullptr;
  QVResourceFile* resources_ = nullptr;
  void* imageInfo_ = nullptr;
  unsigned char newValue_[QVUndo_Item::kBlockSize] = {};
  unsigned char oldValue_[QVUndo_Item::kBlockSize] = {};
  int32_t itemCodes_[4] = {effectids::kAuto, effectids::kCoarse, effectids::kMedium, effectids::kFine};
  int32_t itemLabels_[4] = {10, 11, 12, 13};
  int32_t markers_[kMaxMarkers][2] = {};
  int32_t markerCount_ = 0;
  QVPicture* markerPicture_ = nullptr;
  QVCursor* cursor_ = nullptr;
  const QVImage* cachedImage_ = nullptr;
  int32_t cachedWidth_ = 0;
  int32_t cachedHeight_ = 0;
  QVPoint lastStrokePoint_;
};

// The effect of this module, made by the module (new (std::nothrow)); null
// when it cannot be made.
Effect* CreateModuleEffect();
// The effect in the slot; null for an index outside 0..count-1 or an
// emptied slot.
Effect* FindInstance(int32_t index);
