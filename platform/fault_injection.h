// A seam for tests: makes chosen file operations fail, as a full disk, a bad
// sector or a permission would, so that every failure path can be walked.
// Without a decider installed every operation runs for real, at the cost of
// one relaxed load.
#pragma once

#include <functional>

namespace qelvo::platform {

enum class FileCall { read, write, sync, rename, copy, remove };

// Returns 0 to let the call run, or the <cerrno> code it fails with. Called
// from any thread; install it before a run starts and remove it (nullptr)
// after the run's threads have ended.
using FailureDecider = std::function<int(FileCall)>;
void inject_failures(FailureDecider decider);

// The backends ask before each such call: 0, or the code to fail with.
int injected_failure(FileCall call);

}  // namespace qelvo::platform
