#include "maskcache.h"

#include "qvcommon/qvviewimage.h"

MaskCache::~MaskCache() { Clear(); }

int32_t MaskCache::IndexOf(int32_t key) const
{
  for (int32_t i = 0; i < count_; ++i)
    if (entries_[i].key == key)
      return i;
  return -1;
}

QVViewImage* MaskCache::Find(int32_t key) const
{
  const int32_t i = IndexOf(key);
  return i < 0 ? nullptr : entries_[i].mask;
}

void MaskCache::RemoveAt(int32_t i)
{
  delete entries_[i].mask;
  for (int32_t j = i + 1; j < count_; ++j)
    entries_[j - 1] = entries_[j];
  entries_[--count_] = Entry{};
}

void MaskCache::Put(int32_t key, QVViewImage* mask)
{
  Remove(key);
  if (!mask)
    return;
  if (count_ == kCapacity)
    RemoveAt(0);
  entries_[count_++] = Entry{key, mask};
}

void MaskCache::Remove(int32_t key)
{
  if (const int32_t i = IndexOf(key); i >= 0)
    RemoveAt(i);
}

void MaskCache::Clear()
{
  while (count_ > 0)
    RemoveAt(count_ - 1);
}

int32_t MaskCache::KeyAt(int32_t i) const { return i >= 0 && i < count_ ? entries_[i].key : 0; }
