#include "base/textfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "base/tempdir_for_tests.h"

namespace settings {
namespace {

using testutil::directoryListing;
using testutil::readBytes;
using testutil::TempDir;
using testutil::writeBytes;
using Lines = std::vector<std::string>;

TEST(TextFileSplit, LinesEndAtCrLfOrCrLfPair) {
    EXPECT_EQ(SplitTextLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitTextLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(SplitTextLines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitTextLines("a\r\r\nb"), (Lines{"a", "", "b"}));
}

TEST(TextFileSplit, EmptyLinesCountButNoLineFollowsTheLastLineEnd) {
    EXPECT_EQ(SplitTextLines(""), Lines{});
    EXPECT_EQ(SplitTextLines("\r\n"), (Lines{""}));
    EXPECT_EQ(SplitTextLines("\r\n\r\n"), (Lines{"", ""}));
    EXPECT_EQ(SplitTextLines("1\r\n2\r\n\r\n"), (Lines{"1", "2", ""}));
}

TEST(TextFileSplit, NulEndsTheText) {
    EXPECT_EQ(SplitTextLines(std::string_view("a\r\nb\0c\r\nd", 9)), (Lines{"a", "b"}));
    EXPECT_EQ(SplitTextLines(std::string_view("\0a", 2)), Lines{});
}

TEST(TextFileRead, ReadsBytesUnchanged) {
    TempDir dir;
    std::string bytes("x\0\xFF\r\n", 5);
    writeBytes(dir / "f", bytes);
    FileBytes file = ReadFileBytes(dir / "f");
    EXPECT_EQ(file.status, ReadStatus::kOk);
    EXPECT_EQ(file.bytes, bytes);
}

TEST(TextFileRead, TellsMissingFromUnreadable) {
    TempDir dir;
    EXPECT_EQ(ReadFileBytes(dir / "none").status, ReadStatus::kMissing);
    EXPECT_EQ(ReadFileBytes(dir / "none" / "f").status, ReadStatus::kMissing);
    writeBytes(dir / "plain", "x");
    EXPECT_EQ(ReadFileBytes(dir / "plain" / "f").status, ReadStatus::kMissing);
    EXPECT_EQ(ReadFileBytes(dir.path()).status, ReadStatus::kUnreadable);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReadFileBytes(dir / "fifo").status, ReadStatus::kUnreadable);  // and does not block
}

TEST(TextFileRead, SaysWhyAFileGaveNoBytes) {
    TempDir dir;
    writeBytes(dir / "five", "12345");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::ofstream(dir / "sparse").close();
    std::filesystem::resize_file(dir / "sparse", kMaxSettingsFileSize + 1);
    const struct {
        std::filesystem::path path;
        std::size_t maxSize;
        ReadProblem problem;
        std::string reason;
    } cases[] = {
        {dir / "five", 5, ReadProblem::kNone, ""},
        {dir / "none", 5, ReadProblem::kMissing, "not found"},
        {dir / "five" / "x", 5, ReadProblem::kMissing, "not found"},
        {dir / "five", 4, ReadProblem::kTooLarge, "too large: more than 4 bytes"},
        {dir / "sparse", kMaxSettingsFileSize, ReadProblem::kTooLarge, "too large: more than 67108864 bytes"},
        {dir / "fifo", 5, ReadProblem::kNotRegular, "not a regular file"},  // and does not block
        {dir.path(), 5, ReadProblem::kNotRegular, "not a regular file"},
        {"/dev/zero", 5, ReadProblem::kNotRegular, "not a regular file"},
        {std::string(5000, 'x'), 5, ReadProblem::kCannotOpen, "not readable: File name too long"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.string().substr(0, 100));
        const FileBytes file = ReadFileBytes(c.path, c.maxSize);
        EXPECT_EQ(file.problem, c.problem);
        EXPECT_EQ(file.reason, c.reason);
        EXPECT_EQ(file.status == ReadStatus::kOk, c.problem == ReadProblem::kNone);
        EXPECT_EQ(file.bytes.empty(), c.problem != ReadProblem::kNone);
    }
    // An open descriptor reads the same way and stays open.
    const int fd = ::open((dir / "five").c_str(), O_RDONLY);
    EXPECT_EQ(ReadOpenFile(fd, 5).bytes, "12345");
    EXPECT_EQ(ReadOpenFile(fd, 5).bytes, "");  // at its end
    EXPECT_EQ(::close(fd), 0);
}

TEST(TextFileRead, RefusesFilesOverTheLimit) {
    TempDir dir;
    writeBytes(dir / "f", "12345");
    EXPECT_EQ(ReadFileBytes(dir / "f", 5).status, ReadStatus::kOk);
    FileBytes tooLarge = ReadFileBytes(dir / "f", 4);
    EXPECT_EQ(tooLarge.status, ReadStatus::kUnreadable);
    EXPECT_EQ(tooLarge.bytes, "");
}

TEST(TextFileWrite, CreatesAndReplacesWithoutLeftovers) {
    TempDir dir;
    ASSERT_EQ(WriteFileAtomically(dir / "f", "first").error, "");
    EXPECT_EQ(readBytes(dir / "f"), "first");
    ASSERT_TRUE(WriteFileAtomically(dir / "f", std::string_view("2\0", 2)).ok());
    EXPECT_EQ(readBytes(dir / "f"), std::string_view("2\0", 2));
    ASSERT_TRUE(WriteFileAtomically(dir / "f", "").ok());
    EXPECT_EQ(readBytes(dir / "f"), "");
    EXPECT_EQ(directoryListing(dir.path()), "f;");
}

TEST(TextFileWrite, ReplacesTheFileALinkNamesAndKeepsTheLink) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    writeBytes(dir / "real" / "f", "old");
    std::filesystem::create_symlink("real/f", dir / "link");
    ASSERT_TRUE(WriteFileAtomically(dir / "link", "new").ok());
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link"));
    EXPECT_EQ(readBytes(dir / "real" / "f"), "new");
    EXPECT_EQ(directoryListing(dir / "real"), "f;");
}

TEST(TextFileWrite, KeepsThePermissionsOfTheReplacedFile) {
    TempDir dir;
    writeBytes(dir / "f", "old");
    ASSERT_EQ(::chmod((dir / "f").c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(dir / "f", "new").ok());
    struct stat st {};
    ASSERT_EQ(::stat((dir / "f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(TextFileWrite, FailsWithoutDamageWhenTheTargetCannotBeReplaced) {
    TempDir dir;
    std::filesystem::create_directory(dir / "d");
    writeBytes(dir / "d" / "inside", "keep");
    writeBytes(dir / "plain", "keep");
    const struct {
        const char* name;
        std::filesystem::path path;
        int error;
    } cases[] = {
        {"missing folder", dir / "missing" / "f", ENOENT},
        {"a folder in place of the file", dir / "d", EISDIR},
        {"a path that names a folder", dir / "d" / "", EISDIR},
        {"a file in place of the folder", dir / "plain" / "f", ENOTDIR},
        {"no path", "", ENOENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WriteFileAtomically(c.path, "x").error, std::generic_category().message(c.error));
    }
    EXPECT_EQ(readBytes(dir / "d" / "inside"), "keep");
    EXPECT_EQ(readBytes(dir / "plain"), "keep");
    EXPECT_EQ(directoryListing(dir.path()), "d;plain;");
    EXPECT_EQ(directoryListing(dir / "d"), "inside;");
}

TEST(TextFileWrite, FailedWriteLeavesTheOldFileAndNoTemporary) {
    TempDir dir;
    writeBytes(dir / "f", "old contents");
    // A file size limit makes the write itself fail, for root as well.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 4;
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const WriteResult written = WriteFileAtomically(dir / "f", std::string(100, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(written.error, std::generic_category().message(EFBIG));
    EXPECT_EQ(readBytes(dir / "f"), "old contents");
    EXPECT_EQ(directoryListing(dir.path()), "f;");
}

TEST(TextFileWrite, FailsInADirectoryTheUserMayNotWrite) {
    TempDir dir;
    writeBytes(dir / "f", "old");
    testutil::giveToNobodyIfRoot(dir.path());
    EXPECT_EQ(testutil::exitStatusAsNonRoot([&] {
                  return ::chmod(dir.path().c_str(), 0555) == 0 &&
                         WriteFileAtomically(dir / "f", "new").error == std::generic_category().message(EACCES);
              }),
              0);
    EXPECT_EQ(readBytes(dir / "f"), "old");
    EXPECT_EQ(directoryListing(dir.path()), "f;");
}

}  // namespace
}  // namespace settings
