#include "files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <set>

#include "scoped_env.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
namespace files = platform::files;
using namespace testing_support;
using Names = std::set<std::string>;

namespace {

Names namesIn(const fs::path& folder) {
    Names names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

}  // namespace

TEST(Files, DrivesAndTheSystemDrive) {
    for (auto [path, drive] : {std::pair<const char*, const char*>{"C:\\Music", "C:"}, {"d:", "d:"}, {"/media", ""},
                               {"1:\\x", ""}, {":x", ""}, {"C", ""}})
        EXPECT_EQ(files::driveOf(path), drive) << path;
    TempDir temp;
    fs::create_directories(temp.path() / "a/b");
    const std::string inner = temp.file("a/b"), outer = temp.file("a");
    EXPECT_TRUE(files::sameFileSystem(inner, outer));
    EXPECT_FALSE(files::sameFileSystem("/proc", "/"));  // a file system of its own on every Linux system
    EXPECT_FALSE(files::sameFileSystem(temp.file("missing"), temp.file("missing")));
    struct Case {
        std::string folder, root;
        bool onSystemDrive;
    };
    for (const Case& c : {Case{"c:\\tools", "/", true}, {"C:\\x", "/", true}, {"D:\\x", "/", false}, {"e:", "/", false},
                          {"/proc", "/", false}, {"/", "/", true}, {inner, outer, true}, {"/proc", outer, false},
                          {temp.file("missing"), "/", true}})  // unexaminable: the data stays in the user's folder
        EXPECT_EQ(files::isOnSystemDrive(c.folder, c.root), c.onSystemDrive) << c.folder << " " << c.root;
}

TEST(Files, AProgramFolderOnTheHomeFoldersFileSystemIsNotPortable) {
    // /dev/shm stands in for a home folder on a partition of its own, or for a stick.
    if (files::sameFileSystem("/dev/shm", "/") || files::sameFileSystem("/dev/shm", "/proc"))
        GTEST_SKIP() << "/dev/shm is no file system of its own here";
    std::string separate = "/dev/shm/zpm-test-XXXXXX";
    ASSERT_NE(::mkdtemp(separate.data()), nullptr);
    TempDir onRoot;
    EXPECT_TRUE(files::isOnSystemDrive(separate, "/", separate));
    EXPECT_FALSE(files::isOnSystemDrive(separate, "/", onRoot.file("")));
    EXPECT_TRUE(files::isOnSystemDrive(onRoot.file(""), "/proc", onRoot.file("")));
    EXPECT_FALSE(files::isOnSystemDrive("/proc", "/", separate));
    for (const std::string& home : {separate, onRoot.file("")}) {
        ScopedEnv scoped("HOME", home);
        EXPECT_EQ(files::isOnSystemDrive(separate), home == separate);
    }
    fs::remove_all(separate);
}

TEST(Files, FoldersFromTheEnvironment) {
    ScopedEnv assets("ZPM_ASSETS", "/opt/zpm/assets"), home("HOME", "/home/t");
    ScopedEnv appdata("APPDATA", "/x/appdata"), xdg("XDG_DATA_HOME", "/x/xdg"), windir("windir", "/x/win");
    EXPECT_EQ(files::dataFolder(), "/x/appdata/Ostrolab/zirpomat");
    EXPECT_EQ(files::systemFolder(), "/x/win");
    ::setenv("APPDATA", "", 1);
    ::setenv("windir", "", 1);
    EXPECT_EQ(files::dataFolder(), "/x/xdg/Ostrolab/zirpomat");
    EXPECT_EQ(files::systemFolder(), "/opt/zpm/assets");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(files::dataFolder(), "/home/t/.local/share/Ostrolab/zirpomat");
    EXPECT_TRUE(fs::is_regular_file(fs::path(files::programFolder()) / "files_tests"));
}

TEST(Files, NamesAreLiteralAndWildcardsIgnoreLetterCase) {
    TempDir temp;
    EXPECT_EQ(files::firstFileMatching(temp.path().string(), "*.WAV"), std::nullopt);
    writeFile(temp.path() / "a.wav", "x");
    fs::create_directory(temp.path() / "dir.wav");
    for (auto [name, exists] : {std::pair{"a.wav", true}, {"A.WAV", false}, {"*.wav", false}, {"dir.wav", false}})
        EXPECT_EQ(files::fileExists(temp.file(name)), exists) << name;
    EXPECT_FALSE(files::fileExists(""));
    EXPECT_EQ(files::firstFileMatching(temp.path().string(), "?.WAV"), "a.wav");
    EXPECT_EQ(files::firstFileMatching(temp.path().string(), "dir*"), std::nullopt);
    EXPECT_EQ(files::firstFileMatching(temp.file("missing"), "*"), std::nullopt);
    struct Case {
        std::string name, pattern;
        bool matches;
    };
    for (const Case& c : {Case{"BEEP.Wav", "*.wav", true}, {"b.wavx", "*.WAV", false}, {"b.mp3", "*.WAV", false},
                          {"abc", "a?c", true}, {"ac", "a?c", false}, {"", "*", true}, {"", "?", false},
                          {"a.b.wav", "*.*.wav", true}, {"xaybz", "*a*b*", true},
                          {std::string(200, 'a') + "b", "*a*a*a*a*a*a*a*a*c", false}})
        EXPECT_EQ(files::matchesWildcard(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
}

TEST(Files, CopiesAndReadsOfRegularFilesOnly) {
    TempDir temp;
    const std::string content("RIFF\0\r\n\x80 data", 14);
    writeFile(temp.path() / "source.wav", content);
    writeFile(temp.path() / "kept.wav", "mine");
    writeFile(temp.path() / "copy.wav.partial", "theirs");  // looks like a copy's scratch file
    ASSERT_TRUE(files::copyFile(temp.file("source.wav"), temp.file("copy.wav")));
    EXPECT_EQ(readFile(temp.path() / "copy.wav"), content);
    EXPECT_FALSE(files::copyFile(temp.file("source.wav"), temp.file("kept.wav")));
    EXPECT_FALSE(files::copyFile(temp.file("missing.wav"), temp.file("new.wav")));
    EXPECT_FALSE(files::copyFile(temp.file("source.wav"), temp.file("no/such/new.wav")));
    EXPECT_FALSE(files::copyFile(temp.path().string(), temp.file("new.wav")));
    EXPECT_EQ(namesIn(temp.path()), (Names{"source.wav", "kept.wav", "copy.wav.partial", "copy.wav"}));
    EXPECT_EQ(readFile(temp.path() / "kept.wav") + readFile(temp.path() / "copy.wav.partial"), "minetheirs");

    writeFile(temp.path() / "empty", "");
    ASSERT_EQ(::mkfifo(temp.file("pipe").c_str(), 0600), 0);  // no writer: reading would wait for ever
    fs::create_symlink("source.wav", temp.path() / "link");
    EXPECT_EQ(files::readWholeFile(temp.file("empty")), "");
    EXPECT_EQ(files::readWholeFile(temp.file("pipe")), std::nullopt);
    using std::errc;
    struct Case {
        std::string path;
        std::size_t limit;
        std::optional<std::string> text;
        errc error;
    };
    for (const Case& c : {Case{temp.file("link"), 14, content, errc{}}, {temp.file("link"), 13, {}, errc::file_too_large},
                          {temp.file("no"), 4, {}, errc::no_such_file_or_directory},
                          {"", 4, {}, errc::no_such_file_or_directory}, {temp.file("pipe"), 4, {}, errc::invalid_argument},
                          {temp.path().string(), 4, {}, errc::invalid_argument}, {"/dev/zero", 4, {}, errc::invalid_argument}}) {
        std::error_code error = std::make_error_code(errc::io_error);
        EXPECT_EQ(files::readRegularFile(c.path, c.limit, error), c.text) << c.path;
        EXPECT_EQ(error, c.error == errc{} ? std::error_code{} : std::make_error_code(c.error)) << c.path;
    }
}

TEST(Files, ReplacingWritesWholeThroughLinksAndLeavesOthersAlone) {
    TempDir temp;
    const std::string content("a\r\n\0b", 5);
    EXPECT_FALSE(files::replaceFile(temp.file("new.ini"), "first"));
    EXPECT_FALSE(files::replaceFile(temp.file("new.ini"), content));
    EXPECT_EQ(readFile(temp.path() / "new.ini"), content);
    writeFile(temp.path() / "target.ini", "old");
    ::chmod(temp.file("target.ini").c_str(), 0640);
    fs::create_symlink("target.ini", temp.path() / "link.ini");
    EXPECT_FALSE(files::replaceFile(temp.file("link.ini"), "through"));
    EXPECT_TRUE(fs::is_symlink(temp.path() / "link.ini"));
    EXPECT_EQ(readFile(temp.path() / "target.ini"), "through");
    EXPECT_EQ(fs::status(temp.path() / "target.ini").permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // Names resembling the temporary files are somebody else's; a name as
    // long as the system allows still has room for the temporary name.
    const Names theirs{"new.ini.tmp", "new.ini.~tmp", ".zpm-1-abcdef", ".zpm-x-abcdef", "a.zpm-99999999-abcdef"};
    for (const std::string& name : theirs) writeFile(temp.path() / name, "theirs");
    const std::string longName(250, 'n');
    EXPECT_FALSE(files::replaceFile(temp.file(longName), "long"));
    EXPECT_EQ(readFile(temp.path() / longName), "long");
    Names all = theirs;
    all.insert({"new.ini", "target.ini", "link.ini", longName});
    EXPECT_EQ(namesIn(temp.path()), all);
    EXPECT_EQ(readFile(temp.path() / ".zpm-1-abcdef"), "theirs");
}

TEST(Files, ReplacingRefusesWhatItMustNotTouch) {
    TempDir temp;
    writeFile(temp.path() / "ro.ini", "old");
    ::chmod(temp.file("ro.ini").c_str(), 0444);
    ASSERT_EQ(::mkfifo(temp.file("pipe").c_str(), 0600), 0);
    writeFile(temp.path() / "plain", "x");
    using std::errc;
    for (auto [path, error] : {std::pair{temp.file("ro.ini"), errc::permission_denied}, {temp.path().string(), errc::invalid_argument},
                               {temp.file("pipe"), errc::invalid_argument}, {temp.file("no/new.ini"), errc::no_such_file_or_directory},
                               {temp.file("plain/new.ini"), errc::not_a_directory}, {"", errc::no_such_file_or_directory}})
        EXPECT_EQ(files::replaceFile(path, "new"), std::make_error_code(error)) << path;
    EXPECT_EQ(readFile(temp.path() / "ro.ini"), "old");
    EXPECT_EQ(namesIn(temp.path()), (Names{"ro.ini", "pipe", "plain"}));
    EXPECT_TRUE(files::ensureFolder(temp.file("a/b")));
    EXPECT_TRUE(files::ensureFolder(temp.file("a/b")));
    EXPECT_TRUE(fs::is_directory(temp.path() / "a/b"));
    EXPECT_FALSE(files::ensureFolder(temp.file("plain")));
}

TEST(Files, AWriteKilledHalfwayLeavesATemporaryFileTheNextWriteRemoves) {
    TempDir temp;
    writeFile(temp.path() / "zpm.ini", "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {  // the file size limit kills the writer in the middle of its write
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
    ASSERT_EQ(namesIn(temp.path()).size(), 2u);  // with the abandoned temporary file
    EXPECT_FALSE(files::replaceFile(temp.file("zpm.ini"), "new"));
    EXPECT_EQ(namesIn(temp.path()), Names{"zpm.ini"});
    EXPECT_EQ(readFile(temp.path() / "zpm.ini"), "new");
}
