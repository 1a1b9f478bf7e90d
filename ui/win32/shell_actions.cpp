#include "ui/win32/shell_actions.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "ui/win32/wide_text.h"

namespace qelvo::ui {
namespace {

constexpr std::string_view kResultList = "超级列表框1";
constexpr std::size_t kPathColumn = 1;

constexpr wchar_t kBrowseTitle[] = L"选择您的目录";
constexpr wchar_t kNotepadCommandPrefix[] = L"notepad.exe ";
constexpr wchar_t kPublisherPage[] = L"https://qelvo.example/";

// Notepad usually is ready well within this; the menu does not wait longer.
constexpr DWORD kNotepadIdleWaitMilliseconds = 1000;

// The shell's folder browser and "open" action expect COM on the calling
// thread. The thread may have it already, in either threading model; then
// this changes nothing.
class ComOnThisThread {
  public:
    ComOnThisThread()
        : initialized_(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComOnThisThread() {
        if (initialized_) CoUninitialize();
    }
    ComOnThisThread(const ComOnThisThread&) = delete;
    ComOnThisThread& operator=(const ComOnThisThread&) = delete;

  private:
    bool initialized_;
};

// The chosen folder's path; empty when the browse was cancelled or the item
// has no file-system path.
std::wstring browse_folder_path(HWND owner) {
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.pidlRoot = nullptr;  // the whole shell namespace
    browse.lpszTitle = kBrowseTitle;
    browse.ulFlags = BIF_EDITBOX;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen) return {};
    wchar_t path[MAX_PATH] = {};
    const bool has_path = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    return has_path ? std::wstring(path) : std::wstring();
}

}  // namespace

void browse_for_folder(ControlModel& controls, std::string_view path_combo, HWND owner) {
    const ComOnThisThread com;
    controls.set_text(path_combo, gbk_from_wide(browse_folder_path(owner)));
}

std::string selected_file_path(const ControlModel& controls) {
    const std::int64_t selected = controls.selected_row(kResultList);
    if (selected < 0) return {};
    // A row that is gone reads as an empty row.
    const ReportRow row = controls.row(kResultList, static_cast<std::size_t>(selected));
    return row.size() > kPathColumn ? row[kPathColumn] : std::string();
}

void open_selected_file(const ControlModel& controls) {
    const std::string path = selected_file_path(controls);
    if (path.empty()) return;
    const ComOnThisThread com;
    ShellExecuteW(nullptr, L"open", wide_from_gbk(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::wstring notepad_command_line(std::string_view gbk_path) {
    return kNotepadCommandPrefix + wide_from_gbk(gbk_path);
}

void edit_selected_in_notepad(const ControlModel& controls) {
    const std::string path = selected_file_path(controls);
    if (path.empty()) return;
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::wstring command_line = notepad_command_line(path);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return;
    }
    WaitForInputIdle(process.hProcess, kNotepadIdleWaitMilliseconds);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void open_publisher_page() {
    const ComOnThisThread com;
    ShellExecuteW(nullptr, L"open", kPublisherPage, L"", L"", SW_SHOWNORMAL);
}

}  // namespace qelvo::ui
