#include "ImagingTestSupport.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <functional>
#include <random>

#include "region.h"

using gdi::Rect;
using Rects = std::vector<Rect>;

namespace {

std::unique_ptr<cDIBSection> picture(int w, int h, Rgb fill = {10, 200, 30}) {
    auto dib = std::make_unique<cDIBSection>();
    EXPECT_TRUE(dib->Create(w, h));
    fillDib(*dib, fill);
    return dib;
}

// The outline expected: the rectangle less the given holes, in banded form.
Rects rectangleLess(int w, int h, const Rects& holes) {
    gdi::Region region = gdi::Region::rectangle({0, 0, w, h});
    for (const Rect& hole : holes) region = gdi::Region::combine(region, gdi::Region::rectangle(hole), gdi::RGN_DIFF);
    return region.rects();
}

std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(cDIBSectionRegion, OutlineLeavesOutMagentaPixels) {
    RecordingHost host;
    cDIBSectionRegion region;

    cDIBSection never;
    region.Create(never);
    EXPECT_EQ(outlineOf(region, host), Rects{}) << "a bitmap never created gives an empty region";

    const auto plain = picture(6, 4);
    region.Create(*plain);
    EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 6, 4}}));

    for (int y = 0; y < 4; ++y) setPixel(*plain, 2, y, kMagenta);
    region.Create(*plain);
    EXPECT_EQ(outlineOf(region, host), rectangleLess(6, 4, {{2, 0, 3, 4}}));

    const auto corner = picture(6, 4);
    setPixel(*corner, 0, 0, kMagenta);
    region.Create(*corner);
    EXPECT_EQ(outlineOf(region, host), rectangleLess(6, 4, {{0, 0, 1, 1}}));

    // Two stretches in one column, parted by one other pixel; one at the bottom.
    const auto stretches = picture(3, 7);
    for (int y : {1, 2, 4, 5, 6}) setPixel(*stretches, 1, y, kMagenta);
    region.Create(*stretches);
    EXPECT_EQ(outlineOf(region, host), rectangleLess(3, 7, {{1, 1, 2, 3}, {1, 4, 2, 7}}));

    // Only exact magenta is see-through; the colour argument changes nothing.
    const auto nearly = picture(3, 2);
    setPixel(*nearly, 0, 0, {254, 0, 255});
    setPixel(*nearly, 1, 0, {255, 1, 255});
    setPixel(*nearly, 2, 0, {255, 0, 254});
    setPixel(*nearly, 2, 1, kMagenta);
    for (std::int32_t colour : {0, 0xFF00FF, 0x123456, -1}) {
        region.Create(*nearly, colour);
        EXPECT_EQ(outlineOf(region, host), rectangleLess(3, 2, {{2, 1, 3, 2}})) << colour;
    }
}

namespace {

// The outline as built one see-through run of one column at a time, each
// cut out of the picture's rectangle by exclusive-or: the region data the
// program has always made.
std::vector<std::uint8_t> regionDataCutByColumns(const cDIBSection& dib) {
    const gdi::Handle outline = gdi::CreateRectRgn(0, 0, dib.Width(), dib.Height());
    const auto cut = [&](int column, int top, int bottom) {
        const gdi::Handle run = gdi::CreateRectRgn(column, top, column + 1, bottom);
        gdi::CombineRgn(outline, outline, run, gdi::RGN_XOR);
        gdi::DeleteObject(run);
    };
    for (int column = 0; column < dib.BytesPerScanLine() / 3; ++column) {
        int top = -1;
        for (int row = 0; row < dib.Height(); ++row) {
            const std::uint8_t* p = pixelAt(dib, column, row);
            const bool magenta = p[0] == 255 && p[1] == 0 && p[2] == 255;
            if (magenta && top < 0) top = row;
            if (!magenta && top >= 0) {
                cut(column, top, row);
                top = -1;
            }
        }
        if (top >= 0) cut(column, top, dib.Height());
    }
    std::vector<std::uint8_t> data(gdi::GetRegionData(outline, 0, nullptr));
    gdi::GetRegionData(outline, static_cast<std::uint32_t>(data.size()), data.data());
    gdi::DeleteObject(outline);
    return data;
}

std::vector<std::uint8_t> regionDataOf(const cDIBSection& dib) {
    cDIBSectionRegion region;
    region.Create(dib);
    testing_support::TempDir folder;
    region.Save(folder.file("outline.rgn"));
    return fileBytes(folder.file("outline.rgn"));
}

}  // namespace

TEST(cDIBSectionRegion, OutlineRegionDataIsThatOfCuttingColumnRuns) {
    std::mt19937 random(7);
    const auto holes = [&](const cDIBSection& dib, int percent) {
        for (int y = 0; y < dib.Height(); ++y)
            for (int x = 0; x < dib.Width(); ++x)
                if (static_cast<int>(random() % 100) < percent) setPixel(dib, x, y, kMagenta);
    };
    const auto disc = [](const cDIBSection& dib) {
        const int r = std::min(dib.Width(), dib.Height()) / 2;
        for (int y = 0; y < dib.Height(); ++y)
            for (int x = 0; x < dib.Width(); ++x)
                if ((x - r) * (x - r) + (y - r) * (y - r) > r * r) setPixel(dib, x, y, kMagenta);
    };
    const auto magentaPadding = [](const cDIBSection& dib) {
        for (int y = 0; y < dib.Height(); y += 2) setPixel(dib, dib.Width(), y, kMagenta);
    };
    struct Case {
        const char* shape;
        int width, height;
        std::function<void(const cDIBSection&)> draw;
    };
    const Case cases[] = {
        {"plain", 17, 9, [](const cDIBSection&) {}},
        {"all magenta", 8, 5, [](const cDIBSection& dib) { fillDib(dib, kMagenta); }},
        {"1 % holes", 64, 48, [&](const cDIBSection& dib) { holes(dib, 1); }},
        {"half holes", 33, 31, [&](const cDIBSection& dib) { holes(dib, 50); }},
        {"disc", 61, 61, disc},
        {"disc, width 4n + 3", 63, 40, disc},
        {"magenta padding", 7, 12, magentaPadding},
        {"magenta padding and holes", 11, 12, [&](const cDIBSection& dib) {
             magentaPadding(dib);
             holes(dib, 30);
         }},
        {"one pixel", 1, 1, [](const cDIBSection& dib) { setPixel(dib, 0, 0, kMagenta); }},
    };
    for (const Case& c : cases) {
        const auto dib = picture(c.width, c.height);
        c.draw(*dib);
        EXPECT_EQ(regionDataOf(*dib), regionDataCutByColumns(*dib)) << c.shape;
    }
}

TEST(cDIBSectionRegion, PaddingColumnOfWidthsFourNPlusThreeIsTested) {
    RecordingHost host;
    cDIBSectionRegion region;
    const auto dib = picture(123, 5);
    ASSERT_EQ(dib->BytesPerScanLine() / 3, 124);
    region.Create(*dib);
    EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 123, 5}})) << "zeroed padding adds nothing";

    // Magenta in the padding of the top two lines: column 123 is added.
    for (int y : {0, 1}) {
        std::uint8_t* padding = pixelAt(*dib, 123, y);
        padding[0] = 255;
        padding[1] = 0;
        padding[2] = 255;
    }
    region.Create(*dib);
    EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 124, 2}, {0, 2, 123, 5}}));

    const auto four = picture(4, 2);
    region.Create(*four);
    EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 4, 2}})) << "no padding column for width 4";
}

TEST(cDIBSectionRegion, ABitmapWithoutPixelMemoryGivesItsWholeRectangle) {
    RecordingHost host;
    cDIBSectionRegion region;
    const auto dib = picture(5, 3, kMagenta);
    dib->ClearUp();
    region.Create(*dib);
    EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 5, 3}}));

    cDIBSection overflowing;
    EXPECT_FALSE(overflowing.Create(800000000, 2));
    region.Create(overflowing);
    EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 800000000, 2}}));
}

TEST(cDIBSectionRegion, WindowListKeepsEachWindowOnceInOrder) {
    RecordingHost host;
    cDIBSectionRegion region;
    expectError([&] { region.hWndForIndex(1); }, 9, "Subscript out of range");

    const auto dib = picture(4, 4);
    setPixel(*dib, 0, 0, kMagenta);
    region.Create(*dib);
    region.Applied(11, true);
    region.Applied(11, true);
    EXPECT_EQ(region.AppliedToCount(), 1);
    EXPECT_TRUE(region.Applied(11));
    EXPECT_FALSE(region.Applied(12));
    EXPECT_EQ(host.shapeCalls.size(), 2u) << "the window is given the region each time";
    EXPECT_TRUE(host.redraws.back());

    // Taking the outline from a window never listed: the window loses it,
    // the list stays.
    host.shapes[99] = Rects{{0, 0, 1, 1}};
    region.Applied(99, false);
    EXPECT_FALSE(host.shapes.at(99).has_value());
    EXPECT_EQ(region.AppliedToCount(), 1);

    region.Applied(12, true);
    region.Applied(13, true);
    region.Applied(12, false);
    EXPECT_EQ(region.AppliedToCount(), 2);
    EXPECT_EQ(region.hWndForIndex(1), 11u);
    EXPECT_EQ(region.hWndForIndex(2), 13u);
    expectError([&] { region.hWndForIndex(3); }, 9, "Subscript out of range");
    expectError([&] { region.hWndForIndex(0); }, 9, "Subscript out of range");
    EXPECT_FALSE(host.shapes.at(12).has_value());
    EXPECT_EQ(host.shapes.at(13), rectangleLess(4, 4, {{0, 0, 1, 1}}));

    // Destroy: every window loses its outline; former positions read 0.
    region.Destroy();
    EXPECT_EQ(region.AppliedToCount(), 0);
    EXPECT_EQ(region.hWndForIndex(1), 0u);
    EXPECT_EQ(region.hWndForIndex(2), 0u);
    EXPECT_FALSE(host.shapes.at(11).has_value());
    EXPECT_FALSE(host.shapes.at(13).has_value());

    // Without a region a window is listed but given none.
    region.Applied(14, true);
    EXPECT_EQ(region.AppliedToCount(), 1);
    EXPECT_FALSE(host.shapes.at(14).has_value());
    region.Applied(14, false);
    EXPECT_EQ(region.AppliedToCount(), 0);
    expectError([&] { region.hWndForIndex(1); }, 9, "Subscript out of range");
}

TEST(cDIBSectionRegion, WindowsGetCopiesAndTheClassFreesOnlyItsOwn) {
    RecordingHost host;
    const std::size_t before = gdi::liveObjectCount();
    {
        cDIBSectionRegion region;
        const auto dib = picture(8, 8);
        setPixel(*dib, 3, 3, kMagenta);
        region.Create(*dib);
        host.missingWindows.insert(3);
        for (gdi::WindowHandle w : {1, 2, 3}) region.Applied(w, true);
        EXPECT_EQ(host.shapes.at(1), host.shapes.at(2));
        // Building again replaces the old region in every listed window.
        region.Create(*picture(2, 2));
        EXPECT_FALSE(host.shapes.at(1).has_value());
        EXPECT_EQ(region.AppliedToCount(), 0);
        region.Applied(1, true);
        EXPECT_EQ(host.shapes.at(1), (Rects{{0, 0, 2, 2}}));
    }
    EXPECT_FALSE(host.shapes.at(1).has_value()) << "the end of the instance takes the outline away";
    EXPECT_EQ(gdi::liveObjectCount(), before + 1) << "nothing but the stock bitmap of device contexts remains";
}

TEST(cDIBSectionRegion, SaveAndLoadFromFileGiveAnEqualRegion) {
    RecordingHost host;
    testing_support::TempDir folder;
    cDIBSectionRegion region;
    expectError([&] { region.Save(folder.file("none.rgn")); }, 26010, "No region to save");

    const auto dib = picture(20, 10);
    for (int y = 2; y < 6; ++y) setPixel(*dib, 7, y, kMagenta);
    setPixel(*dib, 0, 0, kMagenta);
    region.Create(*dib);
    region.Applied(5, true);
    const Rects original = host.shapes.at(5).value();
    const std::string path = folder.file("shape.rgn");
    EXPECT_TRUE(region.Save(path));

    // The file is the bare region data block.
    const auto bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), 32u + original.size() * 16);
    EXPECT_EQ(bytes[0], 32);
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(bytes[8], original.size());

    cDIBSectionRegion loaded;
    loaded.Applied(6, true);
    EXPECT_TRUE(loaded.LoadFromFile(path));
    EXPECT_EQ(loaded.AppliedToCount(), 0) << "a loaded region is applied to no window";
    EXPECT_FALSE(host.shapes.at(6).has_value());
    EXPECT_EQ(outlineOf(loaded, host, 7), original);

    // Saving over an existing file replaces it.
    region.Create(*picture(3, 3));
    EXPECT_TRUE(region.Save(path));
    EXPECT_EQ(fileBytes(path).size(), 48u);
}

TEST(cDIBSectionRegion, FailedSavesAndLoadsRaiseAndKeepWhatWasThere) {
    RecordingHost host;
    testing_support::TempDir folder;
    cDIBSectionRegion region;
    region.Create(*picture(4, 4));
    const std::string path = folder.file("kept.rgn");
    ASSERT_TRUE(region.Save(path));
    const auto old = fileBytes(path);

    // A read-only file stays whole; a file named like a scratch file is
    // somebody else's and stays too.
    std::ofstream(path + ".~tmp") << "theirs";
    region.Create(*picture(9, 9));
    ::chmod(path.c_str(), 0444);
    expectError([&] { region.Save(path); }, 70, "Permission denied");
    EXPECT_EQ(fileBytes(path), old);
    ::chmod(path.c_str(), 0644);
    EXPECT_TRUE(region.Save(path));
    EXPECT_EQ(testing_support::readFile(path + ".~tmp"), "theirs");

    expectError([&] { region.Save(folder.file("no/such/folder.rgn")); }, 76, "Path not found");
    expectError([&] { region.LoadFromFile(folder.file("missing.rgn")); }, 53, "File not found");
    expectError([&] { region.Save(folder.path().string()); }, 75, "Path/File access error");
    // Pipes and devices are no region files: refused at once, without
    // waiting for a writer or reading without end.
    ASSERT_EQ(::mkfifo(folder.file("pipe.rgn").c_str(), 0600), 0);
    for (const std::string& special : {folder.file("pipe.rgn"), std::string("/dev/zero"), folder.path().string()})
        expectError([&] { region.LoadFromFile(special); }, 75, "Path/File access error");

    // An empty file makes no buffer: raised, the old region kept.
    std::ofstream(folder.file("empty.rgn")).close();
    expectError([&] { region.LoadFromFile(folder.file("empty.rgn")); }, 9, "Subscript out of range");
    EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 9, 9}}));

    // Short, wrong or overlong blocks are refused: False and no region.
    const auto refused = [&](const std::vector<std::uint8_t>& bytes) {
        const std::string bad = folder.file("bad.rgn");
        std::ofstream(bad, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
        region.Create(*picture(2, 2));
        const bool result = region.LoadFromFile(bad);
        expectError([&] { region.Save(folder.file("after.rgn")); }, 26010, "No region to save");
        return !result;
    };
    auto block = old;
    EXPECT_TRUE(refused({1, 2, 3}));
    block[0] = 33;
    EXPECT_TRUE(refused(block));
    block = old;
    block[8] = 2;  // two rectangles, one in the block
    EXPECT_TRUE(refused(block));
}

TEST(cDIBSectionRegion, LoadFromResourceErrors) {
    testing_support::TempDir folder;
    cDIBSectionRegion region;
    expectError([&] { region.LoadFromResource(101); }, 326, "Resource with identifier '101' not found");
    expectError([&] { region.LoadFromResource(std::string("SKIN")); }, 326,
                "Resource with identifier 'SKIN' not found");
    expectError([&] { region.LoadFromResource(1, folder.file("missing.dll")); }, 26013,
                "Can't open DLL for Resource Access");
    std::ofstream(folder.file("text.dll")) << "not a library";
    expectError([&] { region.LoadFromResource(1, folder.file("text.dll")); }, 26013,
                "Can't open DLL for Resource Access");
}
