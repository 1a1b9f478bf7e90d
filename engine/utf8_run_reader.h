// A UTF-8 file's text read in pieces and handed on run by run: the GBK form
// of the characters that have one, the bytes of the others as they are, and
// from the first zero byte on, where the text ends, the file's bytes as they
// are. Memory stays that of one piece however long the file or a run is.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace qelvo {

class Utf8RunReader {
  public:
    struct Part {
        // A run of characters may come in several gbk parts in a row; an
        // opaque part, the tail or the end ends it.
        enum class Kind { gbk, opaque, tail, end };
        Kind kind = Kind::end;
        std::string_view bytes;  // valid until the next call
    };

    explicit Utf8RunReader(std::size_t piece_size) : piece_size_(piece_size) {}

    // Reads the file from where it stands, which must be its first byte.
    void start(platform::InputFile& file);
    // The next part, or nothing when the file cannot be read.
    std::optional<Part> next();

  private:
    bool refill();
    Part run(bool text_ends_here);

    const std::size_t piece_size_;
    std::unique_ptr<char[]> bytes_;  // never cleared: every byte used is read first
    std::string gbk_;                // the GBK form of the last run part
    platform::InputFile* file_ = nullptr;
    std::size_t length_ = 0;    // bytes in hand
    std::size_t at_ = 0;        // the first of them not handed on
    std::size_t text_end_ = 0;  // the first zero byte in hand, or length_
    bool at_file_end_ = false;
    bool in_tail_ = false;
};

}  // namespace qelvo
