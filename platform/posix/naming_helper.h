// A helper process that names unnamed temporaries and moves them over their
// files.
//
// A temporary made with O_TMPFILE has no name until it is linked, and it is
// renamed over its file right after: two system calls, between which a kill
// of this process would leave the temporary's name in the directory. The
// helper is a second process that does both calls for us, so a kill of this
// process at any moment lets the pair it started finish; it never starts a
// pair once this process has gone. It runs from the start of a front end
// until that process ends.
#pragma once

#include <optional>
#include <string>

namespace qelvo::platform {

// Forks the helper; call it while the process has one thread only. Without
// it (or when it could not start) temporaries are named in this process.
void start_naming_helper();

// Has the helper link the unnamed temporary open as fd under name and rename
// it over target; a failed rename leaves no name. Gives 0 or the errno of the
// failed step (EEXIST when name is taken); nothing when no helper runs, so
// that the caller names the temporary itself.
std::optional<int> name_through_helper(int fd, const std::string& name, const std::string& target);

}  // namespace qelvo::platform
