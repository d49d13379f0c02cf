#include "files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

#include "scoped_env.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
namespace files = platform::files;
using testing_support::readFile;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using testing_support::writeFile;

TEST(Files, DriveIsALetterAndAColonAtTheStart) {
    EXPECT_EQ(files::driveOf("C:\\Music\\a.wav"), "C:");
    EXPECT_EQ(files::driveOf("d:"), "d:");
    EXPECT_EQ(files::driveOf("/media/stick"), "");
    EXPECT_EQ(files::driveOf("1:\\x"), "");
    EXPECT_EQ(files::driveOf(":x"), "");
    EXPECT_EQ(files::driveOf("C"), "");
}

TEST(Files, SystemDriveByDriveLetterOrByDeviceNumbers) {
    EXPECT_TRUE(files::isOnSystemDrive("c:\\tools"));
    EXPECT_TRUE(files::isOnSystemDrive("C:\\tools"));
    EXPECT_FALSE(files::isOnSystemDrive("D:\\tools"));
    EXPECT_FALSE(files::isOnSystemDrive("e:"));

    // /proc is a file system of its own on every Linux system.
    EXPECT_FALSE(files::sameFileSystem("/proc", "/"));
    EXPECT_FALSE(files::isOnSystemDrive("/proc"));
    EXPECT_TRUE(files::isOnSystemDrive("/"));

    TempDir temp;
    fs::create_directories(temp.path() / "a" / "b");
    EXPECT_TRUE(files::sameFileSystem(temp.file("a/b"), temp.file("a")));
    EXPECT_TRUE(files::isOnSystemDrive(temp.file("a/b"), temp.file("a")));
    EXPECT_FALSE(files::isOnSystemDrive("/proc", temp.file("a")));
    // A folder that cannot be examined keeps the data in the user's folder.
    EXPECT_TRUE(files::isOnSystemDrive(temp.file("missing")));
    EXPECT_FALSE(files::sameFileSystem(temp.file("missing"), temp.file("missing")));
}

TEST(Files, DataFolderFromTheFirstEnvironmentVariableSet) {
    {
        ScopedEnv appdata("APPDATA", "/x/appdata");
        EXPECT_EQ(files::dataFolder(), "/x/appdata/Ostrolab/zirpomat");
    }
    ScopedEnv appdata("APPDATA", "");
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/x/xdg");
        EXPECT_EQ(files::dataFolder(), "/x/xdg/Ostrolab/zirpomat");
    }
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    ScopedEnv home("HOME", "/home/tester");
    EXPECT_EQ(files::dataFolder(), "/home/tester/.local/share/Ostrolab/zirpomat");
}

TEST(Files, SystemFolderIsWindirElseTheProgramsOwnData) {
    ScopedEnv assets("ZPM_ASSETS", "/opt/zirpomat/assets");
    {
        ScopedEnv windir("windir", "/x/windows");
        EXPECT_EQ(files::systemFolder(), "/x/windows");
    }
    ScopedEnv windir("windir", "");
    EXPECT_EQ(files::systemFolder(), "/opt/zirpomat/assets");
}

TEST(Files, ProgramFolderHoldsTheRunningExecutable) {
    const std::string folder = files::programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::is_regular_file(fs::path(folder) / "files_tests"));
}

TEST(Files, ExistenceTestTakesThePathLiterally) {
    TempDir temp;
    writeFile(temp.path() / "a.wav", "x");
    fs::create_directory(temp.path() / "folder.wav");
    EXPECT_TRUE(files::fileExists(temp.file("a.wav")));
    EXPECT_FALSE(files::fileExists(temp.file("A.WAV")));
    EXPECT_FALSE(files::fileExists(temp.file("*.wav")));
    EXPECT_FALSE(files::fileExists(temp.file("?.wav")));
    EXPECT_FALSE(files::fileExists(temp.file("folder.wav")));
    EXPECT_FALSE(files::fileExists(""));
    writeFile(temp.path() / "*.wav", "x");
    EXPECT_TRUE(files::fileExists(temp.file("*.wav")));
}

TEST(Files, WildcardsMatchIgnoringLetterCase) {
    EXPECT_TRUE(files::matchesWildcard("beep.wav", "*.WAV"));
    EXPECT_TRUE(files::matchesWildcard("BEEP.Wav", "*.wav"));
    EXPECT_FALSE(files::matchesWildcard("beep.wavx", "*.WAV"));
    EXPECT_FALSE(files::matchesWildcard("beep.mp3", "*.WAV"));
    EXPECT_TRUE(files::matchesWildcard("abc", "a?c"));
    EXPECT_FALSE(files::matchesWildcard("ac", "a?c"));
    EXPECT_TRUE(files::matchesWildcard("", "*"));
    EXPECT_FALSE(files::matchesWildcard("", "?"));
    EXPECT_TRUE(files::matchesWildcard("a.b.wav", "*.*.wav"));
    EXPECT_TRUE(files::matchesWildcard("xaybz", "*a*b*"));
    EXPECT_FALSE(files::matchesWildcard(std::string(200, 'a') + "b", "*a*a*a*a*a*a*a*a*c"));
}

TEST(Files, FirstMatchingFileSkipsFoldersAndOtherNames) {
    TempDir temp;
    EXPECT_EQ(files::firstFileMatching(temp.path().string(), "*.WAV"), std::nullopt);
    fs::create_directory(temp.path() / "dir.wav");
    writeFile(temp.path() / "notes.txt", "x");
    EXPECT_EQ(files::firstFileMatching(temp.path().string(), "*.WAV"), std::nullopt);
    writeFile(temp.path() / "Beep.Wav", "x");
    EXPECT_EQ(files::firstFileMatching(temp.path().string(), "*.WAV"), "Beep.Wav");
    EXPECT_EQ(files::firstFileMatching(temp.file("missing"), "*"), std::nullopt);
}

TEST(Files, CopyMakesANewCompleteFileOrNothing) {
    TempDir temp;
    const std::string content("RIFF\0\r\n\x80 data", 14);
    writeFile(temp.path() / "source.wav", content);
    ASSERT_TRUE(files::copyFile(temp.file("source.wav"), temp.file("copy.wav")));
    EXPECT_EQ(readFile(temp.path() / "copy.wav"), content);

    writeFile(temp.path() / "kept.wav", "mine");
    EXPECT_FALSE(files::copyFile(temp.file("source.wav"), temp.file("kept.wav")));
    EXPECT_EQ(readFile(temp.path() / "kept.wav"), "mine");

    EXPECT_FALSE(files::copyFile(temp.file("missing.wav"), temp.file("new.wav")));
    EXPECT_FALSE(files::copyFile(temp.file("source.wav"), temp.file("no/such/folder.wav")));
    EXPECT_FALSE(files::copyFile(temp.path().string(), temp.file("folder.wav")));
    EXPECT_FALSE(fs::exists(temp.path() / "new.wav"));
    EXPECT_FALSE(fs::exists(temp.path() / "folder.wav"));
    for (const auto& entry : fs::directory_iterator(temp.path()))
        EXPECT_EQ(entry.path().string().find(".partial"), std::string::npos) << entry.path();
}

TEST(Files, WholeFileReadsBytesAndCreatesNothing) {
    TempDir temp;
    const std::string content("a\r\nb\nc\rd\0e", 10);
    writeFile(temp.path() / "list.txt", content);
    EXPECT_EQ(files::readWholeFile(temp.file("list.txt")), content);
    writeFile(temp.path() / "empty.txt", "");
    EXPECT_EQ(files::readWholeFile(temp.file("empty.txt")), "");

    EXPECT_EQ(files::readWholeFile(temp.file("missing.txt")), std::nullopt);
    EXPECT_FALSE(fs::exists(temp.path() / "missing.txt"));
    fs::create_directory(temp.path() / "folder.txt");
    EXPECT_EQ(files::readWholeFile(temp.file("folder.txt")), std::nullopt);
}

TEST(Files, FolderIsMadeWithItsParents) {
    TempDir temp;
    EXPECT_TRUE(files::ensureFolder(temp.file("a/b/c")));
    EXPECT_TRUE(fs::is_directory(temp.path() / "a/b/c"));
    EXPECT_TRUE(files::ensureFolder(temp.file("a/b/c")));
    writeFile(temp.path() / "plain", "x");
    EXPECT_FALSE(files::ensureFolder(temp.file("plain")));
}
