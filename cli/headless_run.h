// Runs one command headless: the model of the controls stands in for the
// window, stderr for the message box.
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"

namespace qelvo::cli {

enum ExitStatus {
    kSuccess = 0,
    kUsageError = 1,
    kInputError = 2,
    kNoWorkerStarted = 3,
    kFilesNotWritten = 4,
    kStoppedByInterrupt = 130,    // 128 + SIGINT
    kStoppedByTermination = 143,  // 128 + SIGTERM
};

// arguments: everything after the command name, in UTF-8.
int run_headless(const CommandSpec& command, const std::vector<std::string>& arguments);

}  // namespace qelvo::cli
