// Saves the outline of the small open skin as a region data file, for the
// resource library the tests build around it.
#include <iostream>

#include "RuntimeError.h"
#include "asset_dir.h"
#include "cDIBSectionRegion.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: save_skin_region <file>\n";
        return 2;
    }
    const gdi::Picture skin = gdi::loadPicture(platform::assetPath("skins/small_open.bmp"));
    cDIBSection dib;
    dib.CreateFromPicture(skin);
    cDIBSectionRegion region;
    region.Create(dib);
    try {
        return region.Save(argv[1]) ? 0 : 1;
    } catch (const RuntimeError& e) {
        std::cerr << e.Number() << " " << e.Description() << "\n";
        return 1;
    }
}
