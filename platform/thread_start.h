// Starting the engine's job threads, which nobody joins.
#pragma once

#include <functional>

namespace qelvo::platform {

// Starts a thread that runs entry and ends with it; false when the system
// could not start one. The thread is never joined: it owns entry and
// releases it when done.
bool start_detached_thread(std::function<void()> entry);

}  // namespace qelvo::platform
