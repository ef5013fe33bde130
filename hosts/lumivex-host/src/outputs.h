#pragma once
// What a run writes: the output image and, with --record, the parameters the
// plug-in recorded, each through a temporary file beside it. Both paths are
// checked before the plug-in runs (so that a folder that is missing or cannot
// be written is found first), both files are written after it, and both are
// renamed into place only when both are whole; whatever is not committed is
// removed. No temporary file exists while the plug-in runs.
#include "image.h"
#include "params.h"
#include "win32/replacementfile.h"

#include <optional>
#include <string>

namespace lvhost {

class Outputs {
public:
  Outputs(std::string output, std::optional<std::string> record);

  // Whether both can be written (standin::CanReplace); false with "cannot
  // write PATH: reason" (a folder at the path, a missing folder, no
  // permission, a device). Nothing is left.
  bool Check(lvxtext::Error* error);

  // Writes the image and, when there is a record file, the recorded
  // parameters, each into its temporary file; a run that recorded none is
  // said on stderr and leaves no record. False with the reason; after
  // Ctrl-C or SIGTERM the image's write stops (the record is small and is
  // not stopped).
  bool Write(const HostImage& image, const std::optional<Descriptor>& recorded, int jpegQuality, lvxtext::Error* error);

  // Renames the output, then the record, into place. The output's rename
  // is the last point an interrupt stops; both files are whole and synced
  // before either is renamed.
  bool Commit(lvxtext::Error* error);

private:
  std::string outputPath_;
  std::optional<std::string> recordPath_;
  standin::ReplacementFile output_;
  standin::ReplacementFile record_;
};

} // namespace lvhost
