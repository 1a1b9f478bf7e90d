// The shell actions that can be watched from the test: which listed file an
// action takes, the folder browser's outcomes (driven from a second thread
// the way a user would answer it) and the Notepad command line.
#ifdef _WIN32

#include "ui/win32/shell_actions.h"

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "engine/control_model.h"
#include "engine/gbk_literal.h"
#include "ui/win32/wide_text.h"

namespace qelvo::ui {
namespace {

constexpr std::string_view kResultList = "超级列表框1";
constexpr std::string_view kPathCombo = "组合框_文件路径";

// ---------------------------------------------------------------------------------------------
// The selected file

TEST(ShellActionsSelection, NoSelectionGivesNoPath) {
    ControlModel controls;
    EXPECT_EQ(selected_file_path(controls), "");
    controls.insert_row(kResultList, 0, {"1", "C:\\a.txt"});
    EXPECT_EQ(selected_file_path(controls), "");
}

TEST(ShellActionsSelection, SelectedRowsSecondColumn) {
    ControlModel controls;
    controls.insert_row(kResultList, 0, {"1", "C:\\a.txt"});
    controls.insert_row(kResultList, 1, {"2", gbk("C:\\目录 一\\b.txt")});
    controls.set_selected_row(kResultList, 1);
    EXPECT_EQ(selected_file_path(controls), gbk("C:\\目录 一\\b.txt"));
    controls.set_selected_row(kResultList, 0);
    EXPECT_EQ(selected_file_path(controls), "C:\\a.txt");
}

TEST(ShellActionsSelection, EmptyCellOrMissingColumnGivesNoPath) {
    ControlModel controls;
    controls.insert_row(kResultList, 0, {"1", ""});
    controls.insert_row(kResultList, 1, {"2"});
    controls.set_selected_row(kResultList, 0);
    EXPECT_EQ(selected_file_path(controls), "");
    controls.set_selected_row(kResultList, 1);
    EXPECT_EQ(selected_file_path(controls), "");
}

TEST(ShellActionsSelection, SelectionPastTheRowsThatAreLeftGivesNoPath) {
    // A start click empties the list while a selection may still be reported.
    ControlModel controls;
    controls.insert_row(kResultList, 0, {"1", "C:\\a.txt"});
    controls.set_selected_row(kResultList, 0);
    controls.delete_all_rows(kResultList);
    controls.set_selected_row(kResultList, 0);
    EXPECT_EQ(selected_file_path(controls), "");
}

// ---------------------------------------------------------------------------------------------
// Notepad

TEST(ShellActionsNotepad, PathFollowsTheCommandUnquotedBlanksAndAll) {
    EXPECT_EQ(notepad_command_line(gbk("C:\\my files\\说明 1.txt")),
              L"notepad.exe C:\\my files\\说明 1.txt");
}

// ---------------------------------------------------------------------------------------------
// The folder browser

// Answers the folder browser of this thread from a second thread, once it is
// up: `answer` gets the browser's dialog window.
class BrowserAnswer {
  public:
    explicit BrowserAnswer(std::function<void(HWND)> answer)
        : ui_thread_(GetCurrentThreadId()), answer_(std::move(answer)) {
        thread_ = std::thread([this] { run(); });
    }
    ~BrowserAnswer() {
        stop_ = true;
        thread_.join();
    }
    BrowserAnswer(const BrowserAnswer&) = delete;
    BrowserAnswer& operator=(const BrowserAnswer&) = delete;

    bool answered() const { return answered_; }

  private:
    void run() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!stop_ && std::chrono::steady_clock::now() < deadline) {
            if (HWND dialog = find_dialog()) {
                // Give the dialog time to fill its tree before it is answered.
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                answer_(dialog);
                answered_ = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    HWND find_dialog() const {
        HWND found = nullptr;
        EnumThreadWindows(
            ui_thread_,
            [](HWND window, LPARAM result) {
                wchar_t class_name[16] = {};
                GetClassNameW(window, class_name, 16);
                if (std::wstring_view(class_name) != L"#32770" || !IsWindowVisible(window)) {
                    return TRUE;
                }
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    DWORD ui_thread_;
    std::function<void(HWND)> answer_;
    std::atomic<bool> stop_ = false;
    std::atomic<bool> answered_ = false;
    std::thread thread_;
};

void press(HWND dialog, int button) { PostMessageW(dialog, WM_COMMAND, button, 0); }

TEST(ShellActionsBrowse, CancelEmptiesThePathCombo) {
    ControlModel controls;
    controls.set_text(kPathCombo, "C:\\before");
    BrowserAnswer answer([](HWND dialog) { press(dialog, IDCANCEL); });
    browse_for_folder(controls, kPathCombo, nullptr);
    ASSERT_TRUE(answer.answered());
    EXPECT_EQ(controls.text(kPathCombo), "");
}

TEST(ShellActionsBrowse, ChosenFolderGoesIntoThePathCombo) {
    wchar_t windows_directory[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows_directory, MAX_PATH), 0u);
    ControlModel controls;
    BrowserAnswer answer([&](HWND dialog) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(windows_directory));
        press(dialog, IDOK);
    });
    browse_for_folder(controls, "组合框_文件路径2", nullptr);
    ASSERT_TRUE(answer.answered());
    const std::wstring chosen = wide_from_gbk(controls.text("组合框_文件路径2"));
    EXPECT_EQ(_wcsicmp(chosen.c_str(), windows_directory), 0)
        << std::string(chosen.begin(), chosen.end());
}

TEST(ShellActionsBrowse, FolderWithoutAFileSystemPathEmptiesThePathCombo) {
    // The computer itself: a shell folder above the drives, not a directory.
    PIDLIST_ABSOLUTE computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    ControlModel controls;
    controls.set_text(kPathCombo, "C:\\before");
    BrowserAnswer answer([&](HWND dialog) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(computer));
        press(dialog, IDOK);
    });
    browse_for_folder(controls, kPathCombo, nullptr);
    CoTaskMemFree(computer);
    ASSERT_TRUE(answer.answered());
    EXPECT_EQ(controls.text(kPathCombo), "");
}

}  // namespace
}  // namespace qelvo::ui

#endif  // _WIN32
