// Gives the process's working set back to the system whenever the program
// is switched away from: the pages are faulted back in as the user returns,
// and meanwhile the memory serves the program the user switched to.
#pragma once

namespace qelvo::ui {

// Starts one trim on a short-lived thread of its own and returns at once.
void start_working_set_trim();
// How many trims have been started since the process began.
long working_set_trims_started();

}  // namespace qelvo::ui
