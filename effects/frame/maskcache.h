#pragma once
// The masks an effect keeps for the views it has prepared, one per host key.
#include <cstdint>

class QVViewImage;

// At most kCapacity masks, each under the host key it was made for, oldest
// first. The cache owns its masks; a mask handed out stays valid until its
// entry is removed, replaced or evicted.
class MaskCache {
public:
  static constexpr int32_t kCapacity = 20;

  MaskCache() = default;
  MaskCache(const MaskCache&) = delete;
  MaskCache& operator=(const MaskCache&) = delete;
  ~MaskCache();

  // The mask kept under the key; null when there is none.
  QVViewImage* Find(int32_t key) const;
  // Keeps the mask under the key (taking ownership), after deleting any
  // mask the key had; with the cache full the oldest entry is deleted
  // first. A null mask only removes the key's entry.
  void Put(int32_t key, QVViewImage* mask);
  // Deletes the key's entry; nothing when there is none.
  void Remove(int32_t key);
  // Deletes every entry.
  void Clear();

  int32_t Count() const { return count_; }
  // The key of entry i, oldest first; 0 outside 0..Count()-1.
  int32_t KeyAt(int32_t i) const;

private:
  struct Entry {
    int32_t key = 0;
    QVViewImage* mask = nullptr;
  };
  int32_t IndexOf(int32_t key) const;
  void RemoveAt(int32_t i);

  Entry entries_[kCapacity];
  int32_t count_ = 0;
};
