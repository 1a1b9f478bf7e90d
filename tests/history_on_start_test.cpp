// Each job saves its input histories when a run starts, in a fixed order,
// and only then.
#include <gtest/gtest.h>

#include "engine/backup_task.h"
#include "engine/find_job.h"
#include "engine/replace_job.h"
#include "tests/job_fixture.h"

namespace qelvo::testing {
namespace {

class RecordingHistory : public InputHistory {
  public:
    void save(std::string_view combo_box, std::string_view section) override {
        saved.emplace_back(std::string(combo_box) + ">" + std::string(section));
    }
    std::vector<std::string> saved;
};

class HistoryOnStart : public JobTest {
  protected:
    HistoryOnStart() { engine.history = &history; }
    RecordingHistory history;
};

TEST_F(HistoryOnStart, ReplaceSavesFourBoxesInOrder) {
    controls.set_text("组合框_文件路径", tree.root());
    set("组合框_查找内容", "a");
    set("组合框_替换内容", "b");
    on_replace_button_click(engine);
    wait();
    EXPECT_EQ(history.saved,
              (std::vector<std::string>{"组合框_文件路径>文件路径", "组合框_查找内容>查找内容",
                                        "组合框_替换内容>查找内容", "组合框_文件格式>文件格式"}));
}

TEST_F(HistoryOnStart, FindSavesThreeBoxesInOrder) {
    controls.set_text("组合框_文件路径2", tree.root());
    set("组合框_查找内容2", "a");
    set("组合框_文件格式2", "*.txt");
    on_find_button_click(engine);
    wait();
    EXPECT_EQ(history.saved,
              (std::vector<std::string>{"组合框_文件路径2>文件路径", "组合框_查找内容2>查找内容",
                                        "组合框_文件格式2>文件格式"}));
}

TEST_F(HistoryOnStart, RestoreSavesItsPath) {
    controls.set_text("组合框_文件路径3", tree.root());
    on_execute_button_click(engine);
    wait();
    EXPECT_EQ(history.saved, std::vector<std::string>{"组合框_文件路径3>文件路径"});
}

TEST_F(HistoryOnStart, NothingIsSavedOnAFailedCheckOrAStop) {
    on_replace_button_click(engine);  // empty path
    controls.set_text("组合框_文件路径", tree.root());
    set("组合框_查找内容", "a");
    set("组合框_替换内容", "b");
    set("编辑框_线程", "0");
    on_replace_button_click(engine);
    wait();
    history.saved.clear();
    on_replace_button_click(engine);  // stops the run
    EXPECT_TRUE(history.saved.empty());
}

}  // namespace
}  // namespace qelvo::testing
