// Saves the outline of the small open skin as a region data file, for the
// resource library the tests build around it.
#include "asset_dir.h"
#include "cDIBSectionRegion.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    cDIBSection dib;
    dib.CreateFromPicture(gdi::loadPicture(platform::assetPath("skins/small_open.bmp")));
    cDIBSectionRegion region;
    region.Create(dib);
    return region.Save(argv[1]) ? 0 : 1;
}
