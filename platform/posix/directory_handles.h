// Opening a file through a descriptor of its directory, so that the kernel
// looks up one name instead of the whole path.
//
// Each thread keeps the directory it last opened a file in. The workers of
// a run move through the walk's directories together, so the descriptor is
// shared: the first thread to reach a directory opens it, the others take
// the same descriptor while any of them still holds it, and the last to
// leave closes it. Each run renews the lookups (renew_directory_lookups), so
// it never shares a descriptor that a thread of an earlier run still holds
// of a directory renamed or replaced since.
#pragma once

#include <string>

namespace qelvo::platform {

// Opens host (an absolute host path) with flags, through the calling
// thread's directory descriptor when the path lies in that directory or one
// can be opened; by the whole path otherwise. Gives the descriptor or -1
// with errno set.
int open_through_directory(const std::string& host, int flags);

}  // namespace qelvo::platform
