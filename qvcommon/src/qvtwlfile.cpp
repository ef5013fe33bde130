// The native ".twl" file reader: header, embedded image data and preview.
// Nothing is allocated before the header's offsets and lengths have been
// checked against the file, and every failure closes the file and releases
// what was taken.
#include "qvcommon/qvtwlfile.h"

#include "qvimage_internal.h"

#include "imaging/imaging.h"
#include "win32/paths.h"

#include <cstdio>
#include <cstring>
#include <sys/types.h>
#include <utility>

namespace {

constexpr size_t kHeaderSize = 1024;
constexpr int kPreviewSide = 64;
constexpr uint32_t kGreyPreviewLimit = 40 + 1024 + 4096; // larger preview blocks hold 24-bit pixels
constexpr long kGreyPixelsAt = 2088;                     // after the 40-byte header and the 1024-byte palette
constexpr long kColourPixelsAt = 1064;                   // after the 40-byte header

uint32_t BigEndian32(const uint8_t* p)
{
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

uint16_t BigEndian16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// Closes the file when the reader is done with it, whatever the road.
class OpenedFile {
public:
  explicit OpenedFile(const char* path) : file_(path ? standin::OpenFile(path, "rb") : nullptr) {}
  ~OpenedFile()
  {
    if (file_)
      std::fclose(file_);
  }
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  // Reads exactly `size` bytes from `offset`.
  bool ReadAt(int64_t offset, void* data, size_t size)
  {
    return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0 && std::fread(data, 1, size, file_) == size;
  }
  int64_t Size()
  {
    if (fseeko(file_, 0, SEEK_END) != 0)
      return -1;
    return ftello(file_);
  }

private:
  std::FILE* file_;
};

// The embedded image must lie after the header, hold something and end
// within the file.
bool DataFitsFile(const char* path, const TWLHeaderDataRecord& header)
{
  OpenedFile file(path);
  if (!file.IsOpen() || header.dataOffset < kHeaderSize || header.dataLength == 0)
    return false;
  const int64_t size = file.Size();
  return size >= 0 && int64_t{header.dataOffset} + header.dataLength <= size;
}

// Frees a general-heap block and clears the pointer that held it.
template <class T>
void Release(T*& block)
{
  ReleaseTWLBlock(block);
  block = nullptr;
}

} // namespace

TWLHeaderDataRecord* AllocTWLHeader()
{
  return static_cast<TWLHeaderDataRecord*>(HeapAlloc(GetProcessHeap(), 0, sizeof(TWLHeaderDataRecord)));
}

unsigned char* AllocTWLData(const TWLHeaderDataRecord* header)
{
  if (!header || header->dataLength == 0)
    return nullptr;
  return static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, header->dataLength));
}

void ReleaseTWLBlock(void* block)
{
  if (block)
    HeapFree(GetProcessHeap(), 0, block);
}

int16_t ReadTWLHeader(const char* path, TWLHeaderDataRecord* header)
{
  if (!header)
    return kTWLError;
  OpenedFile file(path);
  uint8_t bytes[kHeaderSize];
  if (!file.IsOpen() || !file.ReadAt(0, bytes, sizeof bytes))
    return kTWLError;
  std::memcpy(header, bytes, sizeof bytes);
  header->value12 = BigEndian32(bytes + 12);
  header->value16 = BigEndian32(bytes + 16);
  header->value20 = BigEndian16(bytes + 20);
  header->version = BigEndian16(bytes + 22);
  header->value24 = BigEndian16(bytes + 24);
  header->dataOffset = BigEndian32(bytes + 284);
  header->dataLength = BigEndian32(bytes + 288);
  return kTWLSuccess;
}

int16_t ReadTWLData(const char* path, const TWLHeaderDataRecord* header, unsigned char* data)
{
  if (!header || !data)
    return kTWLError;
  OpenedFile file(path);
  if (!file.IsOpen() || !file.ReadAt(header->dataOffset, data, header->dataLength))
    return kTWLError;
  return kTWLSuccess;
}

int16_t ReadTWLFile(const char* path, TWLHeaderDataRecord** header, unsigned char** data)
{
  if (!header || !data)
    return kTWLError;
  *header = nullptr;
  *data = nullptr;
  // The version is not checked on this road: any version's image is read.
  TWLHeaderDataRecord* head = AllocTWLHeader();
  if (!head)
    return kTWLError;
  int16_t result = ReadTWLHeader(path, head);
  if (result == kTWLSuccess && !DataFitsFile(path, *head))
    result = kTWLError;
  unsigned char* body = result == kTWLSuccess ? AllocTWLData(head) : nullptr;
  if (result == kTWLSuccess && !body)
    result = kTWLError;
  if (result == kTWLSuccess)
    result = ReadTWLData(path, head, body);
  if (result != kTWLSuccess) {
    Release(body);
    Release(head);
    return result;
  }
  *header = head;
  *data = body;
  return kTWLSuccess;
}

int16_t ReadTWLPreview(const char* path, imaging::Bitmap* bitmap)
{
  if (!bitmap)
    return kTWLError;
  TWLHeaderDataRecord* header = AllocTWLHeader();
  if (!header)
    return kTWLNoMemory;
  const int16_t read = ReadTWLHeader(path, header);
  const TWLHeaderDataRecord copy = *header;
  Release(header);
  if (read != kTWLSuccess)
    return read;
  // No preview block at all, or an offset inside the header.
  if ((copy.version != 15 && copy.version != 16) || copy.dataOffset <= kHeaderSize)
    return kTWLError;

  const bool grey = copy.dataOffset - kHeaderSize <= kGreyPreviewLimit;
  const size_t bytesPerPixel = grey ? 1 : 3;
  const size_t rowBytes = kPreviewSide * bytesPerPixel;
  const size_t size = rowBytes * kPreviewSide;
  const GlobalBlock block(static_cast<int64_t>(size));
  uint8_t* stored = block.As<uint8_t>();
  int16_t result = block ? kTWLSuccess : kTWLNoMemory;
  if (result == kTWLSuccess) {
    OpenedFile file(path);
    if (!file.IsOpen())
      result = kTWLNoMemory;
    else if (!file.ReadAt(grey ? kGreyPixelsAt : kColourPixelsAt, stored, size))
      result = kTWLError;
  }
  imaging::Bitmap preview;
  if (result == kTWLSuccess && imaging::Create(&preview, 1, kPreviewSide, kPreviewSide, 24, 0) != imaging::kSuccess)
    result = kTWLNoMemory;
  if (result == kTWLSuccess) {
    // Stored rows run bottom first; grey levels go to B, G and R alike.
    uint8_t row[kPreviewSide * 3];
    for (int k = 0; k < kPreviewSide; ++k) {
      const uint8_t* from = stored + k * rowBytes;
      for (int x = 0; x < kPreviewSide; ++x)
        for (int c = 0; c < 3; ++c)
          row[x * 3 + c] = grey ? from[x] : from[x * 3 + c];
      imaging::PutRow(&preview, row, kPreviewSide - 1 - k, sizeof row);
    }
    *bitmap = std::move(preview);
  }
  return result;
}
