#include "ui/win32/message_box_win32.h"

#include <windows.h>

#include "ui/win32/wide_text.h"

namespace qelvo::ui {

void Win32MessageDialog::show(const std::string& gbk_text) {
    // No owner, but task-modal: every top-level window of the thread is
    // disabled until the box is closed, so no second click can start a job.
    MessageBoxW(nullptr, wide_from_gbk(gbk_text).c_str(), L"信息：", MB_OK | MB_TASKMODAL);
}

}  // namespace qelvo::ui
