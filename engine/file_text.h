// A file's contents as the jobs see them: the searched text ends at the
// first zero byte, and the tail from there on is carried over untouched when
// the file is written back, so nothing is ever truncated.
#pragma once

#include <cstring>
#include <string_view>

namespace qelvo {

struct FileText {
    std::string_view text;
    std::string_view tail;
};

inline FileText split_at_first_zero(std::string_view bytes) {
    const void* zero = std::memchr(bytes.data(), 0, bytes.size());
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes.data())
             : bytes.size();
    return {bytes.substr(0, length), bytes.substr(length)};
}

}  // namespace qelvo
