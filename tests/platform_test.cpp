#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/codepage.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace qelvo::platform {
namespace {

// GBK for 中文.txt, and for 乗.txt whose second byte is a backslash.
const std::string kChineseName = "\xD6\xD0\xCE\xC4.txt";
const std::string kBackslashTrailName = "\x81\x5C.txt";

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Every test gets a fresh directory under the system's temporary directory,
// addressed by its engine path with a trailing backslash.
class TempDirectoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(create_host_directory());
        ASSERT_FALSE(root_.empty());
        ASSERT_EQ(root_.back(), '\\');
    }

    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(host_root_, ignored);
    }

    std::string path(std::string_view name) const { return root_ + std::string(name); }

    void put(std::string_view name, std::string_view content) const {
        ASSERT_TRUE(write_file_atomic(path(name), content)) << name;
    }

    std::vector<std::string> list(std::string_view pattern, EntryKind kind) const {
        std::vector<std::string> names;
        EXPECT_TRUE(search_directory(root_, pattern, kind, [&names](const std::string& name) {
            names.push_back(name);
            return true;
        }));
        return sorted(names);
    }

    // Counted on the host, so that a leftover temporary the engine could not
    // name would still be seen.
    std::size_t host_entry_count() const {
        std::error_code error;
        std::size_t count = 0;
        for (std::filesystem::directory_iterator it(host_root_, error), end; !error && it != end;
             it.increment(error)) {
            ++count;
        }
        return count;
    }

#ifdef _WIN32
    bool create_host_directory() {
        static std::atomic<unsigned> counter{0};
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        if (length == 0 || length > MAX_PATH) {
            return false;
        }
        // Process ids come round again under Wine, and a directory an ended
        // test process left behind may hold the name: another is tried.
        std::wstring directory;
        for (int attempt = 0;; ++attempt) {
            directory = std::wstring(temp, length) + L"qelvo-platform-" +
                        std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
            if (CreateDirectoryW(directory.c_str(), nullptr)) break;
            if (GetLastError() != ERROR_ALREADY_EXISTS || attempt == 100) return false;
        }
        host_root_ = directory;
        root_ = codepage::utf16_to_gbk(std::u16string(directory.begin(), directory.end())) + "\\";
        return true;
    }
#else
    bool create_host_directory() {
        std::error_code error;
        const std::filesystem::path base = std::filesystem::temp_directory_path(error);
        if (error) {
            return false;
        }
        std::string name = (base / "qelvo-platform-XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr) {
            return false;
        }
        host_root_ = name;
        root_ = engine_path_from_host(name).value_or(std::string()) + "\\";
        return root_.size() > 1;
    }

    std::string host(std::string_view name) const { return (host_root_ / name).string(); }

    mode_t mode_of(std::string_view name) const {
        struct stat status {};
        EXPECT_EQ(stat(host(name).c_str(), &status), 0) << name;
        return status.st_mode & 07777;
    }
#endif

    std::string root_;
    std::filesystem::path host_root_;
};

using SearchDirectoryTest = TempDirectoryTest;
using ReadWriteTest = TempDirectoryTest;
using CopyFileTest = TempDirectoryTest;
using FileOperationsTest = TempDirectoryTest;

TEST_F(SearchDirectoryTest, ListsFilesAndDirectoriesMatchingPattern) {
    put("a.txt", "a");
    put("b.TXT", "b");
    put("c.dat", "c");
    put(".hidden", "h");
    ASSERT_TRUE(make_directory(path("sub")));

    using Names = std::vector<std::string>;
    EXPECT_EQ(list("*.txt", EntryKind::files), (Names{"a.txt", "b.TXT"}));
    EXPECT_EQ(list("*.*", EntryKind::files), (Names{".hidden", "a.txt", "b.TXT", "c.dat"}));
    EXPECT_EQ(list("*.*", EntryKind::directories), (Names{"sub"}));
    EXPECT_EQ(list("*.txt", EntryKind::directories), Names{});
}

TEST_F(SearchDirectoryTest, AcceptsDirectoryWithoutTrailingBackslash) {
    put("only.txt", "x");
    std::vector<std::string> names;
    const std::string directory = root_.substr(0, root_.size() - 1);
    EXPECT_TRUE(search_directory(directory, "*", EntryKind::files, [&names](const std::string& n) {
        names.push_back(n);
        return true;
    }));
    EXPECT_EQ(names, std::vector<std::string>{"only.txt"});
}

TEST_F(SearchDirectoryTest, ListsAndReadsChineseNames) {
    put(kChineseName, "zhongwen");
    put(kBackslashTrailName, "trail");
    put("plain.txt", "plain");

    EXPECT_EQ(list("*.txt", EntryKind::files),
              sorted({kChineseName, kBackslashTrailName, "plain.txt"}));
    EXPECT_EQ(list("\xD6\xD0*", EntryKind::files), std::vector<std::string>{kChineseName});
    EXPECT_EQ(read_file(path(kChineseName)), "zhongwen");
    EXPECT_EQ(read_file(path(kBackslashTrailName)), "trail");
#ifndef _WIN32
    EXPECT_TRUE(std::filesystem::exists(host("\xE4\xB8\xAD\xE6\x96\x87.txt")));
    EXPECT_TRUE(std::filesystem::exists(host("\xE4\xB9\x97.txt")));
#endif
}

TEST_F(SearchDirectoryTest, StopsWhenVisitorReturnsFalse) {
    put("1.txt", "");
    put("2.txt", "");
    put("3.txt", "");
    int visits = 0;
    EXPECT_TRUE(search_directory(root_, "*.txt", EntryKind::files, [&visits](const std::string&) {
        ++visits;
        return false;
    }));
    EXPECT_EQ(visits, 1);
}

TEST_F(SearchDirectoryTest, FailsForInvalidPatternOrMissingDirectory) {
    put("a.txt", "");
    const auto never = [](const std::string&) {
        ADD_FAILURE() << "no entry expected";
        return true;
    };
    EXPECT_FALSE(search_directory(root_, "a|b", EntryKind::files, never));
    EXPECT_FALSE(search_directory(root_, "*:*", EntryKind::files, never));
    EXPECT_FALSE(search_directory(path("missing"), "*.*", EntryKind::files, never));
}

#ifndef _WIN32
TEST_F(SearchDirectoryTest, FollowsFileLinksButNeverDirectoryLinks) {
    put("target.txt", "t");
    ASSERT_TRUE(make_directory(path("real")));
    ASSERT_EQ(symlink("target.txt", host("file-link").c_str()), 0);
    ASSERT_EQ(symlink("real", host("dir-link").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", host("dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(host("fifo").c_str(), 0600), 0);

    using Names = std::vector<std::string>;
    EXPECT_EQ(list("*", EntryKind::files), (Names{"file-link", "target.txt"}));
    EXPECT_EQ(list("*", EntryKind::directories), (Names{"real"}));
}

TEST_F(SearchDirectoryTest, SkipsNamesTheEngineCannotAddress) {
    put("plain.txt", "");
    ASSERT_TRUE(std::filesystem::copy_file(host("plain.txt"), host("a\\b.txt")));
    ASSERT_TRUE(std::filesystem::copy_file(host("plain.txt"), host("\xF0\x9F\x98\x80.txt")));
    EXPECT_EQ(list("*.*", EntryKind::files), std::vector<std::string>{"plain.txt"});
}
#endif

TEST_F(ReadWriteTest, RoundTripsEveryByteValue) {
    std::string bytes;
    for (int i = 0; i < 3 * 1024 * 1024; ++i) {
        bytes.push_back(static_cast<char>(i * 7 % 256));
    }
    bytes += std::string(3, '\0');
    put("binary.bin", bytes);
    EXPECT_EQ(read_file(path("binary.bin")), bytes);

    put("empty.bin", "");
    EXPECT_EQ(read_file(path("empty.bin")), std::string());
}

TEST_F(ReadWriteTest, ReadFailsForMissingFilesAndDirectories) {
    ASSERT_TRUE(make_directory(path("dir")));
    EXPECT_EQ(read_file(path("missing.txt")), std::nullopt);
    EXPECT_EQ(read_file(path("dir")), std::nullopt);
}

TEST_F(ReadWriteTest, ReplacesContentAndLeavesNoTemporaryFiles) {
    put("file.txt", "old content");
    put("file.txt", "new");
    EXPECT_EQ(read_file(path("file.txt")), "new");
    EXPECT_EQ(list("*.*", EntryKind::files), std::vector<std::string>{"file.txt"});
    EXPECT_EQ(host_entry_count(), 1u);
}

TEST_F(ReadWriteTest, RefusesReadOnlyFileAndKeepsIt) {
    put("locked.txt", "original");
#ifdef _WIN32
    const std::wstring locked = host_root_.wstring() + L"\\locked.txt";
    ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
#else
    ASSERT_EQ(chmod(host("locked.txt").c_str(), 0444), 0);
#endif
    EXPECT_FALSE(write_file_atomic(path("locked.txt"), "changed"));
    EXPECT_EQ(read_file(path("locked.txt")), "original");
    EXPECT_EQ(host_entry_count(), 1u);
#ifdef _WIN32
    EXPECT_NE(GetFileAttributesW(locked.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
#else
    EXPECT_EQ(mode_of("locked.txt"), 0444u);
#endif
}

TEST_F(ReadWriteTest, FailsWhenDirectoryIsMissing) {
    EXPECT_FALSE(write_file_atomic(path("missing\\file.txt"), "x"));
    EXPECT_FALSE(exists(path("missing")));
}

#ifdef _WIN32
TEST_F(ReadWriteTest, KeepsHiddenAttribute) {
    put("hidden.txt", "before");
    const std::wstring hidden = host_root_.wstring() + L"\\hidden.txt";
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(write_file_atomic(path("hidden.txt"), "after"));
    EXPECT_EQ(read_file(path("hidden.txt")), "after");
    EXPECT_NE(GetFileAttributesW(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(host_entry_count(), 1u);
}
#else
TEST_F(ReadWriteTest, KeepsPermissions) {
    put("private.txt", "before");
    ASSERT_EQ(chmod(host("private.txt").c_str(), 0640), 0);
    EXPECT_TRUE(write_file_atomic(path("private.txt"), "after"));
    EXPECT_EQ(read_file(path("private.txt")), "after");
    EXPECT_EQ(mode_of("private.txt"), 0640u);
}

TEST_F(ReadWriteTest, NewFileGetsModeAllowedByUmask) {
    const mode_t previous = umask(027);
    const bool written = write_file_atomic(path("new.txt"), "fresh");
    umask(previous);
    EXPECT_TRUE(written);
    EXPECT_EQ(mode_of("new.txt"), 0640u);
}

TEST_F(ReadWriteTest, WritesThroughSymbolicLink) {
    put("target.txt", "before");
    ASSERT_EQ(symlink("target.txt", host("link.txt").c_str()), 0);
    EXPECT_TRUE(write_file_atomic(path("link.txt"), "after"));
    EXPECT_TRUE(std::filesystem::is_symlink(host("link.txt")));
    EXPECT_EQ(read_file(path("target.txt")), "after");
    EXPECT_EQ(host_entry_count(), 2u);
}

TEST_F(ReadWriteTest, RefusesDanglingLink) {
    ASSERT_EQ(symlink("nowhere.txt", host("dangling.txt").c_str()), 0);
    EXPECT_FALSE(write_file_atomic(path("dangling.txt"), "x"));
    EXPECT_TRUE(std::filesystem::is_symlink(host("dangling.txt")));
    EXPECT_EQ(host_entry_count(), 1u);
}

TEST_F(ReadWriteTest, DoesNotWaitOnFifo) {
    ASSERT_EQ(mkfifo(host("fifo").c_str(), 0600), 0);
    EXPECT_EQ(read_file(path("fifo")), std::nullopt);
    EXPECT_FALSE(write_file_atomic(path("fifo"), "x"));
}

TEST_F(ReadWriteTest, OtherDrivesDoNotExist) {
    put("file.txt", "x");
    const std::string elsewhere = "C:" + path("file.txt").substr(2);
    EXPECT_EQ(read_file(elsewhere), std::nullopt);
    EXPECT_FALSE(exists(elsewhere));
    EXPECT_FALSE(write_file_atomic(elsewhere, "y"));
    EXPECT_TRUE(exists("z" + path("file.txt").substr(1)));
}
#endif

TEST_F(CopyFileTest, ReplacesExistingTarget) {
    put("from.txt", "source");
    put("to.txt", "old target");
    EXPECT_TRUE(copy_file(path("from.txt"), path("to.txt")));
    EXPECT_EQ(read_file(path("to.txt")), "source");
    EXPECT_EQ(read_file(path("from.txt")), "source");
    EXPECT_EQ(host_entry_count(), 2u);
}

TEST_F(CopyFileTest, CreatesNewTarget) {
    put("from.txt", "source");
#ifndef _WIN32
    ASSERT_EQ(chmod(host("from.txt").c_str(), 0600), 0);
#endif
    EXPECT_TRUE(copy_file(path("from.txt"), path(kChineseName)));
    EXPECT_EQ(read_file(path(kChineseName)), "source");
#ifndef _WIN32
    EXPECT_EQ(mode_of("\xE4\xB8\xAD\xE6\x96\x87.txt"), 0600u);
#endif
}

TEST_F(CopyFileTest, FailsForMissingSource) {
    put("to.txt", "kept");
    EXPECT_FALSE(copy_file(path("missing.txt"), path("to.txt")));
    EXPECT_EQ(read_file(path("to.txt")), "kept");
    EXPECT_EQ(host_entry_count(), 1u);
}

TEST_F(FileOperationsTest, MakesChecksAndDeletes) {
    EXPECT_TRUE(make_directory(path("dir")));
    EXPECT_FALSE(make_directory(path("dir")));
    EXPECT_TRUE(exists(path("dir")));

    put("dir\\file.txt", "x");
    EXPECT_TRUE(exists(path("dir\\file.txt")));
    EXPECT_FALSE(delete_file(path("dir")));
    EXPECT_TRUE(delete_file(path("dir\\file.txt")));
    EXPECT_FALSE(exists(path("dir\\file.txt")));
    EXPECT_FALSE(delete_file(path("dir\\file.txt")));
}

// Every operation on a tree nested past MAX_PATH (260 characters), and on
// names that end in a dot or a blank, which trees shared with Linux hold.
TEST_F(FileOperationsTest, LongPathsAndNamesEndingInADotOrABlankWork) {
    std::string directory = root_;
    for (int level = 0; level < 8; ++level) {
        directory += "level-" + std::to_string(level) + "-" + std::string(40, 'd');
        ASSERT_TRUE(make_directory(directory)) << directory.size();
        directory += "\\";
    }
    ASSERT_GT(directory.size(), 300u);
    for (const std::string name : {"deep.txt", "trail.", "blank "}) {
        const std::string file = directory + name;
        ASSERT_TRUE(write_file_atomic(file, "old")) << name;
        EXPECT_EQ(read_file(file), "old") << name;
        ASSERT_TRUE(copy_file(file, file + ".bak")) << name;
        ASSERT_TRUE(write_file_atomic(file, "new")) << name;
        EXPECT_EQ(read_file(file + ".bak"), "old") << name;
        InputFile input(file);
        char buffer[8];
        ASSERT_TRUE(input.is_open()) << name;
        EXPECT_EQ(input.read(buffer, sizeof buffer), 3u) << name;
    }
    std::vector<std::string> listed;
    EXPECT_TRUE(list_directory(directory, [&](const std::string& name, EntryKind kind) {
        if (kind == EntryKind::files) listed.push_back(name);
        return true;
    }));
    EXPECT_EQ(sorted(listed),
              sorted({"blank ", "blank .bak", "deep.txt", "deep.txt.bak", "trail.", "trail..bak"}));
    for (const std::string& name : listed) EXPECT_TRUE(delete_file(directory + name)) << name;
    EXPECT_FALSE(exists(directory + "trail."));
}

TEST_F(FileOperationsTest, AFileFoundThroughItsDirectoryIsTheOneItsPathNamesUntilTheyPart) {
    ASSERT_TRUE(make_directory(path("dir")));
    put("dir\\file.txt", "first");
    InputFile by_path(path("dir\\file.txt"));
    EXPECT_TRUE(by_path.names_file_at(path("dir\\file.txt")));
    InputFile found(path("dir\\file.txt"), InputFile::Lookup::through_last_directory);
    ASSERT_TRUE(found.is_open());
    EXPECT_TRUE(found.names_file_at(path("dir\\file.txt")));
#ifndef _WIN32
    // The directory moves away and another takes its path: the file open
    // is no longer the one the path names, though its name is the same.
    std::filesystem::rename(host_root_ / "dir", host_root_ / "moved");
    ASSERT_TRUE(make_directory(path("dir")));
    put("dir\\file.txt", "second");
    EXPECT_FALSE(found.names_file_at(path("dir\\file.txt")));
    EXPECT_TRUE(found.names_file_at(path("moved\\file.txt")));
    ASSERT_TRUE(delete_file(path("dir\\file.txt")));
    EXPECT_FALSE(found.names_file_at(path("dir\\file.txt")));
#endif
    EXPECT_FALSE(InputFile(path("missing.txt")).names_file_at(path("missing.txt")));
}

TEST(ExecutableDirectory, IsAnExistingDirectoryWithTrailingBackslash) {
    const std::string directory = executable_directory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), '\\');
    EXPECT_EQ(directory[1], ':');
    EXPECT_TRUE(exists(directory));
}

TEST(PathMapping, RefusesNamesGbkCannotHold) {
    EXPECT_EQ(engine_path_from_host("\xF0\x9F\x98\x80.txt"), std::nullopt);
    EXPECT_EQ(engine_path_from_host(""), std::nullopt);
}

TEST(PathMapping, MakesRelativePathsAbsolute) {
    const std::optional<std::string> relative = engine_path_from_host("some-dir");
    ASSERT_TRUE(relative.has_value());
    EXPECT_EQ(relative->substr(1, 2), ":\\");
    EXPECT_TRUE(relative->ends_with("\\some-dir"));
}

#ifdef _WIN32
TEST(PathMapping, ConvertsBetweenUtf8AndGbk) {
    EXPECT_EQ(engine_path_from_host("C:\\tmp\\a"), "C:\\tmp\\a");
    EXPECT_EQ(engine_path_from_host("C:/tmp/a/"), "C:\\tmp\\a\\");
    EXPECT_EQ(engine_path_from_host("C:\\tmp\\\xE4\xB8\xAD\xE6\x96\x87"),
              "C:\\tmp\\\xD6\xD0\xCE\xC4");
    EXPECT_EQ(host_path_from_engine("C:\\tmp\\\xD6\xD0\xCE\xC4"),
              "C:\\tmp\\\xE4\xB8\xAD\xE6\x96\x87");
}
#else
TEST(PathMapping, MapsRootToDriveZ) {
    EXPECT_EQ(engine_path_from_host("/tmp/a"), "Z:\\tmp\\a");
    EXPECT_EQ(engine_path_from_host("/tmp/a/"), "Z:\\tmp\\a\\");
    EXPECT_EQ(engine_path_from_host("/"), "Z:\\");
    EXPECT_EQ(host_path_from_engine("Z:\\tmp\\a"), "/tmp/a");
    EXPECT_EQ(host_path_from_engine("z:\\tmp\\a\\"), "/tmp/a/");
    EXPECT_EQ(host_path_from_engine("Z:\\"), "/");
}

TEST(PathMapping, RelativePathsStartAtWorkingDirectory) {
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(engine_path_from_host("rel/x"), engine_path_from_host(cwd + "/rel/x"));
    EXPECT_EQ(engine_path_from_host("/tmp/./a/../b"), "Z:\\tmp\\b");
}

TEST(PathMapping, ConvertsNamesBetweenUtf8AndGbk) {
    EXPECT_EQ(engine_path_from_host("/tmp/\xE4\xB8\xAD\xE6\x96\x87"), "Z:\\tmp\\\xD6\xD0\xCE\xC4");
    EXPECT_EQ(host_path_from_engine("Z:\\tmp\\\xD6\xD0\xCE\xC4"), "/tmp/\xE4\xB8\xAD\xE6\x96\x87");
    // The trail byte 0x5C of this character is no separator.
    EXPECT_EQ(host_path_from_engine("Z:\\tmp\\\x81\x5C"), "/tmp/\xE4\xB9\x97");
    EXPECT_EQ(engine_path_from_host("/tmp/\xE4\xB9\x97"), "Z:\\tmp\\\x81\x5C");
}

TEST(PathMapping, RefusesHostNamesHoldingBackslash) {
    EXPECT_EQ(engine_path_from_host("/tmp/a\\b"), std::nullopt);
}

TEST(PathMapping, LeavesOtherDrivesAsText) {
    EXPECT_EQ(host_path_from_engine("C:\\tmp\\a"), "C:\\tmp\\a");
}
#endif

}  // namespace
}  // namespace qelvo::platform
