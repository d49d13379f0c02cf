#include <sys/stat.h>

#include <functional>
#include <random>
#include <utility>

#include "ImagingTestSupport.h"
#include "region.h"

using gdi::Rect;
using Rects = std::vector<Rect>;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

// The outline as built one see-through run of one column at a time (padding
// column included), each cut out of the rectangle by exclusive-or: the
// region data the program has always made.
std::string regionDataCutByColumns(const cDIBSection& dib) {
    const gdi::Handle outline = gdi::CreateRectRgn(0, 0, dib.Width(), dib.Height());
    const auto cut = [&](int column, int top, int bottom) {
        const gdi::Handle run = gdi::CreateRectRgn(column, top, column + 1, bottom);
        gdi::CombineRgn(outline, outline, run, gdi::RGN_XOR);
        gdi::DeleteObject(run);
    };
    for (int column = 0; column < dib.BytesPerScanLine() / 3; ++column) {
        int top = -1;
        for (int row = 0; row <= dib.Height(); ++row) {
            const std::uint8_t* p = row < dib.Height() ? pixelAt(dib, column, row) : nullptr;
            const bool magenta = p && p[0] == 255 && p[1] == 0 && p[2] == 255;
            if (magenta && top < 0) top = row;
            if (!magenta && top >= 0) cut(column, std::exchange(top, -1), row);
        }
    }
    std::string data(gdi::GetRegionData(outline, 0, nullptr), '\0');
    gdi::GetRegionData(outline, static_cast<std::uint32_t>(data.size()), reinterpret_cast<std::uint8_t*>(data.data()));
    gdi::DeleteObject(outline);
    return data;
}

std::string savedRegionData(const cDIBSection& dib) {
    cDIBSectionRegion region;
    region.Create(dib);
    TempDir folder;
    region.Save(folder.file("outline.rgn"));
    return readFile(folder.file("outline.rgn"));
}

}  // namespace

TEST(cDIBSectionRegion, OutlineRegionDataIsThatOfCuttingColumnRuns) {
    std::mt19937 random(7);
    const auto holes = [&](int percent) {
        return [&random, percent](const cDIBSection& dib) {
            for (int y = 0; y < dib.Height(); ++y)
                for (int x = 0; x < dib.Width(); ++x)
                    if (static_cast<int>(random() % 100) < percent) setPixel(dib, x, y, kMagenta);
        };
    };
    const auto disc = [](const cDIBSection& dib) {
        const int r = std::min(dib.Width(), dib.Height()) / 2;
        for (int y = 0; y < dib.Height(); ++y)
            for (int x = 0; x < dib.Width(); ++x)
                if ((x - r) * (x - r) + (y - r) * (y - r) > r * r) setPixel(dib, x, y, kMagenta);
    };
    const auto magentaPadding = [&](const cDIBSection& dib) {
        for (int y = 0; y < dib.Height(); y += 2) setPixel(dib, dib.Width(), y, kMagenta);
        holes(30)(dib);
    };
    struct Case {
        const char* shape;
        int width, height;
        Rgb fill;
        std::function<void(const cDIBSection&)> draw;
    };
    const Case cases[] = {
        {"plain, padding column", 17, 9, {1, 2, 3}, [](const cDIBSection&) {}},
        {"all magenta", 8, 5, kMagenta, [](const cDIBSection&) {}},
        {"nearly magenta", 3, 1, {254, 0, 255}, [](const cDIBSection& dib) { setPixel(dib, 1, 0, {255, 1, 255}); }},
        {"1 % holes", 64, 48, {1, 2, 3}, holes(1)},
        {"half holes", 33, 31, {1, 2, 3}, holes(50)},
        {"disc", 61, 61, {255, 0, 254}, disc},
        {"disc, width 4n + 3", 63, 40, {1, 2, 3}, disc},
        {"magenta padding and holes", 11, 12, {1, 2, 3}, magentaPadding},
        {"one pixel", 1, 1, kMagenta, [](const cDIBSection&) {}},
    };
    for (const Case& c : cases) {
        const auto dib = picture(c.width, c.height, c.fill);
        c.draw(*dib);
        EXPECT_EQ(savedRegionData(*dib), regionDataCutByColumns(*dib)) << c.shape;
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
    for (std::int32_t colour : {0, 0xFF00FF, 0x123456, -1}) {  // the colour argument changes nothing
        region.Create(*dib, colour);
        EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 3, 1}, {0, 1, 2, 2}})) << colour;
    }
    // Without pixel memory the whole rectangle.
    dib->ClearUp();
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
    const auto outOfRange = [&](std::int32_t index) {
        expectError([&] { region.hWndForIndex(index); }, 9, "Subscript out of range");
    };
    outOfRange(1);
    const auto dib = picture(2, 1);
    setPixel(*dib, 0, 0, kMagenta);
    region.Create(*dib);
    region.Applied(11, true);
    region.Applied(11, true);
    EXPECT_EQ(region.AppliedToCount(), 1);
    EXPECT_TRUE(region.Applied(11));
    EXPECT_FALSE(region.Applied(12));
    EXPECT_EQ(host.redraws, (std::vector<bool>{true, true})) << "the window is given the region each time";
    host.shapes[99] = Rects{{0, 0, 1, 1}};
    region.Applied(99, false);  // never listed: the window loses the outline, the list stays
    EXPECT_FALSE(host.shapes.at(99).has_value());
    for (gdi::WindowHandle w : {12, 13}) region.Applied(w, true);
    region.Applied(12, false);
    EXPECT_TRUE(host.redraws.back()) << "a window losing its outline is redrawn";
    EXPECT_EQ(region.AppliedToCount(), 2);
    EXPECT_EQ(region.hWndForIndex(1), 11u);
    EXPECT_EQ(region.hWndForIndex(2), 13u);
    outOfRange(3);
    outOfRange(0);
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

TEST(cDIBSectionRegion, SaveAndLoadFromFileGiveAnEqualRegion) {
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

    cDIBSectionRegion loaded;
    loaded.Applied(6, true);
    EXPECT_TRUE(loaded.LoadFromFile(path));
    EXPECT_EQ(loaded.AppliedToCount(), 0) << "a loaded region is applied to no window";
    EXPECT_FALSE(host.shapes.at(6).has_value());
    EXPECT_EQ(outlineOf(loaded, host, 7), original);
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
    badHeader[0] = 33;
    tooMany[8] = 2;
    for (const std::string& bytes : {std::string("\1\2\3"), badHeader, tooMany}) {
        writeFile(folder.file("bad.rgn"), bytes);
        region.Create(*picture(2, 2));
        EXPECT_FALSE(region.LoadFromFile(folder.file("bad.rgn")));
        expectError([&] { region.Save(folder.file("after.rgn")); }, 26010, "No region to save");
    }
}

TEST(cDIBSectionRegion, LoadFromResourceErrors) {
    TempDir folder;
    cDIBSectionRegion region;
    for (const auto& missing : {std::pair<ResourceID, std::string>{101, "101"}, {"SKIN", "SKIN"}})
        expectError([&] { region.LoadFromResource(missing.first); }, 326,
                    "Resource with identifier '" + missing.second + "' not found");
    writeFile(folder.file("text.dll"), "not a library");
    for (const char* name : {"missing.dll", "text.dll"})
        expectError([&] { region.LoadFromResource(1, folder.file(name)); }, 26013,
                    "Can't open DLL for Resource Access");
}
