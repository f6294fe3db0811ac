#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/FileUtil.h"
#include "common/IpAddress.h"
#include "common/Text.h"
#include "support/TempDir.h"

TEST(FileUtil, MakeDirectoriesAlongCreatesEveryFolderBeforeTheLastSlash) {
    TempDir dir;
    MakeDirectoriesAlong(dir / "a/b/c/file.html");
    EXPECT_TRUE(PathExists(dir / "a/b/c"));
    EXPECT_FALSE(PathExists(dir / "a/b/c/file.html"));
    MakeDirectoriesAlong(dir / "a/b/c/file.html");  // again: nothing to do, no harm
    EXPECT_TRUE(PathExists(dir / "a/b/c"));
}

TEST(FileUtil, AtomicWriteReplacesContentsAndKeepsTheMode) {
    TempDir dir;
    const std::string path = dir / "task.qbx";
    ASSERT_TRUE(WriteFileAtomically(path, "first"));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "second, longer"));
    EXPECT_EQ(ReadFileBytes(path), "second, longer");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    std::string back;
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, "second, longer");
}

TEST(FileUtil, AFailedAtomicWriteLeavesTheOldFileAndNoLeftovers) {
    TempDir dir;
    const std::string path = dir / "task.qbx";
    ASSERT_TRUE(WriteFileAtomically(path, "good"));
    // A file size limit stands for a full disk: the write fails half way.
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit saved = limit;
    limit.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool written = WriteFileAtomically(path, std::string(5000, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFileBytes(path), "good");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1) << "the temporary file must be removed";
    std::string missing;
    EXPECT_FALSE(ReadWholeFile(dir / "none.qbx", missing));
}

TEST(TextHelpers, TrimAndPrefixAndFileName) {
    EXPECT_EQ(Trim(" \t apple pie \r\n"), "apple pie");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_TRUE(StartsWithNoCase("HTTP://host", "http://"));
    EXPECT_FALSE(StartsWithNoCase("http:/", "http://"));
    EXPECT_EQ(FileNameOf("/tasks/shop.old.qbx"), "shop.old.qbx");
    EXPECT_EQ(FileNameOf("shop.qbx"), "shop.qbx");
}

TEST(IpAddress, ParsesOnlyPlainDottedAddresses) {
    EXPECT_EQ(ParseDottedIp("10.0.1.254"), 0x0A0001FEu);
    EXPECT_EQ(ParseDottedIp("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseDottedIp("010.0.0.1"), 0x0A000001u);
    for (const char* bad : {"", "10.0.0", "10.0.0.256", "10.0.0.1.", "a.b.c.d", "1.2.3.4 ", "-1.0.0.0",
                            "1..2.3", "1000.0.0.1"}) {
        EXPECT_FALSE(ParseDottedIp(bad).has_value()) << bad;
    }
    EXPECT_EQ(FormatDottedIp(0x0A0001FEu), "10.0.1.254");
}
