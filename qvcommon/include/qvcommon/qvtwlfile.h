#pragma once
// The native ".twl" image file, read only: a 1024-byte big-endian header, a
// 64 x 64 preview (8-bit grey or 24-bit B,G,R, bottom row first) from byte
// 1024, and the full image stored as a complete image file at the header's
// data offset.
#include "qvcommon/qvdefs.h"

#include <cstddef>

namespace imaging {
struct Bitmap;
}

// The file's first 1024 bytes with the fields below in the machine's byte
// order; the other bytes as read.
struct TWLHeaderDataRecord {
  uint8_t unused0[12];
  uint32_t value12;
  uint32_t value16;
  uint16_t value20;
  uint16_t version; // the preview reader accepts 15 and 16
  uint16_t value24;
  uint8_t unused26[258];
  uint32_t dataOffset; // where the embedded image file starts
  uint32_t dataLength; // its size in bytes
  uint8_t unused292[732];
};
static_assert(sizeof(TWLHeaderDataRecord) == 1024 && offsetof(TWLHeaderDataRecord, version) == 22 &&
              offsetof(TWLHeaderDataRecord, dataOffset) == 284 && offsetof(TWLHeaderDataRecord, dataLength) == 288);

// Results: 0 success; -1 a missing argument, a file that cannot be opened or
// read, a short read, bad offsets or lengths, a wrong version or no preview;
// -100 no memory for the preview (or its file could not be opened).
enum : int16_t {
  kTWLSuccess = 0,
  kTWLError = -1,
  kTWLNoMemory = -100,
};

// Blocks from the general heap (1024 bytes, or the header's data length);
// null when there is no memory or the length is 0. ReleaseTWLBlock takes
// either kind (and null).
QVCOMMON_API TWLHeaderDataRecord* AllocTWLHeader();
QVCOMMON_API unsigned char* AllocTWLData(const TWLHeaderDataRecord* header);
QVCOMMON_API void ReleaseTWLBlock(void* block);

// Reads and converts the header of the file at path (Windows or native).
QVCOMMON_API int16_t ReadTWLHeader(const char* path, TWLHeaderDataRecord* header);
// Reads the header's data length bytes from its data offset into data.
QVCOMMON_API int16_t ReadTWLData(const char* path, const TWLHeaderDataRecord* header, unsigned char* data);
// Reads the header and the embedded image of the file at path; any version
// is accepted. On success (kTWLSuccess) both blocks are the caller's to
// release with ReleaseTWLBlock; on failure both are null and nothing is
// left allocated.
QVCOMMON_API int16_t ReadTWLFile(const char* path, TWLHeaderDataRecord** header, unsigned char** data);
// Fills the bitmap with the 64 x 64 preview as a top-down 24-bit picture
// (a grey preview becomes B = G = R). The bitmap is replaced only on success.
QVCOMMON_API int16_t ReadTWLPreview(const char* path, imaging::Bitmap* bitmap);
