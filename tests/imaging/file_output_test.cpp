#include "imaging/file_output.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// An ordinary user (nobody), and the owner of files that are not this
// user's (no account needs to exist for it).
constexpr uid_t kOrdinaryUser = 65534;
constexpr uid_t kOtherUser = 65533;

bool runsAsRoot()
{
    return ::geteuid() == 0;
}

// Runs `write` in a child process, as kOrdinaryUser when `ordinary` and the
// test runs as root, and hands back its answer. A write that blocks for
// five seconds ends the child: the test fails instead of hanging.
base::Status inChild(bool ordinary, const std::function<base::Status()>& write)
{
    int answer[2];
    if (::pipe(answer) != 0)
        return base::Fail("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(answer[0]);
        ::alarm(5);
        if (ordinary && runsAsRoot()
            && (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0 || ::setuid(kOrdinaryUser) != 0))
            ::_exit(2);
        const base::Status status = write();
        const std::string text = status ? std::string("ok") : "failed:" + status.error();
        if (::write(answer[1], text.data(), text.size()) < 0)
            ::_exit(3);
        ::_exit(0);
    }
    ::close(answer[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(answer[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(answer[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return base::Fail("the child process ended with status " + std::to_string(status));
    if (text == "ok")
        return base::Done();
    return base::Fail(text.substr(text.find(':') + 1));
}

class WriteFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "quintalis-out-XXXXXX").string();
        folder = ::mkdtemp(pattern.data());
        ::umask(022);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string at(const std::string& name) const { return (folder / name).string(); }
    //! Lets the ordinary user into the folder.
    void openToAll() const { ::chmod(folder.c_str(), 0777); }
    struct stat statusOf(const std::string& name) const
    {
        struct stat st{};
        ::stat(at(name).c_str(), &st);
        return st;
    }
    std::string contents(const std::string& name) const
    {
        std::ifstream in(at(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void put(const std::string& name, const std::string& text) const { std::ofstream(at(name)) << text; }
    std::set<std::string> names() const
    {
        std::set<std::string> out;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            out.insert(entry.path().lexically_relative(folder).string());
        return out;
    }

    fs::path folder;
};

TEST_F(WriteFile, ReplacesOrCreatesTheFileAtTheEndOfItsLinks)
{
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* target;  // where the bytes must land
        std::set<std::string> after;
        fs::perms mode;
    };
    const Case cases[] = {
        {"new file", [] {}, "out", {"out"}, fs::perms(0644)},
        {"existing file keeps its mode",
         [&] {
             put("out", "old contents, longer than the new ones");
             fs::permissions(at("out"), fs::perms(0640));
         },
         "out", {"out"}, fs::perms(0640)},
        {"chain of links",
         [&] {
             fs::create_directory(at("sub"));
             put("sub/real", "old");
             fs::create_symlink("sub/real", at("middle"));
             fs::create_symlink(at("middle"), at("out"));
         },
         "sub/real", {"out", "middle", "sub", "sub/real"}, fs::perms(0644)},
        {"link to nothing yet", [&] { fs::create_symlink("real", at("out")); }, "real", {"out", "real"},
         fs::perms(0644)},
    };
    for (const Case& c : cases) {
        fs::remove_all(folder);
        fs::create_directory(folder);
        c.make();
        const base::Status written = imaging::WriteFile(at("out"), "new");
        EXPECT_TRUE(written) << c.what << ": " << written.error();
        EXPECT_EQ(contents(c.target), "new") << c.what;
        EXPECT_EQ(fs::status(at(c.target)).permissions(), c.mode) << c.what;
        EXPECT_EQ(names(), c.after) << c.what;  // no temporary file left behind
    }
}

TEST_F(WriteFile, RefusesWithAMessageAndLeavesEverythingAsItWas)
{
    struct Case {
        const char* what;
        std::function<void()> make;
        std::string path;
        const char* says;
    };
    const Case cases[] = {
        {"missing folder", [] {}, at("nowhere/out"), "the folder does not exist"},
        {"a folder", [&] { fs::create_directory(at("out")); }, at("out"), "is a folder"},
        {"a file used as a folder", [&] { put("file", "x"); }, at("file/out"), "a part of its path is not a folder"},
        {"links in a circle",
         [&] {
             fs::create_symlink("b", at("a"));
             fs::create_symlink("a", at("b"));
         },
         at("a"), "too many symbolic links"},
        {"a device that is full", [] {}, "/dev/full", "no space left on the device"},
    };
    for (const Case& c : cases) {
        fs::remove_all(folder);
        fs::create_directory(folder);
        c.make();
        const std::set<std::string> before = names();
        const base::Status written = imaging::WriteFile(c.path, "new");
        EXPECT_FALSE(written) << c.what;
        EXPECT_EQ(written.error(), "cannot write " + c.path + ": " + c.says) << c.what;
        EXPECT_EQ(names(), before) << c.what;
    }
}

TEST_F(WriteFile, AWriteThatFailsHalfwayLeavesTheOldFile)
{
    put("out", "old");
    // The file size limit makes the write fail after the first 4 KiB, as a
    // full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const base::Status written = imaging::WriteFile(at("out"), std::string(100000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(written.error(), "cannot write " + at("out") + ": the file is too large");
    EXPECT_EQ(contents("out"), "old");
    EXPECT_EQ(names(), std::set<std::string>{"out"});
}

TEST_F(WriteFile, WritesIntoPipesAndDevicesWithoutReplacingThem)
{
    ASSERT_EQ(::mkfifo(at("pipe").c_str(), 0600), 0);
    const int reader = ::open(at("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_TRUE(imaging::WriteFile(at("pipe"), "through the pipe"));
    EXPECT_TRUE(fs::is_fifo(at("pipe")));
    char got[32] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 16);
    EXPECT_STREQ(got, "through the pipe");
    ::close(reader);

    // A pipe whose reader has gone answers with a signal that would end the
    // program; it must come back as a message instead.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const std::string closed = "/proc/self/fd/" + std::to_string(ends[1]);
    EXPECT_EQ(imaging::WriteFile(closed, "lost").error(), "cannot write " + closed + ": nothing reads the pipe any more");
    ::close(ends[1]);

    EXPECT_TRUE(imaging::WriteFile("/dev/null", "nothing"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(names(), std::set<std::string>{"pipe"});
}

// What a user may not write stays as it is, whoever asks; what is written
// over keeps its owner, group and mode.
TEST_F(WriteFile, RefusesWhatTheUserMayNotWriteAndKeepsOwnerGroupAndMode)
{
    openToAll();
    struct Case {
        const char* what;
        bool needsRoot;  // to give the file to another user
        uid_t owner;     // of the file before (root: the ordinary user)
        mode_t mode;
        bool ordinary;   // written as the ordinary user
        const char* says;  // or nothing: written
    } cases[] = {
        {"own file, read-only", false, kOrdinaryUser, 0444, true, "it is read-only"},
        {"another user's file", true, kOtherUser, 0644, true, "it is read-only"},
        {"another user's file that all may write", true, kOtherUser, 0666, true, nullptr},
        {"another user's file, written by root", true, kOrdinaryUser, 0640, false, nullptr},
        {"own file with set-group-id", false, kOrdinaryUser, 02664, true, nullptr},
    };
    for (const Case& c : cases) {
        if (c.needsRoot && !runsAsRoot())
            continue;
        SCOPED_TRACE(c.what);
        fs::remove(at("out"));
        put("out", "old");
        if (runsAsRoot()) {
            ASSERT_EQ(::chown(at("out").c_str(), c.owner, c.owner), 0);
        }
        ASSERT_EQ(::chmod(at("out").c_str(), c.mode), 0);
        const struct stat before = statusOf("out");
        const std::string path = at("out");
        const base::Status written = inChild(c.ordinary, [&] { return imaging::WriteFile(path, "new"); });
        if (c.says) {
            EXPECT_EQ(written.error(), "cannot write " + path + ": " + c.says);
            EXPECT_EQ(contents("out"), "old");
        } else {
            EXPECT_TRUE(written) << written.error();
            EXPECT_EQ(contents("out"), "new");
        }
        const struct stat after = statusOf("out");
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(names(), std::set<std::string>{"out"});
    }
}

// A file with two names is written where it is: both names show the new
// contents, and a write that fails halfway puts the old ones back.
TEST_F(WriteFile, AFileWithTwoNamesIsWrittenInPlace)
{
    put("out", "old contents, longer than the new ones");
    ASSERT_EQ(::link(at("out").c_str(), at("other").c_str()), 0);
    ASSERT_TRUE(imaging::WriteFile(at("out"), "new"));
    EXPECT_EQ(contents("out"), "new");
    EXPECT_EQ(contents("other"), "new");
    EXPECT_EQ(statusOf("out").st_ino, statusOf("other").st_ino);
    EXPECT_EQ(statusOf("out").st_nlink, 2u);

    // The file size limit stops the write after 4 KiB, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const base::Status written = imaging::WriteFile(at("other"), std::string(100000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(written.error(), "cannot write " + at("other") + ": the file is too large");
    EXPECT_EQ(contents("out"), "new");
    EXPECT_EQ(statusOf("out").st_nlink, 2u);
    EXPECT_EQ(names(), (std::set<std::string>{"out", "other"}));
}

// Every legal name can be written, the longest too (the hidden temporary
// name beside it must be legal as well), and in several bytes a character.
TEST_F(WriteFile, WritesNamesUpToTheLongestTheFolderTakes)
{
    std::string accents;
    while (accents.size() < 254)
        accents += "\xc3\xa9";  // two bytes each
    accents += "a";
    for (const std::string& name : {std::string(200, 'n'), std::string(237, 'n'), std::string(238, 'n'),
                                    std::string(255, 'n'), accents}) {
        fs::remove_all(folder);
        fs::create_directory(folder);
        const base::Status written = imaging::WriteFile(at(name), "new");
        EXPECT_TRUE(written) << name.size() << ": " << written.error();
        EXPECT_EQ(contents(name), "new") << name.size();
        put(name, "old");
        EXPECT_TRUE(imaging::WriteFile(at(name), "new")) << name.size();
        EXPECT_EQ(names(), std::set<std::string>{name}) << name.size();
    }
}

// A pipe nobody reads does not hold the program: the write says so at once.
TEST_F(WriteFile, APipeNobodyReadsIsRefusedAtOnce)
{
    ASSERT_EQ(::mkfifo(at("pipe").c_str(), 0600), 0);
    const std::string path = at("pipe");
    const base::Status written = inChild(false, [&] { return imaging::WriteFile(path, "nobody hears"); });
    EXPECT_EQ(written.error(), "cannot write " + path + ": nothing is reading the pipe");
    EXPECT_TRUE(fs::is_fifo(at("pipe")));
}

}  // namespace
