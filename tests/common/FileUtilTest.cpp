#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
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

TEST(FileUtil, AtomicWriteGoesThroughSymbolicLinksToTheFileTheyName) {
    TempDir dir;
    std::filesystem::create_directories(dir / "archive");
    WriteFileBytes(dir / "archive/task.qbx", "old");
    // task.qbx -> middle.qbx -> archive/task.qbx (relative); dangling.qbx -> nothing yet
    std::filesystem::create_symlink("archive/task.qbx", dir / "middle.qbx");
    std::filesystem::create_symlink(dir / "middle.qbx", dir / "task.qbx");
    std::filesystem::create_symlink("archive/new.qbx", dir / "dangling.qbx");
    for (const char* name : {"task.qbx", "dangling.qbx"}) {
        ASSERT_TRUE(WriteFileAtomically(dir / name, std::string("new ") + name)) << name;
        EXPECT_TRUE(std::filesystem::is_symlink(dir / name)) << name;
        EXPECT_EQ(ReadFileBytes(dir / name), std::string("new ") + name);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "middle.qbx"));
    EXPECT_EQ(ReadFileBytes(dir / "archive/task.qbx"), "new task.qbx");

    std::filesystem::create_symlink("loop.qbx", dir / "loop.qbx");
    EXPECT_FALSE(WriteFileAtomically(dir / "loop.qbx", "x"));
    EXPECT_EQ(errno, ELOOP);
}

TEST(FileUtil, AtomicWriteKeepsOwnerAndModeAndRefusesReadOnlyFiles) {
    TempDir dir;
    const std::string path = dir / "task.qbx";
    WriteFileBytes(path, "kept");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(WriteFileAtomically(path, "lost"));
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(ReadFileBytes(path), "kept");

    ASSERT_EQ(chmod(path.c_str(), 0620), 0);
    // Only the superuser may give a file away; others keep their own files.
    const bool superuser = geteuid() == 0;
    if (superuser) {
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    }
    ASSERT_TRUE(WriteFileAtomically(path, "replaced"));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0620u);
    EXPECT_EQ(info.st_uid, superuser ? 65534u : geteuid());
    EXPECT_EQ(info.st_gid, superuser ? 65534u : getegid());
}

TEST(FileUtil, AtomicWriteFitsAnyNameAndCreatesFilesWithTheModeAsked) {
    TempDir dir;
    // The longest name a folder entry may have (NAME_MAX).
    const std::string longest = std::string(251, 'n') + ".qbx";
    ASSERT_TRUE(WriteFileAtomically(dir / longest, "long")) << std::strerror(errno);
    EXPECT_EQ(ReadFileBytes(dir / longest), "long");

    ASSERT_TRUE(WriteFileAtomically(dir / "private.qbx", "secret", 0600));
    struct stat info {};
    ASSERT_EQ(stat((dir / "private.qbx").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2) << "no temporary file is left";
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
