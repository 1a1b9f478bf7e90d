#include "platform/failure.h"

#include <cerrno>
#include <string>
#include <system_error>

#include "platform/platform.h"

namespace qelvo::platform {
namespace {

thread_local int last_failure_code = 0;

}  // namespace

bool remember_failure(int error_code) {
    // A failure without a code of its own still reads as an input/output error.
    last_failure_code = error_code != 0 ? error_code : EIO;
    return false;
}

std::string last_failure_reason() {
    if (last_failure_code == 0) return {};
    return std::generic_category().message(last_failure_code);
}

}  // namespace qelvo::platform
