#include "files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <optional>
#include <set>

#include "child_process.h"
#include "scoped_env.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
namespace files = platform::files;
using namespace testing_support;
using Names = std::set<std::string>;
using std::errc;

class Files : public ::testing::Test {
protected:
    std::string at(std::string_view name) const { return temp.file(name); }
    Names names() const {
        Names names;
        for (const auto& entry : fs::directory_iterator(temp.path())) names.insert(entry.path().filename().string());
        return names;
    }
    TempDir temp;
};

TEST_F(Files, DrivesAndTheSystemDrive) {
    for (auto [path, drive] : {std::pair<const char*, const char*>{"C:\\Music", "C:"}, {"d:", "d:"}, {"/media", ""}, {"1:\\x", ""}, {":x", ""}, {"C", ""}})
        EXPECT_EQ(files::driveOf(path), drive) << path;
    // /proc is a file system of its own on every Linux system; /dev/shm stands in for a home folder on a partition of its own.
    if (files::sameFileSystem("/dev/shm", "/") || files::sameFileSystem("/dev/shm", "/proc")) GTEST_SKIP() << "/dev/shm is no file system of its own here";
    std::string shm = "/dev/shm/zpm-test-XXXXXX";
    ASSERT_NE(::mkdtemp(shm.data()), nullptr);
    const std::string root = at(""), missing = at("missing");
    EXPECT_TRUE(files::sameFileSystem(root, root + ".") && !files::sameFileSystem(missing, missing));
    using Row = std::tuple<std::string, std::string, std::optional<std::string>, bool>;
    for (auto [folder, system, home, onSystemDrive] : std::initializer_list<Row>{
             {"c:\\tools", "/", "/", true}, {"C:\\x", "/", "/", true}, {"D:\\x", "/", "/", false}, {"e:", "/", "/", false},
             {"/proc", "/", "/", false}, {"/", "/proc", "/", true}, {missing, "/proc", "/proc", true}, {shm, "/", shm, true},
             {shm, "/", root, false}, {root, "/proc", root, true}, {"/proc", "/", shm, false}, {shm, "/", std::nullopt, false}})
        EXPECT_EQ(files::isOnSystemDrive(folder, system, home), onSystemDrive) << folder << " " << system;
    EXPECT_TRUE((ScopedEnv("HOME", shm), files::isOnSystemDrive(shm))) << "the default home folder";
    fs::remove_all(shm);
}

TEST_F(Files, FoldersFromTheEnvironment) {
    ScopedEnv assets("ZPM_ASSETS", "/opt/zpm/assets"), home("HOME", "/home/t");
    ScopedEnv appdata("APPDATA", "/x/appdata"), xdg("XDG_DATA_HOME", "/x/xdg"), windir("windir", "/x/win");
    EXPECT_EQ(files::dataFolder() + " " + files::systemFolder(), "/x/appdata/Ostrolab/zirpomat /x/win");
    ::setenv("APPDATA", "", 1);
    ::setenv("windir", "", 1);
    EXPECT_EQ(files::dataFolder() + " " + files::systemFolder(), "/x/xdg/Ostrolab/zirpomat /opt/zpm/assets");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(files::dataFolder(), "/home/t/.local/share/Ostrolab/zirpomat");
    EXPECT_TRUE(fs::is_regular_file(fs::path(files::programFolder()) / "files_tests"));
}

TEST_F(Files, NamesAreLiteralAndWildcardsIgnoreLetterCase) {
    EXPECT_EQ(files::firstFileMatching(at(""), "*.WAV"), std::nullopt);
    writeFile(at("a.wav"), "x");
    fs::create_directory(at("dir.wav"));
    for (auto [name, exists] : {std::pair{"a.wav", true}, {"A.WAV", false}, {"*.wav", false}, {"dir.wav", false}, {"", false}})
        EXPECT_EQ(files::fileExists(*name ? at(name) : ""), exists) << name;
    for (auto [folder, pattern, found] : {std::tuple{"", "?.WAV", "a.wav"}, {"", "dir*", ""}, {"missing", "*", ""}})
        EXPECT_EQ(files::firstFileMatching(at(folder), pattern).value_or(""), found) << pattern;
    for (auto [name, pattern, matches] : std::initializer_list<std::tuple<std::string, std::string, bool>>{
             {"BEEP.Wav", "*.wav", true}, {"b.wavx", "*.WAV", false}, {"b.mp3", "*.WAV", false}, {"abc", "a?c", true},
             {"ac", "a?c", false}, {"", "*", true}, {"", "?", false}, {"a.b.wav", "*.*.wav", true},
             {"xaybz", "*a*b*", true}, {std::string(200, 'a') + "b", "*a*a*a*a*a*a*a*a*c", false}})
        EXPECT_EQ(files::matchesWildcard(name, pattern), matches) << name << " " << pattern;
}

TEST_F(Files, CopiesAndReadsOfRegularFilesOnly) {
    const std::string content("RIFF\0\r\n\x80 data", 14);
    writeFile(at("source.wav"), content);
    writeFile(at("kept.wav"), "mine");
    writeFile(at("copy.wav.partial"), "theirs");  // looks like a copy's scratch file
    ASSERT_TRUE(files::copyFile(at("source.wav"), at("copy.wav")));
    EXPECT_EQ(readFile(at("copy.wav")), content);
    for (auto [from, to] : {std::pair{"source.wav", "kept.wav"}, {"missing", "new"}, {"source.wav", "no/new"}, {"", "new"}})
        EXPECT_FALSE(files::copyFile(at(from), at(to))) << from << " " << to;
    EXPECT_EQ(names(), (Names{"source.wav", "kept.wav", "copy.wav.partial", "copy.wav"}));
    EXPECT_EQ(readFile(at("kept.wav")) + readFile(at("copy.wav.partial")), "minetheirs");
    ASSERT_EQ(::mkfifo(at("pipe").c_str(), 0600), 0);  // no writer: reading would wait for ever
    fs::create_symlink("source.wav", at("link"));
    writeFile(at("empty"), "");
    EXPECT_TRUE(files::readWholeFile(at("empty")) == "" && !files::readWholeFile(at("pipe")));
    for (auto [path, limit, error] : std::initializer_list<std::tuple<std::string, std::size_t, errc>>{
             {at("link"), 13, errc::file_too_large}, {at("no"), 4, errc::no_such_file_or_directory}, {"", 4, errc::no_such_file_or_directory},
             {at("pipe"), 4, errc::invalid_argument}, {at(""), 4, errc::invalid_argument}, {"/dev/zero", 4, errc::invalid_argument}}) {
        std::error_code code;
        EXPECT_EQ(files::readRegularFile(path, limit, code), std::nullopt) << path;
        EXPECT_EQ(code, std::make_error_code(error)) << path;
    }
    std::error_code code = std::make_error_code(errc::io_error);
    EXPECT_TRUE(files::readRegularFile(at("link"), 14, code) == content && !code);
}

TEST_F(Files, ReplacingWritesWholeThroughLinksAndLeavesOthersAlone) {
    const std::string content("a\r\n\0b", 5);
    EXPECT_FALSE(files::replaceFile(at("new.ini"), "first") || files::replaceFile(at("new.ini"), content));
    EXPECT_EQ(readFile(at("new.ini")), content);
    writeFile(at("target.ini"), "old");
    ::chmod(at("target.ini").c_str(), 0640);
    fs::create_symlink("target.ini", at("link.ini"));
    EXPECT_FALSE(files::replaceFile(at("link.ini"), "through"));
    EXPECT_TRUE(fs::is_symlink(at("link.ini")) && readFile(at("target.ini")) == "through");
    EXPECT_EQ(fs::status(at("target.ini")).permissions() & fs::perms::mask, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // Names resembling the temporary files are somebody else's; a name as long as the system allows still has room for the temporary name.
    Names all{"new.ini.tmp", "new.ini.~tmp", ".zpm-1-abcdef", ".zpm-x-abcdef", "a.zpm-99999999-abcdef",
              ".zpm-99999999xabcdef", ".zpm-99999999-abcdefg"};
    for (const std::string& name : all) writeFile(at(name), "theirs");
    const std::string longName(250, 'n');
    EXPECT_FALSE(files::replaceFile(at(longName), "long"));
    EXPECT_EQ(readFile(at(longName)) + readFile(at(".zpm-1-abcdef")), "longtheirs");
    all.insert({"new.ini", "target.ini", "link.ini", longName});
    EXPECT_EQ(names(), all);
    // What it must not touch is refused.
    writeFile(at("ro.ini"), "old");
    ::chmod(at("ro.ini").c_str(), 0444);
    ASSERT_EQ(::mkfifo(at("pipe").c_str(), 0600), 0);
    for (auto [path, error] : {std::pair{at("ro.ini"), errc::permission_denied}, {at(""), errc::invalid_argument},
                               {at("pipe"), errc::invalid_argument}, {at("no/new"), errc::no_such_file_or_directory},
                               {at("new.ini/new"), errc::not_a_directory}, {"", errc::no_such_file_or_directory}})
        EXPECT_EQ(files::replaceFile(path, "new"), std::make_error_code(error)) << path;
    EXPECT_EQ(readFile(at("ro.ini")), "old");
    all.insert({"ro.ini", "pipe"});
    EXPECT_EQ(names(), all);
    EXPECT_TRUE(files::ensureFolder(at("a/b")) && files::ensureFolder(at("a/b")) && fs::is_directory(at("a/b")));
    std::error_code why;
    EXPECT_FALSE(files::ensureFolder(at("new.ini"), &why));
    EXPECT_EQ(why, std::make_error_code(errc::not_a_directory));
}

TEST_F(Files, AFailedOrKilledWriteKeepsTheFileAndTheNextWriteRemovesLeftovers) {
    writeFile(at("zpm.ini"), "old");
    // The file size limit fails the write, or with its signal kills the writer halfway.
    for (const bool killed : {false, true}) {
        const int status = statusOfChild([&] {
            const rlimit limit{1000, 1000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
            return files::replaceFile(at("zpm.ini"), std::string(5000, 'x')) == errc::file_too_large ? 0 : 1;
        });
        EXPECT_TRUE(killed ? WIFSIGNALED(status) : WIFEXITED(status) && WEXITSTATUS(status) == 0) << killed;
        EXPECT_EQ(readFile(at("zpm.ini")), "old");
        EXPECT_EQ(names().size(), killed ? 2u : 1u) << "only a killed writer leaves its temporary file";
    }
    EXPECT_FALSE(files::replaceFile(at("zpm.ini"), "new"));
    EXPECT_TRUE(names() == Names{"zpm.ini"} && readFile(at("zpm.ini")) == "new");
}

// The wait for a lock that another holder keeps, on a clock of the test's own that moves 100 ms at each
// look: a quiet folder is waited on for the patience, one that keeps changing (its time set anew at each
// look, for 200 looks) up to the limit, and a free lock is taken at once.
TEST_F(Files, TheWaitForAHeldLockEndsAfterThePatienceOrAtTheLimit) {
    using std::chrono::milliseconds;
    const std::string file = at("zpm.ini"), folder = temp.path().string();
    const struct { bool held, busy; int waited; } rows[] = {{true, false, 1000}, {true, true, 3000}, {false, true, 0}};
    for (const auto& row : rows) {
        std::optional<files::FileLock> holder;
        if (row.held) holder.emplace(file);
        int looks = 0;
        const auto start = std::chrono::steady_clock::now();
        const auto now = [&] {
            const timespec changed[] = {{looks, 0}, {looks, 0}};
            if (row.busy && looks < 200) ::utimensat(AT_FDCWD, folder.c_str(), changed, 0);
            return start + milliseconds(100) * looks++;
        };
        const files::FileLock waiter(file, {.patience = milliseconds(1000), .limit = milliseconds(3000), .now = now});
        EXPECT_EQ(std::pair(waiter.held(), 100 * (looks - 1)), std::pair(!row.held, row.waited)) << row.held << row.busy;
    }
}
