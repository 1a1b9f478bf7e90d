// The message box of the start/stop handlers on Windows: the text, the
// caption "信息：" and an OK button, with no owner window and modal for the
// whole task. show() returns once the user has closed it.
#pragma once

#include "engine/message_dialog.h"

namespace qelvo::ui {

class Win32MessageDialog : public MessageDialog {
  public:
    void show(const std::string& gbk_text) override;
};

}  // namespace qelvo::ui
