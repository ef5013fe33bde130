#include "presetfile.h"

#include "presetrecord.h"
#include "qvcommon/qvfile.h"
#include "qvcommon/qvfilespec.h"
#include "win32/paths.h"
#include "win32/replacementfile.h"

#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>

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
  char path[QVFileSpec::kPathSize];
  std::string native;
  if (file.GetFullPath(path, sizeof path) != 0 || !standin::MapPath(path, native))
    return false;
  // A read-only file is kept, as opening it for writing would refuse.
  if (access(native.c_str(), F_OK) == 0 && access(native.c_str(), W_OK) != 0)
    return false;
  // Through a temporary file renamed into place: a failed export leaves
  // the earlier file whole. A preset is small and is written whole even
  // after Ctrl-C.
  const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return standin::WriteWholeFile(native, content, nullptr, standin::ReplacementFile::Options{false, 0});
}

} // namespace presetfile
