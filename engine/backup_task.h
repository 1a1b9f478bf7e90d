// The backup task behind the "还原文件" panel: a click on 按钮_执行 starts or
// stops a run; the driver collects every "*.bak" file, and the workers
// restore each one over the file it was made from, delete it, or both.
#pragma once

#include "engine/engine.h"

namespace qelvo {

// The start/stop handler, run on the user-interface thread.
void on_execute_button_click(Engine& engine);

}  // namespace qelvo
