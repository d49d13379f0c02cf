#include "mdINIBas.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <utility>

#include "child_process.h"
#include "files.h"
#include "temp_dir.h"

using namespace mdINIBas;
using platform::files::FileLock;
using std::chrono::milliseconds;
using testing_support::readFile;
namespace fs = std::filesystem;

namespace {

// Each test works on files of its own folder, so the store loads them fresh.
class SettingsStore : public ::testing::Test {
protected:
    void TearDown() override { SetEventPump(nullptr); }
    std::string fileWith(std::string_view name, std::string_view text) {
        testing_support::writeFile(dir.file(name), text);
        return dir.file(name);
    }
    // The handler runs at each load from disk, but not inside itself.
    template <class F>
    static void pump(F action) {
        SetEventPump([action, inside = false]() mutable {
            if (std::exchange(inside, true)) return;
            action();
            inside = false;
        });
    }
    static std::string get(std::string_view file, std::string_view key = "k") { return GetIniValue("s", key, "D", file); }
    testing_support::TempDir dir;
};

}  // namespace

TEST_F(SettingsStore, ReadsByTheSyntaxAndHoldsOneFile) {
    const auto ini = fileWith("syntax.ini", "x=before any header\r\n[SNDS]\r\nS1=one\r\ns10=ten\r\n s2=b\r\ns3 =b\r\n"
                                            "s4=a=b\r\ns5=\r\ns6=  padded\r\ns1=second\r\n [lsts]\r\ns7=in snds\r\n"
                                            "[snds]\r\ns8=second header\r\n[other]tail\r\nk=v\r\n##eot##\nm=w\n");
    const struct { const char *section, *key, *value; } rows[] = {
        {"snds", "s1", "one"}, {"snds", "s10", "ten"}, {"snds", "s2", "D"}, {"snds", "s3", "D"}, {"snds", "s4", "a=b"},
        {"snds", "s5", ""}, {"snds", "s6", "  padded"}, {"snds", "s7", "in snds"}, {"lsts", "s7", "D"}, {"snds", "s8", "D"},
        {"other", "k", "v"}, {"other", "m", "w"}, {"", "x", "D"}, {"a[b", "s1", "D"}, {"snds", "a]b", "D"}, {"snds", "s4=a", "D"}};
    for (const auto& r : rows) EXPECT_EQ(GetIniValue(r.section, r.key, "D", ini), r.value) << r.section << "/" << r.key;
    // CR alone is no line break.
    const auto cr = fileWith("cr.ini", "[a]\rx=1\r"), lf = fileWith("lf.ini", "[s]\nk=1\n");
    EXPECT_EQ(GetIniValue("a", "x", "D", cr) + get(lf), "D1");
    // One file is held; it is read again only when another one was asked for.
    const auto first = fileWith("a.ini", "[s]\nk=first\n"), capital = fileWith("A.ini", "[s]\nk=capital\n");
    std::string reads = get(first);
    testing_support::writeFile(first, "[s]\nk=changed\n");
    reads += " " + get(first);
    reads += " " + get(capital);  // paths compare exactly
    SetIniValue("s", "k", "written", capital);
    EXPECT_EQ(reads + " " + get(first), "first first capital changed");
}

TEST_F(SettingsStore, WritesTheNormalForm) {
    const auto path = dir.file("new.ini");
    EXPECT_TRUE(GetIniValue("a", "x", "D", path) == "D" && !fs::exists(path)) << "only a write creates the file";
    for (auto [section, key, value] : {std::tuple{"a", "x", "1"}, {"b", "y", "2"}, {"a", "z", "3"}}) SetIniValue(section, key, value, path);
    EXPECT_EQ(readFile(path), "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n");
    const auto messy = fileWith("messy.ini", "\n[first]\nk=old   \n   \n\n  keep me  \n##eot##\n[second]\nv=1\n");
    SetIniValue("FIRST", "K", "new  ", messy);
    SetIniValue("first", "added", "x", messy);  // lands before the next section
    EXPECT_EQ(readFile(messy), "[first]\r\nK=new\r\n\r\nkeep me\r\n##eot##\r\nadded=x\r\n\r\n[second]\r\nv=1\r\n");
    EXPECT_EQ(GetIniValue("first", "k", "D", messy), "new  ") << "memory keeps the untrimmed value";
    std::string big = "[s]\n";
    for (int i = 0; i < 40000; ++i) big += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    const auto large = fileWith("big.ini", big);
    SetIniValue("s", "last", "yes", large);
    EXPECT_TRUE(readFile(large).ends_with("k39999=39999\r\nlast=yes\r\n"));
}

TEST_F(SettingsStore, RefusedWritesLeaveTheFileAndSayWhyAndAnUnreadableFileIsNeverReplaced) {
    const std::string original = "[inifilepath]\r\npath=NIL\r\n\r\n[snds]\r\ns1=/a.wav\r\n";
    const auto path = fileWith("zpm.ini", original);
    const struct { std::string section, key, value, file; } rows[] = {
        {"snds", "s1", "/x.wav\r\n[inifilepath]\r\npath=/evil.ini", path}, {"snds", "s1", "/x\n.wav", path},
        {"snds", "s1", "/x\r.wav", path}, {"snds", "s1\npath", "v", path}, {"snds\r\n", "s2", "v", path},
        {"snds", "s2=", "v", path}, {"bad]", "s2", "v", path}, {"snds", "s2", "v", ""}};
    for (const auto& r : rows) {
        ASSERT_TRUE(SetIniValue("s", "k", "v", dir.file("ok.ini")));
        EXPECT_FALSE(SetIniValue(r.section, r.key, r.value, r.file)) << r.value;
        EXPECT_NE(LastWriteError(), "") << "why " << r.value << " was refused";
    }
    EXPECT_EQ(get(""), "D");
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(GetIniValue("snds", "s1", "D", path) + GetIniValue("snds", "s2", "D", path) +
                  GetIniValue("inifilepath", "path", "D", path), "/a.wavDNIL");
    // A file that cannot be written keeps the value in memory and says why.
    const auto readOnly = fileWith("ro.ini", "[s]\nk=old\n"), nowhere = dir.file("missing/zpm.ini");
    ::chmod(readOnly.c_str(), 0444);
    for (auto [file, why] : {std::pair{readOnly, "Permission denied"}, {nowhere, "No such file or directory"}}) {
        EXPECT_FALSE(SetIniValue("s", "k", "new", file));
        EXPECT_EQ(LastWriteError() + ", " + get(file), std::string(why) + ", new");
    }
    EXPECT_EQ(readFile(readOnly), "[s]\nk=old\n");
    EXPECT_TRUE(SetIniValue("s", "k", "v", dir.file("written.ini")) && LastWriteError().empty());
    // A file that could not be read is never replaced, though it could be written.
    const auto locked = fileWith("locked.ini", "[s]\nk=secret\n");
    ::chmod(locked.c_str(), 0600);
    [[maybe_unused]] const int given = ::chown(locked.c_str(), 65534, 65534);  // to the user the scenario runs as
    ::chmod(dir.path().c_str(), 0777);
    if (!testing_support::reachableWithoutRights(dir.path())) GTEST_SKIP() << "the temporary folder is closed to others";
    EXPECT_TRUE(testing_support::childSucceeds([&] {
        if (!testing_support::dropRights()) return false;
        ::chmod(locked.c_str(), 0200);
        const bool ok = get(locked) == "D" && !SetIniValue("s", "k", "new", locked) && get(locked) == "new" &&
                        LastWriteError().starts_with("the file could not be read");
        return SetIniValue("s", "other", "x", locked), ok;
    }));
    ::chmod(locked.c_str(), 0600);
    EXPECT_EQ(readFile(locked), "[s]\nk=secret\n");
}

// Two copies of the program on one file, each holding it before the other
// writes, take turns: every key of both survives; reads come from memory.
TEST_F(SettingsStore, TwoProcessesWritingInTurnKeepEachOthersKeys) {
    const auto path = fileWith("shared.ini", "[snds]\r\ns1=first\r\n");
    ASSERT_EQ(GetIniValue("snds", "s1", "D", path), "first");
    int toChild[2], toParent[2];
    ASSERT_EQ(::pipe(toChild) | ::pipe(toParent), 0);
    const auto takeTurns = [&](int key, int wait, int pass) {  // keys key, key + 2, ... up to s9
        char token = 0;
        for (; key <= 9; key += 2) {
            if (key > 2 && ::read(wait, &token, 1) != 1) return false;
            if (!SetIniValue("snds", "s" + std::to_string(key), "v", path)) return false;
            if (::write(pass, &token, 1) != 1) return false;
        }
        return true;
    };
    const pid_t child = ::fork();
    if (child == 0) ::_exit(takeTurns(3, toChild[0], toParent[1]) ? 0 : 1);
    EXPECT_TRUE(takeTurns(2, toParent[0], toChild[1]));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]}) ::close(fd);
    const std::string text = readFile(path);
    for (int key = 1; key <= 9; ++key) EXPECT_NE(text.find("s" + std::to_string(key) + "="), std::string::npos) << key;
    EXPECT_EQ(GetIniValue("snds", "s9", "D", path), "D") << "written by the other after this one's last write";
}

// Two copies writing at the same moment, each starting from the file as it
// was before the other wrote anything: every key of both survives.
TEST_F(SettingsStore, TwoProcessesWritingAtOnceKeepAllKeys) {
    const auto path = fileWith("shared.ini", "[snds]\r\n");
    constexpr int keysEach = 40;
    int release[2];
    ASSERT_EQ(::pipe(release), 0);
    const auto startWriter = [&](std::string prefix) {
        return testing_support::startChild([&] {
            ::close(release[1]);
            get(path);
            char ignored = 0;
            if (::read(release[0], &ignored, 1) != 0) return 1;  // the end of the pipe starts both at once
            for (int key = 1; key <= keysEach; ++key)
                if (!SetIniValue("snds", prefix + std::to_string(key), "v", path)) return 1;
            return 0;
        });
    };
    const pid_t writers[] = {startWriter("a"), startWriter("b")};
    for (int fd : release) ::close(fd);
    for (pid_t writer : writers) EXPECT_TRUE(testing_support::exitedWith(testing_support::statusOf(writer), 0));
    int kept = 0;
    for (const char* prefix : {"a", "b"})
        for (int key = 1; key <= keysEach; ++key) kept += GetIniValue("snds", prefix + std::to_string(key), "", path) == "v";
    EXPECT_EQ(kept, 2 * keysEach);
}

// A writer killed while it holds the lock, waiting or halfway through writing the file: the file keeps
// everything written before, the lock is free again and the next write goes through.
TEST_F(SettingsStore, AWriterKilledHoldingTheLockLeavesTheFileWholeAndTheLockFree) {
    const std::string before = "[s]\r\nk=old\r\na=1\r\nb=2\r\n";
    for (const bool halfway : {false, true}) {
        const auto path = fileWith(halfway ? "halfway.ini" : "waiting.ini", "[s]\r\nk=old\r\n");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t writer = testing_support::startChild([&] {
            if (!SetIniValue("s", "a", "1", path) || !SetIniValue("s", "b", "2", path)) return 1;
            if (halfway) {  // the file size limit kills the writer while it writes, the store holding the lock
                const rlimit limit{1000, 1000};
                ::setrlimit(RLIMIT_FSIZE, &limit);
                std::signal(SIGXFSZ, SIG_DFL);
                return SetIniValue("s", "c", std::string(5000, 'x'), path) ? 1 : 2;
            }
            const FileLock lock(path);
            const char token = 'h';
            if (!lock.held() || ::write(ready[1], &token, 1) != 1) return 1;
            for (;;) ::pause();
        });
        ::close(ready[1]);
        if (!halfway) {
            char token = 0;
            ASSERT_EQ(::read(ready[0], &token, 1), 1) << "the writer took the lock";
            EXPECT_FALSE(FileLock(path, {.patience = milliseconds(0)}).held()) << "nobody else has it while the writer lives";
            ::kill(writer, SIGKILL);
        }
        ::close(ready[0]);
        const int status = testing_support::statusOf(writer);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == (halfway ? SIGXFSZ : SIGKILL)) << halfway;
        EXPECT_TRUE(FileLock(path, {.patience = milliseconds(0)}).held()) << halfway;
        EXPECT_EQ(readFile(path), before) << halfway;
        EXPECT_TRUE(SetIniValue("s", "c", "3", path)) << halfway;
        EXPECT_EQ(readFile(path), before + "c=3\r\n") << halfway;
    }
}

// Where the folder cannot be locked, a write goes on without the lock, as it always did.
TEST_F(SettingsStore, AFolderThatCannotBeLockedIsWrittenAsBefore) {
    const fs::path folder = dir.path() / "unreadable";
    fs::create_directory(folder);
    [[maybe_unused]] const int given = ::chown(folder.c_str(), 65534, 65534);  // to the user the scenario runs as
    ::chmod(folder.c_str(), 0300);  // entries can be made and renamed, but the folder cannot be opened
    ::chmod(dir.path().c_str(), 0711);
    if (!testing_support::reachableWithoutRights(dir.path())) GTEST_SKIP() << "the temporary folder is closed to others";
    const std::string path = (folder / "zpm.ini").string();
    EXPECT_TRUE(testing_support::childSucceeds([&] {
        if (!testing_support::dropRights()) return false;
        return !FileLock(path).held() && SetIniValue("s", "k", "1", path) && SetIniValue("s", "n", "2", path);
    }));
    EXPECT_EQ(readFile(path), "[s]\r\nk=1\r\nn=2\r\n");
}

TEST_F(SettingsStore, EventsDuringALoadSeeAConsistentStore) {
    const auto outer = fileWith("outer.ini", "[s]\nk=outer\n"), other = fileWith("other.ini", "[s]\nk=other\n");
    std::string nestedRead, why;
    bool refusedWrite = false;
    get(other);  // the lines of another file were held before
    pump([&] {
        nestedRead = get(outer);                               // same path: no lines yet
        refusedWrite = !SetIniValue("s", "k", "lost", outer);  // ... so the write does nothing, and says why
        why = LastWriteError();
    });
    const std::string outerValue = get(outer);  // the handler runs during this load
    EXPECT_EQ(std::tuple(outerValue + nestedRead, refusedWrite, why.empty()), std::tuple("outerD", true, false));
    EXPECT_EQ(readFile(outer), "[s]\nk=outer\n");
    // Another file loaded by the handler must not leave its lines under the path being loaded.
    pump([&] { nestedRead = get(other); });
    const auto third = fileWith("third.ini", "[s]\nk=third\n");
    EXPECT_EQ(get(third) + nestedRead, "thirdother");
    SetIniValue("s", "n", "1", third);
    EXPECT_EQ(readFile(third) + readFile(other), "[s]\r\nk=third\r\nn=1\r\n[s]\nk=other\n");
    // A write the handler completes on the file being loaded is kept, also when another file is held once it lands on disk.
    for (const bool otherHeldAfter : {false, true}) {
        const auto loaded = fileWith(otherHeldAfter ? "second.ini" : "loaded.ini", "[s]\nk=1\n");
        bool nestedWrite = false;
        pump([&] {
            get(other);
            nestedWrite = SetIniValue("s", "added", "yes", loaded);
            if (otherHeldAfter) get(other);
        });
        ASSERT_TRUE(get(loaded, "added") == "yes" && nestedWrite);
        SetEventPump(nullptr);
        EXPECT_TRUE(SetIniValue("s", "k", "2", loaded));
        EXPECT_EQ(readFile(loaded), "[s]\r\nk=2\r\nadded=yes\r\n");
    }
}
