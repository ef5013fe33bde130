#include "qvcommon/qvfile.h"

#include <new>

QVFile* QVFile::OpenFile(const QVFileSpec& file, eOpenMode mode) { return new (std::nothrow) QVFile(file, mode); }

QVFile::QVFile(const QVFileSpec& file, eOpenMode mode) : spec(file)
{
  Initialize();
  char name[QVFileSpec::kPathSize];
  if (spec.GetFullPath(name, sizeof name) != 0)
    return;
  HANDLE opened = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, static_cast<DWORD>(mode), 0, nullptr);
  // A file that may only be read (a preset shipped read-only) still opens
  // for reading.
  if (opened == INVALID_HANDLE_VALUE && mode == eOpenExisting && GetLastError() == ERROR_ACCESS_DENIED)
    opened = CreateFileA(name, GENERIC_READ, 0, nullptr, static_cast<DWORD>(mode), 0, nullptr);
  handle = opened == INVALID_HANDLE_VALUE ? nullptr : opened;
}

QVFile::~QVFile()
{
  if (handle)
    CloseHandle(handle);
}

void QVFile::Initialize() { handle = nullptr; }

int32_t QVFile::Write(const void* data, int32_t size)
{
  if (!handle)
    return -1;
  if (size < 0)
    return ERROR_INVALID_PARAMETER;
  DWORD written = 0;
  if (!WriteFile(handle, data, static_cast<DWORD>(size), &written, nullptr)) {
    const DWORD error = GetLastError();
    return error ? static_cast<int32_t>(error) : static_cast<int32_t>(ERROR_GEN_FAILURE);
  }
  return 0;
}

uint32_t QVFile::Read(void* data, uint32_t size)
{
  DWORD read = 0;
  if (!handle || !ReadFile(handle, data, size, &read, nullptr))
    return 0;
  return read;
}

uint32_t QVFile::GetFileSize() { return ::GetFileSize(handle, nullptr); }

void QVFile::GetFileName(char* out, bool withExtension, size_t outSize)
{
  spec.ExtractNameOnly(out, withExtension, outSize);
}
