#include "imaging/file_output.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

}  // namespace
