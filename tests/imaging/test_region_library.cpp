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

TEST_P(RegionLibrary, OnlyDecimalDigitsMakeANumericIdentifier) {
    // " 12", "1e3" and "0x0C" are names, which the library does not have;
    // "inf" is the name INF, which it has.
    cDIBSectionRegion region;
    EXPECT_TRUE(region.LoadFromResource(std::string("inf"), GetParam()));
    EXPECT_TRUE(region.LoadFromResource(std::string("012"), GetParam()));
    for (const char* name : {" 12", "12 ", "1.2e1", "0x0C", "+12", "nan"})
        expectError([&] { region.LoadFromResource(std::string(name), GetParam()); }, 26014,
                    std::string("Resource with ID ") + name + " could not be found");
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, RegionLibrary, ::testing::Values(ZPM_REGION_DLL32, ZPM_REGION_DLL64));
