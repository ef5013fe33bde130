// The run's output and record (see outputs.h).
#include "outputs.h"

#include <cstdio>

namespace lvhost {

Outputs::Outputs(std::string output, std::optional<std::string> record)
    : outputPath_(std::move(output)), recordPath_(std::move(record)), output_(outputPath_),
      record_(recordPath_.value_or(""), standin::ReplacementFile::Options{false, 0})
{
}

bool Outputs::Check(lvxtext::Error* error)
{
  std::string why;
  if (!standin::CanReplace(outputPath_, &why))
    return lvxtext::Fail(error, "cannot write " + outputPath_ + ": " + why);
  if (recordPath_ && !standin::CanReplace(*recordPath_, &why))
    return lvxtext::Fail(error, "cannot write " + *recordPath_ + ": " + why);
  return true;
}

bool Outputs::Write(const HostImage& image, const std::optional<Descriptor>& recorded, int jpegQuality,
                    lvxtext::Error* error)
{
  std::string why;
  if (!output_.Open(&why))
    return lvxtext::Fail(error, "cannot write " + outputPath_ + ": " + why);
  if (!WriteImageTo(&output_, outputPath_, image, error, jpegQuality))
    return false;
  if (!recordPath_)
    return true;
  if (!recorded) {
    std::fprintf(stderr, "lumivex-host: the plug-in recorded no parameters; %s was not written\n",
                 recordPath_->c_str());
    return true;
  }
  if (!record_.Open(&why))
    return lvxtext::Fail(error, "cannot write " + *recordPath_ + ": " + why);
  const bool wrote = record_.Write(FormatParameters(*recorded));
  if (!record_.Finish(&why) || !wrote)
    return lvxtext::Fail(error, "cannot write " + *recordPath_ + ": " + why);
  return true;
}

bool Outputs::Commit(lvxtext::Error* error)
{
  std::string why;
  if (!output_.Commit(&why))
    return lvxtext::Fail(error, "cannot write " + outputPath_ + ": " + why);
  if (!record_.TemporaryPath().empty() && !record_.Commit(&why))
    return lvxtext::Fail(error, "cannot write " + *recordPath_ + ": " + why);
  return true;
}

} // namespace lvhost
