#pragma once
// The interface between an effects host and an effect module: the records
// that cross between them, the host's callbacks and the module's exports.
// One header for the modules, the test module and the host.
//
// Records that hold pointers keep their fields' names, types and order; the
// all-integer EffectInfo keeps its fixed size. Every export returns int32_t,
// 0 meaning failure or an unusable instance index; the callbacks' results
// are ignored by the modules. No exception ever crosses this boundary.
#include "qvcommon/qvpoint.h"

#include <cstdint>

class QVImage;
class QVRect;
class QVResourceFile;
class QVUndo_Item;
class QVViewImage;
class QVWindow;

// What GetInfo fills: version 1, 0, the effect id, the icon's bitmap id
// (101), 0, 1, 0.
struct EffectInfo {
  int32_t version;
  int32_t reserved1;
  int32_t effectId;
  int32_t iconId;
  int32_t reserved2;
  int32_t one;
  int32_t reserved3;
};
static_assert(sizeof(EffectInfo) == 28, "the info record crosses module boundaries by address");

// The control kinds an effect describes.
enum EffectControlKind : int32_t {
  kEffectSlider = 1,
  kEffectPopup = 4,
  kEffectButton = 5,
  kEffectBrushSize = 6,
  kEffectToggle = 7,
};

// Value, minimum, maximum, step and 0. A popup's block holds the number of
// items, a pointer to its int32_t item codes, a pointer to its int32_t item
// label ids and the bitmap id of its arrow; both arrays belong to the effect
// and stay valid while it lives.
struct EffectControlValues {
  intptr_t value;
  intptr_t minimum;
  intptr_t maximum;
  intptr_t step;
  intptr_t zero;
};

// One control the effect asks the host to create (redrawNow 1) or whose
// value or label it updates (redrawNow 0). Valid only during the callback;
// ids of bitmaps and strings refer to `resources`, the module's own.
struct EffectControlRecord {
  int32_t hostId;
  int32_t effectId;
  int32_t controlId;
  int32_t x;
  int32_t y;
  int32_t kind; // an EffectControlKind
  int32_t flag;
  int32_t bitmapId;
  int32_t labelId;
  EffectControlValues* values;
  int32_t count; // entries in `values`: 5
  QVResourceFile* resources;
  int32_t zero1;
  int32_t zero2;
  int32_t redrawNow;
  int32_t instance;
};

// A control the user changed (host to module). The modules read only
// `controlId` and `*newValue`; a popup choice arrives with the chosen item's
// code as the control id.
struct EffectControlEvent {
  int32_t hostId;
  int32_t effectId;
  int32_t controlId;
  int32_t x;
  int32_t y;
  int32_t kind;
  int32_t flag;
  int32_t bitmapId;
  int32_t labelId;
  int32_t* newValue;
};

// The kinds of preview events.
enum EffectMouseKind : int32_t {
  kMouseDown = 0,
  kMouseDrag = 1, // moved with the button down
  kMouseUp = 2,
  kMousePaint = 3,
  kMouseSetCursor = 10,
};

// The host's mouse event: its kind and its position in image coordinates.
class HostMouseEvent {
public:
  HostMouseEvent() = default;
  HostMouseEvent(const HostMouseEvent&) = default;
  HostMouseEvent& operator=(const HostMouseEvent&) = default;
  virtual ~HostMouseEvent() = default;
  // An EffectMouseKind (or any other number, which effects ignore).
  virtual int32_t Kind() const = 0;

  QVPoint position;
};

// A preview event: the mouse object, the preview window (may be null), a
// reserved word and the preview's view image (may be null).
struct EffectPreviewEvent {
  HostMouseEvent* mouse;
  QVWindow* window;
  void* reserved;
  QVViewImage* view;
};

// ---- The host's callbacks ---------------------------------------------------
extern "C" {
typedef int32_t (*EffectCreateControlProc)(EffectControlRecord* record);
typedef int32_t (*EffectRedrawProc)(QVRect* rect, int32_t flag1, int32_t flag2, int32_t flag3, int32_t flag4,
                                    int32_t flag5, int32_t flag6);
// The item lives on the module's stack for the call only: the host copies it.
typedef int32_t (*EffectPushUndoProc)(QVUndo_Item* item);
// Stored and never called.
typedef int32_t (*EffectFourthProc)(void* data);
}

// ---- The module's exports, resolved by name ---------------------------------
// Each takes the instance index first, except the first three; an index
// outside 0..count-1, or of an emptied slot, gives 0 and does nothing.
#define EFFECT_EXPORT extern "C" __attribute__((visibility("default")))

// Creates an effect in the next slot and writes its index: 1. 0, with
// nothing written, once 100 have been made in the module's lifetime, when
// the effect cannot be created or for a null outIndex.
EFFECT_EXPORT int32_t AddInstance(int32_t* outIndex);
// Deletes the effect and empties its slot; 0 in every case.
EFFECT_EXPORT int32_t DeleteInstance(int32_t index);
// Deletes every effect; slots are never reused. 1.
EFFECT_EXPORT int32_t ClearInstances();
// Fills the record; 0 for a null record.
EFFECT_EXPORT int32_t GetInfo(int32_t index, EffectInfo* info);
// Stores the callbacks (any may be null), the module handle (null: the
// module's own), the host id and the extra value, then describes the
// effect's controls through the create-control callback. 1.
EFFECT_EXPORT int32_t Initialize(int32_t index, EffectCreateControlProc createControl, EffectRedrawProc redraw,
                                 HINSTANCE module, int32_t hostId, EffectPushUndoProc pushUndo, EffectFourthProc fourth,
                                 intptr_t extra);
EFFECT_EXPORT int32_t Cleanup(int32_t index);
// Stores the pointer, which nothing reads. 1.
EFFECT_EXPORT int32_t SetImageInfo(int32_t index, void* info);
EFFECT_EXPORT int32_t ReadPref(int32_t index, void* pref);
EFFECT_EXPORT int32_t WritePref(int32_t index, void* pref);
// Grows `accumulated` to cover `changed`; 0 when either is null.
EFFECT_EXPORT int32_t EffectRect(int32_t index, QVRect* changed, QVRect* accumulated);
// Prepares for the document shown in the view, with the mask mode (0 none,
// 1 restore where the mask is 255, other values where it is 0) and the
// host's key; 0 for a null document or view, or a failed analysis.
EFFECT_EXPORT int32_t EffectPrep(int32_t index, QVImage* document, QVViewImage* view, int32_t maskMode, int32_t key);
// Runs the effect on the image in place and restores the masked pixels; x
// and y are not used. 0 for a null image, or when the effect or the copy a
// restore needs could not be made (the image is then unchanged).
EFFECT_EXPORT int32_t EffectDo(int32_t index, QVViewImage* image, QVImage* mask, int32_t x, int32_t y);
EFFECT_EXPORT int32_t EffectCleanup(int32_t index);
// Applies the item's old value (isUndo non-zero) or new value; 0 for a null
// item.
EFFECT_EXPORT int32_t Undo(int32_t index, QVUndo_Item* item, int32_t isUndo);
// Empties the marker list. 1.
EFFECT_EXPORT int32_t Revert(int32_t index);
// 0 for a null event or value pointer.
EFFECT_EXPORT int32_t Control_Event(int32_t index, EffectControlEvent* event);
// 0 for a null event or mouse object.
EFFECT_EXPORT int32_t Preview_Event(int32_t index, EffectPreviewEvent* event);

// The names a host resolves, in the order of the table above.
inline constexpr const char* kEffectExportNames[] = {
    "AddInstance",   "DeleteInstance", "ClearInstances", "GetInfo",       "Initialize",    "Cleanup",
    "SetImageInfo",  "ReadPref",       "WritePref",      "EffectRect",    "EffectPrep",    "EffectDo",
    "EffectCleanup", "Undo",           "Revert",         "Control_Event", "Preview_Event",
};
inline constexpr int kEffectExportCount = 17;
static_assert(sizeof kEffectExportNames / sizeof kEffectExportNames[0] == kEffectExportCount);
