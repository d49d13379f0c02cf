#include "picture.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 24-bit bitmap file header for the size, followed by `pixelBytes` bytes
// counting up from 1.
Bytes bitmapFile(std::int32_t width, std::int32_t height, std::size_t pixelBytes) {
    Bytes file(54 + pixelBytes);
    file[0] = 'B';
    file[1] = 'M';
    put32(file, 2, static_cast<std::uint32_t>(file.size()));
    put32(file, 10, 54);
    put32(file, 14, 40);
    put32(file, 18, static_cast<std::uint32_t>(width));
    put32(file, 22, static_cast<std::uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    for (std::size_t i = 0; i < pixelBytes; ++i) file[54 + i] = static_cast<std::uint8_t>(i + 1);
    return file;
}

std::string asText(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

}  // namespace

TEST(Picture, LoadsBottomUpAndTopDownFilesWhosePixelsAreThere) {
    testing_support::TempDir folder;
    // 2 x 2 pixels: rows of 6 bytes and 2 of padding.
    testing_support::writeFile(folder.file("up.bmp"), asText(bitmapFile(2, 2, 16)));
    testing_support::writeFile(folder.file("down.bmp"), asText(bitmapFile(2, -2, 16)));
    const gdi::Picture up = gdi::loadPicture(folder.file("up.bmp"));
    const gdi::Picture down = gdi::loadPicture(folder.file("down.bmp"));
    ASSERT_FALSE(up.empty());
    ASSERT_FALSE(down.empty());
    EXPECT_EQ(up.bitmap()->bits, (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(down.bitmap()->bits, (Bytes{9, 10, 11, 12, 13, 14, 15, 16, 1, 2, 3, 4, 5, 6, 7, 8}));

    Bytes shortHeader = bitmapFile(2, 2, 16);
    shortHeader.resize(53);
    const Bytes cases[] = {bitmapFile(2, 2, 15), bitmapFile(2, -2, 15), bitmapFile(0, 2, 16), bitmapFile(2, 0, 16),
                           shortHeader};
    for (const Bytes& bytes : cases) EXPECT_TRUE(gdi::pictureFromBytes(bytes).empty());

    // A pipe is no picture file: refused without waiting for a writer.
    ASSERT_EQ(::mkfifo(folder.file("pipe.bmp").c_str(), 0600), 0);
    EXPECT_TRUE(gdi::loadPicture(folder.file("pipe.bmp")).empty());
    EXPECT_TRUE(gdi::loadPicture(folder.file("missing.bmp")).empty());
}

TEST(Picture, AHeaderClaimingMorePixelsThanTheFileHoldsTakesNoMemory) {
    testing_support::TempDir folder;
    // 23000 x 31000 pixels would be 2 GB of pixel memory.
    testing_support::writeFile(folder.file("huge.bmp"), asText(bitmapFile(23000, 31000, 0)));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        const bool refused = gdi::loadPicture(folder.file("huge.bmp")).empty();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const long grownKiB = after.ru_maxrss - before.ru_maxrss;
        ::_exit(refused && grownKiB < 100 * 1024 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
