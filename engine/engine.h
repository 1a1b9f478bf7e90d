// What a job works with: the model of the controls, the shared engine state,
// the message box of the front end that runs it and where input histories go.
#pragma once

#include "engine/control_model.h"
#include "engine/engine_state.h"
#include "engine/failure_report.h"
#include "engine/input_history.h"
#include "engine/message_dialog.h"

namespace qelvo {

struct Engine {
    ControlModel& controls;
    EngineState& state;
    MessageDialog& messages;
    InputHistory* history = nullptr;    // none: nothing is saved
    FailureReport* failures = nullptr;  // none: failures are only not counted
};

}  // namespace qelvo
