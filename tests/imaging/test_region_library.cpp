#include "ImagingTestSupport.h"
#include "asset_dir.h"

namespace {

class RegionLibrary : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(RegionLibrary, LoadsTheSavedRegionByNumberAndByName) {
    RecordingHost host;
    cDIBSection skin;  // the picture the library's region was saved from
    skin.CreateFromPicture(gdi::loadPicture(platform::assetPath("skins/small_open.bmp")));
    cDIBSectionRegion region;
    region.Create(skin);
    const auto expected = outlineOf(region, host);
    ASSERT_GT(expected.size(), 1u) << "the skin has see-through parts";
    // Only decimal digits make a number; "inf" is the name INF, which the library has.
    for (const ResourceID& id : std::vector<ResourceID>{12, "12", "012", "SkinShape", "skinshape", "inf"}) {
        cDIBSectionRegion loaded;
        loaded.Applied(2, true);
        EXPECT_TRUE(loaded.LoadFromResource(id, GetParam()));
        EXPECT_EQ(loaded.AppliedToCount(), 0);
        EXPECT_EQ(outlineOf(loaded, host, 3), expected);
    }
    const std::size_t before = gdi::liveObjectCount();
    expectError([&] { region.LoadFromResource(99, GetParam()); }, 26014, "Resource with ID 99 could not be found");
    for (const char* name : {"Other", "", " 12", "12 ", "1.2e1", "0x0C", "+12", "nan"})
        expectError([&] { region.LoadFromResource(std::string(name), GetParam()); }, 26014,
                    std::string("Resource with ID ") + name + " could not be found");
    EXPECT_EQ(gdi::liveObjectCount(), before);
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, RegionLibrary, ::testing::Values(ZPM_REGION_DLL32, ZPM_REGION_DLL64));
