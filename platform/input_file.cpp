// The bookkeeping of reading a file in pieces, the same on both backends.
#include "platform/platform.h"

namespace qelvo::platform {

void InputFile::count_read(std::size_t asked, std::size_t got) {
    position_ += got;
    at_end_ = got == 0 || (got < asked && position_ >= size_at_open_);
}

}  // namespace qelvo::platform
