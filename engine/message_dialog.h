// The message box the start/stop handlers show for input errors: a text with
// the caption "信息：" and an OK button. show() returns once it is closed.
#pragma once

#include <string>

namespace qelvo {

class MessageDialog {
  public:
    virtual ~MessageDialog() = default;
    virtual void show(const std::string& gbk_text) = 0;
};

}  // namespace qelvo
