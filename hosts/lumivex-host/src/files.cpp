// Whole-file reads and writes (see files.h).
#include "files.h"

#include "win32/replacementfile.h"

#include <fstream>
#include <iterator>

namespace lvhost {

bool ReadWholeFile(const std::string& path, std::string* bytes, lvxtext::Error* error)
{
  std::ifstream in(path, std::ios::binary);
  if (in)
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in && !in.eof())
    return lvxtext::Fail(error, "cannot read " + path);
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, lvxtext::Error* error)
{
  std::string why;
  if (!standin::WriteWholeFile(path, bytes, &why, standin::ReplacementFile::Options{false, 0}))
    return lvxtext::Fail(error, "cannot write " + path + ": " + why);
  return true;
}

} // namespace lvhost
