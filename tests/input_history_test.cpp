// The combo boxes' input histories: loaded after the layout's items when the
// window starts, saved as whole lists when a run starts, with the sections
// shared between combo boxes.
#include "ui/input_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/gbk_literal.h"
#include "engine/replace_job.h"
#include "platform/codepage.h"
#include "tests/job_fixture.h"
#include "tests/temp_tree.h"

namespace qelvo::testing {
namespace {

using ui::load_all_histories;
using ui::load_history;
using ui::save_history;
using ui::SettingsFile;
using ui::SettingsHistory;
using Texts = std::vector<std::string>;

Texts concatenated(Texts first, const Texts& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

class InputHistoryTest : public ::testing::Test {
  protected:
    // The settings file's text, written from UTF-8.
    void put(std::string_view utf8) { tree.write("data.ini", gbk(utf8)); }
    std::string contents() const { return codepage::gbk_to_utf8(tree.read("data.ini")); }

    void set_text(std::string_view combo, std::string_view utf8) {
        controls.set_text(combo, gbk(utf8));
    }
    void set_items(std::string_view combo, const Texts& utf8_items) {
        Texts items;
        for (const std::string& item : utf8_items) items.push_back(gbk(item));
        controls.set_items(combo, items);
    }
    static Texts items_of(const ControlModel& model, std::string_view combo) {
        Texts items;
        for (const std::string& item : model.items(combo)) {
            items.push_back(codepage::gbk_to_utf8(item));
        }
        return items;
    }
    Texts items(std::string_view combo) const { return items_of(controls, combo); }
    void save(std::string_view combo, std::string_view section) {
        save_history(controls, combo, section, settings);
    }

    // What a window started afresh would show.
    static Texts layout_items(std::string_view combo) { return items_of(ControlModel(), combo); }

    TempTree tree;
    SettingsFile settings{tree.path("data.ini")};
    ControlModel controls;
};

// Loading -------------------------------------------------------------------

TEST_F(InputHistoryTest, LoadStopsAtTheFirstMissingKey) {
    put("[文件路径]\r\n1=C:\\甲\r\n2=C:\\乙\r\n4=C:\\丁\r\n");
    load_history(controls, "组合框_文件路径", "文件路径", settings);
    EXPECT_EQ(items("组合框_文件路径"), (Texts{"C:\\甲", "C:\\乙"}));
}

TEST_F(InputHistoryTest, AnEmptyValueEndsTheListEvenWithLaterValues) {
    put("[查找内容]\r\n1=a\r\n2=\r\n3=c\r\n[文件路径]\r\n1=x\r\n2=\"\"\r\n3=z\r\n");
    load_history(controls, "组合框_查找内容", "查找内容", settings);
    load_history(controls, "组合框_文件路径", "文件路径", settings);
    EXPECT_EQ(items("组合框_查找内容"), Texts{"a"});
    EXPECT_EQ(items("组合框_文件路径"), Texts{"x"});
}

TEST_F(InputHistoryTest, LoadedItemsFollowTheLayoutItemsDuplicatesIncluded) {
    put("[文件格式]\r\n1=*.*\r\n2=*.foo\r\n");
    load_history(controls, "组合框_文件格式", "文件格式", settings);
    EXPECT_EQ(items("组合框_文件格式"),
              concatenated(layout_items("组合框_文件格式"), Texts{"*.*", "*.foo"}));
    EXPECT_EQ(controls.text("组合框_文件格式"), "*.*");
}

TEST_F(InputHistoryTest, MissingFileLeavesTheLayoutItems) {
    load_all_histories(controls, settings);
    for (std::string_view combo :
         {"组合框_文件路径", "组合框_查找内容", "组合框_替换内容", "组合框_文件格式",
          "组合框_文件路径2", "组合框_查找内容2", "组合框_文件格式2", "组合框_文件路径3"}) {
        EXPECT_EQ(items(combo), layout_items(combo)) << combo;
    }
    EXPECT_FALSE(tree.exists("data.ini"));
}

TEST_F(InputHistoryTest, StartFillsEachComboBoxFromItsSection) {
    put("[文件路径]\r\n1=D:\\web\r\n[查找内容]\r\n1=abc\r\n2=中文\r\n[文件格式]\r\n1=*.foo\r\n"
        "[编码格式]\r\n1=BIG5\r\n");
    load_all_histories(controls, settings);
    const Texts paths{"D:\\web"};
    const Texts texts{"abc", "中文"};
    EXPECT_EQ(items("组合框_文件路径"), paths);
    EXPECT_EQ(items("组合框_文件路径2"), paths);
    EXPECT_EQ(items("组合框_文件路径3"), paths);
    EXPECT_EQ(items("组合框_查找内容"), texts);
    EXPECT_EQ(items("组合框_替换内容"), texts);
    EXPECT_EQ(items("组合框_查找内容2"), texts);
    EXPECT_EQ(items("组合框_文件格式"),
              concatenated(layout_items("组合框_文件格式"), Texts{"*.foo"}));
    EXPECT_EQ(items("组合框_文件格式2"),
              concatenated(layout_items("组合框_文件格式2"), Texts{"*.foo"}));
    EXPECT_EQ(items("组合框_编码格式"), layout_items("组合框_编码格式"));
}

TEST_F(InputHistoryTest, LoadReadsUpToKeyOneHundredThousand) {
    std::string file = "[文件路径]\r\n";
    for (int key = 1; key <= 100001; ++key) file += std::to_string(key) + "=p\r\n";
    put(file);
    load_history(controls, "组合框_文件路径", "文件路径", settings);
    EXPECT_EQ(controls.items("组合框_文件路径").size(), 100000u);
}

// Saving --------------------------------------------------------------------

TEST_F(InputHistoryTest, ANewPatternSavesAllThirtyThreeItems) {
    set_text("组合框_文件格式", "*.foo");
    save("组合框_文件格式", "文件格式");
    const Texts saved = concatenated(layout_items("组合框_文件格式"), Texts{"*.foo"});
    ASSERT_EQ(saved.size(), 33u);
    EXPECT_EQ(items("组合框_文件格式"), saved);
    for (std::size_t key = 1; key <= saved.size(); ++key) {
        EXPECT_EQ(settings.read(gbk("文件格式"), std::to_string(key)), gbk(saved[key - 1]));
    }
    EXPECT_EQ(settings.read(gbk("文件格式"), "34"), "");

    // At the next start the layout's patterns show twice.
    ControlModel next_start;
    load_all_histories(next_start, settings);
    EXPECT_EQ(items_of(next_start, "组合框_文件格式"),
              concatenated(layout_items("组合框_文件格式"), saved));
    EXPECT_EQ(items_of(next_start, "组合框_文件格式2"),
              concatenated(layout_items("组合框_文件格式2"), saved));
}

TEST_F(InputHistoryTest, ATextThatIsAnItemAlreadyWritesNothing) {
    set_items("组合框_查找内容", {"a", "b", "c"});
    for (std::string_view text : {"a", "b", "c"}) {
        set_text("组合框_查找内容", text);
        save("组合框_查找内容", "查找内容");
    }
    EXPECT_FALSE(tree.exists("data.ini"));
    EXPECT_EQ(items("组合框_查找内容"), (Texts{"a", "b", "c"}));

    // Nor is a file that holds other values touched.
    put("[查找内容]\r\n1=other\r\n");
    save("组合框_查找内容", "查找内容");
    EXPECT_EQ(contents(), "[查找内容]\r\n1=other\r\n");
}

TEST_F(InputHistoryTest, ItemsAreComparedByteForByte) {
    set_items("组合框_查找内容", {"abc"});
    set_text("组合框_查找内容", "ABC");
    save("组合框_查找内容", "查找内容");
    EXPECT_EQ(items("组合框_查找内容"), (Texts{"abc", "ABC"}));
    EXPECT_EQ(contents(), "[查找内容]\r\n1=abc\r\n2=ABC\r\n");
}

TEST_F(InputHistoryTest, SavedOrderIsTheOrderOfFirstUse) {
    for (std::string_view text : {"x", "y", "x", "z", "y"}) {
        set_text("组合框_文件路径", text);
        save("组合框_文件路径", "文件路径");
    }
    EXPECT_EQ(contents(), "[文件路径]\r\n1=x\r\n2=y\r\n3=z\r\n");
}

TEST_F(InputHistoryTest, AShorterListLeavesTheLaterKeys) {
    put("[文件路径]\r\n1=p1\r\n2=p2\r\n3=p3\r\n");
    set_text("组合框_文件路径3", "new");
    save("组合框_文件路径3", "文件路径");
    EXPECT_EQ(contents(), "[文件路径]\r\n1=new\r\n2=p2\r\n3=p3\r\n");

    ControlModel next_start;
    load_all_histories(next_start, settings);
    EXPECT_EQ(items_of(next_start, "组合框_文件路径"), (Texts{"new", "p2", "p3"}));
}

TEST_F(InputHistoryTest, TheReplacementOverwritesFindTextsInTheSharedSection) {
    set_items("组合框_查找内容", {"a", "b"});
    set_text("组合框_查找内容", "c");
    set_text("组合框_替换内容", "z");
    save("组合框_查找内容", "查找内容");
    save("组合框_替换内容", "查找内容");
    EXPECT_EQ(contents(), "[查找内容]\r\n1=z\r\n2=b\r\n3=c\r\n");

    ControlModel next_start;
    load_all_histories(next_start, settings);
    for (std::string_view combo : {"组合框_查找内容", "组合框_替换内容", "组合框_查找内容2"}) {
        EXPECT_EQ(items_of(next_start, combo), (Texts{"z", "b", "c"}));
    }
}

TEST_F(InputHistoryTest, AnEmptyTextIsSavedAndEndsTheListAtTheNextStart) {
    set_text("组合框_文件路径", "");
    save("组合框_文件路径", "文件路径");
    EXPECT_EQ(items("组合框_文件路径"), Texts{""});
    EXPECT_EQ(contents(), "[文件路径]\r\n1=\r\n");
}

// The file holds one line per key: a text with a line break is stored up to
// its first break, and no key is left out.
TEST_F(InputHistoryTest, ATextWithALineBreakIsStoredUpToTheBreak) {
    put("[查找内容]\r\n1=old\r\n");
    set_text("组合框_查找内容", "two\r\nlines");
    save("组合框_查找内容", "查找内容");
    EXPECT_EQ(items("组合框_查找内容"), Texts{"two\r\nlines"});
    EXPECT_EQ(contents(), "[查找内容]\r\n1=two\r\n");

    set_text("组合框_查找内容", "next");
    save("组合框_查找内容", "查找内容");
    EXPECT_EQ(contents(), "[查找内容]\r\n1=two\r\n2=next\r\n");
}

TEST_F(InputHistoryTest, ItemsAfterOneWithALineBreakStillLoad) {
    set_items("组合框_查找内容", {"first", "a\r\nb", "c\nd", "e\rf", "中文\r\n第二行"});
    set_text("组合框_查找内容", "last");
    save("组合框_查找内容", "查找内容");
    EXPECT_EQ(contents(), "[查找内容]\r\n1=first\r\n2=a\r\n3=c\r\n4=e\r\n5=中文\r\n6=last\r\n");

    ControlModel next_start;
    load_all_histories(next_start, settings);
    EXPECT_EQ(items_of(next_start, "组合框_查找内容"),
              (Texts{"first", "a", "c", "e", "中文", "last"}));
}

// Cut at the break, such a text is empty, and is saved as an empty text is.
TEST_F(InputHistoryTest, ATextStartingWithALineBreakIsStoredEmpty) {
    set_items("组合框_查找内容", {"a"});
    set_text("组合框_查找内容", "\r\nb");
    save("组合框_查找内容", "查找内容");
    EXPECT_EQ(contents(), "[查找内容]\r\n1=a\r\n2=\r\n");
}

TEST_F(InputHistoryTest, AZeroByteEndsTheStoredText) {
    controls.set_text("组合框_文件路径", std::string("C:\\a\0b", 6));
    save("组合框_文件路径", "文件路径");
    EXPECT_EQ(contents(), "[文件路径]\r\n1=C:\\a\r\n");
}

TEST_F(InputHistoryTest, TheNewItemStaysWhenTheFileCannotBeWritten) {
    SettingsFile unwritable(tree.path("missing\\data.ini"));
    set_text("组合框_文件路径", "C:\\a");
    save_history(controls, "组合框_文件路径", "文件路径", unwritable);
    EXPECT_EQ(items("组合框_文件路径"), Texts{"C:\\a"});
}

TEST_F(InputHistoryTest, ThousandItemsAreSavedAndLoaded) {
    Texts thousand;
    for (int item = 1; item < 1000; ++item) thousand.push_back("D:\\目录\\" + std::to_string(item));
    set_items("组合框_文件路径", thousand);
    set_text("组合框_文件路径", "D:\\最后");
    thousand.push_back("D:\\最后");

    save("组合框_文件路径", "文件路径");
    ControlModel next_start;
    load_all_histories(next_start, settings);
    EXPECT_EQ(items_of(next_start, "组合框_文件路径3"), thousand);
}

TEST_F(InputHistoryTest, SettingsHistorySavesThroughTheFile) {
    SettingsHistory history(controls, settings);
    InputHistory& as_input_history = history;
    set_text("组合框_文件路径2", "E:\\x");
    as_input_history.save("组合框_文件路径2", "文件路径");
    EXPECT_EQ(contents(), "[文件路径]\r\n1=E:\\x\r\n");
    EXPECT_EQ(history.settings().path(), tree.path("data.ini"));
}

// One replace run, from its start click, with the window's history.
class InputHistoryOfAReplaceRun : public JobTest {
  protected:
    TempTree settings_directory;
    SettingsHistory history{controls, SettingsFile(settings_directory.path("data.ini"))};
};

TEST_F(InputHistoryOfAReplaceRun, WritesPathAndReplacementButNoKnownPattern) {
    engine.history = &history;
    tree.write("page.htm", "abc");
    controls.set_text("组合框_文件路径", tree.root());
    set("组合框_查找内容", "abc");
    set("组合框_替换内容", "xyz");
    set("组合框_文件格式", "*.htm");
    on_replace_button_click(engine);
    wait();
    EXPECT_EQ(settings_directory.read("data.ini"),
              gbk("[文件路径]\r\n1=") + tree.root() + gbk("\r\n\r\n[查找内容]\r\n1=xyz\r\n"));
    EXPECT_EQ(tree.read("page.htm"), "xyz");
}

}  // namespace
}  // namespace qelvo::testing
