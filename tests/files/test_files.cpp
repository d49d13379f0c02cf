#include "files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <system_error>

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

TEST(Files, AProgramFolderOnTheHomeFoldersFileSystemIsNotPortable) {
    // /dev/shm is a memory file system of its own: it stands in for a home
    // folder on a partition of its own, or for a stick.
    if (files::sameFileSystem("/dev/shm", "/") || files::sameFileSystem("/dev/shm", "/proc"))
        GTEST_SKIP() << "/dev/shm is no file system of its own here";
    std::string pattern = "/dev/shm/zpm-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::string separate = pattern;
    TempDir onRoot;

    EXPECT_TRUE(files::isOnSystemDrive(separate, "/", separate));        // a build in the home folder
    EXPECT_FALSE(files::isOnSystemDrive(separate, "/", onRoot.file(""))); // a stick
    EXPECT_TRUE(files::isOnSystemDrive(onRoot.file(""), "/proc", onRoot.file("")));
    EXPECT_FALSE(files::isOnSystemDrive("/proc", "/", separate));
    // By default the home folder is HOME.
    {
        ScopedEnv home("HOME", separate.c_str());
        EXPECT_TRUE(files::isOnSystemDrive(separate));
    }
    {
        ScopedEnv home("HOME", onRoot.file("").c_str());
        EXPECT_FALSE(files::isOnSystemDrive(separate));
    }
    fs::remove_all(separate);
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

    // Files that merely look like a copy's scratch file are somebody's.
    writeFile(temp.path() / "other.wav.partial", "theirs");
    ASSERT_TRUE(files::copyFile(temp.file("source.wav"), temp.file("other.wav")));
    EXPECT_EQ(readFile(temp.path() / "other.wav.partial"), "theirs");
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

TEST(Files, OnlyRegularFilesWithinTheLimitAreRead) {
    TempDir temp;
    writeFile(temp.path() / "four", "1234");
    ASSERT_EQ(::mkfifo(temp.file("pipe").c_str(), 0600), 0);  // no writer: reading would wait for ever
    fs::create_directory(temp.path() / "folder");
    fs::create_symlink("four", temp.path() / "link");

    struct Case {
        std::string path;
        std::size_t limit;
        std::optional<std::string> text;
        std::error_code error;
    };
    const Case cases[] = {
        {temp.file("four"), 4, "1234", {}},
        {temp.file("link"), 4, "1234", {}},
        {temp.file("four"), 3, std::nullopt, std::make_error_code(std::errc::file_too_large)},
        {temp.file("missing"), 4, std::nullopt, std::make_error_code(std::errc::no_such_file_or_directory)},
        {temp.file("pipe"), 4, std::nullopt, std::make_error_code(std::errc::invalid_argument)},
        {temp.file("folder"), 4, std::nullopt, std::make_error_code(std::errc::invalid_argument)},
        {"/dev/zero", 4, std::nullopt, std::make_error_code(std::errc::invalid_argument)},
        {"/dev/null", 4, std::nullopt, std::make_error_code(std::errc::invalid_argument)},
        {"", 4, std::nullopt, std::make_error_code(std::errc::no_such_file_or_directory)},
    };
    for (const Case& c : cases) {
        std::error_code error = std::make_error_code(std::errc::io_error);
        EXPECT_EQ(files::readRegularFile(c.path, c.limit, error), c.text) << c.path;
        EXPECT_EQ(error, c.error) << c.path;
    }
}

namespace {

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

}  // namespace

TEST(Files, ReplacingAFileWritesItWholeAndLeavesNothingElse) {
    TempDir temp;
    const std::string content("a\r\n\0b", 5);
    EXPECT_FALSE(files::replaceFile(temp.file("new.ini"), content));
    EXPECT_EQ(readFile(temp.path() / "new.ini"), content);
    EXPECT_FALSE(files::replaceFile(temp.file("new.ini"), "second"));
    EXPECT_EQ(readFile(temp.path() / "new.ini"), "second");

    writeFile(temp.path() / "mode.ini", "x");
    ::chmod(temp.file("mode.ini").c_str(), 0640);
    EXPECT_FALSE(files::replaceFile(temp.file("mode.ini"), "y"));
    EXPECT_EQ(fs::status(temp.path() / "mode.ini").permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::create_directory(temp.path() / "real");
    writeFile(temp.path() / "real" / "target.ini", "old");
    fs::create_symlink("real/target.ini", temp.path() / "link.ini");
    EXPECT_FALSE(files::replaceFile(temp.file("link.ini"), "through"));
    EXPECT_TRUE(fs::is_symlink(temp.path() / "link.ini"));
    EXPECT_EQ(readFile(temp.path() / "real" / "target.ini"), "through");

    // Names that only resemble the temporary files, and the name a writer
    // of another scheme would use, are left alone.
    for (const char* name : {"new.ini.tmp", "new.ini.~tmp", ".zpm-1-abcdef", ".zpm-x-abcdef", "a.zpm-99999999-abcdef"})
        writeFile(temp.path() / name, "theirs");
    // A file name as long as the system allows still has room for the
    // temporary name.
    const std::string longName(250, 'n');
    EXPECT_FALSE(files::replaceFile(temp.file(longName), "long"));
    EXPECT_EQ(readFile(temp.path() / longName), "long");
    EXPECT_EQ(namesIn(temp.path()), (std::set<std::string>{"new.ini", "mode.ini", "real", "link.ini", "new.ini.tmp",
                                                          "new.ini.~tmp", ".zpm-1-abcdef", ".zpm-x-abcdef",
                                                          "a.zpm-99999999-abcdef", longName}));
    for (const char* name : {"new.ini.tmp", "new.ini.~tmp", ".zpm-1-abcdef"})
        EXPECT_EQ(readFile(temp.path() / name), "theirs") << name;
}

TEST(Files, ReplacingRefusesWhatItMustNotTouch) {
    TempDir temp;
    writeFile(temp.path() / "ro.ini", "old");
    ::chmod(temp.file("ro.ini").c_str(), 0444);
    fs::create_directory(temp.path() / "folder");
    ASSERT_EQ(::mkfifo(temp.file("pipe").c_str(), 0600), 0);
    writeFile(temp.path() / "plain", "x");

    struct Case {
        std::string path;
        std::errc error;
    };
    const Case cases[] = {
        {temp.file("ro.ini"), std::errc::permission_denied},
        {temp.file("folder"), std::errc::invalid_argument},
        {temp.file("pipe"), std::errc::invalid_argument},
        {temp.file("missing/new.ini"), std::errc::no_such_file_or_directory},
        {temp.file("plain/new.ini"), std::errc::not_a_directory},
        {"", std::errc::no_such_file_or_directory},
    };
    for (const Case& c : cases) EXPECT_EQ(files::replaceFile(c.path, "new"), std::make_error_code(c.error)) << c.path;
    EXPECT_EQ(readFile(temp.path() / "ro.ini"), "old");
    EXPECT_EQ(namesIn(temp.path()), (std::set<std::string>{"ro.ini", "folder", "pipe", "plain"}));
}

TEST(Files, AWriteKilledHalfwayLeavesATemporaryFileTheNextWriteRemoves) {
    TempDir temp;
    writeFile(temp.path() / "zpm.ini", "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The file size limit kills the writer in the middle of its write.
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_DFL);
        files::replaceFile(temp.file("zpm.ini"), std::string(5000, 'x'));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(readFile(temp.path() / "zpm.ini"), "old");
    ASSERT_EQ(namesIn(temp.path()).size(), 2u);  // the settings file and the abandoned temporary file

    EXPECT_FALSE(files::replaceFile(temp.file("zpm.ini"), "new"));
    EXPECT_EQ(namesIn(temp.path()), std::set<std::string>{"zpm.ini"});
    EXPECT_EQ(readFile(temp.path() / "zpm.ini"), "new");
}

TEST(Files, FolderIsMadeWithItsParents) {
    TempDir temp;
    EXPECT_TRUE(files::ensureFolder(temp.file("a/b/c")));
    EXPECT_TRUE(fs::is_directory(temp.path() / "a/b/c"));
    EXPECT_TRUE(files::ensureFolder(temp.file("a/b/c")));
    writeFile(temp.path() / "plain", "x");
    EXPECT_FALSE(files::ensureFolder(temp.file("plain")));
}
