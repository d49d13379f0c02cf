#include "mdINIBas.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <iterator>
#include <string>

#include "temp_dir.h"

using mdINIBas::GetIniValue;
using mdINIBas::SetIniValue;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;
namespace fs = std::filesystem;

namespace {

class SettingsStore : public ::testing::Test {
protected:
    void TearDown() override { mdINIBas::SetEventPump(nullptr); }

    // Each test works on files of its own folder, so the store loads them
    // fresh from disk on first use.
    std::string fileWith(std::string_view name, std::string_view text) {
        const std::string path = dir.file(name);
        writeFile(path, text);
        return path;
    }

    TempDir dir;
};

}  // namespace

TEST_F(SettingsStore, FindsHeadersAndKeysByTheirSyntax) {
    const auto ini = fileWith("syntax.ini",
                              "x=before any header\r\n"
                              "[SNDS]\r\n"
                              "S1=one\r\n"
                              "s10=ten\r\n"
                              " s2=blank before key\r\n"
                              "s3 =blank before equals\r\n"
                              "s4=a=b\r\n"
                              "s5=\r\n"
                              "s6=  padded\r\n"
                              "s1=second of key\r\n"
                              " [lsts]\r\n"
                              "s7=in snds still\r\n"
                              "[snds]\r\n"
                              "s8=second header\r\n"
                              "[other]tail\r\n"
                              "k=v\r\n");
    EXPECT_EQ(GetIniValue("snds", "s1", "D", ini), "one");       // case-insensitive, first key wins
    EXPECT_EQ(GetIniValue("snds", "s10", "D", ini), "ten");      // s1 is no prefix match of s10
    EXPECT_EQ(GetIniValue("snds", "s2", "D", ini), "D");
    EXPECT_EQ(GetIniValue("snds", "s3", "D", ini), "D");
    EXPECT_EQ(GetIniValue("snds", "s4", "D", ini), "a=b");
    EXPECT_EQ(GetIniValue("snds", "s5", "D", ini), "");          // empty value, not the default
    EXPECT_EQ(GetIniValue("snds", "s6", "D", ini), "  padded");
    EXPECT_EQ(GetIniValue("snds", "s7", "D", ini), "in snds still");  // " [lsts]" is no header
    EXPECT_EQ(GetIniValue("lsts", "s7", "D", ini), "D");
    EXPECT_EQ(GetIniValue("snds", "s8", "D", ini), "D");         // only the first header counts
    EXPECT_EQ(GetIniValue("other", "k", "D", ini), "v");         // text after "]" is ignored
    EXPECT_EQ(GetIniValue("", "x", "D", ini), "D");              // no key lives outside a section

    for (const char* bad : {"a[b", "a]b", "a=b"}) {
        EXPECT_EQ(GetIniValue(bad, "s1", "D", ini), "D") << bad;
        EXPECT_EQ(GetIniValue("snds", bad, "D", ini), "D") << bad;
    }
}

TEST_F(SettingsStore, LineBreaksAreLfWithCrIgnored) {
    const auto crOnly = fileWith("cr.ini", "[a]\rx=1\r");
    EXPECT_EQ(GetIniValue("a", "x", "D", crOnly), "D");  // one line: "[a]x=1"
    const auto lf = fileWith("lf.ini", "[a]\nx=1\n");
    EXPECT_EQ(GetIniValue("a", "x", "D", lf), "1");
}

TEST_F(SettingsStore, WritesTheNormalForm) {
    const auto path = dir.file("six.ini");
    SetIniValue("a", "x", "1", path);
    SetIniValue("b", "y", "2", path);
    SetIniValue("a", "z", "3", path);
    EXPECT_EQ(readFile(path), "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n");

    const auto messy = fileWith("messy.ini",
                                "\n"
                                "[first]\n"
                                "k=old   \n"
                                "   \n"
                                "\n"
                                "  keep me  \n"
                                "[second]\n"
                                "v=1\n");
    SetIniValue("FIRST", "K", "new  ", messy);
    EXPECT_EQ(readFile(messy),
              "[first]\r\n"      // header at position 1: no empty line before it
              "K=new\r\n"        // the caller's key, trailing blanks gone
              "\r\n"             // a line of blanks becomes an empty line
              "keep me\r\n"      // other text stays, trimmed
              "\r\n"
              "[second]\r\n"
              "v=1\r\n");
    EXPECT_EQ(GetIniValue("first", "k", "D", messy), "new  ");  // memory keeps the untrimmed value

    SetIniValue("first", "added", "x", messy);  // lands before the next section
    EXPECT_NE(readFile(messy).find("keep me\r\nadded=x\r\n\r\n[second]"), std::string::npos);
}

TEST_F(SettingsStore, CreatesAMissingFileOnlyWhenWriting) {
    const auto path = dir.file("new.ini");
    EXPECT_EQ(GetIniValue("s", "k", "D", path), "D");
    EXPECT_FALSE(fs::exists(path));
    SetIniValue("s", "k", "v", path);
    EXPECT_EQ(readFile(path), "[s]\r\nk=v\r\n");

    SetIniValue("s", "k", "v", "");  // an empty name is no file
    EXPECT_EQ(GetIniValue("s", "k", "D", ""), "D");
    SetIniValue("bad=", "k", "v", path);
    EXPECT_EQ(readFile(path), "[s]\r\nk=v\r\n");
}

TEST_F(SettingsStore, HoldsOneFileAndReloadsOnlyOnASwitch) {
    const auto first = fileWith("a.ini", "[s]\nk=first\n");
    const auto capital = fileWith("A.ini", "[s]\nk=capital\n");
    EXPECT_EQ(GetIniValue("s", "k", "D", first), "first");

    writeFile(first, "[s]\nk=changed\n");
    EXPECT_EQ(GetIniValue("s", "k", "D", first), "first");  // same path: no reload

    EXPECT_EQ(GetIniValue("s", "k", "D", capital), "capital");  // paths compare exactly
    SetIniValue("s", "k", "written", capital);
    EXPECT_EQ(readFile(first), "[s]\nk=changed\n");

    EXPECT_EQ(GetIniValue("s", "k", "D", first), "changed");  // switching back reloads
}

TEST_F(SettingsStore, AWriteNeverDestroysTheFileAndReportsWhyItFailed) {
    const auto readOnly = fileWith("ro.ini", "[s]\nk=old\n");
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_FALSE(SetIniValue("s", "k", "new", readOnly));
    EXPECT_EQ(mdINIBas::LastWriteError(), "Permission denied");
    EXPECT_EQ(readFile(readOnly), "[s]\nk=old\n");
    EXPECT_EQ(GetIniValue("s", "k", "D", readOnly), "new");  // kept in memory

    const auto nowhere = dir.file("missing-folder/zpm.ini");
    EXPECT_FALSE(SetIniValue("s", "k", "v", nowhere));
    EXPECT_EQ(mdINIBas::LastWriteError(), "No such file or directory");
    EXPECT_FALSE(fs::exists(nowhere));
    EXPECT_EQ(GetIniValue("s", "k", "D", nowhere), "v");

    const auto written = dir.file("written.ini");
    EXPECT_TRUE(SetIniValue("s", "k", "v", written));
    EXPECT_EQ(mdINIBas::LastWriteError(), "");
    EXPECT_FALSE(SetIniValue("s", "k=", "v", written));
    EXPECT_NE(mdINIBas::LastWriteError(), "");
    EXPECT_FALSE(SetIniValue("s", "k", "v", ""));

    const auto kept = fileWith("mode.ini", "[s]\nk=1\n");
    ::chmod(kept.c_str(), 0640);
    SetIniValue("s", "k", "2", kept);
    EXPECT_EQ(fs::status(kept).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const auto target = fileWith("target.ini", "[s]\nk=1\n");
    const auto link = dir.file("link.ini");
    fs::create_symlink("target.ini", link);
    SetIniValue("s", "k", "through", link);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(target), "[s]\r\nk=through\r\n");

    for (const auto& entry : fs::directory_iterator(dir.path()))  // no temporary file is left over
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
}

TEST_F(SettingsStore, ValuesAndNamesWithLineBreaksAreRefused) {
    const std::string original = "[inifilepath]\r\npath=NIL\r\n\r\n[snds]\r\ns1=/a.wav\r\n";
    const auto path = fileWith("zpm.ini", original);
    const std::string redirect = "/x.wav\r\n[inifilepath]\r\npath=/evil.ini";
    struct Case {
        std::string section, key, value;
    };
    const Case cases[] = {
        {"snds", "s1", redirect},  {"snds", "s1", "/x\n.wav"}, {"snds", "s1", "/x\r.wav"},
        {"snds", "s1\npath", "v"}, {"snds\r\n", "s2", "v"},   {"snds", "s2", "\n"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(SetIniValue(c.section, c.key, c.value, path)) << c.value;
        EXPECT_NE(mdINIBas::LastWriteError(), "");
    }
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(GetIniValue("snds", "s1", "D", path), "/a.wav");
    EXPECT_EQ(GetIniValue("snds", "s2", "D", path), "D");
    EXPECT_EQ(GetIniValue("inifilepath", "path", "D", path), "NIL");
}

TEST_F(SettingsStore, LongFileNamesAndWritesKilledHalfway) {
    const std::string longName = dir.file(std::string(250, 'z'));
    EXPECT_TRUE(SetIniValue("s", "k", "v", longName));
    EXPECT_EQ(readFile(longName), "[s]\r\nk=v\r\n");

    const auto path = fileWith("zpm.ini", "[s]\r\nk=old\r\n");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The file size limit kills the store in the middle of its write.
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_DFL);
        SetIniValue("s", "k", std::string(500, 'x'), path);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const auto entries = [&] { return std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()); };
    EXPECT_EQ(entries(), 3);  // with the child's temporary file

    EXPECT_TRUE(SetIniValue("s", "k", "new", path));
    EXPECT_EQ(entries(), 2);
    EXPECT_EQ(readFile(path), "[s]\r\nk=new\r\n");
}

TEST_F(SettingsStore, AnUnreadableFileIsNeverReplaced) {
    const auto path = fileWith("locked.ini", "[s]\nk=secret\n");
    ::chmod(path.c_str(), 0600);
    ::chmod(dir.path().c_str(), 0777);

    // Root reads every file, so the scenario runs in a child without privileges.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        if (::geteuid() != 0) ::chmod(path.c_str(), 0);
        bool ok = GetIniValue("s", "k", "D", path) == "D";
        SetIniValue("s", "k", "new", path);
        ok = ok && GetIniValue("s", "k", "D", path) == "new";
        SetIniValue("s", "other", "x", path);
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(readFile(path), "[s]\nk=secret\n");
}

TEST_F(SettingsStore, SavesEveryLineOfALargeFile) {
    std::string text = "[big]\n";
    for (int i = 0; i < 40000; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    const auto path = fileWith("big.ini", text);
    SetIniValue("big", "last", "yes", path);
    const std::string saved = readFile(path);
    EXPECT_NE(saved.find("k39999=39999\r\nlast=yes\r\n"), std::string::npos);
    EXPECT_EQ(GetIniValue("big", "k39999", "D", path), "39999");
}

TEST_F(SettingsStore, AnEndMarkerLineInTheFileIsOrdinaryText) {
    const auto path = fileWith("eot.ini", "[a]\nx=1\n##eot##\ny=2\n[b]\nz=3\n");
    EXPECT_EQ(GetIniValue("a", "y", "D", path), "2");
    EXPECT_EQ(GetIniValue("b", "z", "D", path), "3");
    SetIniValue("b", "w", "4", path);
    EXPECT_EQ(readFile(path), "[a]\r\nx=1\r\n##eot##\r\ny=2\r\n\r\n[b]\r\nz=3\r\nw=4\r\n");
}

TEST_F(SettingsStore, EventsDuringALoadSeeAConsistentStore) {
    const auto outer = fileWith("outer.ini", "[s]\nk=outer\n");
    const auto other = fileWith("other.ini", "[s]\nk=other\n");

    std::string nestedRead;
    bool inside = false;
    mdINIBas::SetEventPump([&] {
        if (inside) return;
        inside = true;
        nestedRead = GetIniValue("s", "k", "D", outer);  // same path: no lines yet
        SetIniValue("s", "k", "lost", outer);            // ... so the write does nothing
        inside = false;
    });
    EXPECT_EQ(GetIniValue("s", "k", "D", outer), "outer");
    EXPECT_EQ(nestedRead, "D");
    EXPECT_EQ(readFile(outer), "[s]\nk=outer\n");

    // A handler that loads another file must not leave that file's lines
    // recorded under the path being loaded, nor the other way round.
    mdINIBas::SetEventPump([&] {
        if (inside) return;
        inside = true;
        nestedRead = GetIniValue("s", "k", "D", other);
        inside = false;
    });
    const auto third = fileWith("third.ini", "[s]\nk=third\n");
    EXPECT_EQ(GetIniValue("s", "k", "D", third), "third");
    EXPECT_EQ(nestedRead, "other");
    SetIniValue("s", "n", "1", third);
    EXPECT_EQ(readFile(third), "[s]\r\nk=third\r\nn=1\r\n");
    EXPECT_EQ(readFile(other), "[s]\nk=other\n");
}

TEST_F(SettingsStore, AWriteCompletedDuringALoadIsKept) {
    const auto loaded = fileWith("loaded.ini", "[s]\nk=1\n");
    const auto other = fileWith("other.ini", "[s]\nk=other\n");
    bool inside = false;
    bool nestedWrite = false;
    // The handler switches to another file, then writes to the file being
    // loaded, which loads it afresh and saves it.
    mdINIBas::SetEventPump([&] {
        if (inside) return;
        inside = true;
        GetIniValue("s", "k", "D", other);
        nestedWrite = SetIniValue("s", "added", "yes", loaded);
        inside = false;
    });
    EXPECT_EQ(GetIniValue("s", "k", "D", loaded), "1");
    ASSERT_TRUE(nestedWrite);
    mdINIBas::SetEventPump(nullptr);
    EXPECT_EQ(GetIniValue("s", "added", "D", loaded), "yes");
    EXPECT_TRUE(SetIniValue("s", "k", "2", loaded));
    EXPECT_EQ(readFile(loaded), "[s]\r\nk=2\r\nadded=yes\r\n");

    // The same when the handler's write lands on disk while another file is
    // held at its end.
    const auto second = fileWith("second.ini", "[s]\nk=1\n");
    mdINIBas::SetEventPump([&] {
        if (inside) return;
        inside = true;
        GetIniValue("s", "k", "D", other);
        nestedWrite = SetIniValue("s", "added", "yes", second);
        GetIniValue("s", "k", "D", other);
        inside = false;
    });
    EXPECT_EQ(GetIniValue("s", "added", "D", second), "yes");
    ASSERT_TRUE(nestedWrite);
    mdINIBas::SetEventPump(nullptr);
    EXPECT_TRUE(SetIniValue("s", "k", "2", second));
    EXPECT_EQ(readFile(second), "[s]\r\nk=2\r\nadded=yes\r\n");
}
