#pragma once
#include "qvcommon/qvdefs.h"

#include <cstddef>

// One undoable change of an effect module, handed to the effects host by
// address and copied there: a fixed 532-byte little-endian record.
class QVCOMMON_API QVUndo_Item {
public:
  enum : int32_t { kBlockSize = 256 };

  QVUndo_Item() = default;
  // Copies 256 bytes from each block; a null block reads as zeros.
  QVUndo_Item(int32_t dllId, int32_t dllInstance, int32_t effectId, int32_t fourth, int32_t checkState,
              const unsigned char* effectData, const unsigned char* saveData);
  // Copies the whole record (a null record gives an all-zero one).
  explicit QVUndo_Item(const QVUndo_Item* other);
  QVUndo_Item(const QVUndo_Item&) = default;
  QVUndo_Item& operator=(const QVUndo_Item&) = default;
  ~QVUndo_Item() = default;

  int32_t GetDLLID() const { return dllId; }
  int32_t GetDLLInstance() const { return dllInstance; }
  int32_t GetEffectID() const { return effectId; }
  int32_t GetCheckState() const { return checkState; }
  void SetCheckState(int32_t state) { checkState = state; }
  unsigned char* GetEffectData() { return effectData; }
  unsigned char* GetSaveData() { return saveData; }
  // Copy 256 bytes in; a null block clears the record's block.
  void SetEffectData(const unsigned char* block);
  void SetSaveData(const unsigned char* block);

  int32_t dllId = 0;
  int32_t dllInstance = 0;
  int32_t effectId = 0;
  int32_t fourth = 0;
  int32_t checkState = 0;
  unsigned char effectData[kBlockSize] = {};
  unsigned char saveData[kBlockSize] = {};
};

static_assert(sizeof(QVUndo_Item) == 532, "the undo record crosses module boundaries by address");
static_assert(offsetof(QVUndo_Item, dllId) == 0 && offsetof(QVUndo_Item, dllInstance) == 4 &&
                  offsetof(QVUndo_Item, effectId) == 8 && offsetof(QVUndo_Item, fourth) == 12 &&
                  offsetof(QVUndo_Item, checkState) == 16 && offsetof(QVUndo_Item, effectData) == 20 &&
                  offsetof(QVUndo_Item, saveData) == 276,
              "undo record layout");
