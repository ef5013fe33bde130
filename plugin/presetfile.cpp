#include "presetfile.h"

#include "presetrecord.h"
#include "qvcommon/qvfile.h"
#include "qvcommon/qvfilespec.h"

#include <memory>

namespace presetfile {

std::vector<uint8_t> Read(const QVFileSpec& file)
{
  std::unique_ptr<QVFile> opened(QVFile::OpenFile(file, QVFile::eOpenExisting));
  if (!opened || opened->GetFileSize() != PresetRecord::kSize)
    return {};
  std::vector<uint8_t> bytes(PresetRecord::kSize);
  // The size's high bits are not seen: a file that reads on past the
  // record is not a preset either.
  uint8_t more = 0;
  if (opened->Read(bytes.data(), static_cast<uint32_t>(bytes.size())) != bytes.size() || opened->Read(&more, 1) != 0)
    return {};
  return bytes;
}

bool Write(const QVFileSpec& file, const std::vector<uint8_t>& bytes)
{
  std::unique_ptr<QVFile> opened(QVFile::OpenFile(file, QVFile::eCreateAlways));
  if (!opened)
    return false;
  const int32_t result = opened->Write(bytes.data(), static_cast<int32_t>(bytes.size()));
  opened.reset(); // closed before it may be removed
  if (result == 0)
    return true;
  // -1: the file never opened, and whatever is there stays.
  if (result != -1) {
    char path[QVFileSpec::kPathSize];
    if (file.GetFullPath(path, sizeof path) == 0)
      DeleteFileA(path);
  }
  return false;
}

} // namespace presetfile
