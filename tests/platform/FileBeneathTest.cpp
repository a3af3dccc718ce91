#include "platform/FileBeneath.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Both ways of resolving get the same cases: the kernel's, and the walk that kernels without
// openat2 fall back on.
class FileBeneath : public ::testing::TestWithParam<BeneathResolution>
{
protected:
    FileBeneath()
    {
        fs::create_directories(Files() / "sub");
        fs::create_directories(Outside());
        WriteFileBytes(Outside() / "secret.txt", "secret");
        WriteFileBytes(Files() / "book.txt", "book");
        WriteFileBytes(Files() / "sub" / "inner.txt", "inner");
    }

    fs::path Files() const { return FBase / "files"; }
    fs::path Outside() const { return FBase / "outside"; }
    void Link(const fs::path& target, const std::string& name) const
    {
        fs::create_symlink(target, Files() / name);
    }
    std::optional<std::string> Read(std::string_view name, std::size_t maxBytes = 1000) const
    {
        return ReadFileBeneath(Files(), name, maxBytes, GetParam());
    }

    TempDir FBase;
};

TEST_P(FileBeneath, FollowsLinksThatStayInsideAndRefusesEveryWayOut)
{
    Link("sub/inner.txt", "inside.txt");
    Link("sub", "sublink");
    Link("../book.txt", "sub/up.txt");
    Link("../../outside/secret.txt", "sub/climb.txt");
    Link(Outside() / "secret.txt", "escape.txt");
    Link(Outside(), "outdir");
    Link("../outside", "reldir");
    Link(Files() / "book.txt", "absolute-inside.txt");
    Link("loop2", "loop1");
    Link("loop1", "loop2");
    ASSERT_EQ(::mkfifo((Files() / "fifo").c_str(), 0600), 0);

    const std::vector<std::pair<std::string, std::string>> found{
        {"book.txt", "book"},        {"sub/inner.txt", "inner"},      {"./sub//inner.txt", "inner"},
        {"inside.txt", "inner"},     {"sublink/inner.txt", "inner"},  {"sub/up.txt", "book"},
        {"sub/../book.txt", "book"}, {"sublink/../book.txt", "book"},
    };
    for (const auto& [name, bytes] : found)
        EXPECT_EQ(Read(name), bytes) << name;

    const std::vector<std::string> refused{
        "../outside/secret.txt",
        "sub/climb.txt",
        "escape.txt",
        "outdir/secret.txt",
        "reldir/secret.txt",
        "absolute-inside.txt",
        "loop1",
        "sub",
        "sub/.",
        "book.txt/",
        "book.txt/x",
        "fifo",
        "missing",
        "",
        (Files() / "book.txt").string(),
        std::string("book.txt\0x", 10),
    };
    for (const std::string& name : refused)
        EXPECT_EQ(Read(name), std::nullopt) << name;
}

TEST_P(FileBeneath, LinkChainsAndSizeLimit)
{
    // The kernel follows 40 links in one path and no more.
    Link("book.txt", "chain0");
    for (int i = 1; i <= 40; ++i)
        Link("chain" + std::to_string(i - 1), "chain" + std::to_string(i));
    EXPECT_EQ(Read("chain39"), "book");
    EXPECT_EQ(Read("chain40"), std::nullopt);

    EXPECT_EQ(Read("book.txt", 4), "book");
    EXPECT_EQ(Read("book.txt", 3), std::nullopt);
    WriteFileBytes(Files() / "empty", "");
    EXPECT_EQ(Read("empty", 0), "");
}

// A folder on the way is replaced by a link out of the folder and back, over and over, while we
// read through it: a check made before the open could pass on the folder and the open then follow
// the link.
TEST_P(FileBeneath, FolderSwappedForALinkOutIsNeverFollowed)
{
    // Deep below the swapped folder, so that a check of the whole path takes a while.
    const std::string deep = "a/b/c/d/e/f/g/h";
    fs::create_directories(Outside() / deep);
    fs::create_directories(Files() / "swap" / deep);
    WriteFileBytes(Outside() / deep / "data.txt", "secret");
    WriteFileBytes(Files() / "swap" / deep / "data.txt", "inside");
    Link(Outside(), "swap.link");

    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        std::error_code ignored;
        while (!stop) {
            fs::rename(Files() / "swap", Files() / "swap.dir", ignored);
            fs::rename(Files() / "swap.link", Files() / "swap", ignored);
            fs::rename(Files() / "swap", Files() / "swap.link", ignored);
            fs::rename(Files() / "swap.dir", Files() / "swap", ignored);
        }
    });
    int leaks = 0;
    for (int i = 0; i < 20000; ++i)
        leaks += Read("swap/" + deep + "/data.txt") == "secret" ? 1 : 0;
    stop = true;
    swapper.join();
    EXPECT_EQ(leaks, 0);
}

INSTANTIATE_TEST_SUITE_P(Resolution, FileBeneath,
                         ::testing::Values(BeneathResolution::Kernel, BeneathResolution::Components),
                         [](const auto& info) {
                             return info.param == BeneathResolution::Kernel ? "Kernel" : "Components";
                         });

} // namespace
