// Runs whose file operations fail at every call in turn, with a full disk, an
// input/output error or a refused permission: every file keeps its old or
// its new contents, every backup that exists is whole, no temporary file is
// left, and the run goes on with the next file.
#include "platform/fault_injection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/backup_task.h"
#include "engine/replace_job.h"
#include "tests/job_fixture.h"

namespace qelvo::testing {
namespace {

constexpr int kFiles = 4;
const std::string kOld = "old text, old again\r\n";
const std::string kNew = "new text, new again\r\n";

std::string file_name(int i) { return "f" + std::to_string(i) + ".txt"; }

class FaultInjection : public JobTest {
  protected:
    ~FaultInjection() override { platform::inject_failures(nullptr); }

    // Makes the call'th file operation from now on fail with the code;
    // returns the count of calls seen, to know when a run made fewer.
    std::atomic<int>& fail_call(int call, int code) {
        calls_.store(0);
        platform::inject_failures([this, call, code](platform::FileCall) {
            return calls_.fetch_add(1) + 1 == call ? code : 0;
        });
        return calls_;
    }

    void expect_no_temporary_left() const {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tree.native(""))) {
            EXPECT_EQ(entry.path().filename().string().find(".qelvo-"), std::string::npos)
                << entry.path();
        }
    }

    int count_with(const std::string& contents) const {
        int count = 0;
        for (int i = 0; i < kFiles; ++i) count += tree.read(file_name(i)) == contents;
        return count;
    }

    std::atomic<int> calls_{0};
};

TEST_F(FaultInjection, ReplaceWithBackupsSurvivesAFailureAtEveryCall) {
    for (const int code : {ENOSPC, EIO, EACCES}) {
        for (int call = 1;; ++call) {
            for (int i = 0; i < kFiles; ++i) tree.write(file_name(i), kOld);
            for (int i = 0; i < kFiles; ++i)
                std::filesystem::remove(tree.native(file_name(i) + ".bak"));
            controls.set_text("组合框_文件路径", tree.root());
            set("组合框_查找内容", "old");
            set("组合框_替换内容", "new");
            set("编辑框_线程", "2");
            controls.set_checked("选择框_替换备份", true);
            const std::atomic<int>& calls = fail_call(call, code);
            on_replace_button_click(engine);
            wait();
            platform::inject_failures(nullptr);
            for (int i = 0; i < kFiles; ++i) {
                const std::string contents = tree.read(file_name(i));
                ASSERT_TRUE(contents == kOld || contents == kNew)
                    << file_name(i) << " call " << call;
                if (tree.exists(file_name(i) + ".bak")) {
                    EXPECT_EQ(tree.read(file_name(i) + ".bak"), kOld) << "call " << call;
                }
            }
            expect_no_temporary_left();
            // One failed call costs one file at most; the others are done.
            EXPECT_GE(count_with(kNew), kFiles - 1) << "call " << call << " code " << code;
            if (calls.load() < call) break;  // the run made fewer calls: every one was tried
        }
    }
}

TEST_F(FaultInjection, RestoreAndDeleteSurviveAFailureAtEveryCall) {
    for (const int code : {ENOSPC, EIO, EACCES}) {
        for (int call = 1;; ++call) {
            for (int i = 0; i < kFiles; ++i) {
                tree.write(file_name(i), kNew);
                tree.write(file_name(i) + ".bak", kOld);
            }
            controls.set_text("组合框_文件路径3", tree.root());
            set("编辑框_线程3", "2");
            controls.set_checked("选择框_还原备份文件", true);
            controls.set_checked("选择框_删除备份文件", true);
            const std::atomic<int>& calls = fail_call(call, code);
            on_execute_button_click(engine);
            wait();
            platform::inject_failures(nullptr);
            int restored = 0;
            for (int i = 0; i < kFiles; ++i) {
                const std::string contents = tree.read(file_name(i));
                ASSERT_TRUE(contents == kOld || contents == kNew)
                    << file_name(i) << " call " << call;
                restored += contents == kOld;
                // A backup whose restore failed is the only old copy: it stays.
                if (contents == kNew) {
                    EXPECT_EQ(tree.read(file_name(i) + ".bak"), kOld);
                }
            }
            expect_no_temporary_left();
            EXPECT_GE(restored, kFiles - 1) << "call " << call << " code " << code;
            if (calls.load() < call) break;
        }
    }
}

}  // namespace
}  // namespace qelvo::testing
