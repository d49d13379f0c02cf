#include "picture.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A 24-bit bitmap file of the size, with `pixelBytes` bytes counting up from 1.
std::string bitmapFile(std::int32_t width, std::int32_t height, std::size_t pixelBytes, std::size_t length = 0) {
    std::string file(54 + pixelBytes, '\0');
    const auto put32 = [&](std::size_t at, std::int32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(static_cast<std::uint32_t>(v) >> (8 * i));
    };
    file[0] = 'B', file[1] = 'M', file[26] = 1, file[28] = 24;
    put32(2, static_cast<std::int32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    for (std::size_t i = 0; i < pixelBytes; ++i) file[54 + i] = static_cast<char>(i + 1);
    if (length) file.resize(length);
    return file;
}

gdi::Picture fromText(const std::string& file) { return gdi::pictureFromBytes(Bytes(file.begin(), file.end())); }

}  // namespace

TEST(Picture, LoadsBottomUpAndTopDownFilesWhosePixelsAreThere) {
    testing_support::TempDir folder;
    // 2 x 2 pixels: rows of 6 bytes and 2 of padding.
    testing_support::writeFile(folder.file("up.bmp"), bitmapFile(2, 2, 16));
    const gdi::Picture up = gdi::loadPicture(folder.file("up.bmp"));
    const gdi::Picture down = fromText(bitmapFile(2, -2, 16));
    ASSERT_FALSE(up.empty() || down.empty());
    EXPECT_EQ(up.bitmap()->bits, (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(down.bitmap()->bits, (Bytes{9, 10, 11, 12, 13, 14, 15, 16, 1, 2, 3, 4, 5, 6, 7, 8}));

    for (const std::string& bad : {bitmapFile(2, 2, 15), bitmapFile(2, -2, 15), bitmapFile(0, 2, 16),
                                   bitmapFile(-2, 2, 16), bitmapFile(2, 0, 16), bitmapFile(2, 2, 16, 53)})
        EXPECT_TRUE(fromText(bad).empty());

    // A pipe is no picture file: refused without waiting for a writer.
    ASSERT_EQ(::mkfifo(folder.file("pipe.bmp").c_str(), 0600), 0);
    EXPECT_TRUE(gdi::loadPicture(folder.file("pipe.bmp")).empty());
    EXPECT_TRUE(gdi::loadPicture(folder.file("missing.bmp")).empty());
}

TEST(Picture, AHeaderClaimingMorePixelsThanTheFileHoldsTakesNoMemory) {
    testing_support::TempDir folder;
    // 23000 x 31000 pixels would be 2 GB of pixel memory.
    testing_support::writeFile(folder.file("huge.bmp"), bitmapFile(23000, 31000, 0));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rusage before{}, after{};
        ::getrusage(RUSAGE_SELF, &before);
        const bool refused = gdi::loadPicture(folder.file("huge.bmp")).empty();
        ::getrusage(RUSAGE_SELF, &after);
        ::_exit(refused && after.ru_maxrss - before.ru_maxrss < 100 * 1024 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
