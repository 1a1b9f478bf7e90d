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
#include "tests/dialog_answer.h"
#include "ui/win32/wide_text.h"

namespace qelvo::ui {
namespace {

using qelvo::testing::DialogAnswer;

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

void press(HWND dialog, int button) { PostMessageW(dialog, WM_COMMAND, button, 0); }

TEST(ShellActionsBrowse, CancelEmptiesThePathCombo) {
    ControlModel controls;
    controls.set_text(kPathCombo, "C:\\before");
    DialogAnswer answer([](HWND dialog) { press(dialog, IDCANCEL); });
    browse_for_folder(controls, kPathCombo, nullptr);
    ASSERT_TRUE(answer.answered());
    EXPECT_EQ(controls.text(kPathCombo), "");
}

TEST(ShellActionsBrowse, ChosenFolderGoesIntoThePathCombo) {
    wchar_t windows_directory[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows_directory, MAX_PATH), 0u);
    ControlModel controls;
    DialogAnswer answer([&](HWND dialog) {
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
    DialogAnswer answer([&](HWND dialog) {
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
