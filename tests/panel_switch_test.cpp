#include "engine/panel_switch.h"

#include <gtest/gtest.h>

#include "engine/replace_job.h"
#include "tests/job_fixture.h"

namespace qelvo::testing {
namespace {

class PanelSwitch : public JobTest {
  protected:
    bool only_visible(std::string_view panel) const {
        int visible = 0;
        for (const char* name : {"分组框3", "分组框5", "分组框6"})
            visible += controls.visible(name);
        return visible == 1 && controls.visible(panel);
    }
};

TEST_F(PanelSwitch, EachButtonShowsOnePanelWithItsCaptions) {
    show_find_panel(engine);
    EXPECT_TRUE(only_visible("分组框5"));
    EXPECT_EQ(shown("透明标签18"), "查找进度:");
    EXPECT_EQ(shown("透明标签2"), "查找数量:0");
    show_restore_panel(engine);
    EXPECT_TRUE(only_visible("分组框6"));
    EXPECT_EQ(shown("透明标签18"), "执行进度:");
    EXPECT_EQ(shown("透明标签2"), "执行数量:0");
    show_replace_panel(engine);
    EXPECT_TRUE(only_visible("分组框3"));
    EXPECT_EQ(shown("透明标签18"), "替换进度:");
    EXPECT_EQ(shown("透明标签2"), "替换数量0:");
}

TEST_F(PanelSwitch, FindPanelEndsARunningJobButOthersDoNot) {
    for (int i = 0; i < 3; ++i) tree.write("f" + std::to_string(i) + ".txt", "x");
    controls.set_text("组合框_文件路径", tree.root());
    set("组合框_查找内容", "x");
    set("组合框_替换内容", "y");
    set("编辑框_线程", "0");  // collects the files, then waits with no worker
    on_replace_button_click(engine);
    wait();
    show_restore_panel(engine);
    show_replace_panel(engine);
    EXPECT_EQ(state.current_run()->path_count(), 3u);
    show_find_panel(engine);
    EXPECT_EQ(state.current_run()->path_count(), 0u);
}

}  // namespace
}  // namespace qelvo::testing
