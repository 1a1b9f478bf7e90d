// What a job works with: the model of the controls, the shared engine state
// and the message box of the front end that runs it.
#pragma once

#include "engine/control_model.h"
#include "engine/engine_state.h"
#include "engine/message_dialog.h"

namespace qelvo {

struct Engine {
    ControlModel& controls;
    EngineState& state;
    MessageDialog& messages;
};

}  // namespace qelvo
