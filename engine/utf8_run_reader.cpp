#include "engine/utf8_run_reader.h"

#include <cstring>

#include "engine/utf8_runs.h"
#include "platform/codepage.h"

namespace qelvo {

void Utf8RunReader::start(platform::InputFile& file) {
    // Room for a piece and for the bytes of a character cut at its end.
    if (!bytes_) bytes_.reset(new char[piece_size_ + kLongestUtf8Step]);
    file_ = &file;
    length_ = at_ = text_end_ = 0;
    at_file_end_ = false;
    in_tail_ = false;
}

std::optional<Utf8RunReader::Part> Utf8RunReader::next() {
    for (;;) {
        if (in_tail_ && at_ < length_) {
            const Part tail{Part::Kind::tail, std::string_view(bytes_.get() + at_, length_ - at_)};
            at_ = length_;
            return tail;
        }
        if (!in_tail_) {
            // A step is taken only where it sees what it would see in the
            // whole text: all of the bytes it may look at, or the text's end.
            const bool text_ends_here = text_end_ < length_ || at_file_end_;
            if (at_ < text_end_ && (text_ends_here || text_end_ - at_ >= kLongestUtf8Step)) {
                return run(text_ends_here);
            }
            if (text_end_ < length_) {
                in_tail_ = true;
                continue;
            }
        }
        if (at_file_end_) return Part{};
        if (!refill()) return std::nullopt;
    }
}

bool Utf8RunReader::refill() {
    std::memmove(bytes_.get(), bytes_.get() + at_, length_ - at_);
    length_ -= at_;
    at_ = 0;
    const std::optional<std::size_t> got =
        file_->read(bytes_.get() + length_, piece_size_ + kLongestUtf8Step - length_);
    if (!got) return false;
    at_file_end_ = file_->at_end();
    const std::size_t before = length_;
    length_ += *got;
    if (!in_tail_) {
        const void* zero = std::memchr(bytes_.get() + before, 0, *got);
        text_end_ = zero != nullptr
                        ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes_.get())
                        : length_;
    }
    return true;
}

// The run at at_, as far as the bytes in hand tell it.
Utf8RunReader::Part Utf8RunReader::run(bool text_ends_here) {
    const std::string_view text(bytes_.get() + at_, text_end_ - at_);
    const bool opaque = utf8_step(text).opaque;
    std::size_t length = 0;
    while (length < text.size() && (text_ends_here || text.size() - length >= kLongestUtf8Step)) {
        // ASCII, most of most files, is a character of one byte with a GBK
        // form of its own.
        if (!opaque && static_cast<unsigned char>(text[length]) < 0x80) {
            ++length;
            continue;
        }
        const Utf8Step step = utf8_step(text.substr(length));
        if (step.opaque != opaque) break;
        length += step.length;
    }
    at_ += length;
    if (opaque) return Part{Part::Kind::opaque, text.substr(0, length)};
    gbk_ = codepage::utf8_to_gbk(text.substr(0, length));
    return Part{Part::Kind::gbk, gbk_};
}

}  // namespace qelvo
