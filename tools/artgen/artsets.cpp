#include "artset.h"

#include <array>

namespace artgen {

std::span<const ArtSet> ArtSets()
{
  static const std::array kSets = {
      ArtSet{"framework", FrameworkArt()}, ArtSet{"test", TestArt()},         ArtSet{"plugin", PluginArt()},
      ArtSet{"despeckle", DespeckleArt()}, ArtSet{"descreen", DescreenArt()}, ArtSet{"effects-host", EffectsHostArt()},
  };
  return kSets;
}

const ArtSet* FindArtSet(std::string_view name)
{
  for (const ArtSet& set : ArtSets())
    if (name == set.name)
      return &set;
  return nullptr;
}

} // namespace artgen
