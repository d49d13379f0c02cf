#include "ImagingTestSupport.h"

#include "asset_dir.h"
#include "picture.h"

namespace {

// The outline of the skin the library's region was saved from.
std::vector<gdi::Rect> skinOutline(RecordingHost& host) {
    const gdi::Picture skin = gdi::loadPicture(platform::assetPath("skins/small_open.bmp"));
    cDIBSection dib;
    dib.CreateFromPicture(skin);
    cDIBSectionRegion region;
    region.Create(dib);
    return outlineOf(region, host, 1);
}

class RegionLibrary : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(RegionLibrary, LoadsTheSavedRegionByNumberAndByName) {
    RecordingHost host;
    const auto expected = skinOutline(host);
    ASSERT_GT(expected.size(), 1u) << "the skin has see-through parts";

    const std::vector<ResourceID> ids{12, std::string("12"), std::string("SkinShape"), std::string("skinshape")};
    for (const ResourceID& id : ids) {
        cDIBSectionRegion region;
        region.Applied(2, true);
        EXPECT_TRUE(region.LoadFromResource(id, GetParam()));
        EXPECT_EQ(region.AppliedToCount(), 0);
        EXPECT_EQ(outlineOf(region, host, 3), expected);
    }
}

TEST_P(RegionLibrary, MissingIdentifiersRaiseNotFound) {
    cDIBSectionRegion region;
    const std::size_t before = gdi::liveObjectCount();
    expectError([&] { region.LoadFromResource(99, GetParam()); }, 26014, "Resource with ID 99 could not be found");
    expectError([&] { region.LoadFromResource(std::string("Other"), GetParam()); }, 26014,
                "Resource with ID Other could not be found");
    expectError([&] { region.LoadFromResource(std::string(""), GetParam()); }, 26014,
                "Resource with ID  could not be found");
    EXPECT_EQ(gdi::liveObjectCount(), before);
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, RegionLibrary, ::testing::Values(ZPM_REGION_DLL32, ZPM_REGION_DLL64));
