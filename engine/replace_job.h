// The replace job behind the "替换文件" panel: a click on 按钮_开始替换 starts
// or stops a run; the driver collects the files, the workers list every file
// that holds the find text, back it up when asked, replace every occurrence
// and write it back.
#pragma once

#include "engine/engine.h"

namespace qelvo {

// The start/stop handler, run on the user-interface thread.
void on_replace_button_click(Engine& engine);

}  // namespace qelvo
