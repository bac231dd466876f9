#include "Artwork.h"

namespace NS_ImageGen {

const ArtworkMap& artwork()
{
    static const ArtworkMap all = [] {
        ArtworkMap art;
        addControlArt(art);
        addMixerArt(art);
        addDetailArt(art);
        addIconArt(art);
        return art;
    }();
    return all;
}

} // namespace NS_ImageGen
