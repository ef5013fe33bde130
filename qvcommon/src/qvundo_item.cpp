#include "qvcommon/qvundo_item.h"

#include <cstring>

namespace {
// A null block reads as zeros.
void CopyBlock(unsigned char* to, const unsigned char* from)
{
  if (from)
    std::memcpy(to, from, QVUndo_Item::kBlockSize);
  else
    std::memset(to, 0, QVUndo_Item::kBlockSize);
}
} // namespace

QVUndo_Item::QVUndo_Item(int32_t dll, int32_t instance, int32_t effect, int32_t fourthValue, int32_t check,
                         const unsigned char* effectBlock, const unsigned char* saveBlock)
    : dllId(dll), dllInstance(instance), effectId(effect), fourth(fourthValue), checkState(check)
{
  CopyBlock(effectData, effectBlock);
  CopyBlock(saveData, saveBlock);
}

QVUndo_Item::QVUndo_Item(const QVUndo_Item* other)
{
  if (other)
    *this = *other;
}

void QVUndo_Item::SetEffectData(const unsigned char* block) { CopyBlock(effectData, block); }
void QVUndo_Item::SetSaveData(const unsigned char* block) { CopyBlock(saveData, block); }
