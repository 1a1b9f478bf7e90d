#include "engine/control_model.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "engine/gbk_literal.h"

namespace qelvo {
namespace {

TEST(MainWindowLayout, NamesAreUniqueAndParentsExist) {
    std::set<std::string_view> names;
    for (const ControlLayout& control : main_window_layout()) {
        EXPECT_TRUE(names.insert(control.name).second) << control.name;
    }
    for (const ControlLayout& control : main_window_layout()) {
        if (!control.parent.empty()) {
            EXPECT_TRUE(names.contains(control.parent)) << control.name;
        }
    }
}

TEST(ControlModelStart, PanelsAndStartValues) {
    ControlModel controls;
    EXPECT_TRUE(controls.visible("分组框3"));
    EXPECT_FALSE(controls.visible("分组框5"));
    EXPECT_FALSE(controls.visible("分组框6"));
    EXPECT_FALSE(controls.visible("图片框_编辑框"));
    EXPECT_EQ(controls.text("按钮_开始替换"), gbk("开始替换"));
    EXPECT_EQ(controls.text("透明标签2"), gbk("替换数量:0"));
    EXPECT_EQ(controls.text("编辑框_线程"), "10");
    EXPECT_EQ(controls.text("组合框_编码格式"), "GBK");
    EXPECT_TRUE(controls.checked("选择框_还原备份文件"));
    EXPECT_FALSE(controls.checked("选择框_替换备份"));
    EXPECT_EQ(controls.geometry("超级列表框1"), (Geometry{12, 263, 512, 189}));
}

TEST(ControlModelStart, FormatListsDifferInTwoPlaces) {
    ControlModel controls;
    const std::vector<std::string> replace = controls.items("组合框_文件格式");
    const std::vector<std::string> find = controls.items("组合框_文件格式2");
    ASSERT_EQ(replace.size(), 32u);
    ASSERT_EQ(find.size(), 32u);
    EXPECT_EQ(controls.text("组合框_文件格式"), "*.*");
    EXPECT_EQ(controls.text("组合框_文件格式2"), "");
    EXPECT_EQ(replace[2], "*.html");
    EXPECT_EQ(find[2], "*.htm");
    EXPECT_EQ(replace[17], "*.vb");
    EXPECT_EQ(find[17], "*.vbs");
    EXPECT_EQ(std::set(replace.begin(), replace.end()), std::set(find.begin(), find.end()));
}

TEST(ControlModelRows, InsertPastTheEndAppends) {
    ControlModel controls;
    controls.insert_row("超级列表框1", 5, {"6", "b"});
    controls.insert_row("超级列表框1", 0, {"1", "a"});
    ASSERT_EQ(controls.row_count("超级列表框1"), 2u);
    EXPECT_EQ(controls.row("超级列表框1", 0), (ReportRow{"1", "a"}));
    EXPECT_EQ(controls.row("超级列表框1", 1), (ReportRow{"6", "b"}));
    controls.set_selected_row("超级列表框1", 1);
    controls.delete_all_rows("超级列表框1");
    EXPECT_EQ(controls.row_count("超级列表框1"), 0u);
    EXPECT_EQ(controls.selected_row("超级列表框1"), -1);
}

TEST(ControlModelListener, IsToldAfterTheLockSoItMayReadTheModel) {
    ControlModel controls;
    std::string seen;
    controls.set_change_listener([&](const ControlChange& change) {
        if (change.property == ControlProperty::text) seen = controls.text(change.name);
    });
    const std::uint64_t before = controls.version();
    controls.set_text("透明标签19", "x");
    EXPECT_EQ(seen, "x");
    EXPECT_GT(controls.version(), before);
}

TEST(ControlModelConcurrency, WholeWritesNeverTear) {
    ControlModel controls;
    const std::string a(1000, 'a');
    const std::string b(1000, 'b');
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) controls.set_text("透明标签2", i % 2 ? a : b);
    });
    for (int i = 0; i < 2000; ++i) {
        const std::string value = controls.text("透明标签2");
        EXPECT_TRUE(value == a || value == b || value == gbk("替换数量:0"));
    }
    writer.join();
}

}  // namespace
}  // namespace qelvo
