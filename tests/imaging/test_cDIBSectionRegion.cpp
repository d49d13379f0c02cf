#include <sys/stat.h>

#include <random>
#include <utility>

#include "ImagingTestSupport.h"
#include "region.h"

using Rects = std::vector<gdi::Rect>;
using namespace testing_support;

namespace {

// The outline as built one see-through run of one column at a time (padding
// column included), each cut out of the rectangle by exclusive-or: the
// region data the program has always made.
std::string regionDataCutByColumns(const cDIBSection& dib) {
    const gdi::Handle outline = gdi::CreateRectRgn(0, 0, dib.Width(), dib.Height());
    for (int column = 0; column < dib.BytesPerScanLine() / 3; ++column) {
        for (int row = 0, top = -1; row <= dib.Height(); ++row) {
            const std::uint8_t* p = row < dib.Height() ? pixelAt(dib, column, row) : nullptr;
            const bool magenta = p && p[0] == 255 && p[1] == 0 && p[2] == 255;
            if (magenta && top < 0) top = row;
            if (magenta || top < 0) continue;
            const gdi::Handle run = gdi::CreateRectRgn(column, std::exchange(top, -1), column + 1, row);
            gdi::CombineRgn(outline, outline, run, gdi::RGN_XOR);
            gdi::DeleteObject(run);
        }
    }
    std::string data(gdi::GetRegionData(outline, 0, nullptr), '\0');
    gdi::GetRegionData(outline, static_cast<std::uint32_t>(data.size()), reinterpret_cast<std::uint8_t*>(data.data()));
    gdi::DeleteObject(outline);
    return data;
}

}  // namespace

// Random pictures of magenta and nearly magenta pixels, padding included;
// every third row starts a new pattern, the others repeat the row above.
TEST(cDIBSectionRegion, OutlineRegionDataIsThatOfCuttingColumnRuns) {
    std::mt19937 random(7);
    const Rgb nearly[] = {{254, 0, 255}, {255, 1, 255}, {255, 0, 254}, {1, 2, 3}};
    TempDir folder;
    for (auto [width, height, percent] :
         {std::tuple{17, 9, 0}, {8, 5, 100}, {1, 1, 100}, {64, 48, 1}, {33, 31, 50}, {63, 40, 30}, {11, 12, 30}}) {
        const auto dib = picture(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < dib->BytesPerScanLine() / 3; ++x)
                if (y % 3) std::copy_n(pixelAt(*dib, x, y - 1), 3, pixelAt(*dib, x, y));
                else setPixel(*dib, x, y, int(random() % 100) < percent ? kMagenta : nearly[random() % 4]);
        cDIBSectionRegion region;
        region.Create(*dib);
        region.Save(folder.file("outline.rgn"));
        EXPECT_EQ(readFile(folder.file("outline.rgn")), regionDataCutByColumns(*dib)) << width << "x" << height;
    }
}

TEST(cDIBSectionRegion, WindowsAreGivenTheOutlineLessMagenta) {
    RecordingHost host;
    cDIBSectionRegion region;
    cDIBSection never;
    region.Create(never);
    EXPECT_EQ(outlineOf(region, host), Rects{}) << "a bitmap never created gives an empty region";
    const auto dib = picture(3, 2);
    setPixel(*dib, 2, 1, kMagenta);
    for (std::int32_t colour : {0, 0x123456}) {  // the colour argument changes nothing
        region.Create(*dib, colour);
        EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 3, 1}, {0, 1, 2, 2}})) << colour;
    }
    dib->ClearUp();  // without pixel memory the whole rectangle
    region.Create(*dib);
    EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 3, 2}}));
    cDIBSection overflowing;
    EXPECT_FALSE(overflowing.Create(800000000, 2));
    region.Create(overflowing);
    EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 800000000, 2}}));
}

TEST(cDIBSectionRegion, WindowListKeepsEachWindowOnceInOrder) {
    RecordingHost host;
    cDIBSectionRegion region;
    const auto outOfRange = [&](std::int32_t index) { expectError([&] { region.hWndForIndex(index); }, 9, "Subscript out of range"); };
    outOfRange(1);
    const auto dib = picture(2, 1);
    setPixel(*dib, 0, 0, kMagenta);
    region.Create(*dib);
    region.Applied(11, true), region.Applied(11, true);
    EXPECT_EQ(region.AppliedToCount(), 1);
    EXPECT_TRUE(region.Applied(11));
    EXPECT_FALSE(region.Applied(12));
    EXPECT_EQ(host.redraws, (std::vector<bool>{true, true})) << "the window is given the region each time";
    host.shapes[99] = Rects{{0, 0, 1, 1}};
    region.Applied(99, false);  // never listed: the window loses the outline, the list stays
    EXPECT_FALSE(host.shapes.at(99).has_value());
    region.Applied(12, true), region.Applied(13, true), region.Applied(12, false);
    EXPECT_TRUE(host.redraws.back()) << "a window losing its outline is redrawn";
    EXPECT_EQ(region.AppliedToCount(), 2);
    EXPECT_EQ(region.hWndForIndex(1), 11u);
    EXPECT_EQ(region.hWndForIndex(2), 13u);
    outOfRange(3), outOfRange(0);
    EXPECT_FALSE(host.shapes.at(12).has_value());
    EXPECT_EQ(host.shapes.at(13), (Rects{{1, 0, 2, 1}}));
    region.Destroy();  // every window loses its outline; former positions read 0
    EXPECT_EQ(region.AppliedToCount(), 0);
    EXPECT_EQ(region.hWndForIndex(2), 0u);
    EXPECT_FALSE(host.shapes.at(11).has_value() || host.shapes.at(13).has_value());
    region.Applied(14, true);  // without a region a window is listed but given none
    EXPECT_EQ(region.AppliedToCount(), 1);
    EXPECT_FALSE(host.shapes.at(14).has_value());
    region.Applied(14, false);
    EXPECT_EQ(region.AppliedToCount(), 0);
    outOfRange(1);
}

TEST(cDIBSectionRegion, WindowsGetCopiesAndTheClassFreesOnlyItsOwn) {
    RecordingHost host;
    picture(1, 1);  // makes the stock bitmap of device contexts, which stays
    const std::size_t before = gdi::liveObjectCount();
    {
        cDIBSectionRegion region;
        const auto dib = picture(8, 8);
        setPixel(*dib, 3, 3, kMagenta);
        region.Create(*dib);
        host.missingWindows.insert(3);
        for (gdi::WindowHandle w : {1, 2, 3}) region.Applied(w, true);
        EXPECT_EQ(host.shapes.at(1), host.shapes.at(2));
        region.Create(*picture(2, 2));  // replaces the old region in every listed window
        EXPECT_FALSE(host.shapes.at(1).has_value());
        EXPECT_EQ(region.AppliedToCount(), 0);
        region.Applied(1, true);
        EXPECT_EQ(host.shapes.at(1), (Rects{{0, 0, 2, 2}}));
    }
    EXPECT_FALSE(host.shapes.at(1).has_value()) << "the end of the instance takes the outline away";
    EXPECT_EQ(gdi::liveObjectCount(), before) << "nothing remains";
}

// A loaded region is applied to no window and equals the saved one.
TEST(cDIBSectionRegion, SavesAndLoadsFromFilesAndLibraries) {
    RecordingHost host;
    TempDir folder;
    cDIBSectionRegion region;
    expectError([&] { region.Save(folder.file("none.rgn")); }, 26010, "No region to save");
    const auto dib = picture(20, 10);
    for (int y = 2; y < 6; ++y) setPixel(*dib, 7, y, kMagenta);
    region.Create(*dib);
    const Rects original = outlineOf(region, host);
    const std::string path = folder.file("shape.rgn");
    writeFile(path, "an older, longer file is replaced");
    EXPECT_TRUE(region.Save(path));
    EXPECT_EQ(readFile(path).size(), 32u + original.size() * 16) << "the bare region data block";
    const auto expectLoaded = [&](bool loaded, const Rects& outline) {
        EXPECT_TRUE(loaded);
        EXPECT_EQ(region.AppliedToCount(), 0);
        EXPECT_FALSE(host.shapes.at(6).has_value());
        EXPECT_EQ(outlineOf(region, host, 7), outline);
    };
    region.Applied(6, true);
    expectLoaded(region.LoadFromFile(path), original);
    for (const std::string dll : {ZPM_TEST_DLL "32.dll", ZPM_TEST_DLL "64.dll"}) {
        region.Applied(6, true);  // "inf" is a name, not a number
        expectLoaded(region.LoadFromResource("inf", dll), (Rects{{0, 0, 3, 1}, {0, 1, 2, 2}}));
        for (const ResourceID& id : std::vector<ResourceID>{7, "7", "07", "MixedName", "mixedname"})
            EXPECT_FALSE(region.LoadFromResource(id, dll)) << "found, but no region data";
        const std::size_t before = gdi::liveObjectCount();
        expectError([&] { region.LoadFromResource(99, dll); }, 26014, "Resource with ID 99 could not be found");
        for (const char* name : {"Other", "", " 7", "7 ", "0.7e1", "0x07", "+7", "nan"})
            expectError([&] { region.LoadFromResource(std::string(name), dll); }, 26014,
                        std::string("Resource with ID ") + name + " could not be found");
        EXPECT_EQ(gdi::liveObjectCount(), before);
    }
}

TEST(cDIBSectionRegion, FailedSavesAndLoadsRaiseAndKeepWhatWasThere) {
    RecordingHost host;
    TempDir folder;
    cDIBSectionRegion region;
    region.Create(*picture(4, 4));
    const std::string path = folder.file("kept.rgn");
    ASSERT_TRUE(region.Save(path));
    const std::string old = readFile(path);
    // A read-only file stays whole; one named like a scratch file is somebody else's.
    writeFile(path + ".~tmp", "theirs");
    region.Create(*picture(9, 9));
    ::chmod(path.c_str(), 0444);
    expectError([&] { region.Save(path); }, 70, "Permission denied");
    EXPECT_EQ(readFile(path), old);
    ::chmod(path.c_str(), 0644);
    EXPECT_TRUE(region.Save(path));
    EXPECT_EQ(readFile(path + ".~tmp"), "theirs");
    expectError([&] { region.Save(folder.file("no/such/folder.rgn")); }, 76, "Path not found");
    expectError([&] { region.Save(folder.path().string()); }, 75, "Path/File access error");
    expectError([&] { region.LoadFromFile(folder.file("missing.rgn")); }, 53, "File not found");
    // Pipes and devices are refused at once, without waiting for a writer or reading without end.
    ASSERT_EQ(::mkfifo(folder.file("pipe.rgn").c_str(), 0600), 0);
    for (const std::string& special : {folder.file("pipe.rgn"), std::string("/dev/zero"), folder.path().string()})
        expectError([&] { region.LoadFromFile(special); }, 75, "Path/File access error");
    writeFile(folder.file("empty.rgn"), "");
    expectError([&] { region.LoadFromFile(folder.file("empty.rgn")); }, 9, "Subscript out of range");
    EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 9, 9}})) << "the old region is kept";
    // Short blocks, a wrong header size and more rectangles than the block holds: False and no region.
    std::string badHeader = old, tooMany = old;
    badHeader[0] = 33, tooMany[8] = 2;
    for (const std::string& bytes : {std::string("\1\2\3"), badHeader, tooMany}) {
        writeFile(folder.file("bad.rgn"), bytes);
        region.Create(*picture(2, 2));
        EXPECT_FALSE(region.LoadFromFile(folder.file("bad.rgn")));
        expectError([&] { region.Save(folder.file("after.rgn")); }, 26010, "No region to save");
    }
    for (const auto& [id, text] : {std::pair<ResourceID, std::string>{101, "101"}, {"SKIN", "SKIN"}})
        expectError([&] { region.LoadFromResource(id); }, 326, "Resource with identifier '" + text + "' not found");
    writeFile(folder.file("text.dll"), "not a library");
    for (const char* name : {"missing.dll", "text.dll"})
        expectError([&] { region.LoadFromResource(1, folder.file(name)); }, 26013, "Can't open DLL for Resource Access");
}
