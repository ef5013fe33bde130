// artgen: draws the project's interface art as BMP files.
//
//   artgen --list             every set's pictures: set, id, size, description
//   artgen --set NAME OUTDIR  writes the pictures of set NAME into OUTDIR
//
// Output is byte-identical on every run. Exit status: 0 done, 1 a file could
// not be written, 2 a usage error (unknown option or set).
#include "artset.h"
#include "bmp.h"
#include "text.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace {

constexpr const char* kUsage = "usage: artgen --list | artgen --set NAME OUTDIR\n";

int Usage(const std::string& problem)
{
  std::fprintf(stderr, "artgen: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

int Report(const lvxtext::Error& error)
{
  std::fprintf(stderr, "artgen: %s\n", error.message.c_str());
  return error.status;
}

void List()
{
  for (const artgen::ArtSet& set : artgen::ArtSets())
    for (const artgen::ArtPicture& picture : set.pictures)
      std::printf("%-10s %5d %3dx%-3d %s\n", set.name, picture.id, picture.width, picture.height, picture.description);
}

int Write(const artgen::ArtSet& set, const std::string& folder)
{
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error)
    return Report({folder + ": " + error.message(), 1});
  for (const artgen::ArtPicture& picture : set.pictures) {
    const artgen::Canvas canvas = picture.draw();
    lvxtext::Error problem;
    if (!artgen::TextProblem().empty())
      return Report({"picture " + std::to_string(picture.id) + ": " + artgen::TextProblem(), 1});
    if (canvas.Width() != picture.width || canvas.Height() != picture.height)
      return Report({"picture " + std::to_string(picture.id) + " is not drawn at its listed size", 1});
    if (!artgen::WriteBmp(folder + "/" + picture.file, canvas, picture.bitsPerPixel, &problem))
      return Report(problem);
  }
  return 0;
}

} // namespace

int main(int argc, char** argv)
{
  if (argc == 2 && std::string_view(argv[1]) == "--list") {
    List();
    return 0;
  }
  if (argc == 4 && std::string_view(argv[1]) == "--set") {
    const artgen::ArtSet* set = artgen::FindArtSet(argv[2]);
    if (!set)
      return Usage(std::string("unknown set \"") + argv[2] + "\"");
    return Write(*set, argv[3]);
  }
  if (argc < 2)
    return Usage("nothing to do");
  return Usage(std::string("unknown option or wrong arguments at \"") + argv[1] + "\"");
}
