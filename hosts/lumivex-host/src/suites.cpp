// The host's handle suite and descriptor suites (see host.h). Every handle
// handed out is tracked; a call with an unknown or disposed handle, or a bad
// or closed token, is logged as an error and touches nothing.
#include "host.h"

#include <cstring>

namespace lvhost {

namespace {

std::string Error(bool ok, const char* what) { return ok ? "" : std::string(" error: ") + what; }

template <class Token>
uintptr_t Key(Token token)
{
  return reinterpret_cast<uintptr_t>(token);
}

} // namespace

Handle Host::Allocate(int32_t size)
{
  auto block = std::make_unique<HandleBlock>();
  block->size = size;
  block->bytes.assign(static_cast<size_t>(size > 0 ? size : 1), 0);
  block->data = block->bytes.data();
  Handle handle = &block->data;
  handles_[handle] = std::move(block);
  return handle;
}

int32_t Host::SizeOf(Handle handle) const
{
  auto it = handles_.find(handle);
  return it == handles_.end() ? 0 : it->second->size;
}

Handle Host::NewHandle(int32_t size)
{
  Handle handle = size >= 0 ? Allocate(size) : nullptr;
  Note("newProc(" + std::to_string(size) + ")" + Error(handle != nullptr, "negative size"));
  return handle;
}

void Host::DisposeHandle(Handle handle)
{
  const bool known = handles_.erase(handle) != 0;
  written_.erase(handle);
  Note("disposeProc()" + Error(known, "unknown or already disposed handle"));
}

int32_t Host::GetHandleSize(Handle handle)
{
  Note("getSizeProc()" + Error(Issued(handle), "unknown handle"));
  return SizeOf(handle);
}

int16_t Host::SetHandleSize(Handle handle, int32_t size)
{
  auto it = handles_.find(handle);
  const int16_t code = it == handles_.end() ? nilHandleErr : size < 0 ? filterBadParameters : noErr;
  Note("setSizeProc(" + std::to_string(size) + ") = " + std::to_string(code) +
       Error(it != handles_.end(), "unknown handle"));
  if (code != noErr)
    return code;
  HandleBlock& block = *it->second;
  // Growth is zero-filled, even over bytes an earlier shrink cut off.
  block.bytes.resize(static_cast<size_t>(size > 0 ? size : 1));
  if (size > block.size)
    std::memset(block.bytes.data() + block.size, 0, static_cast<size_t>(size - block.size));
  block.size = size;
  block.data = block.bytes.data();
  return noErr;
}

Ptr Host::LockHandle(Handle handle) { return Issued(handle) ? *handle : nullptr; }

PIReadDescriptor Host::OpenRead(Handle descriptor)
{
  Descriptor entries;
  const bool ok = descriptor && Issued(descriptor) &&
                  UnpackDescriptor(*descriptor, static_cast<size_t>(SizeOf(descriptor)), &entries);
  uintptr_t token = 0;
  if (ok) {
    token = nextToken_ += 2;
    readers_[token].entries = std::move(entries);
  }
  Note("openReadDescriptor() = " + std::to_string(token) +
       Error(ok, descriptor ? "not a descriptor this host made" : "null descriptor"));
  return reinterpret_cast<PIReadDescriptor>(token);
}

int16_t Host::CloseRead(PIReadDescriptor token)
{
  const bool known = readers_.erase(Key(token)) != 0;
  Note("closeReadDescriptor(" + std::to_string(Key(token)) + ")" + Error(known, "bad token"));
  return known ? noErr : filterBadParameters;
}

uint8_t Host::GetKey(PIReadDescriptor token, uint32_t* key, uint32_t* type, int32_t* flags)
{
  auto it = readers_.find(Key(token));
  if (it == readers_.end()) {
    Note("getKey(" + std::to_string(Key(token)) + ") = 0 error: bad token");
    return 0;
  }
  Reader& reader = it->second;
  if (reader.next >= reader.entries.size()) {
    reader.current.reset();
    Note("getKey(" + std::to_string(Key(token)) + ") = 0");
    return 0;
  }
  reader.current = reader.entries[reader.next++];
  if (key)
    *key = reader.current->key;
  if (type)
    *type = reader.current->type;
  if (flags)
    *flags = 0;
  Note("getKey(" + std::to_string(Key(token)) + ") = 1 " + CodeText(reader.current->key));
  return 1;
}

int16_t Host::GetValue(PIReadDescriptor token, uint32_t type, void* value)
{
  auto it = readers_.find(Key(token));
  const char* name = type == typeInteger ? "getInteger" : type == typeFloat ? "getFloat" : "getBoolean";
  const char* problem = it == readers_.end()               ? "bad token"
                        : !it->second.current              ? "no current entry"
                        : it->second.current->type != type ? "the entry has another type"
                        : !value                           ? "null value pointer"
                                                           : nullptr;
  if (problem) {
    Note(std::string(name) + "(" + std::to_string(Key(token)) + ") = " + std::to_string(filterBadParameters) +
         " error: " + problem);
    return filterBadParameters;
  }
  const DescriptorEntry& entry = *it->second.current;
  if (type == typeInteger)
    *static_cast<int32_t*>(value) = entry.integer;
  else if (type == typeFloat)
    *static_cast<double*>(value) = entry.number;
  else
    *static_cast<uint8_t*>(value) = entry.boolean ? 1 : 0;
  Note(std::string(name) + "(" + std::to_string(Key(token)) + ") = 0");
  return noErr;
}

PIWriteDescriptor Host::OpenWrite()
{
  const uintptr_t token = nextToken_ += 2;
  writers_[token];
  Note("openWriteDescriptor() = " + std::to_string(token));
  return reinterpret_cast<PIWriteDescriptor>(token);
}

int16_t Host::Put(PIWriteDescriptor token, const DescriptorEntry& entry)
{
  auto it = writers_.find(Key(token));
  const std::string call =
      "put " + CodeText(entry.key) + " " + CodeText(entry.type) + " (" + std::to_string(Key(token)) + ")";
  if (it == writers_.end()) {
    Note(call + " = " + std::to_string(filterBadParameters) + " error: bad token");
    return filterBadParameters;
  }
  it->second.push_back(entry);
  Note(call + " = 0");
  return noErr;
}

int16_t Host::CloseWrite(PIWriteDescriptor token, Handle* descriptor)
{
  auto it = writers_.find(Key(token));
  if (it == writers_.end()) {
    Note("closeWriteDescriptor(" + std::to_string(Key(token)) + ") = " + std::to_string(filterBadParameters) +
         " error: bad token");
    return filterBadParameters;
  }
  const std::string bytes = PackDescriptor(it->second);
  writers_.erase(it);
  Handle handle = Allocate(static_cast<int32_t>(bytes.size()));
  std::memcpy(*handle, bytes.data(), bytes.size());
  written_.insert(handle);
  if (descriptor)
    *descriptor = handle;
  Note("closeWriteDescriptor(" + std::to_string(Key(token)) + ") = 0");
  return noErr;
}

} // namespace lvhost
