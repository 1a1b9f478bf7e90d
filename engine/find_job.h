// The find job behind the "查找文件" panel: it lists every file that holds
// the find text and never opens a file for writing.
#pragma once

#include "engine/engine.h"

namespace qelvo {

// The start/stop handler of 按钮_开始查找, run on the user-interface thread.
void on_find_button_click(Engine& engine);

}  // namespace qelvo
