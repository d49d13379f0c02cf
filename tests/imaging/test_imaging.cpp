#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <thread>

#include "RecordingHost.h"
#include "RuntimeError.h"
#include "asset_dir.h"
#include "cDIBSectionRegion.h"
#include "child_process.h"
#include "region.h"
#include "temp_dir.h"
#include "window_services.h"

using Rects = std::vector<gdi::Rect>;
using Windows = std::vector<gdi::WindowHandle>;
using namespace testing_support;

namespace {

struct Rgb { std::uint8_t r, g, b; };
constexpr Rgb kMagenta{255, 0, 255};

// Pixel (x, y) counted from the picture's top-left corner, as blue, green, red.
std::uint8_t* pixelAt(const cDIBSection& dib, int x, int y) {
    return dib.DIBSectionBitsPtr() + (dib.Height() - 1 - y) * dib.BytesPerScanLine() + 3 * x;
}

void setPixel(const cDIBSection& dib, int x, int y, Rgb c) {
    std::uint8_t* p = pixelAt(dib, x, y);
    p[0] = c.b, p[1] = c.g, p[2] = c.r;
}

std::unique_ptr<cDIBSection> picture(int w, int h, Rgb fill = {10, 200, 30}) {
    auto dib = std::make_unique<cDIBSection>();
    EXPECT_TRUE(dib->Create(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) setPixel(*dib, x, y, fill);
    return dib;
}

// The rectangles the region gives a window, as the test host saw them.
Rects outlineOf(cDIBSectionRegion& region, RecordingHost& host, gdi::WindowHandle window = 1) {
    region.Applied(window, true);
    const auto shape = host.shapes.at(window);
    region.Applied(window, false);
    return shape.value_or(Rects{{-1, -1, -1, -1}});
}

void expectError(const std::function<void()>& call, std::int32_t number, const std::string& description,
                 const std::string& source = "zirpomat.cDIBSectionRegion") {
    try {
        call();
        ADD_FAILURE() << "no error raised, expected " << number;
    } catch (const RuntimeError& e) {
        EXPECT_EQ(std::make_tuple(e.Number(), e.Description(), e.Source()), std::tie(number, description, source));
    }
}

const std::vector<std::uint8_t>& bitsOf(gdi::Handle dib) { return gdi::bitmapFromHandle(dib)->bits; }

Windows listed(const cDIBSectionRegion& region) {
    Windows windows;
    for (int i = 1; i <= region.AppliedToCount(); ++i) windows.push_back(region.hWndForIndex(i));
    return windows;
}

// Loads a pipe while another thread opens it for writing and closes it again: a load that waits for a
// writer gets one and then reads an empty pipe, instead of waiting for ever.
void loadWithAWriterAtHand(cDIBSectionRegion& region, const std::string& pipe) {
    std::thread writer([&] {
        const int fd = ::open(pipe.c_str(), O_WRONLY | O_CLOEXEC);  // waits for a reader
        if (fd >= 0) ::close(fd);
    });
    SCOPED_TRACE(pipe);
    expectError([&] { region.LoadFromFile(pipe); }, 75, "Path/File access error");
    // A reader held open lets the writer's open return, whether it has begun yet or not.
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    writer.join();
    ::close(reader);
}

// Loads in a child process allowed 256 MiB more address space than it has: a load that reads a device
// without end runs out there, not on the machine.
bool loadRaisesInBoundedMemory(const std::string& path, std::int32_t number) {
    return childSucceeds([&] {
        std::ifstream statm("/proc/self/statm");
        rlim_t pages = 0;
        statm >> pages;
        const rlim_t bytes = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (rlim_t{256} << 20);
        const rlimit limit{bytes, bytes};
        if (::setrlimit(RLIMIT_AS, &limit) != 0) return false;
        try {
            cDIBSectionRegion().LoadFromFile(path);
        } catch (const RuntimeError& e) {
            return e.Number() == number;
        } catch (...) {
        }
        return false;
    });
}

}  // namespace

TEST(cDIBSection, SizesFailedCreationsAndClearUp) {
    picture(1, 1);  // makes the stock bitmap of device contexts, which stays
    const std::size_t before = gdi::liveObjectCount();
    cDIBSection dib;
    for (auto [width, row] : {std::pair{1, 4}, {4, 12}, {5, 16}}) {
        ASSERT_TRUE(dib.Create(width, 2));
        EXPECT_EQ(dib.BytesPerScanLine(), row) << width;
    }
    EXPECT_FALSE(dib.Create(0, 10) || dib.Create(10, 0));
    EXPECT_TRUE(dib.hdc() == 0 && !dib.DIBSectionBitsPtr());
    EXPECT_FALSE(dib.Create(100000, 100000)) << "the image size overflows";
    EXPECT_EQ(dib.BytesPerScanLine(), 300000);
    EXPECT_FALSE(dib.Create(800000000, 1)) << "the row size overflows";
    EXPECT_EQ(dib.hDib(), 0u);
    expectError([&] { dib.BytesPerScanLine(); }, 6, "Overflow", "zirpomat.cDIBSection");
    dib.RandomiseBits(true);  // nothing to write to
    EXPECT_EQ(dib.Resample(2, 2)->Width(), 2);
    EXPECT_EQ(gdi::liveObjectCount(), before) << "nothing remains";
    // Cleared up: the size stays, there is nothing to draw on or copy from.
    const auto cleared = picture(7, 3);
    const gdi::Handle bitmap = cleared->hDib();
    cleared->ClearUp();
    EXPECT_TRUE(!cleared->DIBSectionBitsPtr() && !cleared->hdc() && cleared->Height() == 3 && !gdi::bitmapFromHandle(bitmap));
    cleared->RandomiseBits(), cleared->LoadPictureBlt(0);
    for (auto [height, width] : {std::pair{3, 7}, {6, 14}})
        EXPECT_EQ(*cleared->Resample(height, width)->DIBSectionBitsPtr(), 0) << "nothing copied from no pixels";
}

TEST(cDIBSection, TransfersInAndOutWithSizeRules) {
    const auto a = picture(4, 3, {10, 20, 30}), b = picture(4, 3, {0, 0, 0}), c = picture(4, 3, {0, 0, 0});
    b->LoadPictureBlt(a->hdc(), 0, 0, 0, -1), b->LoadPictureBlt(a->hdc(), 0, 0, -1, 0);
    EXPECT_EQ(pixelAt(*b, 0, 0)[0], 0) << "a width or a height of 0 transfers nothing";
    b->LoadPictureBlt(a->hdc(), 0, 0, -1, 1);
    EXPECT_EQ(pixelAt(*b, 3, 0)[2], 10) << "-1 is the whole width";
    EXPECT_EQ(pixelAt(*b, 0, 1)[2], 0) << "only the top line";
    a->PaintPicture(c->hdc(), 0, 0, -1, 0);
    EXPECT_EQ(pixelAt(*c, 0, 0)[0], 0) << "a height of 0 paints nothing";
    a->PaintPicture(c->hdc(), 1, 1, -1, -1, 0, 0, gdi::NOTSRCCOPY);
    cDIBSection empty;
    empty.PaintPicture(c->hdc()), empty.LoadPictureBlt(a->hdc());
    EXPECT_EQ(std::tuple(pixelAt(*c, 0, 0)[0], pixelAt(*c, 1, 1)[0], pixelAt(*c, 3, 2)[2]), std::tuple(0, 225, 245));
    const gdi::Picture skin = gdi::loadPicture(platform::assetPath("skins/small_open.bmp"));
    cDIBSection copy;
    copy.CreateFromPicture(skin);
    EXPECT_EQ(std::pair(copy.Height(), bitsOf(copy.hDib())), std::pair(109, skin.bitmap()->bits));
    EXPECT_FALSE(skin.empty()) << "the picture stays the caller's";
    copy.CreateFromPicture(gdi::Picture{});
    EXPECT_EQ(copy.hDib(), 0u);
    gdi::Handle callers = 0;  // a bitmap for the caller leaves the instance alone
    ASSERT_TRUE(a->CreateDIB(a->hdc(), 50, 40, callers));
    EXPECT_EQ(std::pair(gdi::bitmapFromHandle(callers)->width, a->Width()), std::pair(50, 4));
    EXPECT_TRUE(gdi::DeleteObject(callers));
}

TEST(cDIBSection, CopyToClipboardRefusesDibsAndPlacesABitmap) {
    RecordingHost host;
    const auto dib = picture(3, 2, {1, 2, 3});
    EXPECT_FALSE(dib->CopyToClipboard());
    EXPECT_EQ(host.messages.at(0), "I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
    EXPECT_FALSE(host.clipboard.has_value());
    const std::size_t before = gdi::liveObjectCount();
    EXPECT_TRUE(dib->CopyToClipboard(false));
    ASSERT_TRUE(host.clipboard.has_value());
    EXPECT_EQ(std::pair(host.clipboard->width, host.clipboard->bits), std::pair(3, bitsOf(dib->hDib())));
    EXPECT_EQ(gdi::liveObjectCount(), before + 1) << "the copy now belongs to the clipboard";
    host.refuseClipboard = true;
    EXPECT_FALSE(dib->CopyToClipboard(false));
    gdi::OpenClipboard(0);
    EXPECT_FALSE(dib->CopyToClipboard(false)) << "the clipboard is held elsewhere";
    gdi::EmptyClipboard(), gdi::CloseClipboard();
    EXPECT_EQ(gdi::liveObjectCount(), before) << "copies not taken are freed";
}

// Grey pictures, memory rows bottom line first; blends round half to even down the columns, then across.
TEST(cDIBSection, ResampleSamplesTheRightPositionsAndRoundsTwice) {
    const struct { std::vector<std::vector<std::uint8_t>> source; int height, width, x, row, expected; } rows[] = {
        {{{17, 99, 250}, {17, 99, 250}}, 2, 2, 1, 1, 99},  // a scale of exactly 1
        {{{0, 200}, {0, 200}}, 2, 4, 1, 0, 50},            // positions 0, 0.25, 0.5, 0.75
        {{{0}, {255}}, 4, 1, 0, 2, 128},
        {{{2}, {3}}, 4, 1, 0, 2, 2},
        {{{1, 3}, {2, 4}}, 4, 4, 2, 2, 3},  // 1.5 -> 2 and 3.5 -> 4, then 3; the mean 2.5 would give 2
        {{{1, 3}, {2, 4}}, 4, 4, 3, 3, 4},  // 1.75 -> 2 and 3.75 -> 4, then 3.5 -> 4
        {{{77}}, 5, 6, 5, 4, 77},           // the missing neighbour is the pixel itself
        {{{0, 40, 80, 120}}, 3, 8, 1, 2, 15},
    };
    for (const auto& row : rows) {
        cDIBSection grey;
        ASSERT_TRUE(grey.Create(static_cast<int>(row.source[0].size()), static_cast<int>(row.source.size())));
        for (std::size_t r = 0; r < row.source.size(); ++r)
            for (std::size_t x = 0; x < row.source[0].size(); ++x)
                std::fill_n(grey.DIBSectionBitsPtr() + r * grey.BytesPerScanLine() + 3 * x, 3, row.source[r][x]);
        const auto resampled = grey.Resample(row.height, row.width);
        ASSERT_NE(resampled, nullptr);
        EXPECT_EQ(std::pair(resampled->Width(), resampled->Height()), std::pair(row.width, row.height));
        for (int channel : {0, 2})
            EXPECT_EQ(pixelAt(*resampled, row.x, row.height - 1 - row.row)[channel], row.expected) << row.x;
        EXPECT_EQ(grey.Resample(0, 5), nullptr);
    }
}

TEST(cDIBSection, RandomiseBitsFillsPixelsOnly) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(5, 4));  // one padding byte a row
    auto& bits = gdi::bitmapFromHandle(dib.hDib())->bits;
    for (int row = 0; row < 4; ++row) std::fill_n(&bits[row * 16], 15, 0xFF), bits[row * 16 + 15] = 0xAB;
    for (const bool gray : {false, true}) {
        dib.RandomiseBits(gray);
        std::set<int> seen;
        for (int row = 0; row < 4; ++row) {
            for (int x = 0; x < 5; ++x) {
                const std::uint8_t* p = pixelAt(dib, x, row);
                EXPECT_TRUE(gray ? p[0] == p[1] && p[1] == p[2] : p[0] == 0) << "grey, or colour noise without blue";
                seen.insert({p[1], p[2]});
            }
            EXPECT_EQ(bits[row * 16 + 15], 0xAB);
        }
        EXPECT_GT(seen.size(), 5u) << "twenty draws give more than a handful of values";
    }
}

// Random pictures of magenta and nearly magenta pixels, a pattern every third row; the magenta of the padding
// column (widths 4n + 3) falls outside and adds. Without pixel memory the outline is the whole rectangle.
TEST(cDIBSectionRegion, OutlineHoldsThePixelsThatAreNotMagenta) {
    RecordingHost host;
    std::mt19937 random(7);
    const Rgb nearly[] = {{254, 0, 255}, {255, 1, 255}, {255, 0, 254}, {1, 2, 3}};
    for (auto [width, height, percent] :
         {std::tuple{17, 9, 0}, {8, 5, 100}, {1, 1, 100}, {64, 48, 1}, {33, 31, 50}, {63, 40, 30}, {11, 12, 30}}) {
        const auto dib = picture(width, height);
        Rects pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < dib->BytesPerScanLine() / 3; ++x) {
                if (y % 3) std::copy_n(pixelAt(*dib, x, y - 1), 3, pixelAt(*dib, x, y));
                else setPixel(*dib, x, y, int(random() % 100) < percent ? kMagenta : nearly[random() % 4]);
                const std::uint8_t* p = pixelAt(*dib, x, y);
                if ((x < width) != (p[0] == 255 && p[1] == 0 && p[2] == 255)) pixels.push_back({x, y, x + 1, y + 1});
            }
        cDIBSectionRegion region;
        region.Create(*dib, 0x123456);  // the colour argument changes nothing
        EXPECT_EQ(outlineOf(region, host), gdi::Region::unionOf(pixels).rects()) << width << "x" << height;
        dib->ClearUp();
        region.Create(*dib);
        EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, width, height}}));
    }
}

TEST(cDIBSectionRegion, WindowListKeepsEachWindowOnceInOrder) {
    RecordingHost host;
    picture(1, 1);  // makes the stock bitmap of device contexts, which stays
    const std::size_t before = gdi::liveObjectCount();
    auto region = std::make_unique<cDIBSectionRegion>();
    const auto outOfRange = [&](int i) { expectError([&] { region->hWndForIndex(i); }, 9, "Subscript out of range"); };
    outOfRange(1);
    const auto dib = picture(2, 1);
    setPixel(*dib, 0, 0, kMagenta);
    region->Create(*dib);
    region->Applied(11, true), region->Applied(11, true);
    EXPECT_EQ(listed(*region), Windows{11});
    EXPECT_TRUE(region->Applied(11) && !region->Applied(12));
    EXPECT_EQ(host.redraws, (std::vector<bool>{true, true})) << "the window is given the region each time";
    host.shapes[99] = Rects{{0, 0, 1, 1}};
    region->Applied(99, false);  // never listed: the window loses the outline, the list stays
    EXPECT_FALSE(host.shapes.at(99).has_value());
    region->Applied(12, true), region->Applied(13, true), region->Applied(12, false);
    EXPECT_TRUE(host.redraws.back()) << "a window losing its outline is redrawn";
    EXPECT_EQ(listed(*region), (Windows{11, 13}));
    outOfRange(3), outOfRange(0);
    EXPECT_FALSE(host.shapes.at(12).has_value());
    EXPECT_EQ(host.shapes.at(13), (Rects{{1, 0, 2, 1}}));
    EXPECT_EQ(host.shapes.at(11), host.shapes.at(13)) << "every listed window the same outline";
    region->Applied(13, false);  // the last but one: the other stays listed
    EXPECT_EQ(listed(*region), Windows{11});
    region->Applied(13, true);
    region->Destroy();  // every window loses its outline; former positions read 0
    EXPECT_EQ(listed(*region), Windows{});
    EXPECT_EQ(region->hWndForIndex(2), 0u);
    EXPECT_FALSE(host.shapes.at(11).has_value() || host.shapes.at(13).has_value());
    region->Applied(14, true);  // without a region a window is listed but given none
    EXPECT_EQ(listed(*region), Windows{14});
    EXPECT_FALSE(host.shapes.at(14).has_value());
    region->Applied(14, false);
    outOfRange(1);
    host.missingWindows.insert(3);  // the copy a missing window does not take is freed
    region->Create(*dib);
    for (gdi::WindowHandle w : {1, 3}) region->Applied(w, true);
    region->Create(*picture(2, 2));  // replaces the old region in every listed window
    EXPECT_FALSE(host.shapes.at(1).has_value());
    EXPECT_EQ(listed(*region), Windows{});
    region->Applied(1, true);
    EXPECT_EQ(host.shapes.at(1), (Rects{{0, 0, 2, 2}}));
    region.reset();
    EXPECT_FALSE(host.shapes.at(1).has_value()) << "the end of the instance takes the outline away";
    EXPECT_EQ(gdi::liveObjectCount(), before + 2) << "nothing remains but the picture and its device context";
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
    EXPECT_TRUE(region.Save(path));
    EXPECT_EQ(readFile(path).size(), 32u + original.size() * 16) << "the bare region data block";
    const auto expectLoaded = [&](bool loaded, const Rects& outline) {
        EXPECT_TRUE(loaded);
        EXPECT_EQ(listed(region), Windows{});
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
        for (const ResourceID& id : std::vector<ResourceID>{99, "Other", "", " 7", "7 ", "0.7e1", "0x07", "+7", "nan"})
            expectError([&] { region.LoadFromResource(id, dll); }, 26014,
                        "Resource with ID " + (id.index() ? std::get<1>(id) : "99") + " could not be found");
        EXPECT_EQ(gdi::liveObjectCount(), before);
    }
    for (const auto& missing : {std::pair<ResourceID, std::string>{101, "101"}, {"SKIN", "SKIN"}})
        expectError([&] { region.LoadFromResource(missing.first); }, 326,
                    "Resource with identifier '" + missing.second + "' not found");
    writeFile(folder.file("text.dll"), "not a library");
    for (const char* name : {"missing.dll", "text.dll"})
        expectError([&] { region.LoadFromResource(1, folder.file(name)); }, 26013,
                    "Can't open DLL for Resource Access");
}

// A failed save leaves the file whole; a failed load raises and keeps the old region, a load of bytes that
// are no region data gives False and no region.
TEST(cDIBSectionRegion, FailedSavesAndLoadsRaiseAndKeepWhatWasThere) {
    RecordingHost host;
    TempDir folder;
    cDIBSectionRegion region;
    region.Create(*picture(4, 4));
    const std::string path = folder.file("kept.rgn");
    ASSERT_TRUE(region.Save(path));
    const std::string old = readFile(path);
    writeFile(path + ".~tmp", "theirs");  // named like a scratch file, but somebody else's
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
    expectError([&] { region.LoadFromFile(folder.path().string()); }, 75, "Path/File access error");
    ASSERT_EQ(::mkfifo(folder.file("pipe.rgn").c_str(), 0600), 0);
    loadWithAWriterAtHand(region, folder.file("pipe.rgn"));
    EXPECT_TRUE(loadRaisesInBoundedMemory("/dev/zero", 75)) << "/dev/zero";
    writeFile(folder.file("empty.rgn"), "");
    expectError([&] { region.LoadFromFile(folder.file("empty.rgn")); }, 9, "Subscript out of range");
    EXPECT_EQ(outlineOf(region, host), (Rects{{0, 0, 9, 9}})) << "the old region is kept";

    // Short blocks, a wrong header size and more rectangles than the block holds.
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
