#pragma once
// The art sets the generator knows. A picture is one drawing function with
// the resource id, file name, size and one-line description that --list
// prints; a set is a named table of pictures, written into one folder. A
// new set is a table of its own in its own source, added to the one list of
// sets in artsets.cpp.
#include "canvas.h"

#include <span>
#include <string_view>

namespace artgen {

struct ArtPicture {
  int id;
  const char* file; // inside the set's folder
  int width;
  int height;
  const char* description;
  Canvas (*draw)();
  int bitsPerPixel = 24; // 24, or 8 with a colour table
};

struct ArtSet {
  const char* name;
  std::span<const ArtPicture> pictures;
};

// Every set, in the order --list prints them.
std::span<const ArtSet> ArtSets();
// The set of that name; null for an unknown one.
const ArtSet* FindArtSet(std::string_view name);

// The sets' own tables.
std::span<const ArtPicture> FrameworkArt();
std::span<const ArtPicture> TestArt();
std::span<const ArtPicture> PluginArt();
std::span<const ArtPicture> DespeckleArt();
std::span<const ArtPicture> DescreenArt();
std::span<const ArtPicture> EffectsHostArt();

} // namespace artgen
