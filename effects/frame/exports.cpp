// The module's exports and its instance table: 100 slots, filled in order
// and never reused, and the count of slots used, which never goes down.
#include "effect.h"

namespace {

constexpr int32_t kMaxInstances = 100;

Effect* g_slots[kMaxInstances] = {};
int32_t g_count = 0;

} // namespace

Effect* FindInstance(int32_t index) { return index >= 0 && index < g_count ? g_slots[index] : nullptr; }

EFFECT_EXPORT int32_t AddInstance(int32_t* outIndex)
{
  // Without a place for the index the host could never use the effect.
  if (g_count >= kMaxInstances || !outIndex)
    return 0;
  Effect* effect = CreateModuleEffect();
  if (!effect)
    return 0;
  effect->SetIndex(g_count);
  g_slots[g_count] = effect;
  *outIndex = g_count;
  ++g_count;
  return 1;
}

EFFECT_EXPORT int32_t DeleteInstance(int32_t index)
{
  if (Effect* effect = FindInstance(index)) {
    g_slots[index] = nullptr;
    delete effect;
  }
  return 0;
}

EFFECT_EXPORT int32_t ClearInstances()
{
  for (int32_t i = 0; i < g_count; ++i) {
    delete g_slots[i];
    g_slots[i] = nullptr;
  }
  return 1;
}

// The remaining exports forward to the effect in the slot.
#define LVFX_FORWARD(call)                                                                                             \
  Effect* effect = FindInstance(index);                                                                                \
  return effect ? effect->call : 0

EFFECT_EXPORT int32_t GetInfo(int32_t index, EffectInfo* info) { LVFX_FORWARD(GetInfo(info)); }

EFFECT_EXPORT int32_t Initialize(int32_t index, EffectCreateControlProc createControl, EffectRedrawProc redraw,
                                 HINSTANCE module, int32_t hostId, EffectPushUndoProc pushUndo, EffectFourthProc fourth,
                                 intptr_t extra)
{
  LVFX_FORWARD(Initialize(createControl, redraw, module, hostId, pushUndo, fourth, extra));
}

EFFECT_EXPORT int32_t Cleanup(int32_t index) { LVFX_FORWARD(Cleanup()); }

EFFECT_EXPORT int32_t SetImageInfo(int32_t index, void* info) { LVFX_FORWARD(SetImageInfo(info)); }

EFFECT_EXPORT int32_t ReadPref(int32_t index, void* pref) { LVFX_FORWARD(ReadPref(pref)); }

EFFECT_EXPORT int32_t WritePref(int32_t index, void* pref) { LVFX_FORWARD(WritePref(pref)); }

EFFECT_EXPORT int32_t EffectRect(int32_t index, QVRect* changed, QVRect* accumulated)
{
  LVFX_FORWARD(EffectRect(changed, accumulated));
}

EFFECT_EXPORT int32_t EffectPrep(int32_t index, QVImage* document, QVViewImage* view, int32_t maskMode, int32_t key)
{
  LVFX_FORWARD(EffectPrep(document, view, maskMode, key));
}

EFFECT_EXPORT int32_t EffectDo(int32_t index, QVViewImage* image, QVImage* mask, int32_t x, int32_t y)
{
  LVFX_FORWARD(EffectDo(image, mask, x, y));
}

EFFECT_EXPORT int32_t EffectCleanup(int32_t index) { LVFX_FORWARD(EffectCleanup()); }

EFFECT_EXPORT int32_t Undo(int32_t index, QVUndo_Item* item, int32_t isUndo) { LVFX_FORWARD(Undo(item, isUndo)); }

EFFECT_EXPORT int32_t Revert(int32_t index) { LVFX_FORWARD(Revert()); }

EFFECT_EXPORT int32_t Control_Event(int32_t index, EffectControlEvent* event) { LVFX_FORWARD(Control_Event(event)); }

EFFECT_EXPORT int32_t Preview_Event(int32_t index, EffectPreviewEvent* event) { LVFX_FORWARD(Preview_Event(event)); }
