// What a rewrite writes into a file's temporary, collected so that the file
// is written in large pieces however many small pieces the rewrite makes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace qelvo {

class RewriteOutput {
  public:
    // The buffer is the caller's, kept from file to file.
    RewriteOutput(platform::AtomicFileWriter& writer, std::string& buffer, std::size_t piece_size)
        : writer_(writer), buffer_(buffer), piece_size_(piece_size) {
        buffer_.clear();
    }

    // Long runs of bytes go to the file straight from where they are; short
    // ones are gathered first.
    bool append(const char* from, const char* to) {
        if (static_cast<std::size_t>(to - from) >= piece_size_ / 2) {
            return flush() && writer_.write(std::string_view(from, to));
        }
        buffer_.append(from, to);
        return buffer_.size() < piece_size_ || flush();
    }
    bool append(std::string_view bytes) {
        return append(bytes.data(), bytes.data() + bytes.size());
    }

    bool flush() {
        if (buffer_.empty()) return true;
        const bool written = writer_.write(buffer_);
        buffer_.clear();
        return written;
    }

  private:
    platform::AtomicFileWriter& writer_;
    std::string& buffer_;
    const std::size_t piece_size_;
};

}  // namespace qelvo
