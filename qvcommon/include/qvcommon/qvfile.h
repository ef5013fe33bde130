#pragma once
#include "qvcommon/qvfilespec.h"

// An open file bound to the path it came from.
class QVCOMMON_API QVFile {
public:
  // The creation disposition, passed to CreateFileA as it is.
  enum eOpenMode : int32_t {
    eCreateNew = 1,
    eCreateAlways = 2, // for writing
    eOpenExisting = 3, // for reading
    eOpenAlways = 4,
    eTruncateExisting = 5,
  };

  // A new file object (the caller deletes it); null when it cannot be
  // allocated. Whether the file opened shows in Read, Write and the size.
  static QVFile* OpenFile(const QVFileSpec& spec, eOpenMode mode);

  // Opens for reading and writing; eOpenExisting falls back to reading only
  // when writing is refused.
  QVFile(const QVFileSpec& spec, eOpenMode mode);
  QVFile(const QVFile&) = delete;
  QVFile& operator=(const QVFile&) = delete;
  virtual ~QVFile();

  // 0 when every byte was written; -1 without a file; else the Windows error.
  virtual int32_t Write(const void* data, int32_t size);
  // The bytes read; 0 without a file or on failure.
  virtual uint32_t Read(void* data, uint32_t size);
  // The size's low 32 bits (INVALID_FILE_SIZE without a file).
  virtual uint32_t GetFileSize();
  // The file's name, as QVFileSpec::ExtractNameOnly.
  virtual void GetFileName(char* out, bool withExtension, size_t outSize = QVFileSpec::kPathSize);
  virtual void Initialize();

protected:
  HANDLE handle = nullptr;
  QVFileSpec spec;
};
