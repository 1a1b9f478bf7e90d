#include "engine/enumeration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/job_fixture.h"

namespace qelvo::testing {
namespace {

class Enumeration : public JobTest {
  protected:
    std::vector<std::string> walk(const std::string& directory, const std::string& pattern,
                                  bool include_subfolders) {
        qelvo::Run run(1, {});
        enumerate(engine, run, directory, pattern, include_subfolders);
        found = run.found();
        return run.paths();
    }
    std::int32_t found = 0;
};

TEST_F(Enumeration, TrailingBackslashGivesTheSameList) {
    tree.write("a.txt", "");
    const std::vector<std::string> expected{tree.path("a.txt")};
    EXPECT_EQ(walk(tree.root(), "*.*", false), expected);
    EXPECT_EQ(walk(tree.root() + "\\", "*.*", false), expected);
}

// 0x80 and 0xFF are characters of one byte in code page 936: a backslash
// after them is a separator, not the second half of a character.
TEST_F(Enumeration, BackslashAfterASingleByteHighCharacterEndsTheDirectory) {
    for (const char* folder : {"d\x80", "d\xFF"}) {
        SCOPED_TRACE(folder);
        tree.make_directory(folder);
        tree.write(std::string(folder) + "\\a.txt", "");
        const std::vector<std::string> expected{tree.path(std::string(folder) + "\\a.txt")};
        EXPECT_EQ(walk(tree.path(folder), "*.*", false), expected);
        EXPECT_EQ(walk(tree.path(folder) + "\\", "*.*", false), expected);
    }
}

TEST_F(Enumeration, StarDotStarListsNamesWithoutADot) {
    tree.write("readme", "");
    EXPECT_EQ(walk(tree.root(), "*.*", false), std::vector<std::string>{tree.path("readme")});
}

TEST_F(Enumeration, EmptyPatternMeansEveryFile) {
    tree.write("readme", "");
    EXPECT_EQ(walk(tree.root(), "", false), std::vector<std::string>{tree.path("readme")});
}

TEST_F(Enumeration, PatternAppliesToFilesOnlyAndIgnoresLetterCase) {
    tree.write("A.TXT", "");
    tree.write("b.htm", "");
    tree.make_directory("sub.htm");
    tree.write("sub.htm\\c.txt", "");
    std::vector<std::string> listed = walk(tree.root(), "*.txt", true);
    EXPECT_EQ(listed, (std::vector<std::string>{tree.path("A.TXT"), tree.path("sub.htm\\c.txt")}));
    EXPECT_EQ(found, 2);
}

TEST_F(Enumeration, PatternThatNoFileNameCanHoldListsNothing) {
    tree.write("a.txt", "");
    EXPECT_TRUE(walk(tree.root(), "*.txt|*.htm", false).empty());
    EXPECT_EQ(shown("透明标签19"), "找到文件:0");
}

TEST_F(Enumeration, SubdirectoriesAreNeitherEnteredNorListedUnlessAsked) {
    tree.make_directory("sub");
    tree.write("sub\\a.txt", "");
    EXPECT_TRUE(walk(tree.root(), "*.*", false).empty());
}

TEST_F(Enumeration, FilesComeBeforeSubtreesDepthFirst) {
    tree.write("top.txt", "");
    tree.make_directory("d1");
    tree.write("d1\\one.txt", "");
    tree.make_directory("d1\\d2");
    tree.write("d1\\d2\\two.txt", "");
    EXPECT_EQ(walk(tree.root(), "*.*", true),
              (std::vector<std::string>{tree.path("top.txt"), tree.path("d1\\one.txt"),
                                        tree.path("d1\\d2\\two.txt")}));
}

TEST_F(Enumeration, ChineseNamesAreListedAsGbk) {
    tree.write(gbk("中文.txt"), "");
    EXPECT_EQ(walk(tree.root(), "*.txt", false),
              std::vector<std::string>{tree.path(gbk("中文.txt"))});
}

TEST_F(Enumeration, BusyBarAdvancesByThreePerDirectoryAndWraps) {
    for (int d = 0; d < 33; ++d) tree.make_directory("d" + std::to_string(d));
    tree.write("d0\\a.txt", "");
    controls.set_progress_position("进度条1", 0);
    std::vector<std::int32_t> positions;
    std::vector<std::string> found_labels;
    controls.set_change_listener([&](const ControlChange& change) {
        if (change.name == "进度条1" && change.property == ControlProperty::progress_position) {
            positions.push_back(controls.progress_position("进度条1"));
        }
        if (change.name == "透明标签19") found_labels.push_back(shown("透明标签19"));
    });
    walk(tree.root(), "*.*", true);  // the root and 33 subdirectories
    controls.set_change_listener(nullptr);
    ASSERT_EQ(positions.size(), 34u);
    for (std::size_t i = 0; i < 33; ++i) EXPECT_EQ(positions[i], static_cast<int>(3 * (i + 1)));
    EXPECT_EQ(positions[33], 0);
    EXPECT_EQ(controls.progress_maximum("进度条1"), 100);
    ASSERT_EQ(found_labels.size(), 34u);
    EXPECT_EQ(found_labels.front(), "找到文件:0");
    EXPECT_EQ(found_labels.back(), "找到文件:1");
    EXPECT_EQ(shown("透明标签18"), "正在搜索:");
}

TEST_F(Enumeration, StopRequestEndsTheWalk) {
    tree.write("a.txt", "");
    qelvo::Run run(1, {});
    run.request_driver_stop();
    enumerate(engine, run, tree.root(), "*.*", true);
    EXPECT_EQ(run.path_count(), 0u);
}

}  // namespace
}  // namespace qelvo::testing
