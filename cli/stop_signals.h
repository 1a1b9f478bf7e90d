// Ctrl-C and SIGTERM as the stop button: while a run goes on, either signal
// is only noted, so that the front end can click stop, let the workers finish
// the files in hand and print the labels.
#pragma once

namespace qelvo::cli {

// Notes SIGINT and SIGTERM from now on instead of ending the process.
void catch_stop_signals();
// The first of them that arrived, or 0.
int stop_signal_received();
// Gives both signals their default action again, so that a second Ctrl-C
// ends a run that does not stop.
void release_stop_signals();

}  // namespace qelvo::cli
