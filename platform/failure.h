// What the backends keep of a failed file operation: the reason, as one of
// the portable error codes of <cerrno>, for the thread that saw it.
#pragma once

namespace qelvo::platform {

// Keeps the reason of the failure that an operation is about to report; a
// later call replaces it. Returns false, for use in return statements.
bool remember_failure(int error_code);

}  // namespace qelvo::platform
