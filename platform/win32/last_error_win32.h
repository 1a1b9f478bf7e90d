// How the Win32 backend reports a failed system call: as the portable
// reason of failure.h.
#pragma once

namespace qelvo::platform::win32_detail {

// Keeps the reason of the last Win32 failure as the portable code that says
// the same, so that messages read alike on both systems. Returns false, for
// use in return statements.
bool remember_last_error();

}  // namespace qelvo::platform::win32_detail
